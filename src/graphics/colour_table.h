// The colour letters shared by markup text, style strings and `wipe`: the process-wide
// ColourTable of 27 letters, their derived upper-case letters and the user letters.
#pragma once

#include <cstdint>
#include <map>

namespace zirbin::graphics {

// A colour as the window system stores it: 0x00BBGGRR.
using Rgb = std::uint32_t;

constexpr Rgb rgb(int r, int g, int b) {
  return static_cast<Rgb>((r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16));
}
constexpr int redOf(Rgb c) { return static_cast<int>(c & 0xff); }
constexpr int greenOf(Rgb c) { return static_cast<int>((c >> 8) & 0xff); }
constexpr int blueOf(Rgb c) { return static_cast<int>((c >> 16) & 0xff); }

inline constexpr Rgb kBlack = 0;
inline constexpr Rgb kWhite = 0xFFFFFF;

// An ordered map from a letter to a colour. Construction fills the 27 standard letters and
// then, for each lower-case letter a..z present whose upper-case form is not, adds the
// upper-case letter with every channel multiplied by 3/2 (integer arithmetic, capped at 255).
class ColourTable {
 public:
  ColourTable();

  // Returns true iff `letter` is in the table, storing its colour in *colour.
  bool find(char letter, Rgb* colour) const;
  // The colour of `letter`, black when it is not in the table.
  Rgb colourOf(char letter) const;
  // Adds or replaces a letter (`useColour` stores "u" and "U", `set` the RGB letters).
  void set(char letter, Rgb colour);

 private:
  std::map<char, Rgb> colours_;
};

// The running session's table (graphics_state.h). Written by `useColour` and `set`.
ColourTable& colourTable();

}  // namespace zirbin::graphics
