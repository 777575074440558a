// Root finding, minimisation and differentiation: Ridders' method and the bracket search,
// the zeros of sampled data, golden-ratio bracketing and Brent's method, the five-point
// derivative; and the built-ins fzero, fminbrac, fmin, differ and vdiffer.
#include <algorithm>
#include <cmath>
#include <limits>

#include "builtins/numeric_families.h"
#include "builtins/numerical_methods.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using session::checkFailed;

// Ridders' iterations before the search gives up with its estimate.
constexpr int kRiddersIterations = 60;
// The outward search for a change of sign: steps per pass, and passes.
constexpr int kSearchSteps = 30;
constexpr int kSearchPasses = 10;
// Default absolute accuracy of fzero.
constexpr double kRootAccuracy = 1e-10;
// Golden-ratio expansion, the guard of the parabolic step against a zero divisor, and the
// largest parabolic step as a multiple of the current one.
constexpr double kGold = 1.618034;
constexpr double kTinyDivisor = 1e-20;
constexpr double kParabolicLimit = 100;
// Expansions before bracketing gives up (the bracket has then grown by kGold^200).
constexpr int kBracketExpansions = 200;
// Brent: golden section, iterations, relative tolerance and the absolute floor of it.
constexpr double kGoldenSection = 0.381966;
constexpr int kBrentIterations = 100;
constexpr double kBrentTolerance = 1e-08;
constexpr double kBrentFloor = 1e-10;
// fminbrac's second point when given only one.
constexpr double kBracketStep = 0.01;
// The relative step of the five-point derivative.
constexpr double kDifferStep = 1e-05;

double withSign(double magnitude, double sign) {
  return sign >= 0 ? std::fabs(magnitude) : -std::fabs(magnitude);
}

}  // namespace

double riddersRoot(FunctionArgument& f, double x1, double x2, double accuracy) {
  double fl = f.at(x1);
  double fh = f.at(x2);
  if (fl == 0) return x1;
  if (fh == 0) return x2;
  if ((fl > 0) == (fh > 0)) throw session::RuntimeError("fzero: f(x1) and f(x2) have same sign");
  double xl = x1;
  double xh = x2;
  double answer = 0.5 * (x1 + x2);
  bool estimated = false;
  for (int j = 0; j < kRiddersIterations; ++j) {
    const double xm = 0.5 * (xl + xh);
    const double fm = f.at(xm);
    const double s = std::sqrt(fm * fm - fl * fh);
    if (s == 0) return estimated ? answer : xm;
    const double xnew = xm + (xm - xl) * ((fl >= fh ? 1.0 : -1.0) * fm / s);
    if (estimated && std::fabs(xnew - answer) <= accuracy) return answer;
    answer = xnew;
    estimated = true;
    const double fnew = f.at(answer);
    if (fnew == 0) return answer;
    if (withSign(fm, fnew) != fm) {
      xl = xm;
      fl = fm;
      xh = answer;
      fh = fnew;
    } else if (withSign(fl, fnew) != fl) {
      xh = answer;
      fh = fnew;
    } else {
      xl = answer;
      fl = fnew;
    }
    if (std::fabs(xh - xl) <= accuracy) return answer;
  }
  consoleLine("fzero: max number of iterations exceeded");
  return answer;
}

double rootNear(FunctionArgument& f, double x0, double accuracy) {
  const double f0 = f.at(x0);
  if (f0 == 0) return x0;
  double firstStep = 1;
  for (int pass = 0; pass < kSearchPasses; ++pass) {
    double x = x0;
    double step = firstStep;
    for (int k = 0; k < kSearchSteps; ++k) {
      x += step;
      const double fx = f.at(x);
      if (fx == 0) return x;
      if ((fx > 0) != (f0 > 0)) return riddersRoot(f, std::min(x0, x), std::max(x0, x), accuracy);
      step *= -2;
    }
    firstStep /= 10;
  }
  checkFailed(f.builtin(), "couldn't find a zero-crossing");
}

