// Quadrature and sums: adaptive Gauss-Legendre integration, Boole's rule for samples,
// and the built-ins qinteg, binteg, sum and table.
#include <cmath>

#include "builtins/numeric_families.h"
#include "builtins/numerical_methods.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using session::checkFailed;

// The 10-point Gauss-Legendre rule on [-1, 1]: the positive abscissas and their weights.
constexpr double kGaussAbscissas[5] = {0.1488743389816312, 0.4333953941292472,
                                       0.6794095682990244, 0.8650633666889845,
                                       0.9739065285171717};
constexpr double kGaussWeights[5] = {0.2955242247147529, 0.2692667193099963,
                                     0.2190863625159820, 0.1494513491505806,
                                     0.0666713443086881};
// Levels of halving the refinement may go down.
constexpr int kMaxHalvings = 12;
// Default relative tolerance of qinteg.
constexpr double kQintegTolerance = 1e-09;

// The Gauss-Legendre estimate over [a, b], and the same rule applied to |f|.
struct Estimate {
  double value;
  double magnitude;
};

Estimate gauss(FunctionArgument& f, double a, double b) {
  const double mid = 0.5 * (a + b);
  const double half = 0.5 * (b - a);
  double sum = 0;
  double magnitude = 0;
  for (int k = 0; k < 5; ++k) {
    const double dx = half * kGaussAbscissas[k];
    const double y1 = f.at(mid + dx);
    const double y2 = f.at(mid - dx);
    sum += kGaussWeights[k] * (y1 + y2);
    magnitude += kGaussWeights[k] * (std::fabs(y1) + std::fabs(y2));
  }
  return {sum * half, magnitude * std::fabs(half)};
}

// Refines [a, b], whose whole-interval estimate is `whole`, by halving. The halves are
// accepted when their sum differs from the whole by at most tol times the larger of
// |their sum| and their integral of |f|: the second term keeps an integral that is zero
// (sin over [-pi, pi]) from refining down to the last level on rounding noise alone.
double refine(FunctionArgument& f, double a, double b, double whole, double tol, int level,
              bool* tooDeep) {
  const double mid = 0.5 * (a + b);
  const Estimate left = gauss(f, a, mid);
  const Estimate right = gauss(f, mid, b);
  const double both = left.value + right.value;
  const double scale = std::max(std::fabs(both), left.magnitude + right.magnitude);
  if (!(std::fabs(scale * tol) < std::fabs(both - whole))) return both;
  if (level >= kMaxHalvings) {
    *tooDeep = true;
    return both;
  }
  return refine(f, a, mid, left.value, tol / 2, level + 1, tooDeep) +
         refine(f, mid, b, right.value, tol / 2, level + 1, tooDeep);
}

}  // namespace

double gaussLegendreIntegral(FunctionArgument& f, double a, double b, double tol,
                             bool* tooDeep) {
  *tooDeep = false;
  return refine(f, a, b, gauss(f, a, b).value, tol, 0, tooDeep);
}

double booleIntegral(const double* y, int n) {
  if (n < 2) return 0;
  if (n == 2) return (y[0] + y[1]) / 2;
  if (n == 3) return (y[0] + 4 * y[1] + y[2]) / 3;
  // Four samples have no fifth for the end formulas: Simpson's 3/8 rule, exact for cubics
  // like them, takes the three intervals.
  if (n == 4) return 3.0 / 8.0 * (y[0] + 3 * y[1] + 3 * y[2] + y[3]);
  const int r = (n - 1) % 4;
  const int groups = (n - 1 - r) / 4;
  double sum = 0;
  for (int g = 0; g < groups; ++g) {
    const double* p = y + 4 * g;
    sum += (14 * p[0] + 64 * p[1] + 24 * p[2] + 64 * p[3] + 14 * p[4]) / 45;
  }
  // The r intervals left at the end, from the last five samples (weights from the last
  // sample backwards).
  const double* e = y + n - 1;
  if (r == 1) sum += (251 * e[0] + 646 * e[-1] - 264 * e[-2] + 106 * e[-3] - 19 * e[-4]) / 720;
  if (r == 2) sum += (29 * e[0] + 124 * e[-1] + 24 * e[-2] + 4 * e[-3] - e[-4]) / 90;
  if (r == 3) sum += 3.0 / 80 * (9 * e[0] + 34 * e[-1] + 24 * e[-2] + 14 * e[-3] - e[-4]);
  return sum;
}

