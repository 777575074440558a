// Savitzky-Golay smoothing: the filter coefficients (SGfilter) and smooth, which
// convolves data with them.
#include <algorithm>
#include <cmath>

#include "builtins/lu_decomposition.h"
#include "builtins/function_argument.h"
#include "builtins/numeric_families.h"
#include "builtins/numerical_methods.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

// smooth(y): polynomial order 2, half-width n/40 + 1, but at least 2: a quadratic through
// a 3-point window reproduces the data exactly, so that window would not smooth at all.
constexpr int kSmoothOrder = 2;
constexpr int kSamplesPerHalfWidth = 40;
constexpr int kSmallestQuadraticHalfWidth = 2;
// smooth([], y): the 3-point moving average (half-width 1, order 0).
constexpr int kDefaultHalfWidth = 1;
constexpr int kDefaultOrder = 0;

// Filters beyond these make no sense and would only overflow the window count or take
// minutes: a window of two million samples, and an order whose normal equations are
// hopelessly ill-conditioned in doubles long before it.
constexpr int kMaxHalfWidth = 1000000;
constexpr int kMaxOrder = 32;

}  // namespace

std::vector<double> savitzkyGolay(int nl, int nr, int m) {
  constexpr int kDerivative = 0;
  if (nl < 0 || nr < 0 || nl > kMaxHalfWidth || nr > kMaxHalfWidth || kDerivative > m ||
      m > kMaxOrder || m > nl + nr) {
    throw session::RuntimeError("inconsistent arguments for smoothing filter");
  }
  // The normal equations: element (i, j) is the sum of k^(i+j) over k = -nl .. nr.
  const int size = m + 1;
  std::vector<double> a(static_cast<size_t>(size) * size);
  for (int ipj = 0; ipj <= 2 * m; ++ipj) {
    double sum = ipj == 0 ? 1 : 0;
    for (int k = 1; k <= nr; ++k) sum += std::pow(k, ipj);
    for (int k = 1; k <= nl; ++k) sum += std::pow(-k, ipj);
    for (int i = std::max(0, ipj - m); i <= std::min(m, ipj); ++i) {
      a[static_cast<size_t>(ipj - i) * size + i] = sum;
    }
  }
  std::vector<double> b(size, 0.0);
  b[kDerivative] = 1;
  LuForm form;
  luFactorise(a.data(), size, form);
  luSolve(form, b.data(), 1);
  std::vector<double> c(static_cast<size_t>(nl) + nr + 1);
  for (int k = -nl; k <= nr; ++k) {
    double sum = b[0];
    double power = 1;
    for (int j = 1; j <= m; ++j) sum += b[j] * (power *= k);
    c[k + nl] = sum;
  }
  return c;
}

namespace {

// The coefficients SGfilter makes from p = [w, m]: half-width int(w / 2) on each side,
// order m (2 when p holds only w).
std::vector<double> filterOf(const std::vector<double>& p) {
  if (p.empty() || p.size() > 2) throw session::RuntimeError("inconsistent arguments for smoothing filter");
  const int half = values::truncateToInt(p[0] * 0.5);
  const int order = p.size() == 2 ? values::truncateToInt(p[1]) : kSmoothOrder;
  return savitzkyGolay(half, half, order);
}

// SGfilter(p): the coefficients for offsets -nl .. nr as a row.
void SGfilter(Value& argument, Value& result) {
  const std::vector<double> c = filterOf(doublesOf(argument));
  double* out = shapeDoubles(result, 1, static_cast<int64_t>(c.size()));
  std::copy(c.begin(), c.end(), out);
}

// The data convolved with the symmetric window c (offsets -h .. h); samples beyond the
// ends are taken equal to the first and the last.
std::vector<double> convolve(const std::vector<double>& c, const std::vector<double>& y) {
  const int n = static_cast<int>(y.size());
  const int h = static_cast<int>(c.size()) / 2;
  if (static_cast<int>(c.size()) >= n) {
    throw session::RuntimeError("y1 must have fewer points than y2 in convolve");
  }
  std::vector<double> out(n);
  for (int i = 0; i < n; ++i) {
    double sum = 0;
    for (int k = -h; k <= h; ++k) sum += c[k + h] * y[std::clamp(i + k, 0, n - 1)];
    out[i] = sum;
  }
  return out;
}

// smooth(y), smooth(p, y): y smoothed, with as many samples as y and its shape.
void smooth(Value& first, const Value* second, Value& result) {
  const Value& data = second ? *second : first;
  const std::vector<double> y = doublesOf(data);
  std::vector<double> c;
  if (second == nullptr) {
    const int half =
        std::max(static_cast<int>(y.size()) / kSamplesPerHalfWidth + 1, kSmallestQuadraticHalfWidth);
    c = savitzkyGolay(half, half, kSmoothOrder);
  } else if (first.size == 0) {
    c = savitzkyGolay(kDefaultHalfWidth, kDefaultHalfWidth, kDefaultOrder);
  } else {
    c = filterOf(doublesOf(first));
  }
  const int rows = data.nrow;
  const int cols = data.ncol();
  const std::vector<double> s = convolve(c, y);
  double* out = shapeDoubles(result, rows, cols);
  std::copy(s.begin(), s.end(), out);
}

const BuiltinEntry kSmoothing[] = {
    {"SGfilter", BuiltinKind::ValueToValue, kDoubleResult, &SGfilter},
    {"smooth", BuiltinKind::TwoArg, kDoubleResult, &smooth},
};

}  // namespace

void registerSmoothing(BuiltinRegistry& registry) { registry.add(kSmoothing); }

}  // namespace zirbin::builtins
