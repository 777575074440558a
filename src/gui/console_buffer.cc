// The console's ring of markup lines and the three print modes.
#include "gui/console_buffer.h"

namespace zirbin::gui {

ConsoleBuffer::ConsoleBuffer() { ring_.emplace_back(); }

std::string& ConsoleBuffer::current() { return ring_[lineIndex_ % kConsoleRingLines]; }

void ConsoleBuffer::append(const std::string& text) { current() += text; }

void ConsoleBuffer::changed() {
  if (onChanged) onChanged();
}

void ConsoleBuffer::newLine() {
  advance();
  changed();
}

void ConsoleBuffer::advance() {
  if (onLineCompleted) onLineCompleted(current());
  ++lineIndex_;
  if (static_cast<int>(ring_.size()) < kConsoleRingLines) {
    ring_.emplace_back();
  } else {
    current().clear();  // the oldest line is forgotten
  }
}

void ConsoleBuffer::print(const std::string& text, bool newLineFirst, int mode) {
  if (newLineFirst && !current().empty()) advance();
  switch (mode) {
    case session::kPrintLines: {
      size_t start = 0;
      for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        append(text.substr(start, end - start));
        advance();
      }
      append(text.substr(start));
      break;
    }
    case session::kPrintLiteral:
      append(session::hasMarkupChars(text) ? "{:" + text : text);
      break;
    default:
      append(session::hasMarkupChars(text) ? "{;" + text : text);
      break;
  }
  changed();
}

void ConsoleBuffer::echo(const std::string& prompt, const std::string& text) {
  if (!current().empty()) advance();
  append("{g " + prompt + " {b:" + text);
  advance();
  changed();
}

bool ConsoleBuffer::holds(int64_t index) const {
  return index >= 0 && index <= lineIndex_ && index > lineIndex_ - kConsoleRingLines;
}

const std::string& ConsoleBuffer::line(int64_t index) const {
  static const std::string kForgotten;
  return holds(index) ? ring_[index % kConsoleRingLines] : kForgotten;
}

}  // namespace zirbin::gui
