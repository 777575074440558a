// The built-in library's state of one interpreter session: the settings of `set`, the LU
// slot, the random generator, the time of the last `tic`, `disp`'s open line and the
// nesting of `eval`. Kept in the session's run context.
#pragma once

#include <chrono>

#include "builtins/lu_decomposition.h"
#include "builtins/random_generator.h"
#include "builtins/session_settings.h"

namespace zirbin::builtins {

struct BuiltinsState {
  SessionSettings settings;
  LuForm lu;
  RandomGenerator random;
  // The last tic; until the first, the making of the state (the session's start).
  std::chrono::steady_clock::time_point lastTic = std::chrono::steady_clock::now();
  // Set while the console line was left open by a disp whose last argument was the empty
  // string: the next disp continues that line.
  bool dispLeftLineOpen = false;
};

// The built-in state of the running session (made on first use when the running context
// has none yet).
BuiltinsState& builtinsState();

}  // namespace zirbin::builtins
