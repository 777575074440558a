// Built-ins that make arrays: zeros, ones, eye, seq/linspace, diag, reshape, swaprows.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using session::checkFailed;

// The number of points of seq/linspace when the call gives none.
constexpr int kDefaultSeqPoints = 100;

// zeros and ones: an empty argument gives an empty result, n an n x n matrix, (r, c) an
// r x c matrix.
void filledMatrix(Value& argument, Value& result, double fill) {
  std::vector<double> shape = doublesOf(argument);
  if (shape.size() > 2) checkFailed("zeros/ones", "too many indices");
  if (shape.empty()) {
    result.clear();
    result.flags = 0;
    return;
  }
  double rows = shape[0];
  double cols = shape.size() == 2 ? shape[1] : shape[0];
  if (!(rows >= 0 && cols >= 0)) checkFailed("zeros/ones", "size must be non-negative");
  double* out = shapeDoubles(result, clampDimension(rows), clampDimension(cols));
  std::fill(out, out + result.size, fill);
}

void zeros(Value& argument, Value& result) { filledMatrix(argument, result, 0.0); }
void ones(Value& argument, Value& result) { filledMatrix(argument, result, 1.0); }

void eye(Value& argument, Value& result) {
  if (argument.size != 1) throw session::RuntimeError("argument must be a scalar");
  double n = argument.getDouble();
  if (!(n >= 0)) checkFailed("eye", "size must be non-negative");
  int64_t order = clampDimension(n);
  double* out = shapeDoubles(result, order, order);
  std::fill(out, out + result.size, 0.0);
  for (int64_t i = 0; i < order; ++i) out[i * order + i] = 1.0;
}

// seq and linspace: (start, stop) or (start, stop, points); the points run evenly from
// start to stop, both included (one point gives stop).
void seq(Value& argument, Value& result) {
  std::vector<double> p = doublesOf(argument);
  if (p.size() < 2 || p.size() > 3) checkFailed("seq", "need 2 or 3 scalar arguments");
  double count = p.size() == 3 ? std::floor(p[2]) : kDefaultSeqPoints;
  if (!(count >= 0)) checkFailed("seq", "need 2 or 3 scalar arguments");
  double start = p[0];
  double stop = p[1];
  int64_t n = clampDimension(count);
  double* out = shapeDoubles(result, 1, n);
  double step = n > 1 ? (stop - start) / static_cast<double>(n - 1) : 0.0;
  for (int64_t i = 0; i < n; ++i) out[i] = start + static_cast<double>(i) * step;
  if (n > 0) out[n - 1] = stop;
}

// diag(v, k): a vector gives the square matrix with v on diagonal k (k > 0 above the main
// diagonal); a square matrix gives its diagonal k as a column.
void diag(Value& first, const Value* second, Value& result) {
  int k = 0;
  if (second != nullptr) {
    if (second->size != 1) checkFailed("diag", "2nd argument must be scalar");
    k = second->getInt();
  }
  std::vector<double> v = doublesOf(first);
  int64_t offset = std::abs(static_cast<int64_t>(k));
  int64_t row0 = k < 0 ? offset : 0;  // where the diagonal starts
  int64_t col0 = k > 0 ? offset : 0;
  if (first.isVector() && first.size > 0) {
    int64_t order = static_cast<int64_t>(v.size()) + offset;
    double* out = shapeDoubles(result, order, order);
    std::fill(out, out + result.size, 0.0);
    for (size_t i = 0; i < v.size(); ++i) out[(col0 + i) * order + row0 + i] = v[i];
    return;
  }
  int64_t order = first.nrow;
  if (order * order != first.size) checkFailed("diag", "non-square matrix");
  int64_t n = std::max<int64_t>(order - offset, 0);
  double* out = shapeDoubles(result, n, 1);
  for (int64_t i = 0; i < n; ++i) out[i] = v[(col0 + i) * order + row0 + i];
}

// reshape(v, shape): the same elements in storage order with a new shape: no shape gives
// a column, r an r x r matrix, (r, c) an r x c matrix. The kind is kept (a 3-D array
// becomes a plain matrix).
void reshape(Value& first, const Value* second, Value& result) {
  int64_t rows = first.size;
  int64_t cols = 1;
  if (second != nullptr) {
    std::vector<double> shape = doublesOf(*second);
    if (shape.empty()) checkFailed("reshape", "empty shape");
    if (shape.size() > 2) checkFailed("reshape", "too many dimensions");
    double r = shape[0];
    double c = shape.size() == 2 ? shape[1] : shape[0];
    if (!(r >= 0 && c >= 0)) checkFailed("reshape", "invalid: does not preserve the size");
    rows = clampDimension(r);
    cols = clampDimension(c);
  }
  if (rows * cols != first.size) checkFailed("reshape", "invalid: does not preserve the size");
  int kind = first.kind() == values::JMAT_3D ? values::JMAT_PLAIN : first.kind();
  copyUnlessSame(first, result);
  result.nrow = static_cast<int>(rows);
  result.flags = kind;
}

// swaprows(m, [i, j]): m with rows i and j exchanged.
void swaprows(Value& first, const Value* second, Value& result) {
  if (second == nullptr || second->size != 2) checkFailed("swaprows", "requires 2 rows of numbers");
  std::vector<double> rows = doublesOf(*second);
  int nrow = first.nrow;
  for (double r : rows) {
    if (!(r >= 1 && r <= nrow)) checkFailed("swaprows", "invalid row numbers");
  }
  copyUnlessSame(first, result);
  DoubleValue& m = asDouble(result);
  int a = static_cast<int>(rows[0]) - 1;
  int b = static_cast<int>(rows[1]) - 1;
  for (int c = 0; c < m.ncol(); ++c) {
    std::swap(m.data[static_cast<int64_t>(c) * nrow + a],
              m.data[static_cast<int64_t>(c) * nrow + b]);
  }
}

constexpr BuiltinKind kValue = BuiltinKind::ValueToValue;

constexpr BuiltinEntry kEntries[] = {
    {"zeros", kValue, kDoubleResult, zeros},
    {"ones", kValue, kDoubleResult, ones},
    {"eye", kValue, kDoubleResult, eye},
    {"seq", kValue, kDoubleResult, seq},
    {"linspace", kValue, kDoubleResult, seq},
    {"diag", BuiltinKind::TwoArg, kDoubleResult, diag},
    {"reshape", BuiltinKind::TwoArg, kDoubleResult, reshape},
    {"swaprows", BuiltinKind::TwoArg, kDoubleResult, swaprows},
};

}  // namespace

void registerArrayBuilders(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
