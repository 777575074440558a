// Stacks and queues: vectors or matrices that hold one item per row. push appends a row,
// top reads the last, pop removes the last and qpop the first.
#include <algorithm>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

// Row r (0-based) of `v` as a 1-row double value with v's kind.
void rowOf(const Value& v, int r, DoubleValue& row) {
  std::vector<double> a = doublesOf(v);
  int rows = v.nrow;
  int cols = v.ncol();
  int kind = v.kind();
  double* out = shapeDoubles(row, 1, cols, kind);
  for (int c = 0; c < cols; ++c) out[c] = a[static_cast<size_t>(c) * rows + r];
}

// Removes row r (0-based) of `v`: a single row leaves it empty, a column loses one
// element, a matrix one row.
void removeRow(Value& v, int r) {
  if (v.nrow == 1) {
    v.clear();
    return;
  }
  int position = r + 1;
  v.eraseItems(v.nrow == v.size ? values::kElementMode : values::kRowMode, &position, 1);
}

// push(s, v): appends the elements of v to s as a new row, stores the result in s (a
// variable passed as s changes) and returns it. An empty s becomes v as one row; a row of
// another length than s's rows fails like a vertical join.
void push(Value& stack, const Value* item, Value& result) {
  if (item == nullptr) session::checkFailed("push", "requires two arguments");
  std::vector<double> row = doublesOf(*item);
  int cols = static_cast<int>(row.size());
  if (stack.size > 0 && stack.ncol() != cols) throw session::OperatorCode(';');
  bool doubleStack = stack.valueType() == values::DOUBLE_VAL;
  if (doubleStack && stack.size > 0 && cols == 1) {
    // A column grows in place, in amortised constant time.
    DoubleValue& column = asDouble(stack);
    column.resizeKeep(column.size + 1);
    column.data[column.size - 1] = row[0];
    copyUnlessSame(stack, result);
    return;
  }
  std::vector<double> old = doublesOf(stack);
  int rows = stack.size > 0 ? stack.nrow : 0;  // an empty string still has one row
  int flags = stack.size > 0 ? stack.flags : item->kind();
  DoubleValue grown;
  double* out = shapeDoubles(grown, rows + 1, cols, flags);
  for (int c = 0; c < cols; ++c) {
    double* column = out + static_cast<size_t>(c) * (rows + 1);
    std::copy_n(old.begin() + static_cast<size_t>(c) * rows, rows, column);
    column[rows] = row[c];
  }
  if (doubleStack) stack.assignSame(grown);
  result.assign(grown);
}

// top(s): the last row; an empty s gives an empty result.
void top(Value& stack, Value& result) {
  if (stack.size == 0) {
    result.clear();
    result.flags = 0;
    return;
  }
  DoubleValue row;
  rowOf(stack, stack.nrow - 1, row);
  result.assign(row);
}

void popRow(Value& stack, Value& result, bool last) {
  if (stack.size == 0) throw session::RuntimeError("popped an empty value");
  DoubleValue row;
  int r = last ? stack.nrow - 1 : 0;
  rowOf(stack, r, row);
  removeRow(stack, r);
  result.assign(row);
}

// pop(s) and qpop(s): remove and return the last and the first row of s (a variable
// passed as s changes).
void pop(Value& stack, Value& result) { popRow(stack, result, true); }
void qpop(Value& stack, Value& result) { popRow(stack, result, false); }

constexpr BuiltinKind kValue = BuiltinKind::ValueToValue;

constexpr BuiltinEntry kEntries[] = {
    {"push", BuiltinKind::TwoArg, kDoubleResult, push},
    {"top", kValue, kDoubleResult, top},
    {"pop", kValue, kDoubleResult, pop},
    {"qpop", kValue, kDoubleResult, qpop},
};

}  // namespace

void registerStacks(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
