// What Tab completes in a typed line: a name (variables, constants, built-ins, user
// functions, keywords) or a file name (after use, cd and dir, and in a string argument of
// the file built-ins). Shared by the terminal and the desktop editors.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zirbin::session {
class InterpreterSession;
}  // namespace zirbin::session

namespace zirbin::gui {

enum class CompletionKind { kName, kFileName };

struct CompletionRequest {
  CompletionKind kind = CompletionKind::kName;
  std::size_t start = 0;  // where the word being completed begins
  std::string word;       // the text from `start` to the caret
};

// The word before `caret` in `line` and whether it is a name or a file name. A file name
// runs back to the blank after use, cd or dir (or the quote after them), or to the opening
// quote of a string argument of a file built-in; '\' and '/' both separate its folders.
CompletionRequest completionRequest(std::string_view line, std::size_t caret);

// The names that begin with `prefix`, sorted and without repeats: the session's variables
// and user constants, the named constants, the user functions, the built-ins and the
// keywords.
std::vector<std::string> nameCandidates(session::InterpreterSession& session,
                                        std::string_view prefix);

// The files and folders that begin with `prefix` (a path relative to the current directory
// or absolute), sorted; a folder ends with '/'. The result keeps the prefix's own folder
// part as typed.
std::vector<std::string> fileCandidates(std::string_view prefix);

}  // namespace zirbin::gui
