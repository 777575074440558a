// Terminal colours for the console's colour letters.
#include "platform/term/terminal_colours.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graphics/colour_table.h"

namespace zirbin::platform {

namespace {

// Below this spread between the strongest and the weakest channel a colour is a grey.
constexpr int kGreySpread = 48;

// Hue sectors (degrees, upper bound exclusive) and their palette codes. Blue is the bright
// entry: the plain one is too dark to read on the dark backgrounds of most themes.
struct HueSector {
  double upTo;
  int code;
};
constexpr HueSector kHueSectors[] = {
    {20, 31},  // red
    {70, 33},  // orange and yellow
    {160, 32}, // green
    {200, 36}, // cyan
    {260, 94}, // blue
    {330, 35}, // violet and magenta
    {360, 31}, // red again
};

constexpr int kDefaultForeground = 39;

}  // namespace

bool coloursWanted(bool noColour) {
  if (noColour || isatty(STDOUT_FILENO) == 0) return false;
  const char* noColor = std::getenv("NO_COLOR");
  if (noColor != nullptr && noColor[0] != '\0') return false;
  const char* term = std::getenv("TERM");
  return term == nullptr || std::strcmp(term, "dumb") != 0;
}

int paletteCode(int red, int green, int blue) {
  const int high = std::max({red, green, blue});
  const int low = std::min({red, green, blue});
  if (high - low < kGreySpread) return kDefaultForeground;
  const double spread = high - low;
  double hue;
  if (high == red) {
    hue = 60 * ((green - blue) / spread);
  } else if (high == green) {
    hue = 60 * ((blue - red) / spread + 2);
  } else {
    hue = 60 * ((red - green) / spread + 4);
  }
  if (hue < 0) hue += 360;
  for (const HueSector& sector : kHueSectors) {
    if (hue < sector.upTo) return sector.code;
  }
  return kDefaultForeground;
}

gui::ColourLookup terminalColours() {
  return [](char letter) -> std::optional<gui::AnsiColour> {
    graphics::Rgb colour;
    if (!graphics::colourTable().find(letter, &colour)) return std::nullopt;
    gui::AnsiColour ansi{graphics::redOf(colour), graphics::greenOf(colour),
                         graphics::blueOf(colour)};
    ansi.sgr = paletteCode(ansi.red, ansi.green, ansi.blue);
    return ansi;
  };
}

}  // namespace zirbin::platform
