// Assignments without an index: plain, checked, complex and list assignments, the
// op-assignments, the grow-assignments and `return`.
#include "engine/assign_statements.h"

#include <cstring>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/indexing_elements.h"
#include "engine/run_state.h"
#include "engine/scalar_fast_elements.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::engine {

using session::RuntimeError;
using values::DoubleValue;
using values::IntValue;
using values::ListItem;
using values::ListValue;

namespace {

// Copies a double or int result into a double target, converting an int. The target takes
// the result's elements, row count and flags; a one-element result reuses its storage.
void copyIntoDouble(DoubleValue& target, const Value& result) {
  if (result.valueType() == values::DOUBLE_VAL) {
    const auto& source = static_cast<const DoubleValue&>(result);
    if (source.size == 1 && target.size == 1) {
      target.data[0] = source.data[0];
      target.nrow = 1;
      target.flags = source.flags;
    } else if (&source != &target) {
      target.assignSame(source);
    }
    return;
  }
  target.assign(result);  // widening int -> double; anything else is refused with '='
}

// The right side of a list-item element: the item's value.
const Value* listItemValue(Evaluatable* expression) {
  return static_cast<ListItemElement*>(expression)->item();
}

bool isListItem(const Evaluatable* expression) {
  return expression->nodeKind() == kListItemNode;
}

// t may go into o: the same type, or a wider numeric one.
bool acceptsType(int t, int o) { return t == o || (t < o && o <= 2); }

[[noreturn]] void failAt(int line, const char* context, const char* message) {
  reportLine(line);
  session::checkFailed(context, message);
}

// The compound operations on a double target with a double operand of `size` elements
// and `rows` rows: a one-element operand applies to every element; a one-element target
// first takes the operand's shape, filled with its own value; otherwise the shapes must
// agree (else the operator-code error `op`).
template <class Op>
void compoundDouble(DoubleValue& target, const double* operand, int size, int rows, char op,
                    Op apply) {
  if (size == 1) {
    const double x = operand[0];
    for (int i = 0; i < target.size; ++i) target.data[i] = apply(target.data[i], x);
    return;
  }
  if (target.size == 1) {
    const double first = target.data[0];
    target.resizeFill(size, rows, first);
  } else if (target.size != size || target.nrow != rows) {
    throw session::OperatorCode(op);
  }
  for (int i = 0; i < size; ++i) target.data[i] = apply(target.data[i], operand[i]);
}

template <class Op>
void compoundFromValue(DoubleValue& target, const Value& operand, char op, Op apply) {
  if (operand.valueType() == values::DOUBLE_VAL) {
    const auto& d = static_cast<const DoubleValue&>(operand);
    if (d.size == 1 && target.size == 1) {
      target.data[0] = apply(target.data[0], d.data[0]);
      return;
    }
    compoundDouble(target, d.data, d.size, d.nrow, op, apply);
    return;
  }
  // An int operand is read as doubles.
  if (operand.size == 1 && target.size == 1) {
    target.data[0] = apply(target.data[0], static_cast<const IntValue&>(operand).data[0]);
    return;
  }
  DoubleValue converted;
  converted.assign(operand);
  compoundDouble(target, converted.data, converted.size, converted.nrow, op, apply);
}

struct Plus {
  double operator()(double a, double b) const { return a + b; }
};
struct Minus {
  double operator()(double a, double b) const { return a - b; }
};
struct Times {
  double operator()(double a, double b) const { return a * b; }
};
struct Divide {
  double operator()(double a, double b) const { return a / b; }
};

}  // namespace

AssignStm::AssignStm(EvaluatablePtr rhs, int line, Value* target)
    : Statement(std::move(rhs), line),
      target_(target),
      scratch_(expression_ ? expression_->resultType() : values::DOUBLE_VAL),
      doubleRhs_(expression_ && expression_->resultType() == values::DOUBLE_VAL) {}

AssignStm::~AssignStm() = default;

bool AssignStm::uses(const Value* value) const {
  return (target_ && value == target_) || Statement::uses(value);
}

