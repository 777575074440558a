// The running session's built-in state, reached through its run context.
#include "builtins/builtins_state.h"

#include "base/run_context.h"

namespace zirbin::builtins {

BuiltinsState& builtinsState() {
  auto& state = session::runContext->builtins;
  if (!state) [[unlikely]]
    state.reset(new BuiltinsState);
  return *state;
}

SessionSettings& sessionSettings() { return builtinsState().settings; }

LuForm& luSlot() { return builtinsState().lu; }

RandomGenerator& sessionRandom() { return builtinsState().random; }

}  // namespace zirbin::builtins

void zirbin::session::RunContext::PartDeleter::operator()(builtins::BuiltinsState* part) const {
  delete part;
}
