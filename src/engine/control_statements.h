// Control statements: the conditional and loop statements over a body (WithStm and its
// kin), and break/continue.
#pragma once

#include "engine/scratch_slot.h"
#include "engine/statement.h"

namespace zirbin::engine {

class ScalarComparisonElement;

// A statement with a body; the expression is the condition or the loop's range.
class WithStm : public Statement {
 public:
  WithStm(EvaluatablePtr expression, int line, StatementPtr body);
  bool uses(const Value* value) const override;
  Statement* body() const { return body_.get(); }

 protected:
  // Evaluates the condition and returns whether it holds; it must have exactly one element,
  // else RuntimeError `message`.
  bool condition(const char* message);

  StatementPtr body_;
  ScratchSlot scratch_;  // for the expression's value
  // The condition when it is a scalar comparison, which can answer without a value.
  const ScalarComparisonElement* scalarCondition_ = nullptr;
};

// if condition: body. The condition must have exactly one element.
class IfStm : public WithStm {
 public:
  using WithStm::WithStm;
  void exe() override;
};

// if condition: body else elseBody.
class IfElseStm : public WithStm {
 public:
  IfElseStm(EvaluatablePtr condition, int line, StatementPtr body, StatementPtr elseBody)
      : WithStm(std::move(condition), line, std::move(body)), else_(std::move(elseBody)) {}
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  StatementPtr else_;
};

// unless condition: body (the body runs when the condition is zero).
class UnlessStm : public WithStm {
 public:
  using WithStm::WithStm;
  void exe() override;
};

// while condition: body.
class WhileStm : public WithStm {
 public:
  using WithStm::WithStm;
  void exe() override;
};

// for variable = range: body. The range is evaluated once; a sequence range (a:b, a:s:b)
// is walked without building it. `variable` is an int or double value (not owned).
class ForStm : public WithStm {
 public:
  ForStm(EvaluatablePtr range, int line, StatementPtr body, Value* variable)
      : WithStm(std::move(range), line, std::move(body)), variable_(variable) {}
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  void runSequence();
  Value* variable_;
};

// for variable in collection, and for counter, variable in collection. The collection is
// the variable's own value, read afresh before each iteration. `counter` may be null.
class ForInStm : public WithStm {
 public:
  ForInStm(int line, StatementPtr body, Value* counter, Value* variable, Value* collection)
      : WithStm(nullptr, line, std::move(body)),
        counter_(counter),
        variable_(variable),
        collection_(collection) {}
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  Value* counter_;
  Value* variable_;
  Value* collection_;
};

// break and continue do not throw: they clear keepRunning and say why (stopReason), the
// blocks stop at their next test of keepRunning, and the innermost loop takes the signal.
class BreakStm : public Statement {
 public:
  explicit BreakStm(int line) : Statement(nullptr, line) {}
  void exe() override;
  bool uses(const Value*) const override { return false; }
};

class ContinueStm : public Statement {
 public:
  explicit ContinueStm(int line) : Statement(nullptr, line) {}
  void exe() override;
  bool uses(const Value*) const override { return false; }
};

}  // namespace zirbin::engine
