// Special functions from GSL (Bessel J, Airy Ai, zeta, the normal quantile, the
// incomplete gamma function), the GSL error handler, and the built-ins over them:
// besselj0, besselj1, besselj, airy, zeta, erfinv and norm.
#include <algorithm>
#include <cmath>
#include <limits>

#include <gsl/gsl_cdf.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_math.h>
#include <gsl/gsl_sf_airy.h>
#include <gsl/gsl_sf_bessel.h>
#include <gsl/gsl_sf_gamma.h>
#include <gsl/gsl_sf_zeta.h>

#include "builtins/numeric_families.h"
#include "builtins/gsl_routines.h"
#include "builtins/routine_support.h"
#include "builtins/session_settings.h"

namespace zirbin::builtins {

namespace gsl {

namespace {

// GSL reports an error here instead of aborting; the routine then returns its status.
void reportError(const char* reason, const char* file, int line, int gslErrno) {
  (void)reason;
  (void)file;
  (void)line;
  consoleLine(std::string("math error: ") + gsl_strerror(gslErrno));
}

}  // namespace

void installErrorHandler() {
  static const bool installed = (gsl_set_error_handler(&reportError), true);
  (void)installed;
}

double besselJ0(double x) {
  installErrorHandler();
  return gsl_sf_bessel_J0(x);
}

double besselJ1(double x) {
  installErrorHandler();
  return gsl_sf_bessel_J1(x);
}

double besselJn(int n, double x) {
  installErrorHandler();
  // GSL negates a negative order, which overflows for the smallest int and then recurses
  // for seconds to a NaN; that order is even, so J_n(x) = J_-n(|x|) with -n as a double.
  if (n == std::numeric_limits<int>::min()) {
    return gsl_sf_bessel_Jnu(-static_cast<double>(n), std::fabs(x));
  }
  return gsl_sf_bessel_Jn(n, x);
}

double airyAi(double x, int mode) {
  installErrorHandler();
  return gsl_sf_airy_Ai(x, static_cast<gsl_mode_t>(mode));
}

double zeta(double s) {
  // GSL answers nan with an overflow error and inf.
  if (std::isnan(s)) return s;
  installErrorHandler();
  return gsl_sf_zeta(s);
}

double normalQuantile(double p) {
  installErrorHandler();
  return gsl_cdf_gaussian_Pinv(p, 1.0);
}

double hypot(double x, double y) { return gsl_hypot(x, y); }

double gammaQ(double a, double x) {
  installErrorHandler();
  return gsl_sf_gamma_inc_Q(a, x);
}

}  // namespace gsl

namespace {

// GSL's precision modes are 0, 1 and 2; a setting outside them is clamped to the nearest
// (GSL would otherwise index past its mode table).
constexpr int kLastAiryMode = 2;

double airy(double x) {
  const double setting = sessionSettings().airyMode;
  int mode = values::truncateToInt(setting);
  mode = mode < 0 ? 0 : (mode > kLastAiryMode ? kLastAiryMode : mode);
  return gsl::airyAi(x, mode);
}

// besselj(n, x): J_n of every element of x, the order n taken as an integer.
void besselj(Value& order, const Value* x, Value& result) {
  const std::vector<double> n = doublesOf(order);
  if (n.empty()) session::checkFailed("besselj", "function missing a parameter");
  const int k = values::truncateToInt(n[0]);
  const auto& points = static_cast<const DoubleValue&>(*x);
  result.setLayout(points.size, points.nrow, points.flags);
  double* out = asDouble(result).data;
  for (int i = 0; i < points.size; ++i) out[i] = gsl::besselJn(k, points.data[i]);
}

// The Euclidean length of a column: gsl_hypot for two doubles, else the square root of
// the sum of squares scaled by the largest magnitude, as hypot does, so that neither
// [1e200, 1e200, 1e200] overflows to inf nor tiny elements underflow to 0.
double norm(const Value& column) {
  const std::vector<double> v = doublesOf(column);
  if (v.size() == 2 && column.valueType() == values::DOUBLE_VAL) return gsl::hypot(v[0], v[1]);
  double largest = 0;
  for (double x : v) {
    if (std::isnan(x)) return x;
    largest = std::max(largest, std::fabs(x));
  }
  if (largest == 0 || std::isinf(largest)) return largest;
  double sum = 0;
  for (double x : v) sum += (x / largest) * (x / largest);
  return largest * std::sqrt(sum);
}

const BuiltinEntry kSpecialFunctions[] = {
    {"besselj0", BuiltinKind::ElementWise, kDoubleResult, &gsl::besselJ0},
    {"besselj1", BuiltinKind::ElementWise, kDoubleResult, &gsl::besselJ1},
    {"airy", BuiltinKind::ElementWise, kDoubleResult, &airy},
    {"erfinv", BuiltinKind::ElementWise, kDoubleResult, &gsl::normalQuantile},
    {"zeta", BuiltinKind::ElementWise, kDoubleResult, &gsl::zeta},
    {"besselj", BuiltinKind::FunctorTwoArg, kDoubleResult, &besselj},
    {"norm", BuiltinKind::ColumnWise, kDoubleResult, &norm},
};

}  // namespace

void registerSpecialFunctions(BuiltinRegistry& registry) {
  gsl::installErrorHandler();
  registry.add(kSpecialFunctions);
}

}  // namespace zirbin::builtins
