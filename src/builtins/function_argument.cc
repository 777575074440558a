// Function arguments: built-ins named by a reference as callable functions, the shared
// parsing of a function argument with its extra arguments and range, and evaluation.
#include "builtins/function_argument.h"

#include <cmath>
#include <limits>

#include "base/errors.h"
#include "base/run_context.h"
#include "builtins/routine_support.h"
#include "engine/leaf_elements.h"
#include "engine/user_func_elements.h"
#include "engine/user_function.h"
#include "engine/workspace.h"

namespace zirbin::builtins {

namespace {

using values::IntValue;

// A built-in named by a function reference, called through its kind's routine.
class BuiltinFunction : public NumericFunction {
 public:
  explicit BuiltinFunction(const FunctionInfo& info) : info_(info) {}

  int parameterCount() const override { return twoArguments() ? 2 : 1; }
  int requiredParameters() const override {
    return info_.kind == BuiltinKind::FunctorTwoArg ? 2 : 1;
  }
  int resultType() const override { return info_.resultType; }
  void bind(int index, const Value& value) override {
    ZB_ASSERT(index == 0 && twoArguments(), "a built-in binds only its first argument");
    first_.assign(value);
    hasFirst_ = true;
  }
  void evaluate(const DoubleValue& x, Value& result) override;
  double evaluateAt(double x, bool& empty) override {
    if (info_.kind == BuiltinKind::ElementWise) {
      empty = false;
      return std::get<ElementDoubleRoutine>(info_.routine)(x);
    }
    return NumericFunction::evaluateAt(x, empty);
  }

 private:
  bool twoArguments() const {
    return info_.kind == BuiltinKind::TwoArg || info_.kind == BuiltinKind::FunctorTwoArg;
  }

  FunctionInfo info_;
  DoubleValue first_;
  DoubleValue argument_;
  bool hasFirst_ = false;
};

void BuiltinFunction::evaluate(const DoubleValue& x, Value& result) {
  switch (info_.kind) {
    case BuiltinKind::ElementWise: {
      const auto f = std::get<ElementDoubleRoutine>(info_.routine);
      result.setLayout(x.size, x.nrow, x.flags);
      double* out = static_cast<DoubleValue&>(result).data;
      for (int k = 0; k < x.size; ++k) out[k] = f(x.data[k]);
      return;
    }
    case BuiltinKind::ColumnWise:
    case BuiltinKind::ValueToScalar:
      result.assignDouble(std::get<ValueToDoubleRoutine>(info_.routine)(x));
      return;
    case BuiltinKind::ValueToValue:
      // The routine may work in place on its argument, so it gets a copy.
      argument_.assignSame(x);
      std::get<ValueToValueRoutine>(info_.routine)(argument_, result);
      return;
    case BuiltinKind::TwoArg:
    case BuiltinKind::FunctorTwoArg: {
      const auto f = std::get<TwoArgRoutine>(info_.routine);
      if (!hasFirst_) {
        argument_.assignSame(x);
        f(argument_, nullptr, result);
        return;
      }
      // TwoArg routines such as `push` change their first argument: it gets a copy.
      argument_.assignSame(first_);
      f(argument_, &x, result);
      return;
    }
    default:
      ZB_UNREACHABLE();
  }
}

// Kinds whose routine can be evaluated at a point.
bool callableKind(const FunctionInfo& info) {
  switch (info.kind) {
    case BuiltinKind::ElementWise:
    case BuiltinKind::ColumnWise:
    case BuiltinKind::ValueToScalar:
    case BuiltinKind::ValueToValue:
    case BuiltinKind::TwoArg:
    case BuiltinKind::FunctorTwoArg:
      return true;
    default:
      return false;
  }
}

// A quick user function evaluated at points: the bound leading parameter and the point
// are assigned to its parameters and its expression evaluated (element by element over
// an array point, as a vectorised call).
class UserFunction : public NumericFunction {
 public:
  explicit UserFunction(engine::UserFunc& function) : function_(function) {}
  int parameterCount() const override { return function_.parameterCount(); }
  int resultType() const override { return function_.outputType(); }
  void bind(int index, const Value& value) override { bound_[index].assign(value); }
  void evaluate(const DoubleValue& x, Value& result) override {
    const Value* arguments[engine::kMaxQuickParameters];
    const int n = parameterCount();
    for (int i = 0; i + 1 < n; ++i) arguments[i] = &bound_[i];
    arguments[n - 1] = &x;
    const Value* v = function_.callQuick(
        std::span<const Value* const>(arguments, static_cast<std::size_t>(n)), x.size != 1,
        result);
    if (v != &result) result.assign(*v);
  }
  void evaluateWhole(const DoubleValue& x, Value& result) override {
    const Value* arguments[engine::kMaxQuickParameters];
    const int n = parameterCount();
    for (int i = 0; i + 1 < n; ++i) arguments[i] = &bound_[i];
    arguments[n - 1] = &x;
    const bool vectorised = function_.declaration().vectorised && x.size != 1;
    const Value* v = function_.callQuick(
        std::span<const Value* const>(arguments, static_cast<std::size_t>(n)), vectorised, result);
    if (v != &result) result.assign(*v);
  }

