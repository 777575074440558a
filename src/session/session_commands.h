// Registration of the built-ins that act on the running session (cd, dir, debug).
#pragma once

namespace zirbin::builtins {
class BuiltinRegistry;
}  // namespace zirbin::builtins

namespace zirbin::session {

// Adds `cd`, `dir` and `debug` to the registry. They act on InterpreterSession::running().
void registerSessionCommands(builtins::BuiltinRegistry& registry);

}  // namespace zirbin::session