void AssignStm::exe() {
  ScratchSlot::Lease lease(scratch_);
  const Value* result = expression_->pValue(lease.value());
  auto& target = *static_cast<DoubleValue*>(target_);
  // A double right side yields a DoubleValue: the common single number is copied without
  // asking the result its type.
  if (doubleRhs_) {
    const auto& source = static_cast<const DoubleValue&>(*result);
    if (source.size == 1 && target.size == 1) {
      target.data[0] = source.data[0];
      target.nrow = 1;
      target.flags = source.flags;
      return;
    }
  }
  // An array computed in the statement's own scratch value moves into the target, and the
  // target's old storage becomes the scratch for the next run: no copy, no allocation.
  if (result == &lease.value() && result->valueType() == values::DOUBLE_VAL && result->size > 1) {
    auto& scratch = static_cast<DoubleValue&>(lease.value());
    DoubleValue old(std::move(target));
    target = std::move(scratch);
    scratch = std::move(old);
    return;
  }
  copyIntoDouble(target, *result);
}

// The right side is evaluated into the statement's scratch value and then copied, never
// straight into the target, so that a right side that fails half-way leaves the target
// as it was and one that reads the target sees its old value.
FastAssignStm::FastAssignStm(EvaluatablePtr rhs, int line, Value* target)
    : AssignStm(std::move(rhs), line, target),
      scalarRhs_(dynamic_cast<const ScalarArithmeticElement*>(expression_.get())) {}

void FastAssignStm::exe() {
  // Scalar arithmetic cannot fail half-way: its number goes straight into a scalar target.
  auto& target = *static_cast<DoubleValue*>(target_);
  double x;
  if (scalarRhs_ && target.size == 1 && scalarRhs_->scalar(x)) {
    target.data[0] = x;
    target.nrow = 1;
    target.flags = 0;
    return;
  }
  AssignStm::exe();
}

OpAssignIntStm::OpAssignIntStm(EvaluatablePtr rhs, int line, Value* target, char op)
    : AssignStm(std::move(rhs), line, target), op_(op) {}

void OpAssignIntStm::exe() {
  ScratchSlot::Lease lease(scratch_);
  const Value* result = expression_->pValue(lease.value());
  auto& target = *static_cast<DoubleValue*>(target_);
  if (result->size == 1 && target.size == 1) {
    // The common counter step (n += 1): the right side is an IntValue by its type.
    const double x = static_cast<const IntValue*>(result)->data[0];
    switch (op_) {
      case '+':
        target.data[0] += x;
        return;
      case '-':
        target.data[0] -= x;
        return;
      case '*':
        target.data[0] *= x;
        return;
      case '/':
        target.data[0] /= x;
        return;
      default:
        break;
    }
  }
  switch (op_) {
    case '+':
      compoundFromValue(target, *result, '+', Plus{});
      break;
    case '-':
      compoundFromValue(target, *result, '-', Minus{});
      break;
    case '*':
      compoundFromValue(target, *result, '*', Times{});
      break;
    case '/':
      compoundFromValue(target, *result, '/', Divide{});
      break;
    default:
      ZB_UNREACHABLE();
  }
}

void AssignPlusDStm::exe() {
  ScratchSlot::Lease lease(scratch_);
  compoundFromValue(*static_cast<DoubleValue*>(target_), *expression_->pValue(lease.value()),
                    '+', Plus{});
}

void AssignMinusDStm::exe() {
  ScratchSlot::Lease lease(scratch_);
  compoundFromValue(*static_cast<DoubleValue*>(target_), *expression_->pValue(lease.value()),
                    '-', Minus{});
}

void AssignTimesDStm::exe() {
  ScratchSlot::Lease lease(scratch_);
  compoundFromValue(*static_cast<DoubleValue*>(target_), *expression_->pValue(lease.value()),
                    '*', Times{});
}

void AssignDivideDStm::exe() {
  ScratchSlot::Lease lease(scratch_);
  compoundFromValue(*static_cast<DoubleValue*>(target_), *expression_->pValue(lease.value()),
                    '/', Divide{});
}

GrowAssignDStm::GrowAssignDStm(EvaluatablePtr rhs, int line, Value* target, char op)
    : AssignStm(std::move(rhs), line, target), op_(op) {}

