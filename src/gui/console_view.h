// What the console window shows of its scroll-back buffer, without a window system: the
// font size and its zoom steps, the rows that fit, the scroll position, the selection in
// buffer coordinates, and what a click on a line means (a previous command, a help link).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zirbin::gui {

// The console font size before any zoom, in pixels.
inline constexpr double kDefaultFontSize = 20.0;
// One zoom step in and out: the eighth root of 2 and its inverse, so eight steps in double
// the size.
inline constexpr double kZoomInFactor = 1.09050773266526;
inline constexpr double kZoomOutFactor = 0.9170040432046693;
// Lines scrolled by one notch of the mouse wheel.
inline constexpr int kWheelLines = 3;

// A place in the buffer: a line index (as ConsoleBuffer counts them) and a character
// column of the line's text as shown (its markup removed).
struct TextPosition {
  int64_t line = 0;
  std::size_t column = 0;
  auto operator<=>(const TextPosition&) const = default;
};

class ConsoleView {
 public:
  ConsoleView() = default;

  // Font size, exact, and as the fonts are built: rounded to the nearest integer.
  double fontSize() const { return fontSize_; }
  int pixelSize() const;
  // Multiplies the font size by one zoom step in or out.
  void zoom(bool in);
  // Metrics of the console face at pixelSize() (metric-compatible with "Courier New").
  double charWidth() const;
  int lineHeight() const;

  // The number of whole lines that fit into `height` pixels of text area.
  int usableLines(int height) const;

  // Scrolling. The view shows the lines from topLine(); it follows the output (keeps the
  // current line in view) until the user scrolls up, and again once scrolled to the end.
  // `first` and `last` are the oldest held and the current line of the buffer.
  void setRange(int64_t first, int64_t last, int visibleRows);
  int64_t topLine() const { return top_; }
  bool following() const { return following_; }
  void scrollBy(int64_t lines);
  void scrollTo(int64_t top);

  // The buffer position under the pixel (x, y) of the text area.
  TextPosition positionAt(int x, int y) const;

  // Selection by dragging: begin at the press, extend while moving.
  void beginSelection(TextPosition at) { anchor_ = head_ = at; }
  void extendSelection(TextPosition to) { head_ = to; }
  void clearSelection() { anchor_ = head_ = TextPosition{}; }
  bool hasSelection() const { return anchor_ != head_; }
  // The selection's start and end, start first.
  TextPosition selectionStart() const { return anchor_ < head_ ? anchor_ : head_; }
  TextPosition selectionEnd() const { return anchor_ < head_ ? head_ : anchor_; }
  // The selected text, lines joined by "\n"; `shownLine` gives a line's text as shown ("" for
  // a forgotten line).
  std::string selectedText(const std::function<std::string(int64_t)>& shownLine) const;

 private:
  void clampTop();

  double fontSize_ = kDefaultFontSize;
  int64_t first_ = 0;
  int64_t last_ = 0;
  int rows_ = 1;
  int64_t top_ = 0;
  bool following_ = true;
  TextPosition anchor_;
  TextPosition head_;
};

// Clipboard text with its line ends as the input cuts lines: "\r\n" and "\n" become "\r".
std::string clipboardLines(std::string_view text);

// The command of a console line that echoes a typed line ("{g " prompt " {b:" command), or
// nullopt for any other line.
std::optional<std::string> echoedCommand(std::string_view line);

// The word of an underlined ("{=") group at character `column` of a console line as shown,
// or nullopt when the column is not inside one.
std::optional<std::string> linkAt(std::string_view line, std::size_t column);

}  // namespace zirbin::gui
