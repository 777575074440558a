// Expression statements and blocks.
#include "engine/statement.h"

#include <algorithm>

#include "session/errors.h"
#include "session/process_state.h"
#include "values/display.h"
#include "values/value.h"

namespace zirbin::engine {

using session::RuntimeError;

namespace {

// A value of the class an expression of type `type` evaluates into. Lists and values of
// run-time type are left to the statements that handle them.
std::unique_ptr<Value> workspaceFor(int type) {
  if (type > kUnknownType) throw RuntimeError("Zirbin bug!! EvalStm with unrecognized value type");
  if (type == kUnknownType) throw RuntimeError("EvalStm: expression involving a list item");
  return values::newValue(type);
}

}  // namespace

void EvalStm::exe() {
  std::unique_ptr<Value> workspace = workspaceFor(expression_->resultType());
  expression_->pValue(*workspace);
}

void EvalAndDisplayStm::exe() {
  if (expression_->resultType() >= kUnknownType) {
    throw RuntimeError("EvalAndDisplayStm::exe not yet handling this case");
  }
  std::unique_ptr<Value> workspace = values::newValue(expression_->resultType());
  const Value* result = expression_->pValue(*workspace);
  values::displayTo(output_, *result, false, true, marker_ == '?');
}

bool WithBlock::uses(const Value* value) const {
  return std::any_of(statements_.begin(), statements_.end(),
                     [value](const StatementPtr& s) { return s->uses(value); });
}

void BlockStm::exe() {
  for (const StatementPtr& statement : statements_) {
    if (!session::keepRunning) return;
    statement->exe();
  }
}

}  // namespace zirbin::engine
