// The built-ins that act on the running interpreter session: `cd` and `dir` over its path
// list (the current directory follows into the process's working directory), and `debug`,
// the call-trace switch of user-function calls.
#include "session/session_commands.h"

#include <unistd.h>

#include <optional>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/registry.h"
#include "files/directory_commands.h"
#include "session/interpreter_session.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::session {

namespace {

using builtins::BuiltinArgs;
using builtins::BuiltinKind;
using values::Value;

InterpreterSession& running() {
  InterpreterSession* session = InterpreterSession::running();
  if (!session) throw RuntimeError("no interpreter session is running");
  return *session;
}

std::optional<std::string> optionalText(const BuiltinArgs& args) {
  if (args.count() == 0) return std::nullopt;
  return args.text(0);
}

// cd [name]: see files::cdCommand. The process's working directory follows, so that
// system commands and the current directory agree.
void cd(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  InterpreterSession& session = running();
  const std::string text = files::cdCommand(session.pathList(), optionalText(args), session.prompts());
  const std::string& current = session.pathList().currentDirectory();
  if (!current.empty() && ::chdir(current.c_str()) != 0) {
    // The path list accepted the directory; a failing chdir leaves the process where it
    // was and is not the user's error.
  }
  result.assignString(text);
}

// dir [pattern]: the names as a list of strings.
void dir(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  const std::vector<std::string> names =
      files::dirCommand(running().pathList(), optionalText(args));
  auto& out = static_cast<values::ListValue&>(result);
  out.clear();
  out.resize(static_cast<int>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto item = std::make_unique<values::IntValue>();
    item->assignString(names[i]);
    out.data[i].value = std::move(item);
  }
  out.nrow = names.empty() ? 0 : 1;
  out.flags = names.empty() ? 0 : values::JMAT_LIST;
}

// debug [n]: switches the call trace on (n != 0, default 1) and returns the old setting.
void debug(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  bool on = true;
  if (args.count() > 0) {
    const Value& v = args.value(0);
    if (v.size != 1 || v.valueType() > values::DOUBLE_VAL) throw OperatorCode(']');
    on = v.getDouble() != 0;
  }
  const bool previous = runContext->callTrace;
  runContext->callTrace = on;
  result.assignInt(previous ? 1 : 0);
}

constexpr builtins::BuiltinEntry kEntries[] = {
    {"cd", BuiltinKind::General, builtins::kIntResult, cd, 0, 1},
    {"dir", BuiltinKind::General, builtins::kListResult, dir, 0, 1},
    {"debug", BuiltinKind::General, builtins::kIntResult, debug, 0, builtins::kNoUpperBound},
};

}  // namespace

void registerSessionCommands(builtins::BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::session
