// Conditionals, loops, break and continue.
#include "engine/control_statements.h"

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/indexing_elements.h"
#include "engine/scalar_fast_elements.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::engine {

using session::RuntimeError;
using session::StopReason;
using values::DoubleValue;
using values::IntValue;

namespace {

// Called when a loop body has cleared keepRunning. Returns true iff the loop goes on (a
// `continue`); a `break` ends the loop with keepRunning set again; a `return` ends it and
// leaves keepRunning clear for the enclosing blocks.
inline bool loopGoesOn() {
  if (session::runContext->stopReason == StopReason::kReturn) return false;
  const bool goOn = session::runContext->stopReason == StopReason::kContinue;
  session::runContext->keepRunning = true;
  session::runContext->stopReason = StopReason::kReturn;
  return goOn;
}

// Sets a scalar loop variable without reallocating when it already holds one element.
inline void setLoopDouble(Value* variable, bool isDouble, double x) {
  if (isDouble && variable->size == 1) {
    auto* d = static_cast<DoubleValue*>(variable);
    d->data[0] = x;
    d->nrow = 1;
    d->flags = 0;
  } else {
    variable->assignDouble(x);
  }
}

inline void setLoopInt(Value* variable, bool isDouble, int x) {
  if (isDouble) {
    setLoopDouble(variable, true, x);
  } else if (variable->size == 1 && variable->valueType() == values::INTEGER_VAL) {
    auto* i = static_cast<IntValue*>(variable);
    i->data[0] = x;
    i->nrow = 1;
    i->flags = 0;
  } else {
    variable->assignInt(x);
  }
}

}  // namespace

WithStm::WithStm(EvaluatablePtr expression, int line, StatementPtr body)
    : Statement(std::move(expression), line),
      body_(std::move(body)),
      scratch_(expression_ ? expression_->resultType() : values::DOUBLE_VAL),
      scalarCondition_(dynamic_cast<const ScalarComparisonElement*>(expression_.get())) {}

bool WithStm::uses(const Value* value) const {
  return (body_ && body_->uses(value)) || Statement::uses(value);
}

bool WithStm::condition(const char* message) {
  bool holds;
  if (scalarCondition_ && scalarCondition_->scalarTruth(holds)) return holds;
  ScratchSlot::Lease lease(scratch_);
  const Value* v = expression_->pValue(lease.value());
  if (v->size != 1) throw RuntimeError(message);
  switch (scratch_.typeCode()) {
    case values::INTEGER_VAL:
      if (v->valueType() == values::INTEGER_VAL) {
        return static_cast<const IntValue*>(v)->data[0] != 0;
      }
      break;
    case values::DOUBLE_VAL:
      if (v->valueType() == values::DOUBLE_VAL) {
        return static_cast<const DoubleValue*>(v)->data[0] != 0.0;  // NaN counts as true
      }
      break;
    default:
      break;
  }
  return v->anyNonZero();
}

void IfStm::exe() {
  if (condition("non-scalar condition in if clause")) body_->exe();
}

bool IfElseStm::uses(const Value* value) const {
  return WithStm::uses(value) || (else_ && else_->uses(value));
}

void IfElseStm::exe() {
  if (condition("non-scalar condition in if clause")) {
    body_->exe();
  } else {
    else_->exe();
  }
}

void UnlessStm::exe() {
  if (!condition("non-scalar condition in while clause")) body_->exe();
}

void WhileStm::exe() {
  session::RunContext& run = *session::runContext;
  if (!run.keepRunning) return;
  // keepRunning holds at the top of each round: a body that cleared it either ended the
  // loop or (a `continue`) had it set again.
  for (;;) {
    if (!condition("non-scalar condition in while clause")) return;
    session::pollInterrupt(run);
    body_->exe();
    if (!run.keepRunning && !loopGoesOn()) return;
  }
}

bool ForStm::uses(const Value* value) const {
  return value == variable_ || WithStm::uses(value);
}

