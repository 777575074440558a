// The console's scroll-back buffer: a ring of markup lines that every output of a session
// is written into, independent of any window. Front ends draw from it and may take each
// line as it completes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/console_output.h"

namespace zirbin::gui {

// Lines kept by the ring; older lines are forgotten.
inline constexpr int kConsoleRingLines = 350;

class ConsoleBuffer : public session::ConsoleOutput {
 public:
  ConsoleBuffer();
  ConsoleBuffer(const ConsoleBuffer&) = delete;
  ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;

  void print(const std::string& text, bool newLineFirst, int mode) override;
  void newLine() override;

  // Writes the echo of a typed line: "{g " + prompt + " {b:" + text, then a new line.
  void echo(const std::string& prompt, const std::string& text);

  // Index of the current (last, unfinished) line; it counts on past the ring's size.
  int64_t lineIndex() const { return lineIndex_; }
  // The text of line `index` (0 <= index <= lineIndex()); "" once the ring has forgotten
  // it.
  const std::string& line(int64_t index) const;
  // The current, unfinished line.
  const std::string& currentLine() const { return line(lineIndex_); }
  // True iff line `index` is still held by the ring.
  bool holds(int64_t index) const;
  // Number of lines held (at most kConsoleRingLines).
  int lineCount() const { return static_cast<int>(ring_.size()); }

  // Called with each line as it is completed by newLine (front ends that stream output,
  // such as the batch mode, print it at once). May be empty.
  std::function<void(const std::string& line)> onLineCompleted;
  // Called after every print, newLine and echo, once the buffer has changed (windows
  // redraw the changed lines and scroll the current line into view). May be empty.
  std::function<void()> onChanged;

 private:
  std::string& current();
  void append(const std::string& text);
  void advance();
  void changed();

  std::vector<std::string> ring_;
  int64_t lineIndex_ = 0;
};

}  // namespace zirbin::gui
