// Call nodes of user functions and the multiple assignment.
#include "engine/user_func_elements.h"

#include <algorithm>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/indexing_elements.h"
#include "engine/run_state.h"
#include "engine/user_function.h"
#include "values/value.h"

namespace zirbin::engine {

namespace {

// The class of value an argument is evaluated into.
int scratchType(const Evaluatable& argument) {
  const int t = argument.resultType();
  return t >= kIntType && t <= kListType ? t : kDoubleType;
}

// Marks a node busy for the time of one argument evaluation.
class BusyFlag {
 public:
  explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyFlag() { flag_ = false; }
  BusyFlag(const BusyFlag&) = delete;
  BusyFlag& operator=(const BusyFlag&) = delete;

 private:
  bool& flag_;
};

// One level of the call trace while `debug` is on: shows "-" per level, "> " and the name.
class TraceLevel {
 public:
  explicit TraceLevel(const std::string& name) : on_(session::runContext->callTrace) {
    if (!on_) return;
    ++session::runContext->traceDepth;
    consoleLine(std::string(static_cast<std::size_t>(session::runContext->traceDepth), '-') + "> " +
                name);
  }
  ~TraceLevel() {
    if (on_) --session::runContext->traceDepth;
  }
  TraceLevel(const TraceLevel&) = delete;
  TraceLevel& operator=(const TraceLevel&) = delete;

 private:
  bool on_;
};

// The call trace is off while a quick function is evaluated.
class QuietTrace {
 public:
  QuietTrace() : saved_(session::runContext->callTrace) { session::runContext->callTrace = false; }
  ~QuietTrace() { session::runContext->callTrace = saved_; }
  QuietTrace(const QuietTrace&) = delete;
  QuietTrace& operator=(const QuietTrace&) = delete;

 private:
  bool saved_;
};

// Argument counts the inline arrays of a call hold; the parameter list allows 32.
constexpr std::size_t kMaxArguments = 32;

}  // namespace

UserFuncElement::UserFuncElement(UserFunc* function, std::vector<EvaluatablePtr> arguments)
    : MultiInputOutput_Element(std::move(arguments)), function_(function) {
  for (const EvaluatablePtr& a : arguments_) scratch_.push_back(values::newValue(scratchType(*a)));
}

UserFuncElement::~UserFuncElement() = default;

int UserFuncElement::resultType() const { return function_->outputType(); }

const Value* UserFuncElement::pValue(Value& workspace) {
  evaluateInto(workspace, {});
  return &workspace;
}

void UserFuncElement::evaluateInto(Value& result, std::span<Value* const> extraOutputs) {
  const std::size_t n = arguments_.size();
  const Value* values[kMaxArguments];
  Value* references[kMaxArguments];
  std::vector<std::unique_ptr<Value>> own;
  const unsigned mask = function_->declaration().referenceMask;
  {
    // A call of this same node reached while its arguments are evaluated uses values of
    // its own, so that the outer call's arguments stay intact.
    const bool nested = busy_;
    BusyFlag busy(busy_);
    for (std::size_t i = 0; i < n; ++i) {
      Value* slot = scratch_[i].get();
      if (nested) {
        own.push_back(values::newValue(scratchType(*arguments_[i])));
        slot = own.back().get();
      }
      values[i] = arguments_[i]->pValue(*slot);
      references[i] = nullptr;
      if (((mask >> i) & 1U) && arguments_[i]->nodeKind() == kValueNode) {
        references[i] = const_cast<Value*>(values[i]);
      }
    }
  }
  const std::size_t params = static_cast<std::size_t>(function_->parameterCount());
  for (std::size_t i = n; i < params; ++i) references[i] = nullptr;
  TraceLevel trace(function_->name());
  function_->call(std::span<const Value* const>(values, n),
                  std::span<Value* const>(references, std::min(params, kMaxArguments)),
                  extraOutputs, result);
}

QuickUserFuncElement::QuickUserFuncElement(UserFunc* function,
                                           std::vector<EvaluatablePtr> arguments, bool vectorised)
    : MultiInputOutput_Element(std::move(arguments)), function_(function), vectorised_(vectorised) {
  for (const EvaluatablePtr& a : arguments_) scratch_.push_back(values::newValue(scratchType(*a)));
}

QuickUserFuncElement::QuickUserFuncElement(std::unique_ptr<UserFunc> inlineFunction)
    : MultiInputOutput_Element({}), owned_(std::move(inlineFunction)), function_(owned_.get()),
      vectorised_(false) {}

QuickUserFuncElement::~QuickUserFuncElement() = default;

bool QuickUserFuncElement::refersTo(const Value* value) const {
  // An inline function's expression is part of the statement that holds it.
  return MultiInputOutput_Element::refersTo(value) || (owned_ && owned_->refersTo(value));
}

const Value* QuickUserFuncElement::pValue(Value& workspace) {
  const Value* values[kMaxQuickParameters];
  const std::size_t n = std::min(arguments_.size(), static_cast<std::size_t>(kMaxQuickParameters));
  for (std::size_t i = 0; i < n; ++i) {
    // A list item is handed over as it is: the call checks that its type suits the
    // parameter, and widens an item of integers (a string) as any integer argument.
    if (arguments_[i]->nodeKind() == kListItemNode) {
      values[i] = static_cast<ListItemElement&>(*arguments_[i]).item();
    } else {
      values[i] = arguments_[i]->pValue(*scratch_[i]);
    }
  }
  QuietTrace quiet;
  return function_->callQuick(std::span<const Value* const>(values, n), vectorised_, workspace);
}

MultiAssignStm::MultiAssignStm(EvaluatablePtr call, int line, std::vector<Value*> targets)
    : Statement(std::move(call), line), targets_(std::move(targets)) {}

void MultiAssignStm::exe() {
  // Every output is computed into a value of its own first, so that a target that is
  // also an argument is read before it is written.
  // The first output is the call's own result and so has the class the routine writes
  // (a list, a string, a double matrix ...); the further outputs are double matrices. The
  // targets are double variables: a result that does not widen to double is refused on
  // assignment instead of being read as doubles.
  std::vector<std::unique_ptr<Value>> outputs;
  std::vector<Value*> extras;
  const int first = expression_->resultType();
  outputs.push_back(values::newValue(first == kUnknownType ? values::DOUBLE_VAL : first));
  for (std::size_t k = 1; k < targets_.size(); ++k) {
    outputs.push_back(values::newValue(values::DOUBLE_VAL));
    extras.push_back(outputs.back().get());
  }
  if (auto* user = dynamic_cast<UserFuncElement*>(expression_.get())) {
    user->evaluateInto(*outputs[0], extras);
  } else {
    static_cast<GeneralFuncElement*>(expression_.get())->evaluateInto(*outputs[0], extras);
  }
  for (std::size_t k = 0; k < targets_.size(); ++k) targets_[k]->assign(*outputs[k]);
}

bool MultiAssignStm::uses(const Value* value) const {
  return std::find(targets_.begin(), targets_.end(), value) != targets_.end() ||
         Statement::uses(value);
}

}  // namespace zirbin::engine
