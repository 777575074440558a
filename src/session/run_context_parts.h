// The making and dropping of a run context's per-layer parts: only the session layer sees
// the types of all of them.
#pragma once

#include "base/run_context.h"

namespace zirbin::session {

// Gives `context` fresh parts of every layer (a new session's figures, settings, random
// generator, timer, ...), replacing any it had.
void makeRunContextParts(RunContext& context);

// Destroys the parts of `context`. REQUIRES: `context` is the running one (runContext), so
// that what a part does as it goes (a figure closing its window) reaches its own session.
void dropRunContextParts(RunContext& context);

}  // namespace zirbin::session
