// Reductions of a vector (or of each column of a matrix) to one number: sums, products,
// extremes, the zero tests and positions; and the row and column sums of a matrix.
#include <algorithm>
#include <cmath>
#include <limits>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

double elsum(const Value& v) {
  return withNumbers(v, [](const auto* d, int n) { return laneSum(d, n); });
}

double prod(const Value& v) {
  return withNumbers(v, [](const auto* d, int n) {
    double p = 1;
    for (int i = 0; i < n; ++i) p *= static_cast<double>(d[i]);
    return p;
  });
}

// Position (0-based) of the first smallest (or largest) element; NaNs are passed over
// unless every element is NaN. -1 for an empty value.
template <bool kLargest>
int extremeIndex(const Value& v) {
  return withNumbers(v, [](const auto* d, int n) {
    int best = -1;
    for (int i = 0; i < n; ++i) {
      if (d[i] != d[i]) continue;
      if (best < 0 || (kLargest ? d[i] > d[best] : d[i] < d[best])) best = i;
    }
    return (best < 0 && n > 0) ? 0 : best;
  });
}

double elementAt(const Value& v, int i) {
  return withNumbers(v, [i](const auto* d, int) { return static_cast<double>(d[i]); });
}

// min and max of an empty value are 0.
double minOf(const Value& v) {
  int i = extremeIndex<false>(v);
  return i < 0 ? 0.0 : elementAt(v, i);
}

double maxOf(const Value& v) {
  int i = extremeIndex<true>(v);
  return i < 0 ? 0.0 : elementAt(v, i);
}

double rangeOf(const Value& v) { return maxOf(v) - minOf(v); }

// 1-based positions of the extremes; 0 for an empty value.
int minind(const Value& v) { return extremeIndex<false>(v) + 1; }
int maxind(const Value& v) { return extremeIndex<true>(v) + 1; }

int all(const Value& v) { return v.allNonZero(); }
int any(const Value& v) { return v.anyNonZero(); }
int find(const Value& v) { return v.findFirst(); }
int rfind(const Value& v) { return v.findLast(); }

// The last element of a vector; the compiler inserts it for the last index of a range.
double lastElement(const Value& v) {
  if (v.valueType() == values::LIST_VAL) {
    throw session::RuntimeError("?ZIRBIN BUG: jfunc::lastElement called for a list");
  }
  if (v.size == 0) throw session::OperatorCode(']');
  return elementAt(v, v.size - 1);
}

// The sum of each column, as a row.
void colsums(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  int rows = argument.nrow;
  int cols = argument.ncol();
  double* out = shapeDoubles(result, 1, cols);
  for (int c = 0; c < cols; ++c) out[c] = laneSum(a.data() + static_cast<size_t>(c) * rows, rows);
}

// The sum of each row, as a column.
void rowsums(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  int rows = argument.nrow;
  int cols = argument.ncol();
  double* out = shapeDoubles(result, rows, 1);
  std::fill(out, out + rows, 0.0);
  for (int c = 0; c < cols; ++c) {
    const double* column = a.data() + static_cast<size_t>(c) * rows;
    for (int r = 0; r < rows; ++r) out[r] += column[r];
  }
}

// The 1-based positions of the non-zero elements: a column for a column argument, a row
// otherwise.
void findall(Value& argument, Value& result) {
  std::vector<int> positions;
  withNumbers(argument, [&](const auto* d, int n) {
    for (int i = 0; i < n; ++i) {
      if (d[i] != 0) positions.push_back(i + 1);
    }
  });
  bool column = argument.nrow > 1 && argument.nrow == argument.size;
  int n = static_cast<int>(positions.size());
  int* out = column ? shapeInts(result, n, 1) : shapeInts(result, 1, n);
  std::copy(positions.begin(), positions.end(), out);
}

constexpr BuiltinKind kColumn = BuiltinKind::ColumnWise;

constexpr BuiltinEntry kEntries[] = {
    {"elsum", kColumn, kDoubleResult, elsum},
    {"prod", kColumn, kDoubleResult, prod},
    {"min", kColumn, kDoubleResult, minOf},
    {"max", kColumn, kDoubleResult, maxOf},
    {"range", kColumn, kDoubleResult, rangeOf},
    {"$lastElement", kColumn, kDoubleResult, lastElement},
    {"all", kColumn, kIntResult, all, 0, 0, true},
    {"any", kColumn, kIntResult, any, 0, 0, true},
    {"minind", kColumn, kIntResult, minind},
    {"maxind", kColumn, kIntResult, maxind},
    {"find", kColumn, kIntResult, find},
    {"rfind", kColumn, kIntResult, rfind},
    {"colsums", BuiltinKind::ValueToValue, kDoubleResult, colsums},
    {"rowsums", BuiltinKind::ValueToValue, kDoubleResult, rowsums},
    {"findall", BuiltinKind::ValueToValue, kIntResult, findall},
};

}  // namespace

void registerReductions(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
