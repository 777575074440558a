// Fills the built-in registry from the family tables, and owns the process-wide registry.
#include "builtins/library.h"

#include "session/process_state.h"

namespace zirbin::builtins {

void registerAll(BuiltinRegistry& registry) {
  (void)registry;
}

}  // namespace zirbin::builtins

namespace zirbin::session {

builtins::BuiltinRegistry& builtinRegistry() {
  static builtins::BuiltinRegistry registry;
  static const bool filled = (builtins::registerAll(registry), true);
  (void)filled;
  return registry;
}

}  // namespace zirbin::session