namespace {

// qinteg(f, [a, b], tol, extra): the integral of f; an infinite limit hands the call to
// integ.
void qinteg(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0);
  const std::vector<double> limits = numbersOf(args, 1);
  if (limits.size() != 2) args.fail("wrong number of x limits");
  if (std::isinf(limits[0]) || std::isinf(limits[1])) {
    integ(args, result, extraOutputs);
    return;
  }
  double tol = kQintegTolerance;
  if (args.count() > 2 && args.value(2).size > 0) tol = args.scalar(2, "invalid argument");
  f->bindExtras(args, 3);
  f->requireSingleParameter();
  const Range r = finiteRange(args, 1);
  bool tooDeep = false;
  const double value = gaussLegendreIntegral(*f, r.lower, r.upper, tol, &tooDeep);
  if (tooDeep) consoleLine("integ reached max iterations");
  result.assignDouble(value);
}

// binteg(y): the integral of equally spaced samples (one column).
double binteg(const Value& column) {
  const std::vector<double> y = doublesOf(column);
  return booleIntegral(y.data(), static_cast<int>(y.size()));
}

// sum(v): the sum of all elements; sum(v, d) with d = 0 the same, other d refused.
void sumValues(BuiltinArgs& args, Value& result) {
  double d = 0;
  if (args.count() > 1) {
    d = args.scalar(1, "second argument must be a scalar here (to sum two vectors use +)");
  }
  if (args.count() > 2) args.fail("invalid argument");
  if (d == 1) args.fail("for column sums please use colsum");
  if (d == 2) args.fail("sum along rows not yet implemented");
  if (d > 2) args.fail("dimension > 2 not yet implemented");
  if (d != 0) args.fail("invalid argument");
  // Doubles are added where they lie; integers are converted first.
  const Value& v = args.value(0);
  if (v.valueType() == values::DOUBLE_VAL) {
    result.assignDouble(laneSum(static_cast<const DoubleValue&>(v).data, v.size));
    return;
  }
  const std::vector<double> numbers = numbersOf(args, 0);
  result.assignDouble(laneSum(numbers.data(), static_cast<int>(numbers.size())));
}

// The points of a function sum or table: the whole numbers from a to b for a pair [a, b],
// else the elements themselves.
DoubleValue pointsOf(BuiltinArgs& args, int index) {
  std::vector<double> x = numbersOf(args, index);
  if (x.empty()) args.fail("illegal use of empty argument []");
  if (x.size() == 2) {
    const double a = x[0];
    const double b = x[1];
    if (std::isinf(a) || std::isinf(b)) args.fail("infinite limits not allowed here");
    if (b < a) args.fail("range has upper limit at or below lower limit");
    // An impossible count fails here with the out-of-memory message, before any work.
    const double count = std::floor(b - a) + 1;
    values::checkedCount(count < 9e18 ? static_cast<int64_t>(count) : INT64_MAX, sizeof(double));
    x.clear();
    for (double k = a; k <= b; k += 1) x.push_back(k);
  }
  DoubleValue points;
  double* out = shapeDoubles(points, static_cast<int64_t>(x.size()), 1);
  std::copy(x.begin(), x.end(), out);
  return points;
}

// sum(v, d) as above; sum(f, [a, b], extra): f summed over the whole numbers a .. b;
// sum(f, x, extra): f summed over the elements of x.
void sum(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  if (!args.isFunction(0)) {
    sumValues(args, result);
    return;
  }
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0);
  if (args.count() < 2) args.fail("illegal use of empty argument []");
  f->bindExtras(args, 2);
  f->requireSingleParameter();
  const DoubleValue points = pointsOf(args, 1);
  DoubleValue values;
  f->over(points, values);
  result.assignDouble(laneSum(values.data, values.size));
}

// table(f, x, extra): one row per point of x (as sum takes them), row i holding the
// elements of f(x_i); shorter rows are filled up with zeros.
void table(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0);
  f->bindExtras(args, 2);
  f->requireSingleParameter();
  const DoubleValue points = pointsOf(args, 1);
  const int n = points.size;
  std::vector<std::vector<double>> rows(n);
  DoubleValue point;
  DoubleValue values;
  for (int i = 0; i < n; ++i) {
    point.assignDouble(points.data[i]);
    f->over(point, values);
    rows[i].assign(values.data, values.data + values.size);
    if (i > 0 && rows[i].size() > rows[0].size()) args.fail("a table row is longer than the first row");
  }
  const int width = static_cast<int>(rows[0].size());
  double* out = shapeDoubles(result, n, width);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < width; ++j) {
      out[static_cast<size_t>(j) * n + i] = j < static_cast<int>(rows[i].size()) ? rows[i][j] : 0;
    }
  }
}

const BuiltinEntry kQuadrature[] = {
    {"binteg", BuiltinKind::ColumnWise, kDoubleResult, &binteg},
    {"sum", BuiltinKind::General, kDoubleResult, &sum, 1, 3},
    {"table", BuiltinKind::General, kDoubleResult, &table, 2, 3},
    {"qinteg", BuiltinKind::General, kDoubleResult, &qinteg, 2, 4},
};

}  // namespace

void registerQuadrature(BuiltinRegistry& registry) { registry.add(kQuadrature); }

}  // namespace zirbin::builtins
