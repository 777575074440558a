// The session settings that the `set` built-in keeps for other families: the Airy mode of
// the special functions and the "cd" setting. (Its text-redraw switch is
// session::textRedraw, its colours go to the figures' colour table.)
#pragma once

namespace zirbin::builtins {

struct SessionSettings {
  // The mode of the Airy function; its integer part is passed to GSL (0, double
  // precision, at start).
  double airyMode = 1e-09;
  // Stored by set("cd", n); nothing reads it.
  int cdSetting = 0;
};

// The process-wide settings, shared by every interpreter instance. Written by `set`;
// read by the special functions (airyMode).
SessionSettings& sessionSettings();

}  // namespace zirbin::builtins
