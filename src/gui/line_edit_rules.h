// The editing rules of the console's input line that do not depend on a window: the
// matching bracket, the Ctrl+B wrap in parentheses, and whether typed lines leave a
// statement unfinished. The terminal and the desktop editors both use them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirbin::gui {

// The position of the bracket that matches the one at `position` of `line`, or nullopt
// when the character there is none of "([{}])" or has no match. The line is scanned from
// its start with a stack of open brackets; a closing bracket that does not match the top
// of the stack ends the scan without a match.
std::optional<std::size_t> matchBracket(std::string_view line, std::size_t position);

struct EditedLine {
  std::string text;
  std::size_t caret = 0;
};

// Ctrl+B: wraps in parentheses the text from just after the first "=" (after both
// characters of "==") up to `caret`, or from the start of the line when there is no "=".
// The caret moves two places right, after the ")". Nothing to wrap (the caret at the start
// of the line or before the "=") gives nullopt.
std::optional<EditedLine> wrapAfterEquals(std::string_view line, std::size_t caret);

// Words that open a block which goes on in the following (indented) lines.
inline constexpr std::string_view kBlockKeywords[] = {"for", "function", "if", "unless",
                                                      "while"};

// The lines of one command being typed at a continuation prompt. A line leaves the
// command unfinished when a '(' or '[' is still open, when the last line ends in a binary
// or assignment operator, a ',' or "...", or when the first line opens a block:
// a `function` block runs to its `end` line, a `for`, `while`, `if` or `unless` header
// without a body on its own line runs to the first empty line.
class PendingInput {
 public:
  // Adds a typed line. Returns true iff the command is complete with it.
  bool add(std::string_view line);
  bool empty() const { return lines_.empty(); }
  std::size_t lineCount() const { return lines_.size(); }
  // The lines joined by carriage returns, as a pasted block (an empty line that closed a
  // block is left out).
  std::string text() const;
  const std::vector<std::string>& lines() const { return lines_; }
  // Drops the pending lines.
  void clear();

 private:
  bool complete() const;

  std::vector<std::string> lines_;
  bool functionBlock_ = false;
  bool indentedBlock_ = false;
  bool closedByEmptyLine_ = false;
};

}  // namespace zirbin::gui
