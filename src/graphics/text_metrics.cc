// The built-in advance-width tables.
#include "graphics/text_metrics.h"

#include <array>
#include <cmath>

#include "graphics/markup.h"

namespace zirbin::graphics {

namespace {

// Times New Roman advance widths (per 1000 units of the em) for ' ' (32) to '~' (126).
constexpr std::array<short, 95> kSerifWidths = {
    250, 333, 408, 500, 500, 833, 778, 180, 333, 333, 500, 564, 250, 333, 250, 278,  // ' '../
    500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 278, 278, 564, 564, 564, 444,  // 0..?
    921, 722, 667, 667, 722, 611, 556, 722, 722, 333, 389, 722, 611, 889, 722, 722,  // @..O
    556, 722, 667, 556, 611, 722, 722, 944, 722, 722, 611, 333, 278, 333, 469, 500,  // P.._
    333, 444, 500, 444, 500, 444, 333, 500, 500, 278, 278, 500, 278, 778, 500, 500,  // `..o
    500, 500, 333, 389, 278, 500, 500, 722, 500, 500, 444, 480, 200, 480, 541};      // p..~
constexpr int kMonospaceWidth = 600;
constexpr int kOtherWidth = 500;   // a character beyond ASCII
constexpr int kSymbolWidth = 550;  // a Greek letter of the Symbol font
constexpr double kScriptScale = 0.75;     // the sub- and superscript font is 75 % high
constexpr double kLineSpacing = 1.15;

}  // namespace

double TableTextMetrics::width(std::string_view text, char kind, int size) const {
  long units = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      // Count a UTF-8 sequence once: skip its continuation bytes.
      while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) ++i;
      units += kind == kFontSymbol ? kSymbolWidth : kOtherWidth;
    } else if (kind == kFontSymbol) {
      units += kSymbolWidth;
    } else if (face_ == FontFace::kMonospace) {
      units += kMonospaceWidth;
    } else {
      units += c >= 32 && c <= 126 ? kSerifWidths[c - 32] : 0;
    }
  }
  double scale = kind == kFontSuperscript || kind == kFontSubscript ? kScriptScale : 1.0;
  return units * size * scale / 1000.0;
}

int TableTextMetrics::lineHeight(int size) const {
  return static_cast<int>(std::lround(size * kLineSpacing));
}

const TextMetrics& headlessMetrics(FontFace face) {
  static const TableTextMetrics serif(FontFace::kSerif);
  static const TableTextMetrics mono(FontFace::kMonospace);
  return face == FontFace::kSerif ? serif : mono;
}

}  // namespace zirbin::graphics
