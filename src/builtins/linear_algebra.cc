// Linear systems through the LU slot: setLU, solve, inv and det.
#include <vector>

#include "builtins/lu_decomposition.h"
#include "builtins/function_argument.h"
#include "builtins/numeric_families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

// Factorises the matrix `a` into the LU slot.
void factoriseIntoSlot(const Value& a, const char* context) {
  if (a.valueType() > values::DOUBLE_VAL) session::checkFailed(context, "invalid data type");
  if (a.nrow * a.nrow != a.size) session::checkFailed(context, "matrix must be square");
  // A double matrix is read where it lies; the factorisation makes its own copy.
  if (a.valueType() == values::DOUBLE_VAL) {
    luFactorise(static_cast<const DoubleValue&>(a).data, a.nrow, luSlot());
    return;
  }
  const std::vector<double> m = doublesOf(a);
  luFactorise(m.data(), a.nrow, luSlot());
}

// setLU(A): stores the LU form of A in the slot; gives the order of A.
int setLU(const Value& a) {
  factoriseIntoSlot(a, "setLU");
  return a.nrow;
}

// x := the solution of (slot) x = b, shaped like b: a vector of n elements, or a matrix
// of n rows (one system per column).
void solveWithSlot(const Value& b, Value& result) {
  const LuForm& form = luSlot();
  const bool vector = b.isVector() && b.size == form.n;
  if (form.n == 0 || (!vector && b.nrow != form.n)) {
    session::checkFailed("solve", "rhs argument has wrong size");
  }
  std::vector<double> x = doublesOf(b);
  luSolve(form, x.data(), b.size / form.n);
  double* out = shapeDoubles(result, b.nrow, b.ncol());
  std::copy(x.begin(), x.end(), out);
}

// solve(A, b) factorises A into the slot and solves A x = b; solve(b) solves with the
// matrix the slot holds.
void solve(Value& first, const Value* second, Value& result) {
  if (second == nullptr) {
    solveWithSlot(first, result);
    return;
  }
  factoriseIntoSlot(first, "solve");
  solveWithSlot(*second, result);
}

// The matrix of inv and det: the argument factorised into the slot, or, for an empty
// argument, the matrix the slot already holds.
void factoriseUnlessEmpty(const Value& a, const char* context) {
  if (a.size > 0) factoriseIntoSlot(a, context);
}

// inv(A): the inverse, solved for each unit vector.
void inv(Value& argument, Value& result) {
  factoriseUnlessEmpty(argument, "inv");
  const LuForm& form = luSlot();
  const int n = form.n;
  std::vector<double> x(static_cast<size_t>(n) * n, 0.0);
  for (int j = 0; j < n; ++j) x[static_cast<size_t>(j) * n + j] = 1;
  luSolve(form, x.data(), n);
  double* out = shapeDoubles(result, n, n);
  std::copy(x.begin(), x.end(), out);
}

// det(A): the determinant.
void det(Value& argument, Value& result) {
  factoriseUnlessEmpty(argument, "det");
  result.assignDouble(luDeterminant(luSlot()));
}

const BuiltinEntry kLinearAlgebra[] = {
    {"setLU", BuiltinKind::ValueToScalar, kIntResult, &setLU},
    {"solve", BuiltinKind::TwoArg, kDoubleResult, &solve},
    {"inv", BuiltinKind::ValueToValue, kDoubleResult, &inv},
    {"det", BuiltinKind::ValueToValue, kDoubleResult, &det},
};

}  // namespace

void registerLinearAlgebra(BuiltinRegistry& registry) { registry.add(kLinearAlgebra); }

}  // namespace zirbin::builtins
