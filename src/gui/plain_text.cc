// Rendering console markup lines for plain and ANSI streams.
#include "gui/plain_text.h"

#include "graphics/markup.h"

namespace zirbin::gui {

std::string plainText(std::string_view line) { return graphics::markupPlainText(line); }

std::string ansiText(std::string_view line, const ColourLookup& colours) {
  std::string out;
  bool styled = false;
  for (const graphics::MarkupSegment& segment : graphics::parseMarkup(line)) {
    std::string codes;
    if (segment.colour != 0 && colours) {
      if (std::optional<AnsiColour> c = colours(segment.colour); c && c->sgr > 0) {
        codes += ";" + std::to_string(c->sgr);
      } else if (c) {
        codes += ";38;2;" + std::to_string(c->red) + ";" + std::to_string(c->green) + ";" +
                 std::to_string(c->blue);
      }
    }
    if (segment.kind == graphics::kFontBold) codes += ";1";
    if (segment.kind == graphics::kFontUnderlined) codes += ";4";
    if (segment.kind == graphics::kFontItalic) codes += ";3";
    if (styled || !codes.empty()) {
      out += "\x1b[0" + codes + "m";
      styled = !codes.empty();
    }
    if (segment.kind == graphics::kFontSymbol) {
      for (char c : segment.text) out += graphics::symbolFontUtf8(c);
    } else {
      out += segment.text;
    }
  }
  if (styled) out += "\x1b[0m";
  return out;
}

}  // namespace zirbin::gui