void ForStm::exe() {
  if (expression_->nodeKind() == kSequenceNode) {
    runSequence();
    return;
  }
  const bool isDouble = variable_->valueType() == values::DOUBLE_VAL;
  ScratchSlot::Lease lease(scratch_);
  Value& range = lease.value();
  const Value* result = expression_->pValue(range);
  // The range is taken once: a copy protects it from a body that changes its source.
  if (result != &range) range.assign(*result);
  const int n = range.size;
  session::RunContext& run = *session::runContext;
  if (!run.keepRunning) return;
  if (range.valueType() == values::INTEGER_VAL) {
    const int* elements = static_cast<IntValue&>(range).data;
    for (int i = 0; i < n; ++i) {
      setLoopInt(variable_, isDouble, elements[i]);
      session::pollInterrupt(run);
      body_->exe();
      if (!run.keepRunning && !loopGoesOn()) return;
    }
  } else if (range.valueType() == values::DOUBLE_VAL) {
    const double* elements = static_cast<DoubleValue&>(range).data;
    for (int i = 0; i < n; ++i) {
      setLoopDouble(variable_, isDouble, elements[i]);
      session::pollInterrupt(run);
      body_->exe();
      if (!run.keepRunning && !loopGoesOn()) return;
    }
  } else {
    throw session::OperatorCode('=');  // a complex or list range cannot feed the variable
  }
}

// A range a:b or a:s:b is walked without building it; the elements are exactly those the
// sequence would hold (integers from truncated start and step; doubles by repeated
// addition of the step).
void ForStm::runSequence() {
  auto* sequence = static_cast<SequenceElement*>(expression_.get());
  double start = 0, step = 1, stop = 0;
  const int n = sequence->bounds(start, step, stop);
  const bool isDouble = variable_->valueType() == values::DOUBLE_VAL;
  session::RunContext& run = *session::runContext;
  if (!run.keepRunning) return;
  if (sequence->resultType() == values::INTEGER_VAL) {
    int x = values::truncateToInt(start);
    const int intStep = values::truncateToInt(step);
    for (int i = 0; i < n; ++i, x += intStep) {
      setLoopInt(variable_, isDouble, x);
      session::pollInterrupt(run);
      body_->exe();
      if (!run.keepRunning && !loopGoesOn()) return;
    }
    return;
  }
  double x = start;
  for (int i = 0; i < n; ++i, x += step) {
    setLoopDouble(variable_, isDouble, x);
    session::pollInterrupt(run);
    body_->exe();
    if (!run.keepRunning && !loopGoesOn()) return;
  }
}

bool ForInStm::uses(const Value* value) const {
  return value == variable_ || value == counter_ || value == collection_ ||
         WithStm::uses(value);
}

void ForInStm::exe() {
  const bool isDouble = variable_->valueType() == values::DOUBLE_VAL;
  const int type = collection_->valueType();
  if (type == values::COMPLEX_VAL) return;  // a complex collection runs no iterations
  // The collection is read afresh each time: a body that grows it runs more often.
  for (int i = 0; i < collection_->size && session::runContext->keepRunning; ++i) {
    if (type == values::INTEGER_VAL) {
      setLoopInt(variable_, isDouble, static_cast<IntValue*>(collection_)->data[i]);
    } else if (type == values::DOUBLE_VAL) {
      setLoopDouble(variable_, isDouble, static_cast<DoubleValue*>(collection_)->data[i]);
    } else {
      const values::ListItem& item = static_cast<values::ListValue*>(collection_)->data[i];
      const Value& itemValue = item.isEmpty() ? values::emptyPlaceholder() : *item.value;
      // An item may widen into the loop variable as in an assignment: strings are integer
      // items, and a new loop variable is a double.
      const int itemType = itemValue.valueType();
      const int loopType = variable_->valueType();
      const bool widens = itemType < loopType && loopType <= values::COMPLEX_VAL;
      session::check(itemType == loopType || widens, "for loop",
                     "incompatible types assigning from list");
      variable_->assignSame(itemValue);
    }
    if (counter_) counter_->assignDouble(i + 1);
    session::pollInterrupt();
    body_->exe();
    if (!session::runContext->keepRunning && !loopGoesOn()) return;
  }
}

void BreakStm::exe() {
  session::runContext->keepRunning = false;
  session::runContext->stopReason = StopReason::kBreak;
}

void ContinueStm::exe() {
  session::runContext->keepRunning = false;
  session::runContext->stopReason = StopReason::kContinue;
}

}  // namespace zirbin::engine
