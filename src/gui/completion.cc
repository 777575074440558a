// Tab completion of names and file names.
#include "gui/completion.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "base/run_context.h"
#include "engine/registry.h"
#include "engine/user_function.h"
#include "engine/workspace.h"
#include "session/interpreter_session.h"

namespace zirbin::gui {

namespace {

// The commands whose bare-word argument is a file or folder name.
constexpr std::string_view kFileCommands[] = {"cd", "dir", "use"};
// The built-ins whose string arguments name files.
constexpr std::string_view kFileBuiltins[] = {"dispfile", "fopen",    "load", "qload",
                                              "qsave",    "readtext", "save", "writetext"};

bool isNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

template <std::size_t N>
bool listed(const std::string_view (&list)[N], std::string_view word) {
  return std::find(std::begin(list), std::end(list), word) != std::end(list);
}

// The name that ends just before `end` (after blanks), or "".
std::string_view nameBefore(std::string_view text, std::size_t end) {
  while (end > 0 && text[end - 1] == ' ') --end;
  std::size_t start = end;
  while (start > 0 && isNameChar(text[start - 1])) --start;
  return text.substr(start, end - start);
}

// The position of the quote that opens the string the caret stands in, or npos. A quote
// after a value is the transpose operator, not a string.
std::size_t openQuote(std::string_view text) {
  std::size_t open = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (open != std::string_view::npos) {
      if (c == text[open]) open = std::string_view::npos;
      continue;
    }
    if (c == '#') return std::string_view::npos;
    if (c == '"') {
      open = i;
    } else if (c == '\'') {
      std::size_t j = i;
      while (j > 0 && text[j - 1] == ' ') --j;
      const char before = j > 0 ? text[j - 1] : ' ';
      if (!(isNameChar(before) || before == ')' || before == ']' || before == '\'')) open = i;
    }
  }
  return open;
}

}  // namespace

CompletionRequest completionRequest(std::string_view line, std::size_t caret) {
  caret = std::min(caret, line.size());
  const std::string_view text = line.substr(0, caret);
  CompletionRequest request;
  // use, cd or dir at the start of a statement: the rest is one file name.
  std::size_t statement = text.find_last_of(';');
  statement = statement == std::string_view::npos ? 0 : statement + 1;
  const std::size_t first = text.find_first_not_of(' ', statement);
  if (first != std::string_view::npos) {
    std::size_t end = first;
    while (end < text.size() && isNameChar(text[end])) ++end;
    if (end < text.size() && text[end] == ' ' && listed(kFileCommands, text.substr(first, end - first))) {
      std::size_t start = text.find_first_not_of(' ', end);
      if (start == std::string_view::npos) start = text.size();
      if (start < text.size() && (text[start] == '"' || text[start] == '\'')) ++start;
      request.kind = CompletionKind::kFileName;
      request.start = start;
      request.word = std::string(text.substr(start));
      return request;
    }
  }
  if (const std::size_t quote = openQuote(text); quote != std::string_view::npos) {
    std::size_t before = quote;
    while (before > 0 && text[before - 1] == ' ') --before;
    if (before > 0 && (text[before - 1] == '(' || text[before - 1] == ',')) {
      // The call the argument belongs to: the name before the innermost open '('.
      int depth = 0;
      for (std::size_t i = before; i-- > 0;) {
        if (text[i] == ')') ++depth;
        if (text[i] != '(') continue;
        if (depth-- > 0) continue;
        if (listed(kFileBuiltins, nameBefore(text, i))) {
          request.kind = CompletionKind::kFileName;
          request.start = quote + 1;
          request.word = std::string(text.substr(quote + 1));
          return request;
        }
        break;
      }
    }
  }
  std::size_t start = caret;
  while (start > 0 && isNameChar(text[start - 1])) --start;
  request.start = start;
  request.word = std::string(text.substr(start));
  return request;
}

std::vector<std::string> nameCandidates(session::InterpreterSession& session,
                                        std::string_view prefix) {
  std::set<std::string> names;
  auto offer = [&](std::string_view name) {
    if (!name.starts_with(prefix) || name.empty()) return;
    if (!std::all_of(name.begin(), name.end(), isNameChar)) return;
    names.emplace(name);
  };
  for (const auto& [name, value] : session.workspace().globalVariables()) offer(name);
  for (const auto& [name, value] : session.workspace().userConstants()) offer(name);
  for (const auto& [name, value] : session::namedConstants()) offer(name);
  for (const auto& [name, function] : session.functions().functions()) offer(name);
  for (const std::string& name : session::builtinRegistry().names()) offer(name);
  for (std::string_view name : builtins::keywordNames()) offer(name);
  return {names.begin(), names.end()};
}

std::vector<std::string> fileCandidates(std::string_view prefix) {
  std::string typed(prefix);
  std::string path = typed;
  std::replace(path.begin(), path.end(), '\\', '/');
  const std::size_t slash = path.find_last_of('/');
  const std::string folderTyped = slash == std::string::npos ? "" : typed.substr(0, slash + 1);
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  std::vector<std::string> found;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::string name = it->path().filename().string();
    if (!name.starts_with(leaf)) continue;
    // Hidden entries only when asked for with a leading dot.
    if (name.starts_with('.') && !leaf.starts_with('.')) continue;
    std::error_code kindError;
    if (it->is_directory(kindError)) name += '/';
    found.push_back(folderTyped + name);
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace zirbin::gui
