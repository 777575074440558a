// The session settings that the `set` built-in keeps for other families: the Airy mode of
// the special functions and the "cd" setting. (Its text-redraw switch is
// in the session's graphics state, its colours go to the figures' colour table.)
#pragma once

namespace zirbin::builtins {

struct SessionSettings {
  // The mode of the Airy function; its integer part is passed to GSL (0, double
  // precision, at start).
  double airyMode = 1e-09;
  // Stored by set("cd", n); nothing reads it.
  int cdSetting = 0;
};

// The running session's settings (builtins_state.h). Written by `set`; read by the
// special functions (airyMode).
SessionSettings& sessionSettings();

}  // namespace zirbin::builtins
