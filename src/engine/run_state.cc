// The "at line" trace, the last displayed value and the console line helper.
#include "engine/run_state.h"

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "values/value.h"

namespace zirbin::engine {

void consoleLine(const std::string& text) {
  if (session::runContext->console)
    session::runContext->console->print(text, true, session::kPrintText);
}

void reportLine(int n) {
  int& last = session::runContext->lastLineReported;
  if (n >= 1 && n != last) consoleLine("at line " + std::to_string(n));
  last = n;
}

void resetReportedLine() { session::runContext->lastLineReported = -1; }

LastResult::LastResult() {
  for (int t = 0; t < 4; ++t) slots_[t] = values::newValue(t);
}

LastResult::~LastResult() = default;

void LastResult::store(const Value& value) {
  const int t = value.valueType();
  if (t < 0 || t > 3) throw session::RuntimeError("something wrong: answer of unknown type");
  // Copied into the slot object itself, never a new one: a display statement may be
  // evaluating into this slot while a built-in (today, oclock) stores its answer here.
  if (&value != slots_[t].get()) slots_[t]->assign(value);
  current_ = t;
}

Value& LastResult::slot(int typeCode) {
  ZB_ASSERT(typeCode >= 0 && typeCode <= 3, "lastResult slot of a value type");
  return *slots_[typeCode];
}

const Value& LastResult::current() const { return *slots_[current_]; }

LastResult& lastResult() {
  static LastResult result;
  return result;
}

}  // namespace zirbin::engine
