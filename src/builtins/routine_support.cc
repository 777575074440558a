// Helpers shared by the built-in family files.
#include "builtins/routine_support.h"

#include "base/console_output.h"
#include "base/run_context.h"
#include "engine/run_state.h"

namespace zirbin::builtins {

std::vector<double> doublesOf(const Value& v) {
  return withNumbers(v,
                     [](const auto* data, int n) { return std::vector<double>(data, data + n); });
}

DoubleValue& asDouble(Value& v) {
  ZB_ASSERT(v.valueType() == values::DOUBLE_VAL, "routine given a result of the wrong class");
  return static_cast<DoubleValue&>(v);
}

IntValue& asInt(Value& v) {
  ZB_ASSERT(v.valueType() == values::INTEGER_VAL, "routine given a result of the wrong class");
  return static_cast<IntValue&>(v);
}

double* shapeDoubles(Value& result, int64_t rows, int64_t cols, int flags) {
  DoubleValue& d = asDouble(result);
  int n = values::checkedCount(rows * cols, sizeof(double));
  d.setLayout(n, static_cast<int>(rows), flags);
  return d.data;
}

int* shapeInts(Value& result, int64_t rows, int64_t cols, int flags) {
  IntValue& d = asInt(result);
  int n = values::checkedCount(rows * cols, sizeof(int));
  d.setLayout(n, static_cast<int>(rows), flags);
  return d.data;
}

void copyUnlessSame(const Value& source, Value& dest) {
  if (&source != &dest) dest.assign(source);
}

Value* storeAsLastResult(const Value& value) {
  engine::LastResult& last = engine::lastResult();
  last.store(value);
  return &last.slot(value.valueType());
}

void consoleLine(const std::string& markup) {
  if (session::runContext->console != nullptr) {
    session::runContext->console->print(markup + "\n", true, session::kPrintLines);
  }
}

void checkOutputs(const BuiltinArgs& args, std::span<Value* const> extraOutputs, int maxOutputs) {
  if (static_cast<int>(extraOutputs.size()) + 1 > maxOutputs)
    args.fail("too many output arguments");
}

}  // namespace zirbin::builtins
