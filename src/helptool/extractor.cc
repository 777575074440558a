// The help text extractor: the search for an entry and the markup rules of its text.
#include "helptool/extractor.h"

#include <string>

namespace zirbin::helptool {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool endsWithTwoBackslashes(std::string_view word) {
  return word.size() >= 2 && word.substr(word.size() - 2) == "\\\\";
}

}  // namespace

// Writes words separated by single spaces; a word at the start of a line gets no space.
class MarkupWriter {
 public:
  explicit MarkupWriter(std::ostream& out) : out_(out) {}

  void word(std::string_view text) {
    if (!atLineStart_) out_ << ' ';
    out_ << text;
    atLineStart_ = false;
  }
  // Writes text as it stands, with no separating space.
  void raw(std::string_view text) {
    out_ << text;
    atLineStart_ = false;
  }
  void lineEnd() {
    out_ << '\n';
    atLineStart_ = true;
  }
  // Ends the current line unless nothing has been written on it.
  void endLine() {
    if (!atLineStart_) lineEnd();
  }
  // A word that ends in two backslashes is written without them and ends its line.
  void wordOrLineBreak(std::string_view text) {
    if (endsWithTwoBackslashes(text)) {
      text.remove_suffix(2);
      if (!text.empty()) word(text);
      lineEnd();
    } else {
      word(text);
    }
  }

 private:
  std::ostream& out_;
  bool atLineStart_ = true;
};

namespace {

// Returns the length of the heading name at the start of `heading`: up to the first
// backslash, or, when an opening bracket comes first, up to its matching closing bracket.
size_t headingNameLength(std::string_view heading) {
  size_t stop = heading.find('\\');
  if (stop == std::string_view::npos) stop = heading.size();
  size_t open = heading.find_first_of("([");
  if (open == std::string_view::npos || open >= stop) return stop;
  int depth = 0;
  for (size_t i = open; i < heading.size(); ++i) {
    char c = heading[i];
    if (c == '(' || c == '[') ++depth;
    if ((c == ')' || c == ']') && --depth == 0) return i + 1;
  }
  return heading.size();  // an unclosed bracket: the whole call form is the name
}

int bracketBalance(std::string_view text) {
  int depth = 0;
  for (char c : text) {
    if (c == '(' || c == '[') ++depth;
    if (c == ')' || c == ']') --depth;
  }
  return depth;
}

}  // namespace

std::string_view HelpExtractor::nextCommandLine() {
  while (pos_ < text_.size()) {
    bool lineStart = pos_ == 0 || text_[pos_ - 1] == '\n';
    size_t p = pos_;
    if (lineStart) {
      while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t')) ++p;
      if (p < text_.size() && text_[p] == '\\') {
        size_t end = p + 1;
        while (end < text_.size() && !isBlank(text_[end])) ++end;
        pos_ = end;
        return text_.substr(p + 1, end - p - 1);
      }
    }
    size_t newline = text_.find('\n', p);
    pos_ = newline == std::string_view::npos ? text_.size() : newline + 1;
  }
  throw kErrorEndOfFileInSearch;
}

std::string_view HelpExtractor::nextWord() {
  while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
  size_t start = pos_;
  while (pos_ < text_.size() && !isBlank(text_[pos_])) ++pos_;
  return text_.substr(start, pos_ - start);
}

bool HelpExtractor::writeEntry(std::string_view topic, bool continuation, std::ostream& out) {
  for (;;) {
    if (nextCommandLine() != "item") continue;
    std::string_view name = nextWord();
    if (name.empty()) throw kErrorEndOfFileInSearch;
    if (name == kEndEntryName) return false;
    if (name == topic) break;
  }

  std::string_view word = nextWord();
  if (continuation) {
    // Only the text after "\more" is written; an entry without one has no continuation.
    while (!word.empty() && word != "\\more" && word != "\\item" && word != "\\end") {
      word = nextWord();
    }
    if (word != "\\more") return true;
    word = nextWord();
  }

  MarkupWriter writer(out);
  if (!continuation && !word.empty() && word.front() != '\\') {
    writeHeading(word, writer);
    word = nextWord();
  }
  writeBody(word, continuation, writer);
  writer.endLine();
  return true;
}

void HelpExtractor::writeHeading(std::string_view first, MarkupWriter& writer) {
  if (first.starts_with("{*")) {
    writer.wordOrLineBreak(first);
    return;
  }
  // A call form may hold blanks inside its brackets ("f(x, y)"): its words are joined
  // again, up to the closing bracket, so that the whole call form is written in bold.
  std::string heading(first);
  size_t stop = heading.find('\\');
  bool bracketBeforeStop = heading.find_first_of("([") < stop;
  while (bracketBeforeStop && stop == std::string::npos && bracketBalance(heading) > 0) {
    size_t mark = pos_;
    std::string_view more = nextWord();
    if (more.empty() || more.front() == '\\') {
      pos_ = mark;
      break;
    }
    heading += ' ';
    heading += more;
    stop = heading.find('\\');
  }
  size_t nameLength = headingNameLength(heading);
  writer.word("{*" + heading.substr(0, nameLength) + "}");
  std::string_view rest = std::string_view(heading).substr(nameLength);
  if (endsWithTwoBackslashes(rest)) {
    writer.raw(rest.substr(0, rest.size() - 2));
    writer.lineEnd();
  } else {
    writer.raw(rest);
  }
}

void HelpExtractor::writeBody(std::string_view word, bool continuation, MarkupWriter& writer) {
  // In example mode every word is a line of its own, written as a green group.
  bool exampleMode = false;
  while (!word.empty()) {
    if (word == "\\item" || word == "\\end") return;
    if (word == "\\more") {
      // In the continuation part a further "\more" simply ends the text.
      if (continuation) return;
      writer.endLine();
      writer.raw(" {=>>}");
      return;
    }
    if (word == "\\also") {
      writer.endLine();
      writer.word("{m See also:}");
      exampleMode = false;
      word = nextWord();
      while (!word.empty() && word.front() != '\\') {
        if (endsWithTwoBackslashes(word)) word.remove_suffix(2);
        writer.word("{=" + std::string(word) + "}");
        word = nextWord();
      }
      continue;  // the command that ended the list is handled next
    }
    if (word == "\\eg") {
      writer.endLine();
      writer.word("e.g.");
      exampleMode = true;
    } else if (word == "\\") {
      writer.lineEnd();
    } else if (exampleMode) {
      if (endsWithTwoBackslashes(word)) word.remove_suffix(2);
      writer.endLine();
      writer.word("{g " + std::string(word) + "}");
    } else {
      writer.wordOrLineBreak(word);
    }
    word = nextWord();
  }
}

}  // namespace zirbin::helptool
