// The style record every plot item carries, the style-string grammar that fills it, and
// the compass placement strings of text labels.
#pragma once

#include <string_view>

#include "graphics/colour_table.h"

namespace zirbin::graphics {

// Line styles, numbered as the window system's pen styles.
inline constexpr int kLineSolid = 0;
inline constexpr int kLineDashed = 1;
inline constexpr int kLineDotted = 2;
inline constexpr int kLineDashDot = 3;

// The marker characters of curves and points, and the default marker size in pixels.
inline constexpr std::string_view kMarkerCharacters = "+x.ost~|!_";
inline constexpr int kDefaultMarkerSize = 4;

struct PlotStyle {
  Rgb colour = kBlack;
  int lineStyle = kLineSolid;
  int width = 5;         // line width in pixels; the font size for text labels
  bool xorMode = false;  // draw with the not-xor raster operation (drag feedback)
  bool line = true;      // whether the connecting line is drawn
  Rgb fill = kBlack;

  bool operator==(const PlotStyle&) const = default;
};

// Applies a style string to `style`, each rule independently:
// - "^" anywhere sets xorMode;
// - "#" followed by a colour letter sets the fill colour;
// - the first character that is neither "#" nor "^", when a colour letter, sets the colour;
// - the first of "-=:;" sets the line style (solid, dashed, dotted, dash-dot) and the line
//   flag; a non-solid style forces width 1. Without one, the line flag is set iff the
//   string holds neither "#" nor a marker character;
// - the last run of digits, unless it follows a marker character, becomes the width.
// Colour letters come from the process-wide ColourTable.
void applyStyleString(std::string_view s, PlotStyle& style);

// The marker of a style string: the first of "+x.ost~|!_" (0 when none) and its size, the
// number right after it or kDefaultMarkerSize.
struct MarkerSpec {
  char marker = 0;
  int size = kDefaultMarkerSize;
};
MarkerSpec markerOfStyle(std::string_view s);

// True iff the style string asks for a filled shape ("#").
bool styleIsFilled(std::string_view s);

// Text placement: anchor code = 5 + [e] - [w] - 4[n] + 4[s] over the lower-cased string,
// so row = code / 4 (north, middle, south) and column = code % 4 (west, centre, east);
// a "|" turns the text by 90 degrees.
struct TextPlacement {
  int anchor = 5;
  int rotation = 0;
};
TextPlacement parsePlacement(std::string_view s);

}  // namespace zirbin::graphics
