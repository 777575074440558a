// The lines of a command typed over several lines.
#include "gui/pending_input.h"

#include <algorithm>
#include <cctype>

#include "gui/line_editor.h"

namespace zirbin::gui {

namespace {

bool isNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

}  // namespace

namespace {

// What a scan of the command's lines found: the brackets still open and the last line's
// text without its comment and trailing blanks.
struct LineScan {
  int openBrackets = 0;  // '(' and '[' only: a '{' group ends with its line
  std::string code;      // the last line without comment and trailing blanks
  // Positions in `code` of ':' and ';' outside brackets and strings.
  std::vector<std::size_t> topSeparators;
};

// A quote starts a string unless it follows a value (then it is the transpose).
bool startsString(const std::string& code, std::size_t i) {
  if (code[i] == '"') return true;
  std::size_t j = i;
  while (j > 0 && code[j - 1] == ' ') --j;
  if (j == 0) return true;
  const char before = code[j - 1];
  return !(isNameChar(before) || before == ')' || before == ']' || before == '\'' ||
           before == '.');
}

void scanLine(std::string_view line, LineScan& scan) {
  std::string code;
  std::vector<std::size_t> separators;
  int depth = 0;  // brackets opened on this line, for the separators
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '#') break;
    if ((c == '\'' || c == '"') && startsString(code + c, code.size())) {
      const std::size_t close = line.find(c, i + 1);
      const std::size_t end = close == std::string_view::npos ? line.size() : close + 1;
      code.append(line.substr(i, end - i));
      i = end - 1;
      continue;
    }
    if (c == '(' || c == '[') ++scan.openBrackets, ++depth;
    if ((c == ')' || c == ']') && scan.openBrackets > 0) --scan.openBrackets, --depth;
    if ((c == ':' || c == ';') && depth <= 0) separators.push_back(code.size());
    code += c == '\t' ? ' ' : c;
  }
  while (!code.empty() && code.back() == ' ') code.pop_back();
  scan.code = std::move(code);
  scan.topSeparators = std::move(separators);
}

std::string firstWord(std::string_view line) {
  std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  std::size_t end = start;
  while (end < line.size() && isNameChar(line[end])) ++end;
  return std::string(line.substr(start, end - start));
}

// True iff the last line ends so that the statement must go on.
bool endsUnfinished(const std::string& code) {
  if (code.empty()) return false;
  if (code.ends_with("...")) return true;
  const std::size_t first = code.find_first_not_of(' ');
  if (code[first] == '?') return false;  // a help request never continues
  // cd, dir and use take the rest of the line as a bare word ("dir *.zrb").
  const std::string word = firstWord(code);
  if (word == "cd" || word == "dir" || word == "use") return false;
  constexpr std::string_view kTrailingOperators = "+-*/^=<>&|,~";
  const char last = code.back();
  if (kTrailingOperators.find(last) == std::string_view::npos) return false;
  // "name*" is a pattern (as in dir *), not a product waiting for its operand.
  if (last == '*' && code.size() >= 2 && isNameChar(code[code.size() - 2])) return false;
  return true;
}

// True iff the text after a separator is a statement (a body on the header's line): for a
// ':' in a `for` header only an assignment, a keyword statement or a block counts, since
// the range itself holds colons.
bool bodyFollows(const std::string& code, std::size_t separator, bool forHeader) {
  std::size_t i = code.find_first_not_of(' ', separator + 1);
  if (i == std::string::npos) return false;
  if (code[separator] == ';' || !forHeader) return true;
  if (code[i] == '{') return true;
  std::size_t end = i;
  while (end < code.size() && isNameChar(code[end])) ++end;
  if (end == i) return false;
  const std::string word = code.substr(i, end - i);
  constexpr std::string_view kStatementWords[] = {"break", "continue", "for", "if",
                                                  "return", "unless", "while"};
  if (std::find(std::begin(kStatementWords), std::end(kStatementWords), word) !=
      std::end(kStatementWords)) {
    return true;
  }
  if (end < code.size() && code[end] == '[') {
    if (std::optional<std::size_t> close = matchBracket(code, end)) end = *close + 1;
  }
  end = code.find_first_not_of(' ', end);
  if (end == std::string::npos) return false;
  if (end + 1 < code.size() && std::string_view("+-*/^,.&|").find(code[end]) !=
                                   std::string_view::npos && code[end + 1] == '=') {
    return true;
  }
  return code[end] == '=' && (end + 1 >= code.size() || code[end + 1] != '=');
}

}  // namespace

bool PendingInput::add(std::string_view line) {
  const bool blank = line.find_first_not_of(" \t") == std::string_view::npos;
  if (lines_.empty()) {
    const std::string word = firstWord(line);
    functionBlock_ = word == "function";
    indentedBlock_ = false;
    if (!functionBlock_ &&
        std::find(std::begin(kBlockKeywords), std::end(kBlockKeywords), word) !=
            std::end(kBlockKeywords)) {
      LineScan scan;
      scanLine(line, scan);
      const bool forHeader = word == "for";
      indentedBlock_ = std::none_of(
          scan.topSeparators.begin(), scan.topSeparators.end(),
          [&](std::size_t at) { return bodyFollows(scan.code, at, forHeader); });
    }
  }
  closedByEmptyLine_ = blank && !lines_.empty() && indentedBlock_;
  // Blank lines inside an unfinished statement are dropped; the one that closes a block
  // is kept until text() leaves it out.
  if (closedByEmptyLine_ || !blank || lines_.empty()) lines_.emplace_back(line);
  return complete();
}

bool PendingInput::complete() const {
  LineScan scan;
  for (const std::string& line : lines_) scanLine(line, scan);
  if (scan.openBrackets > 0) return false;
  // The scan keeps the last line with text for the trailing operator.
  for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
    if (it->find_first_not_of(" \t") == std::string::npos) continue;
    LineScan last;
    scanLine(*it, last);
    if (endsUnfinished(last.code)) return false;
    break;
  }
  if (functionBlock_) {
    return lines_.size() > 1 && firstWord(lines_.back()) == "end";
  }
  if (indentedBlock_) return closedByEmptyLine_;
  return true;
}

std::string PendingInput::text() const {
  std::string joined;
  std::size_t count = lines_.size();
  if (closedByEmptyLine_ && count > 0) --count;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) joined += '\r';
    joined += lines_[i];
  }
  return joined;
}

void PendingInput::clear() {
  lines_.clear();
  functionBlock_ = indentedBlock_ = closedByEmptyLine_ = false;
}

}  // namespace zirbin::gui
