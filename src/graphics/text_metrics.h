// Measuring text without a window system: advance widths of a serif face metric-compatible
// with "Times New Roman" and a monospace face compatible with "Courier New". The screen
// front end may measure with its own fonts through the same interface.
#pragma once

#include <string_view>

namespace zirbin::graphics {

// Measures text drawn in a font kind (see markup.h) at a font size in pixels.
class TextMetrics {
 public:
  virtual ~TextMetrics() = default;
  // The advance width in pixels of `text` (UTF-8) in font `kind` at `size` pixels; for the
  // sub- and superscript kinds `size` is the full size and the 75 % font is measured.
  virtual double width(std::string_view text, char kind, int size) const = 0;
  // The line height in pixels of the font at `size`.
  virtual int lineHeight(int size) const = 0;
};

enum class FontFace { kSerif, kMonospace };

// Built-in advance-width tables, in thousandths of the font size: the serif table holds the
// widths of Times New Roman (and of Liberation Serif, which shares them) for the printable
// ASCII characters, the monospace face is 600 for every character, like Courier New.
// Bold and italic use the regular widths; a character outside ASCII (any UTF-8 sequence)
// counts as 500, a Symbol-font letter as 550. The line height is 115 % of the size, the
// line spacing of both faces.
class TableTextMetrics : public TextMetrics {
 public:
  explicit TableTextMetrics(FontFace face) : face_(face) {}
  double width(std::string_view text, char kind, int size) const override;
  int lineHeight(int size) const override;

 private:
  FontFace face_;
};

// The process-wide headless metrics of each face.
const TextMetrics& headlessMetrics(FontFace face);

}  // namespace zirbin::graphics