std::vector<double> sampledZeros(const std::vector<double>& y, const std::vector<double>& x) {
  std::vector<double> zeros;
  const size_t n = y.size();
  for (size_t i = 0; i < n; ++i) {
    if (y[i] == 0) {
      zeros.push_back(x[i]);
    } else if (i + 1 < n && y[i + 1] != 0 && (y[i] > 0) != (y[i + 1] > 0)) {
      zeros.push_back(x[i] - y[i] * (x[i + 1] - x[i]) / (y[i + 1] - y[i]));
    }
  }
  return zeros;
}

MinimumBracket bracketMinimum(FunctionArgument& f, double a, double b) {
  double fa = f.at(a);
  double fb = f.at(b);
  if (fb > fa) {
    std::swap(a, b);
    std::swap(fa, fb);
  }
  double c = b + kGold * (b - a);
  double fc = f.at(c);
  for (int k = 0; fb > fc; ++k) {
    if (k == kBracketExpansions || !std::isfinite(c)) checkFailed(f.builtin(), "no minimum found");
    const double r = (b - a) * (fb - fc);
    const double q = (b - c) * (fb - fa);
    double u = b - ((b - c) * q - (b - a) * r) /
                       (2 * withSign(std::max(std::fabs(q - r), kTinyDivisor), q - r));
    const double ulim = b + kParabolicLimit * (c - b);
    double fu;
    if ((b - u) * (u - c) > 0) {
      fu = f.at(u);
      if (fu < fc) return {b, u, c, fb, fu, fc};
      if (fu > fb) return {a, b, u, fa, fb, fu};
      u = c + kGold * (c - b);
      fu = f.at(u);
    } else if ((c - u) * (u - ulim) > 0) {
      fu = f.at(u);
      if (fu < fc) {
        b = c;
        c = u;
        u = c + kGold * (c - b);
        fb = fc;
        fc = fu;
        fu = f.at(u);
      }
    } else if ((u - ulim) * (ulim - c) >= 0) {
      u = ulim;
      fu = f.at(u);
    } else {
      u = c + kGold * (c - b);
      fu = f.at(u);
    }
    a = b;
    b = c;
    c = u;
    fa = fb;
    fb = fc;
    fc = fu;
  }
  return {a, b, c, fa, fb, fc};
}

double brentMinimum(FunctionArgument& f, const MinimumBracket& bracket, double tol,
                    double* fmin) {
  double a = std::min(bracket.a, bracket.c);
  double b = std::max(bracket.a, bracket.c);
  double x = bracket.b, w = x, v = x;
  double fx = bracket.fb, fw = fx, fv = fx;
  double d = 0, e = 0;
  for (int iter = 0; iter < kBrentIterations; ++iter) {
    const double xm = 0.5 * (a + b);
    const double tol1 = tol * std::fabs(x) + kBrentFloor;
    const double tol2 = 2 * tol1;
    if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a)) {
      *fmin = fx;
      return x;
    }
    bool golden = true;
    if (std::fabs(e) > tol1) {
      const double r = (x - w) * (fx - fv);
      double q = (x - v) * (fx - fw);
      double p = (x - v) * q - (x - w) * r;
      q = 2 * (q - r);
      if (q > 0) p = -p;
      q = std::fabs(q);
      const double etemp = e;
      e = d;
      if (!(std::fabs(p) >= std::fabs(0.5 * q * etemp) || p <= q * (a - x) || p >= q * (b - x))) {
        golden = false;
        d = p / q;
        const double u = x + d;
        if (u - a < tol2 || b - u < tol2) d = withSign(tol1, xm - x);
      }
    }
    if (golden) {
      e = x >= xm ? a - x : b - x;
      d = kGoldenSection * e;
    }
    const double u = std::fabs(d) >= tol1 ? x + d : x + withSign(tol1, d);
    const double fu = f.at(u);
    if (fu <= fx) {
      (u >= x ? a : b) = x;
      v = w, w = x, x = u;
      fv = fw, fw = fx, fx = fu;
    } else {
      (u < x ? a : b) = u;
      if (fu <= fw || w == x) {
        v = w, w = u;
        fv = fw, fw = fu;
      } else if (fu <= fv || v == x || v == w) {
        v = u;
        fv = fu;
      }
    }
  }
  checkFailed("fmin1d", "max number of iterations exceeded in function minimisation");
}

