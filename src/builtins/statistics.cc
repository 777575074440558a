// The statistics of a vector (or of each column of a matrix): mean, sum of squares,
// population variance and standard deviation.
#include <cmath>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

// Int elements are summed as doubles. The mean of an empty value is NaN (0/0).
double mean(const Value& v) {
  return withNumbers(v, [](const auto* d, int n) { return laneSum(d, n) / n; });
}

double sumsq(const Value& v) {
  return withNumbers(v, [](const auto* d, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += static_cast<double>(d[i]) * static_cast<double>(d[i]);
    return sum;
  });
}

// The population variance sumsq/n - mean^2, computed in two passes (the mean first, then
// the squared deviations from it) so that large values with a small spread do not cancel
// into a negative variance.
double variance(const Value& v) {
  double m = mean(v);
  return withNumbers(v, [m](const auto* d, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) {
      double dev = static_cast<double>(d[i]) - m;
      sum += dev * dev;
    }
    return sum / n;
  });
}

double stdev(const Value& v) { return std::sqrt(variance(v)); }

constexpr BuiltinKind kColumn = BuiltinKind::ColumnWise;

constexpr BuiltinEntry kEntries[] = {
    {"mean", kColumn, kDoubleResult, mean},
    {"sumsq", kColumn, kDoubleResult, sumsq},
    {"variance", kColumn, kDoubleResult, variance},
    {"stdev", kColumn, kDoubleResult, stdev},
};

}  // namespace

void registerStatistics(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
