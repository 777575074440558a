// The running session's graphics state, reached through its run context.
#include "graphics/graphics_state.h"

#include "base/run_context.h"

namespace zirbin::graphics {

GraphicsState& graphicsState() {
  auto& state = session::runContext->graphics;
  if (!state) [[unlikely]]
    state.reset(new GraphicsState);
  return *state;
}

FigureRegistry& figures() { return graphicsState().figures; }

ColourTable& colourTable() { return graphicsState().colours; }

MouseState& mouseState() { return graphicsState().mouse; }

}  // namespace zirbin::graphics

void zirbin::session::RunContext::PartDeleter::operator()(graphics::GraphicsState* part) const {
  delete part;
}
