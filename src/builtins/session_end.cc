// The built-ins that end the session: quit and exit. The front end ends the session after
// the running command, as at the end of its input (the state files are written).
#include <cmath>
#include <span>

#include "base/errors.h"
#include "base/run_context.h"
#include "builtins/families.h"
#include "builtins/routine_support.h"
#include "values/value.h"

namespace zirbin::builtins {

namespace {

using session::RuntimeError;

// Exit statuses a process can report.
constexpr double kLargestStatus = 255;

// quit / exit / exit(status): asks the front end to end the session, and stops the running
// command as a `return` does, through every function call. A status (0 to 255) becomes the
// program's exit status; without one the status says whether a command failed.
void endSession(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  int status = -1;
  if (args.count() == 1) {
    const Value& value = args.value(0);
    if (value.size != 1 || value.valueType() == values::LIST_VAL) {
      throw RuntimeError("exit: the status must be one number");
    }
    const double x = value.getDouble();
    if (!(x >= 0 && x <= kLargestStatus) || x != std::floor(x)) {
      throw RuntimeError("exit: the status must be a whole number from 0 to 255");
    }
    status = static_cast<int>(x);
  }
  session::runContext->endRequested = true;
  session::runContext->endStatus = status;
  session::runContext->stopReason = session::StopReason::kReturn;
  session::runContext->keepRunning = false;
  session::runContext->answerPrinted = true;
  shapeInts(result, 1, 1)[0] = 0;
}

constexpr BuiltinEntry kEntries[] = {
    {"exit", BuiltinKind::General, kIntResult, endSession, 0, 1},
    {"quit", BuiltinKind::General, kIntResult, endSession, 0, 1},
};

}  // namespace

void registerSessionEnd(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