std::vector<double> differentiate(FunctionArgument& f, const std::vector<double>& x) {
  const int n = static_cast<int>(x.size());
  if (n == 0) return {};
  const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
  double h = kDifferStep * (*hi - *lo);
  if (h == 0) h = kDifferStep;
  DoubleValue points;
  points.setLayout(5 * n, 5 * n, 0);
  for (int k = 0; k < 5; ++k) {
    for (int i = 0; i < n; ++i) points.data[k * n + i] = x[i] + (k - 2) * h;
  }
  DoubleValue values;
  f.over(points, values);
  if (values.size != 5 * n) checkFailed(f.builtin(), "the function must give one value per point");
  const double* v = values.data;
  std::vector<double> derivative(n);
  for (int i = 0; i < n; ++i) {
    derivative[i] = (v[i] - 8 * v[n + i] + 8 * v[3 * n + i] - v[4 * n + i]) / (12 * h);
  }
  return derivative;
}

namespace {

// A 1 x n row (0 x 0 when empty).
void fillRow(Value& result, const std::vector<double>& numbers) {
  const int n = static_cast<int>(numbers.size());
  double* out = shapeDoubles(result, n > 0 ? 1 : 0, n);
  std::copy(numbers.begin(), numbers.end(), out);
}

double accuracyArgument(BuiltinArgs& args, int index, double fallback) {
  if (args.count() <= index || args.value(index).size == 0) return fallback;
  return args.scalar(index, "invalid argument");
}

// fzero(y, x, xlim): the zero crossings of sampled data, within xlim when given.
void sampledFzero(BuiltinArgs& args, Value& result) {
  const std::vector<double> y = numbersOf(args, 0);
  if (y.size() < 2) checkFailed("fzero", "not enough points");
  std::vector<double> x;
  if (args.count() > 1) {
    x = numbersOf(args, 1);
  } else {
    for (size_t i = 0; i < y.size(); ++i) x.push_back(static_cast<double>(i + 1));
  }
  if (x.size() != y.size()) checkFailed("fzero", "y,x have unequal lengths");
  std::vector<double> zeros = sampledZeros(y, x);
  if (args.count() > 2) {
    const std::vector<double> limit = numbersOf(args, 2);
    if (limit.empty()) throw session::RuntimeError("fzero: empty x limit not allowed");
    if (limit.size() != 2) checkFailed("fzero", "ambiguous arguments: use a vector xlim");
    std::erase_if(zeros, [&](double z) { return z < limit[0] || z > limit[1]; });
  }
  fillRow(result, zeros);
}

// fzero(f, [x1, x2], acc, extra) by Ridders' method; fzero(f, x0, acc, extra) after a
// search for a change of sign; fzero(y, x, xlim) on sampled data.
void fzero(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  if (!args.isFunction(0)) {
    sampledFzero(args, result);
    return;
  }
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0);
  if (args.count() < 2 || args.value(1).size == 0) {
    throw session::RuntimeError("fzero: empty x limit not allowed");
  }
  const double accuracy = accuracyArgument(args, 2, kRootAccuracy);
  f->bindExtras(args, 3);
  f->requireSingleParameter();
  const std::vector<double> limit = numbersOf(args, 1);
  if (limit.size() == 1) {
    result.assignDouble(rootNear(*f, limit[0], accuracy));
  } else if (limit.size() == 2) {
    const Range r = finiteRange(args, 1);
    result.assignDouble(riddersRoot(*f, r.lower, r.upper, accuracy));
  } else {
    args.fail("ambiguous arguments: use a vector xlim");
  }
}

// The function and the starting bracket of fminbrac and fmin: a point a (then b = a +
// 0.01) or a pair [a, b]; argument 2 is the function's extra argument.
MinimumBracket startBracket(BuiltinArgs& args, FunctionArgument& f) {
  f.bindExtras(args, 2);
  f.requireSingleParameter();
  const std::vector<double> x = numbersOf(args, 1);
  if (x.empty()) args.fail("illegal use of empty argument []");
  if (x.size() > 2) args.fail("invalid argument");
  const double a = x[0];
  const double b = x.size() == 2 ? x[1] : a + kBracketStep;
  return bracketMinimum(f, a, b);
}

