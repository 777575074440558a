// Console lines as text for a plain stream: the markup rendered the way the console shows
// it, without colours and fonts (batch output), or with ANSI colours (the terminal).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zirbin::gui {

// The text of a console markup line without its markup: group texts kept, literal groups
// verbatim, '\' escapes resolved.
std::string plainText(std::string_view line);

// Red, green and blue of a colour letter, or nullopt for a letter without a colour.
struct AnsiColour {
  int red = 0;
  int green = 0;
  int blue = 0;
  // When above 0, a basic colour code (39 the terminal's default foreground, 30-37 and
  // 90-97 its palette) written instead of the 24-bit colour, so that the terminal's own
  // theme keeps the text legible on its background.
  int sgr = 0;
};
using ColourLookup = std::function<std::optional<AnsiColour>(char letter)>;

// The line for an ANSI terminal: coloured groups in 24-bit colour (from `colours`, which
// may be empty), bold and underlined groups as such, Symbol-font letters as their Greek
// letters; the attributes are reset at the end of the line.
std::string ansiText(std::string_view line, const ColourLookup& colours);

}  // namespace zirbin::gui
