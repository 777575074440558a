// Assignment statements without an index: plain, fast, checked, complex and list
// assignments, the op-assignments and grow-assignments, and `return`.
#pragma once

#include "engine/scratch_slot.h"
#include "engine/statement.h"

namespace zirbin::engine {

class ScalarArithmeticElement;

// x = rhs on a double target: the right side is evaluated, an int result converted, and
// the target takes its elements, row count and flags. The target is not owned.
class AssignStm : public Statement {
 public:
  AssignStm(EvaluatablePtr rhs, int line, Value* target);
  ~AssignStm() override;
  void exe() override;
  bool uses(const Value* value) const override;
  Value* target() const { return target_; }

 protected:
  Value* target_;
  ScratchSlot scratch_;
  bool doubleRhs_;  // the right side yields doubles
};

// x = rhs where the right side is a double expression that can be evaluated straight
// into the target's storage.
class FastAssignStm : public AssignStm {
 public:
  FastAssignStm(EvaluatablePtr rhs, int line, Value* target);
  void exe() override;

 private:
  // The right side when it is scalar arithmetic, which can hand over a plain number.
  const ScalarArithmeticElement* scalarRhs_;
};

// x op= rhs on a double target with an int right side; `op` is the operator character
// ('+', '-', '*', '/').
class OpAssignIntStm : public AssignStm {
 public:
  OpAssignIntStm(EvaluatablePtr rhs, int line, Value* target, char op);
  void exe() override;

 private:
  char op_;
};

// x += rhs, x -= rhs, x *= rhs, x /= rhs on a double target with a double right side.
class AssignPlusDStm : public AssignStm {
 public:
  using AssignStm::AssignStm;
  void exe() override;
};
class AssignMinusDStm : public AssignStm {
 public:
  using AssignStm::AssignStm;
  void exe() override;
};
class AssignTimesDStm : public AssignStm {
 public:
  using AssignStm::AssignStm;
  void exe() override;
};
class AssignDivideDStm : public AssignStm {
 public:
  using AssignStm::AssignStm;
  void exe() override;
};

// x ,= rhs (op 'C': new columns) and x ;= rhs (any other op: new rows) on a double target.
class GrowAssignDStm : public AssignStm {
 public:
  GrowAssignDStm(EvaluatablePtr rhs, int line, Value* target, char op);
  void exe() override;

 private:
  char op_;
};

// return [value] inside a function body: copies the value into the function's output
// (target may be null: no value) and clears keepRunning.
class ReturnStm : public AssignStm {
 public:
  using AssignStm::AssignStm;
  void exe() override;
};

// Base of the assignments whose target may be of any type.
class WithAnyValueStm : public Statement {
 public:
  WithAnyValueStm(EvaluatablePtr rhs, int line, Value* target)
      : Statement(std::move(rhs), line), target_(target) {}
  bool uses(const Value* value) const override;
  Value* target() const { return target_; }

 protected:
  Value* target_;
};

// x = rhs on a complex target.
class ComplexAssignStm : public WithAnyValueStm {
 public:
  using WithAnyValueStm::WithAnyValueStm;
  void exe() override;
};

// x = rhs where the type of the right side is known only at run time.
class CheckedAssignStm : public WithAnyValueStm {
 public:
  using WithAnyValueStm::WithAnyValueStm;
  void exe() override;
};

// Base of the assignments to a list target.
class WithListValueStm : public Statement {
 public:
  WithListValueStm(EvaluatablePtr rhs, int line, Value* target)
      : Statement(std::move(rhs), line), target_(target) {}
  bool uses(const Value* value) const override;
  Value* target() const { return target_; }

 protected:
  Value* target_;
};

// L = rhs on a list target: a list is copied; any other value becomes the only item.
class ListAssignStm : public WithListValueStm {
 public:
  using WithListValueStm::WithListValueStm;
  void exe() override;
};

// L ,= rhs and L ;= rhs on a list target.
class GrowListStm : public WithListValueStm {
 public:
  GrowListStm(EvaluatablePtr rhs, int line, Value* target, char op)
      : WithListValueStm(std::move(rhs), line, target), op_(op) {}
  void exe() override;

 private:
  char op_;
};

}  // namespace zirbin::engine