namespace {

// Appends `right`'s columns to a double target: an empty right changes nothing; an empty
// target becomes a copy of right (keeping its flags); otherwise the row counts must agree
// (else ','). Growth keeps spare capacity, so appending one element is amortised O(1).
void appendColumns(DoubleValue& target, const DoubleValue& right) {
  if (right.size == 0) return;
  if (target.size == 0) {
    const int flags = target.flags;
    target.assignSame(right);
    target.flags = flags;
    return;
  }
  if (target.nrow != right.nrow) throw session::OperatorCode(',');
  const int rows = target.nrow;
  const int old = target.size;
  target.resizeKeep(values::checkedCount(int64_t{old} + right.size, sizeof(double)));
  target.nrow = rows;
  std::memcpy(target.data + old, right.data, sizeof(double) * right.size);
}

// Appends `right`'s rows: the column counts must agree (else ';').
void appendRows(DoubleValue& target, const DoubleValue& right) {
  if (right.size == 0) return;
  if (target.size == 0) {
    const int flags = target.flags;
    target.assignSame(right);
    target.flags = flags;
    return;
  }
  const int columns = target.ncol();
  if (columns != right.ncol()) throw session::OperatorCode(';');
  const int rows = target.nrow + right.nrow;
  const int total = values::checkedCount(int64_t{rows} * columns, sizeof(double));
  if (columns == 1) {
    const int old = target.size;
    target.resizeKeep(total);
    std::memcpy(target.data + old, right.data, sizeof(double) * right.size);
    target.nrow = rows;
    return;
  }
  DoubleValue joined;
  joined.setLayout(total, rows, target.flags);
  for (int c = 0; c < columns; ++c) {
    std::memcpy(joined.data + c * rows, target.data + c * target.nrow,
                sizeof(double) * target.nrow);
    std::memcpy(joined.data + c * rows + target.nrow, right.data + c * right.nrow,
                sizeof(double) * right.nrow);
  }
  target = std::move(joined);
}

}  // namespace

void GrowAssignDStm::exe() {
  if (!acceptsType(expression_->resultType(), values::DOUBLE_VAL)) {
    failAt(line_, "assignment", "rhs type is incompatible with lhs");
  }
  ScratchSlot::Lease lease(scratch_);
  const Value* result = expression_->pValue(lease.value());
  DoubleValue converted;
  const DoubleValue* right;
  if (result->valueType() == values::DOUBLE_VAL) {
    right = static_cast<const DoubleValue*>(result);
  } else {
    converted.assign(*result);
    right = &converted;
  }
  auto& target = *static_cast<DoubleValue*>(target_);
  // Appending a value to itself reads a copy.
  DoubleValue self;
  if (right == &target) {
    self.assignSame(target);
    right = &self;
  }
  if (op_ == 'C') {
    appendColumns(target, *right);
  } else {
    appendRows(target, *right);
  }
}

void ReturnStm::exe() {
  if (target_ && expression_) {
    if (!acceptsType(expression_->resultType(), target_->valueType())) {
      throw RuntimeError("incompatable data type in return statement");
    }
    ScratchSlot::Lease lease(scratch_);
    const Value* result = expression_->pValue(lease.value());
    if (result != target_) target_->assign(*result);
  }
  session::runContext->keepRunning = false;
  session::runContext->stopReason = session::StopReason::kReturn;
}

bool WithAnyValueStm::uses(const Value* value) const {
  return value == target_ || Statement::uses(value);
}

void ComplexAssignStm::exe() {
  const int t = expression_->resultType();
  if (t == values::LIST_VAL) throw RuntimeError("invalid type assigning to complex");
  if (t == values::RUNTIME_TYPE_VAL) {
    if (!isListItem(expression_.get())) {
      throw RuntimeError("rhs of unknown type could not be handled");
    }
    const Value* item = listItemValue(expression_.get());
    if (item->valueType() > values::COMPLEX_VAL) {
      failAt(line_, "assignment", "list item's type is incompatible with lhs");
    }
    auto copy = values::newValueCopy(*item);  // the item may belong to the target itself
    target_->assign(*copy);
    return;
  }
  std::unique_ptr<Value> scratch = values::newValue(t);
  const Value* result = expression_->pValue(*scratch);
  target_->assign(*result);
}

