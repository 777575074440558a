// Whether typed lines leave a statement unfinished, so that the editor asks for more
// lines before it runs them as one command. Window-system free.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zirbin::gui {

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