// fminbrac(f, x, extra): the bracket [a, b, c] of a minimum.
void fminbrac(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0);
  const MinimumBracket m = startBracket(args, *f);
  fillRow(result, {m.a, m.b, m.c});
}

// fmin(f, x, extra): the abscissa of a minimum; a second output receives the function's
// value there.
void fmin(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 2);
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0);
  const MinimumBracket m = startBracket(args, *f);
  double value = 0;
  result.assignDouble(brentMinimum(*f, m, kBrentTolerance, &value));
  if (!extraOutputs.empty()) extraOutputs[0]->assignDouble(value);
}

// Neighbour differences of y divided by those of x (unit spacing without x), as a row
// when y is a row, else a column.
void sampledDerivative(const std::vector<double>& y, const std::vector<double>* x, bool row,
                       Value& result) {
  const int n = static_cast<int>(y.size());
  std::vector<double> d(n > 1 ? n - 1 : 0);
  for (int i = 0; i + 1 < n; ++i) {
    const double dx = x ? (*x)[i + 1] - (*x)[i] : 1.0;
    d[i] = (y[i + 1] - y[i]) / dx;
  }
  const int m = static_cast<int>(d.size());
  double* out = shapeDoubles(result, row ? (m > 0 ? 1 : 0) : m, row ? m : (m > 0 ? 1 : 0));
  std::copy(d.begin(), d.end(), out);
}

// differ(f, x, extra): the derivative of f at every element of x; differ(y, x) or
// differ(y): the derivative of sampled data.
void differ(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  if (!args.isFunction(0)) {
    const std::vector<double> y = numbersOf(args, 0);
    if (args.count() == 1) {
      sampledDerivative(y, nullptr, args.value(0).nrow == 1, result);
      return;
    }
    const std::vector<double> x = numbersOf(args, 1);
    if (x.size() != y.size()) args.fail("x and y must have same number of points");
    sampledDerivative(y, &x, args.value(0).nrow == 1, result);
    return;
  }
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0);
  if (args.count() < 2) args.fail("illegal use of empty argument []");
  f->bindExtras(args, 2);
  f->requireSingleParameter();
  // The points are copied before the result (which may share their storage) is written.
  const Value& x = args.value(1);
  const int rows = x.nrow;
  const int cols = x.ncol();
  const std::vector<double> slopes = differentiate(*f, numbersOf(args, 1));
  double* out = shapeDoubles(result, rows, cols);
  std::copy(slopes.begin(), slopes.end(), out);
}

// vdiffer(m): the derivative of sampled data; m holds x and y as two rows or two columns
// (x first), or is a vector of samples at unit spacing.
void vdiffer(Value& argument, Value& result) {
  const std::vector<double> m = doublesOf(argument);
  const int n = argument.size;
  if (argument.isVector()) {
    sampledDerivative(m, nullptr, argument.nrow == 1, result);
    return;
  }
  if (argument.nrow == 2) {
    std::vector<double> x(n / 2), y(n / 2);
    for (int i = 0; i < n / 2; ++i) {
      x[i] = m[2 * i];
      y[i] = m[2 * i + 1];
    }
    sampledDerivative(y, &x, true, result);
    return;
  }
  if (argument.ncol() != 2) session::checkFailed("vdiffer", "invalid argument");
  const int rows = argument.nrow;
  const std::vector<double> x(m.begin(), m.begin() + rows);
  const std::vector<double> y(m.begin() + rows, m.end());
  sampledDerivative(y, &x, false, result);
}

const BuiltinEntry kRootsAndMinima[] = {
    {"fzero", BuiltinKind::General, kDoubleResult, &fzero, 1, 5},
    {"differ", BuiltinKind::General, kDoubleResult, &differ, 1, 3},
    {"fminbrac", BuiltinKind::General, kDoubleResult, &fminbrac, 2, 3},
    {"fmin", BuiltinKind::General, kDoubleResult, &fmin, 2, 3},
    {"vdiffer", BuiltinKind::ValueToValue, kDoubleResult, &vdiffer},
};

}  // namespace

void registerRootsAndMinima(BuiltinRegistry& registry) { registry.add(kRootsAndMinima); }

}  // namespace zirbin::builtins
