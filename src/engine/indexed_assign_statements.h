// Assignments into indexed places: x[k] = rhs (with growth by one), x[a:s:b] = rhs,
// x[i, j] = rhs, x[i, j, k] = rhs, indexed assignment into lists, and erasure (x[k] = []
// and x = []).
#pragma once

#include "engine/assign_statements.h"
#include "engine/scratch_slot.h"

namespace zirbin::engine {

// Dimension codes of an indexed assignment: 0 linear, 1 rows, 2 columns, 3 pages; a
// negative code lets the statement choose from the target's shape at run time.
inline constexpr int kChooseDimension = -1;

// x[k] = rhs and x[k] op= rhs on a double target. An index one past the extent grows the
// target by one element, zero row, zero column or (3-D target) zero page first.
class SingleIndexedAssignStm : public AssignStm {
 public:
  SingleIndexedAssignStm(EvaluatablePtr rhs, int line, Value* target, EvaluatablePtr index,
                         int dimension, char op);
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  EvaluatablePtr index_;
  int dimension_;
  char op_;
  ScratchSlot indexScratch_;  // the index's value
};

// x[a:s:b] = rhs on a double target (no growth). `step` may be null.
class SingleIndexed_SeqAssignStm : public AssignStm {
 public:
  SingleIndexed_SeqAssignStm(EvaluatablePtr rhs, int line, Value* target, EvaluatablePtr start,
                             EvaluatablePtr step, EvaluatablePtr stop, int dimension);
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  EvaluatablePtr start_, step_, stop_;
  int dimension_;
};

// x[i, j] = rhs and x[i, j] op= rhs on a double target. A null index (a bare ':') selects
// every row or column.
class IndexedAssignStm : public AssignStm {
 public:
  IndexedAssignStm(EvaluatablePtr rhs, int line, Value* target, EvaluatablePtr rows,
                   EvaluatablePtr columns, char op);
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  EvaluatablePtr rows_, columns_;
  char op_;
};

// x[i, j, k] = rhs and x[i, j, k] op= rhs on a double target: rows, columns and pages (a
// matrix is a target of one page). A page index one past the last page adds a zero page
// first, which is how a matrix becomes a 3-D array. A null index (a bare ':') selects every
// row, column or page.
class Indexed3DAssignStm : public AssignStm {
 public:
  Indexed3DAssignStm(EvaluatablePtr rhs, int line, Value* target, EvaluatablePtr rows,
                     EvaluatablePtr columns, EvaluatablePtr pages, char op);
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  EvaluatablePtr rows_, columns_, pages_;
  char op_;
};

// x[i] = v and x[i, j] = v on a list target. `columns` may be null (one index).
class IndexedAnyAssignStm : public WithAnyValueStm {
 public:
  IndexedAnyAssignStm(EvaluatablePtr rhs, int line, Value* target, EvaluatablePtr rows,
                      EvaluatablePtr columns);
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  EvaluatablePtr rows_, columns_;
};

// x[k] = [] (erases positions along `dimension`) and x = [] (`index` null: empties x).
class ErasureStm : public Statement {
 public:
  ErasureStm(EvaluatablePtr index, int line, int dimension, Value* target)
      : Statement(std::move(index), line), dimension_(dimension), target_(target) {}
  void exe() override;
  bool uses(const Value* value) const override;

 private:
  int dimension_;
  Value* target_;
};

}  // namespace zirbin::engine
