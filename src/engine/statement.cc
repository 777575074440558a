// Expression statements and blocks.
#include "engine/statement.h"

#include <algorithm>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/assign_statements.h"
#include "engine/display_statements.h"
#include "engine/indexing_elements.h"
#include "engine/leaf_elements.h"
#include "engine/run_state.h"
#include "values/display.h"
#include "values/value.h"

namespace zirbin::engine {

using session::RuntimeError;

EvalStm::EvalStm(EvaluatablePtr expression, int line) : Statement(std::move(expression), line) {}

EvalStm::~EvalStm() = default;

const Value* EvalStm::evaluate() {
  if (!workspace_) workspace_ = values::newValue(expression_->resultType());
  return expression_->pValue(*workspace_);
}

// The statement's workspace is made on the first run and reused, so that a loop body
// evaluates without allocating.
void EvalStm::exe() {
  const int type = expression_->resultType();
  if (type == kUnknownType) {
    if (expression_->nodeKind() != kListItemNode) {
      throw RuntimeError("EvalStm: expression involving a list item");
    }
    static_cast<ListItemElement*>(expression_.get())->item();
    return;
  }
  if (type > kUnknownType) throw RuntimeError("Zirbin bug!! EvalStm with unrecognized value type");
  evaluate();
}

void EvalAndDisplayStm::exe() {
  const int type = expression_->resultType();
  const Value* result;
  session::runContext->answerPrinted = false;
  if (type == kUnknownType) {
    if (expression_->nodeKind() != kListItemNode) {
      throw RuntimeError("EvalAndDisplayStm::exe not yet handling this case");
    }
    result = static_cast<ListItemElement*>(expression_.get())->item();
    lastResult().store(*result);
  } else {
    if (type > kUnknownType) throw RuntimeError("EvalAndDisplayStm::exe not yet handling this case");
    // Evaluated apart from the slot and stored afterwards: `ans` inside the expression
    // reads the previous result from that slot (2*ans must not see a half-built product).
    lastResult().store(*evaluate());
    result = &lastResult().current();
  }
  if (session::runContext->answerPrinted) {
    session::runContext->answerPrinted = false;
    return;
  }
  values::displayTo(output_, *result, false, true, marker_ == '?');
}

bool WithBlock::uses(const Value* value) const {
  return std::any_of(statements_.begin(), statements_.end(),
                     [value](const StatementPtr& s) { return s->uses(value); });
}

void BlockStm::exe() {
  const StatementPtr* running = nullptr;
  session::RunContext& run = *session::runContext;
  try {
    for (const StatementPtr& statement : statements_) {
      if (!run.keepRunning) return;
      session::pollInterrupt(run);
      running = &statement;
      statement->exe();
      // Looked at after each statement: "Step" at a breakpoint steps through the rest of
      // the block the breakpoint is in. A breakpoint has stopped for itself already.
      if (run.stepping && !dynamic_cast<const BreakPointStm*>(statement.get())) {
        const auto* assignment = dynamic_cast<const AssignStm*>(statement.get());
        debugStop(statement->line(), assignment ? assignment->target() : nullptr, nullptr);
      }
    }
  } catch (...) {
    // Each block an error leaves reports the line it was running, once per distinct line.
    if (running) reportLine((*running)->line());
    throw;
  }
}

void BlockStm::insertReturn(Value* output) {
  if (output->valueType() != values::DOUBLE_VAL) {
    throw session::SyntaxError("insertReturn: output Value type not implemented");
  }
  Statement* last = statements_.empty() ? nullptr : statements_.back().get();
  if (auto* evaluation = dynamic_cast<EvalStm*>(last)) {
    const int line = evaluation->line();
    EvaluatablePtr expression = evaluation->releaseExpression();
    statements_.back() = std::make_unique<ReturnStm>(std::move(expression), line, output);
    return;
  }
  if (auto* assignment = dynamic_cast<AssignStm*>(last)) {
    statements_.push_back(std::make_unique<ReturnStm>(
        std::make_unique<ValueElement>(assignment->target()), assignment->line(), output));
    return;
  }
  const int line = last ? last->line() : line_;
  statements_.push_back(std::make_unique<ReturnStm>(
      std::make_unique<ValueElement>(&values::emptyPlaceholder()), line, output));
}

}  // namespace zirbin::engine
