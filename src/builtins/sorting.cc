// Sorting: sort (elements, or the rows of a matrix by one column), sortit, sortind,
// sortrows, unique, the sorting order `before` and the ordered search `qfind`.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <type_traits>

#include "base/run_context.h"
#include "builtins/families.h"
#include "builtins/radix_sort.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using session::checkFailed;

// Ascending order with NaNs after every number (a plain `<` is no strict weak ordering
// once NaNs occur, and std::sort may then run off the array).
bool ascending(double a, double b) { return a < b || (b != b && a == a); }

void sortElements(Value& v) {
  withMutableNumbers(v, [](auto* data, int n) { sortAscending(data, data + n); });
}

// Counts the comparisons of a long sort and looks for an interrupt once per block of them.
class InterruptibleCount {
 public:
  void operator()() {
    if ((++count_ & (session::kPollBlock - 1)) == 0) session::pollInterrupt();
  }

 private:
  std::size_t count_ = 0;
};

// Stable order of positions (0-based) that puts `keys` in ascending order.
std::vector<int> sortedOrder(const std::vector<double>& keys) {
  std::vector<int> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  InterruptibleCount poll;
  std::stable_sort(order.begin(), order.end(), [&keys, &poll](int a, int b) {
    poll();
    return ascending(keys[a], keys[b]);
  });
  return order;
}

// Rows of the column-major `a` (rows x cols) placed in `order` into `out`.
void permuteRows(const std::vector<double>& a, int rows, int cols, const std::vector<int>& order,
                 double* out) {
  for (int c = 0; c < cols; ++c) {
    const double* from = a.data() + static_cast<size_t>(c) * rows;
    double* to = out + static_cast<size_t>(c) * rows;
    for (int r = 0; r < rows; ++r) to[r] = from[order[r]];
  }
}

// sort(x): the elements ascending, shape kept. sort(m, c): the rows of m ordered by
// column c (rows with equal keys keep their order).
void sort(Value& first, const Value* second, Value& result) {
  if (first.valueType() > values::DOUBLE_VAL) checkFailed("sort", "invalid return type");
  if (second == nullptr) {
    copyUnlessSame(first, result);
    sortElements(result);
    return;
  }
  if (second->size != 1) checkFailed("sort", "invalid column number (not a scalar)");
  double column = second->getDouble();
  int rows = first.nrow;
  int cols = first.ncol();
  if (!(column >= 1 && column <= cols)) checkFailed("sort", "invalid column number (out of range)");
  std::vector<double> a = doublesOf(first);
  size_t keyStart = static_cast<size_t>(column - 1) * rows;
  std::vector<double> keys(a.begin() + keyStart, a.begin() + keyStart + rows);
  int flags = first.flags;
  double* out = shapeDoubles(result, rows, cols, flags);
  permuteRows(a, rows, cols, sortedOrder(keys), out);
}

// sortit(x): sorts its argument in place (a variable passed to it changes); gives 0.
void sortit(Value& argument, Value& result) {
  sortElements(argument);
  result.assignInt(0);
}

// sortind(x): the 1-based positions that put x in ascending order (equal elements keep
// their order); a column for a column argument, a row otherwise.
void sortind(Value& argument, Value& result) {
  std::vector<int> order = sortedOrder(doublesOf(argument));
  bool column = argument.nrow > 1 && argument.nrow == argument.size;
  int n = static_cast<int>(order.size());
  int* out = column ? shapeInts(result, n, 1) : shapeInts(result, 1, n);
  for (int i = 0; i < n; ++i) out[i] = order[i] + 1;
}

// Lexicographic order of rows: by the first column, ties by the second, and so on.
std::vector<int> rowOrder(const std::vector<double>& a, int rows, int cols) {
  std::vector<int> order(rows);
  std::iota(order.begin(), order.end(), 0);
  InterruptibleCount poll;
  std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
    poll();
    for (int c = 0; c < cols; ++c) {
      double p = a[static_cast<size_t>(c) * rows + x];
      double q = a[static_cast<size_t>(c) * rows + y];
      if (ascending(p, q)) return true;
      if (ascending(q, p)) return false;
    }
    return false;
  });
  return order;
}

// sortrows(m): orders the rows of m in place, lexicographically (a variable passed to it
// changes), and gives the original row numbers in their new order as a column.
void sortrows(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  int rows = argument.nrow;
  int cols = argument.ncol();
  std::vector<int> order = rowOrder(a, rows, cols);
  withMutableNumbers(argument, [&](auto* data, int) {
    using T = std::remove_pointer_t<decltype(data)>;
    for (int c = 0; c < cols; ++c) {
      for (int r = 0; r < rows; ++r) {
        data[static_cast<size_t>(c) * rows + r] =
            static_cast<T>(a[static_cast<size_t>(c) * rows + order[r]]);
      }
    }
  });
  int* out = shapeInts(result, rows, 1);
  for (int r = 0; r < rows; ++r) out[r] = order[r] + 1;
}

// unique(x): the sorted elements with each run of equal values kept once; a column for a
// column argument, a row otherwise.
void unique(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  bool column = argument.nrow > 1 && argument.nrow == argument.size;
  sortAscending(a.data(), a.data() + a.size());
  auto last = std::unique(a.begin(), a.end());
  int64_t n = last - a.begin();
  double* out = column ? shapeDoubles(result, n, 1) : shapeDoubles(result, 1, n);
  std::copy(a.begin(), last, out);
}

// before(a, b): 1 when a comes before b in the sorting order, else 0. Values compare
// element by element in storage order; at the first difference the smaller comes first;
// when one is the start of the other, the shorter comes first. Strings thus compare
// alphabetically by character code.
void before(Value& first, const Value* second, Value& result) {
  if (second == nullptr) checkFailed("before", "requires two arguments");
  std::vector<double> a = doublesOf(first);
  std::vector<double> b = doublesOf(*second);
  bool earlier = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), ascending);
  result.assignDouble(earlier ? 1.0 : 0.0);
}

// qfind(list, x): for each element of x, the 1-based position of the last element of the
// ascending list that is not greater than it (0 when it is below the whole list), found
// by bisection. The result is shaped like x.
void qfind(Value& first, const Value* second, Value& result) {
  std::vector<double> list = doublesOf(first);
  std::vector<double> x = doublesOf(*second);
  int rows = second->nrow;
  int cols = second->ncol();
  double* out = shapeDoubles(result, rows, cols);
  for (size_t i = 0; i < x.size(); ++i) {
    out[i] = static_cast<double>(std::upper_bound(list.begin(), list.end(), x[i], ascending) -
                                 list.begin());
  }
}

constexpr BuiltinKind kValue = BuiltinKind::ValueToValue;

constexpr BuiltinEntry kEntries[] = {
    {"sort", BuiltinKind::TwoArg, kDoubleResult, sort},
    {"before", BuiltinKind::TwoArg, kDoubleResult, before},
    {"qfind", BuiltinKind::FunctorTwoArg, kDoubleResult, qfind},
    {"sortit", kValue, kIntResult, sortit},
    {"sortind", kValue, kIntResult, sortind},
    {"sortrows", kValue, kIntResult, sortrows},
    {"unique", kValue, kDoubleResult, unique},
};

}  // namespace

void registerSorting(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
