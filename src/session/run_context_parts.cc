// The run context's parts of the upper layers: made and destroyed here, where their types
// are complete.
#include "session/run_context_parts.h"

#include "builtins/builtins_state.h"
#include "graphics/graphics_state.h"

namespace zirbin::session {

void makeRunContextParts(RunContext& context) {
  context.graphics.reset(new graphics::GraphicsState);
  context.builtins.reset(new builtins::BuiltinsState);
}

void dropRunContextParts(RunContext& context) {
  context.graphics.reset();
  context.builtins.reset();
}

}  // namespace zirbin::session