 private:
  engine::UserFunc& function_;
  DoubleValue bound_[engine::kMaxQuickParameters];
};

// The built-in that a reference node names, or null when the node is not a reference to
// a callable built-in.
std::unique_ptr<NumericFunction> resolveReference(const engine::Evaluatable& node) {
  const auto* reference = dynamic_cast<const engine::FuncRefElement*>(&node);
  if (reference == nullptr || reference->child() == nullptr) return nullptr;
  if (const auto* inline_ = dynamic_cast<const engine::QuickUserFuncElement*>(reference->child())) {
    return std::make_unique<UserFunction>(*inline_->function());
  }
  IntValue scratch;
  const std::string name = reference->child()->pValue(scratch)->toString();
  if (session::runContext->workspace != nullptr) {
    auto* table =
        dynamic_cast<engine::FunctionTable*>(session::runContext->workspace->functionTable());
    engine::UserFunc* user = table ? table->get(name) : nullptr;
    if (user && user->quick() && user->parameterCount() > 0) {
      return std::make_unique<UserFunction>(*user);
    }
  }
  const BuiltinRegistry& registry = session::builtinRegistry();
  const std::optional<FunctionInfo> info = registry.find(name);
  if (!info || !callableKind(*info)) return nullptr;
  return std::make_unique<BuiltinFunction>(*info);
}

}  // namespace

double NumericFunction::evaluateAt(double x, bool& empty) {
  point_.assignDouble(x);
  evaluate(point_, result_);
  empty = result_.size == 0;
  return empty ? std::numeric_limits<double>::quiet_NaN() : result_.data[0];
}

FunctionArgument::FunctionArgument(const char* builtin, std::unique_ptr<NumericFunction> function)
    : builtin_(builtin), function_(std::move(function)) {
  if (function_->resultType() != values::DOUBLE_VAL) {
    session::checkFailed(builtin_, "non-real result type not yet implemented");
  }
}

void FunctionArgument::bindExtras(const BuiltinArgs& args, int first) {
  for (int i = first; i < args.count(); ++i) {
    if (bound_ >= function_->parameterCount() - 1) {
      session::checkFailed(builtin_, "too many arguments for the specified function");
    }
    const Value& v = args.value(i);
    if (v.size == 0) session::checkFailed(builtin_, "illegal use of empty argument []");
    if (v.valueType() > values::DOUBLE_VAL) session::checkFailed(builtin_, "invalid argument");
    function_->bind(bound_++, v);
  }
}

void FunctionArgument::requireSingleParameter() const {
  if (function_->requiredParameters() - bound_ > 1) {
    session::checkFailed(builtin_, "you can only use a single-parameter function here");
  }
}

double FunctionArgument::at(double x) {
  ++evaluations_;
  bool empty = false;
  const double y = function_->evaluateAt(x, empty);
  if (empty) throw session::RuntimeError("function returned empty vector []");
  return y;
}

void FunctionArgument::over(const DoubleValue& x, DoubleValue& result) {
  ++evaluations_;
  function_->evaluate(x, result);
  if (result.size == 0) throw session::RuntimeError("function returned empty vector []");
}

void FunctionArgument::overWhole(const DoubleValue& x, DoubleValue& result) {
  ++evaluations_;
  function_->evaluateWhole(x, result);
  if (result.size == 0) throw session::RuntimeError("function returned empty vector []");
}

std::unique_ptr<FunctionArgument> functionArgument(const BuiltinArgs& args, int index,
                                                   const char* notFunction) {
  if (index >= args.count() || !args.isFunction(index)) {
    if (index >= args.count()) session::checkFailed(args.name(), "invalid argument");
    session::checkFailed(args.name(), notFunction);
  }
  std::unique_ptr<NumericFunction> function = resolveReference(args.function(index));
  if (!function) session::checkFailed(args.name(), "invalid argument");
  return std::make_unique<FunctionArgument>(args.name(), std::move(function));
}

Range finiteRange(const BuiltinArgs& args, int index) {
  const Value& v = args.value(index);
  if (v.size == 0) session::checkFailed(args.name(), "illegal use of empty argument []");
  const std::vector<double> limits = numbersOf(args, index);
  ZB_ASSERT(limits.size() == 2, "a range has two limits");
  if (std::isinf(limits[0]) || std::isinf(limits[1])) {
    session::checkFailed(args.name(), "infinite limits not allowed here");
  }
  if (!(limits[1] > limits[0])) {
    session::checkFailed(args.name(), "range has upper limit at or below lower limit");
  }
  return {limits[0], limits[1]};
}

std::vector<double> numbersOf(const BuiltinArgs& args, int index) {
  const Value& v = args.value(index);
  if (v.valueType() > values::DOUBLE_VAL) session::checkFailed(args.name(), "invalid argument");
  return doublesOf(v);
}

}  // namespace zirbin::builtins
