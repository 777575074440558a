// Running sums and differences in storage order: cumsum, diff, diff2, and reverse.
#include <algorithm>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

// The running sum, shaped like the argument.
void cumsum(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  int rows = argument.nrow;
  int cols = argument.ncol();
  double* out = shapeDoubles(result, rows, cols);
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) out[i] = sum += a[i];
}

// Applies the difference `order` times: one element fewer each time, empty when the
// argument is too short. The result is a row unless the argument is a column.
void differences(Value& argument, Value& result, int order) {
  std::vector<double> a = doublesOf(argument);
  bool column = argument.nrow > 1 && argument.nrow == argument.size;
  for (int k = 0; k < order && !a.empty(); ++k) {
    for (size_t i = 0; i + 1 < a.size(); ++i) a[i] = a[i + 1] - a[i];
    a.pop_back();
  }
  int64_t n = static_cast<int64_t>(a.size());
  double* out = column ? shapeDoubles(result, n, 1) : shapeDoubles(result, 1, n);
  std::copy(a.begin(), a.end(), out);
}

void diff(Value& argument, Value& result) { differences(argument, result, 1); }
void diff2(Value& argument, Value& result) { differences(argument, result, 2); }

// The elements in reverse storage order; shape and kind are kept.
void reverse(Value& argument, Value& result) {
  std::vector<double> a = doublesOf(argument);
  int rows = argument.nrow;
  int cols = argument.ncol();
  int flags = argument.flags;
  double* out = shapeDoubles(result, rows, cols, flags);
  std::reverse_copy(a.begin(), a.end(), out);
}

constexpr BuiltinKind kValue = BuiltinKind::ValueToValue;

constexpr BuiltinEntry kEntries[] = {
    {"cumsum", kValue, kDoubleResult, cumsum},
    {"diff", kValue, kDoubleResult, diff},
    {"diff2", kValue, kDoubleResult, diff2},
    {"reverse", kValue, kDoubleResult, reverse},
};

}  // namespace

void registerRunningSums(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
