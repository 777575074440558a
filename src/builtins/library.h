// The one place that fills the built-in registry: every family's registrar, in order.
#pragma once

#include "engine/registry.h"

namespace zirbin::builtins {

// Registers every built-in family into `registry`. Called once per process, by
// session::builtinRegistry() on first use.
void registerAll(BuiltinRegistry& registry);

}  // namespace zirbin::builtins
