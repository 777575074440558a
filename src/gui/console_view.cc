// The console's view of its buffer: zoom, rows, scrolling, selection and clicks.
#include "gui/console_view.h"

#include <algorithm>
#include <cmath>

#include "graphics/markup.h"
#include "graphics/text_metrics.h"
#include "gui/line_editor.h"

namespace zirbin::gui {

namespace {

const graphics::TextMetrics& consoleMetrics() {
  return graphics::headlessMetrics(graphics::FontFace::kMonospace);
}

// The characters [from, to) of a UTF-8 text, counted in characters.
std::string characters(std::string_view text, std::size_t from, std::size_t to) {
  std::size_t index = 0;
  std::size_t begin = text.size();
  std::size_t end = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (index == from) begin = i;
    if (index == to) {
      end = i;
      break;
    }
    ++index;
  }
  return begin >= end ? std::string() : std::string(text.substr(begin, end - begin));
}

}  // namespace

int ConsoleView::pixelSize() const { return std::max(1, static_cast<int>(std::lround(fontSize_))); }

void ConsoleView::zoom(bool in) { fontSize_ *= in ? kZoomInFactor : kZoomOutFactor; }

double ConsoleView::charWidth() const { return consoleMetrics().width("0", '.', pixelSize()); }

int ConsoleView::lineHeight() const { return std::max(1, consoleMetrics().lineHeight(pixelSize())); }

int ConsoleView::usableLines(int height) const { return std::max(0, height) / lineHeight(); }

void ConsoleView::setRange(int64_t first, int64_t last, int visibleRows) {
  first_ = first;
  last_ = last;
  rows_ = std::max(1, visibleRows);
  if (following_) top_ = last_ - rows_ + 1;
  clampTop();
}

void ConsoleView::clampTop() {
  const int64_t bottomTop = std::max(first_, last_ - rows_ + 1);
  top_ = std::clamp(top_, first_, bottomTop);
  following_ = top_ == bottomTop;
}

void ConsoleView::scrollBy(int64_t lines) { scrollTo(top_ + lines); }

void ConsoleView::scrollTo(int64_t top) {
  top_ = top;
  clampTop();
}

TextPosition ConsoleView::positionAt(int x, int y) const {
  TextPosition at;
  at.line = top_ + std::max(0, y) / lineHeight();
  at.column = static_cast<std::size_t>(std::max(0.0, std::round(x / charWidth())));
  return at;
}

std::string ConsoleView::selectedText(
    const std::function<std::string(int64_t)>& shownLine) const {
  if (!hasSelection()) return std::string();
  const TextPosition start = selectionStart();
  const TextPosition end = selectionEnd();
  std::string text;
  for (int64_t line = start.line; line <= end.line; ++line) {
    const std::string shown = shownLine(line);
    const std::size_t from = line == start.line ? start.column : 0;
    const std::size_t to = line == end.line ? end.column : characterCount(shown);
    text += characters(shown, from, to);
    if (line != end.line) text += '\n';
  }
  return text;
}

std::string clipboardLines(std::string_view text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i] == '\n' ? '\r' : text[i];
  }
  return lines;
}

std::optional<std::string> echoedCommand(std::string_view line) {
  if (!line.starts_with("{g ")) return std::nullopt;
  const std::size_t text = line.find(" {b:");
  if (text == std::string_view::npos) return std::nullopt;
  return std::string(line.substr(text + 4));
}

std::optional<std::string> linkAt(std::string_view line, std::size_t column) {
  std::size_t start = 0;
  for (const graphics::MarkupSegment& segment : graphics::parseMarkup(line)) {
    const std::size_t length = characterCount(segment.text);
    if (column >= start && column < start + length) {
      if (segment.kind != graphics::kFontUnderlined) return std::nullopt;
      const std::size_t first = segment.text.find_first_not_of(' ');
      const std::size_t last = segment.text.find_last_not_of(' ');
      if (first == std::string::npos) return std::nullopt;
      return segment.text.substr(first, last - first + 1);
    }
    start += length;
  }
  return std::nullopt;
}

}  // namespace zirbin::gui
