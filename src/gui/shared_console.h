// A console output that the interpreter thread writes and the window's thread reads: the
// scroll-back buffer behind a lock, with a change counter that lets the reader redraw at
// its own pace however fast the output comes.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "gui/console_buffer.h"
#include "base/console_output.h"

namespace zirbin::gui {

// Some consecutive lines of the buffer as they were at one moment.
struct ConsoleSnapshot {
  int64_t first = 0;               // oldest line the buffer held
  int64_t last = 0;                // the current (last) line
  int64_t from = 0;                // index of lines[0]
  std::vector<std::string> lines;  // lines from, from + 1, ... (at most the count asked)
  uint64_t generation = 0;         // the change counter the snapshot belongs to
};

class SharedConsole : public session::ConsoleOutput {
 public:
  SharedConsole() = default;
  SharedConsole(const SharedConsole&) = delete;
  SharedConsole& operator=(const SharedConsole&) = delete;

  // From any thread (in practice the interpreter thread).
  void print(const std::string& text, bool newLineFirst, int mode) override;
  void newLine() override;
  // Writes the echo of a typed line (see ConsoleBuffer::echo).
  void echo(const std::string& prompt, const std::string& text);

  // Counts every change; a reader redraws when it differs from the last one it drew.
  uint64_t generation() const { return generation_.load(std::memory_order_acquire); }
  // Up to `count` lines from line `from` (clamped to the lines held).
  ConsoleSnapshot snapshot(int64_t from, int count) const;
  // The text of one line ("" when forgotten).
  std::string line(int64_t index) const;

 private:
  void changed() { generation_.fetch_add(1, std::memory_order_release); }

  mutable std::mutex mutex_;
  ConsoleBuffer buffer_;  // guarded by mutex_
  std::atomic<uint64_t> generation_{0};
};

}  // namespace zirbin::gui
