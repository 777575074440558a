// Interpolation and polynomials: the function objects of interp (cubic Hermite) and
// linterp (linear) with their interval search, poly and polyshow.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "builtins/function_argument.h"
#include "builtins/numeric_families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

// The points of interp and linterp: one per row, abscissa in column 1 (ascending),
// ordinate in column 2.
struct Points {
  std::vector<double> x, y;
};

Points pointsOf(const Value& m, const char* context) {
  if (m.nrow < 2 || m.ncol() < 2) session::checkFailed(context, "too few data points for interpolation");
  const std::vector<double> all = doublesOf(m);
  const int n = m.nrow;
  Points points{std::vector<double>(all.begin(), all.begin() + n),
                std::vector<double>(all.begin() + n, all.begin() + 2 * n)};
  // The interval search and the slopes need strictly ascending abscissas; unsorted or
  // repeated ones (or a NaN) would give numbers that look right and are not.
  for (int i = 1; i < n; ++i) {
    if (!(points.x[i - 1] < points.x[i])) {
      session::checkFailed(context, "abscissas must be in ascending order");
    }
  }
  return points;
}

// The interval i with x_i <= x < x_(i+1) (the first below the points, the last at or
// beyond them); the previous element's interval `hint` is tried first.
int intervalOf(const std::vector<double>& xs, double x, int hint) {
  const int last = static_cast<int>(xs.size()) - 2;
  if (hint >= 0 && hint <= last && xs[hint] <= x && (x < xs[hint + 1] || hint == last)) return hint;
  if (x < xs[0]) return 0;
  const int i = static_cast<int>(std::upper_bound(xs.begin(), xs.end(), x) - xs.begin()) - 1;
  return std::min(i, last);
}

// The cubic Hermite value on interval i with end slopes from the neighbouring points.
double cubicAt(const Points& p, int i, double x) {
  const int last = static_cast<int>(p.x.size()) - 2;
  const double h = p.x[i + 1] - p.x[i];
  const double d = (p.y[i + 1] - p.y[i]) / h;
  const double m0 = i == 0 ? d : (p.y[i + 1] - p.y[i - 1]) / (p.x[i + 1] - p.x[i - 1]);
  const double m1 = i == last ? d : (p.y[i + 2] - p.y[i]) / (p.x[i + 2] - p.x[i]);
  const double t = x - p.x[i];
  return p.y[i] + m0 * t + (3 * d - 2 * m0 - m1) * t * t / h + (m0 - 2 * d + m1) * t * t * t / (h * h);
}

double linearAt(const Points& p, int i, double x) {
  const double d = (p.y[i + 1] - p.y[i]) / (p.x[i + 1] - p.x[i]);
  return p.y[i] + d * (x - p.x[i]);
}

template <double (*At)(const Points&, int, double)>
void interpolate(Value& points, const Value* x, Value& result, const char* context) {
  const Points p = pointsOf(points, context);
  const auto& xs = static_cast<const DoubleValue&>(*x);
  const std::vector<double> at(xs.data, xs.data + xs.size);
  double* out = shapeDoubles(result, xs.nrow, xs.ncol());
  int hint = -1;
  for (size_t k = 0; k < at.size(); ++k) {
    hint = intervalOf(p.x, at[k], hint);
    out[k] = At(p, hint, at[k]);
  }
}

void interp(Value& points, const Value* x, Value& result) {
  interpolate<cubicAt>(points, x, result, "interp");
}

void linterp(Value& points, const Value* x, Value& result) {
  interpolate<linearAt>(points, x, result, "linterp");
}

// poly(c, x): c(1) + c(2) x + c(3) x^2 + ... at every element of x.
void poly(Value& coefficients, const Value* x, Value& result) {
  const std::vector<double> c = doublesOf(coefficients);
  if (c.empty()) session::checkFailed("poly", "polynomial has empty coefficient array");
  const auto& xs = static_cast<const DoubleValue&>(*x);
  const std::vector<double> at(xs.data, xs.data + xs.size);
  double* out = shapeDoubles(result, xs.nrow, xs.ncol());
  for (size_t k = 0; k < at.size(); ++k) {
    double sum = 0;
    for (size_t j = c.size(); j-- > 0;) sum = sum * at[k] + c[j];
    out[k] = sum;
  }
}

std::string coefficientText(double c) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", c);
  return text;
}

// polyshow(c): the polynomial as text, lowest power first: [-2 0 1] gives "-2 + x^2".
void polyshow(Value& argument, Value& result) {
  const std::vector<double> c = doublesOf(argument);
  if (c.empty()) session::checkFailed("polyshow", "empty polynomial");
  std::string text;
  for (size_t k = 0; k < c.size(); ++k) {
    if (c[k] == 0) continue;
    const double magnitude = std::fabs(c[k]);
    if (text.empty()) {
      if (c[k] < 0) text = "-";
    } else {
      text.push_back(' ');
      text.push_back(c[k] < 0 ? '-' : '+');
      text.push_back(' ');
    }
    if (k == 0 || magnitude != 1) text += coefficientText(magnitude);
    if (k > 0) text += k == 1 ? "x" : "x^" + std::to_string(k);
  }
  result.assignString(text.empty() ? "0" : text);
}

const BuiltinEntry kInterpolation[] = {
    {"poly", BuiltinKind::FunctorTwoArg, kDoubleResult, &poly},
    {"interp", BuiltinKind::FunctorTwoArg, kDoubleResult, &interp},
    {"linterp", BuiltinKind::FunctorTwoArg, kDoubleResult, &linterp},
    {"polyshow", BuiltinKind::ValueToValue, kIntResult, &polyshow},
};

}  // namespace

void registerInterpolation(BuiltinRegistry& registry) { registry.add(kInterpolation); }

}  // namespace zirbin::builtins