void CheckedAssignStm::exe() {
  const int o = target_->valueType();
  const Value* item = nullptr;
  int t = expression_->resultType();
  if (!acceptsType(t, o)) {
    if (!isListItem(expression_.get())) {
      failAt(line_, "", "incompatible types in assignment or return");
    }
    item = listItemValue(expression_.get());
    t = item->valueType();
    if (!acceptsType(t, o)) failAt(line_, "assignment", "list item's type is incompatible with lhs");
  }
  std::unique_ptr<Value> scratch;
  const Value* result = item;
  if (!result) {
    scratch = values::newValue(t);
    result = expression_->pValue(*scratch);
  }
  if (t == values::INTEGER_VAL) {
    target_->assign(*result);
  } else if (t == values::DOUBLE_VAL && o == values::DOUBLE_VAL) {
    if (result != target_) target_->assignSame(*result);
  } else {
    throw RuntimeError("this type of checked assignment not yet implemented");
  }
}

bool WithListValueStm::uses(const Value* value) const {
  return value == target_ || Statement::uses(value);
}

void ListAssignStm::exe() {
  auto& target = *static_cast<ListValue*>(target_);
  const int t = expression_->resultType();
  std::unique_ptr<Value> fresh;
  if (t == values::RUNTIME_TYPE_VAL) {
    if (!isListItem(expression_.get())) {
      throw RuntimeError("ListAssignStm::exe not yet handling this case");
    }
    fresh = values::newValueCopy(*listItemValue(expression_.get()));
  } else {
    fresh = values::newValue(t);
    const Value* result = expression_->pValue(*fresh);
    if (result != fresh.get()) fresh = values::newValueCopy(*result);
  }
  if (fresh->valueType() == values::LIST_VAL) {
    target = std::move(static_cast<ListValue&>(*fresh));
    return;
  }
  ListValue single;
  single.resize(1);
  single.nrow = 1;
  single.flags = values::JMAT_LIST;
  single.data[0].value = std::move(fresh);
  target = std::move(single);
}

namespace {

// Builds the join of two lists (by columns when `columns`, else by rows) with copies of
// their items; the shapes must agree as for numeric joins.
void joinLists(ListValue& target, const ListValue& right, bool columns) {
  if (right.size == 0) return;
  if (target.size == 0) {
    target.assignPromoting(right);
    target.flags = values::JMAT_LIST;
    return;
  }
  ListValue joined;
  if (columns) {
    if (target.nrow != right.nrow) throw session::OperatorCode(',');
    joined.setLayout(target.size + right.size, target.nrow, values::JMAT_LIST);
    for (int i = 0; i < target.size; ++i) joined.data[i] = std::move(target.data[i]);
    for (int i = 0; i < right.size; ++i) joined.data[target.size + i] = right.data[i];
  } else {
    const int cols = target.ncol();
    if (cols != right.ncol()) throw session::OperatorCode(';');
    const int rows = target.nrow + right.nrow;
    joined.setLayout(rows * cols, rows, values::JMAT_LIST);
    for (int c = 0; c < cols; ++c) {
      for (int r = 0; r < target.nrow; ++r) {
        joined.data[c * rows + r] = std::move(target.data[c * target.nrow + r]);
      }
      for (int r = 0; r < right.nrow; ++r) {
        joined.data[c * rows + target.nrow + r] = right.data[c * right.nrow + r];
      }
    }
  }
  target = std::move(joined);
}

}  // namespace

void GrowListStm::exe() {
  auto& target = *static_cast<ListValue*>(target_);
  const int t = expression_->resultType();
  std::unique_ptr<Value> item;
  if (t == values::RUNTIME_TYPE_VAL) {
    if (!isListItem(expression_.get())) {
      session::checkFailed("list", "cannot append a value of unknown type");
    }
    item = values::newValueCopy(*listItemValue(expression_.get()));
  } else {
    item = values::newValue(t);
    const Value* result = expression_->pValue(*item);
    if (result != item.get()) item = values::newValueCopy(*result);
    if (t == values::LIST_VAL) {
      joinLists(target, static_cast<ListValue&>(*item), op_ == 'C');
      return;
    }
  }
  if (!target.isVector()) session::checkFailed("list", "an array cannot grow by only one item");
  // A row (or a single item grown by ',=') grows along the row, a column downwards.
  const bool row = target.size <= 1 ? op_ == 'C' : target.nrow == 1;
  const int n = target.size + 1;
  target.resizeKeep(n);
  target.nrow = row ? 1 : n;
  target.flags = values::JMAT_LIST;
  target.data[n - 1].value = std::move(item);
}

}  // namespace zirbin::engine
