// The locked console buffer shared between the interpreter and the window.
#include "gui/shared_console.h"

#include <algorithm>

namespace zirbin::gui {

void SharedConsole::print(const std::string& text, bool newLineFirst, int mode) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    buffer_.print(text, newLineFirst, mode);
  }
  changed();
}

void SharedConsole::newLine() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    buffer_.newLine();
  }
  changed();
}

void SharedConsole::echo(const std::string& prompt, const std::string& text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    buffer_.echo(prompt, text);
  }
  changed();
}

ConsoleSnapshot SharedConsole::snapshot(int64_t from, int count) const {
  ConsoleSnapshot snap;
  std::lock_guard<std::mutex> lock(mutex_);
  snap.generation = generation_.load(std::memory_order_acquire);
  snap.last = buffer_.lineIndex();
  snap.first = std::max<int64_t>(0, snap.last - kConsoleRingLines + 1);
  snap.from = std::clamp(from, snap.first, snap.last);
  const int64_t to = std::min<int64_t>(snap.last, snap.from + std::max(0, count) - 1);
  for (int64_t i = snap.from; i <= to; ++i) snap.lines.push_back(buffer_.line(i));
  return snap;
}

std::string SharedConsole::line(int64_t index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return buffer_.line(index);
}

}  // namespace zirbin::gui
