// The session settings that the `set` built-in changes and other families read: the Airy
// mode of the special functions, the figures' text-redraw switch, the colours given to
// colour letters, and the "cd" setting.
#pragma once

#include <array>
#include <optional>

namespace zirbin::builtins {

// A colour as red, green and blue, each 0 to 255.
struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
};

struct SessionSettings {
  // The mode of the Airy function; its integer part is passed to GSL (0, double
  // precision, at start).
  double airyMode = 1e-09;
  // On: a new text label redraws its whole frame; off: only the label is drawn.
  bool textRedraw = true;
  // Colours set for colour letters by set("RGB x", [r g b]), by character code; the
  // figure model's colour table takes a letter's colour from here when one is set.
  std::array<std::optional<Rgb>, 128> letterColours{};
  // Stored by set("cd", n); nothing reads it.
  int cdSetting = 0;
};

// The process-wide settings, shared by every interpreter instance. Written by `set`;
// read by the special functions (airyMode) and the figure model (textRedraw, colours).
SessionSettings& sessionSettings();

}  // namespace zirbin::builtins
