// Least squares: the Levenberg-Marquardt fit of a model function (lsfit), the straight-line
// fit with its quality note (slf), and the goodness-of-fit probability.
#include <cmath>
#include <cstdio>

#include "base/console_output.h"
#include "base/run_context.h"
#include "builtins/gsl_routines.h"
#include "builtins/lu_decomposition.h"
#include "builtins/numeric_families.h"
#include "builtins/numerical_methods.h"
#include "builtins/plot_support.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using session::checkFailed;

// Levenberg-Marquardt: the starting lambda, its factors, the iterations that must count
// as converged, the iterations allowed, and the default tolerance.
constexpr double kStartLambda = 0.001;
constexpr double kLambdaUp = 10;
constexpr double kLambdaDown = 0.1;
constexpr int kConvergedIterations = 4;
constexpr int kMaxIterations = 1000;
constexpr double kFitTolerance = 1e-06;
// Relative step of the central differences that give the model's derivatives.
constexpr double kDerivativeStep = 1e-05;
// Dubious points: residuals beyond this many standard deviations, and beyond the smaller
// number when there are fewer points than kFewPoints.
constexpr double kOutlierSigmas = 6;
constexpr double kFewPointsSigmas = 4;
constexpr int kFewPoints = 1000;

// The data and state of a Levenberg-Marquardt fit.
struct Fit {
  FunctionArgument* model = nullptr;
  std::vector<double> x, y, sig;  // sig: one per point
  std::vector<double> a;          // all parameters
  std::vector<int> fitted;        // indices of the fitted parameters
  DoubleValue xv, pv, ymod;
  int nrow = 1, ncol = 1;         // the parameter vector's shape, for the model
};

// The model at the parameters `a` over all points.
std::vector<double> modelValues(Fit& fit, const std::vector<double>& a) {
  fit.pv.setLayout(static_cast<int>(a.size()), fit.nrow, 0);
  std::copy(a.begin(), a.end(), fit.pv.data);
  fit.model->bind(0, fit.pv);
  fit.model->over(fit.xv, fit.ymod);
  if (fit.ymod.size != static_cast<int>(fit.x.size())) {
    checkFailed("lsfit", "either an ambiguous syntax or inconsistent numbers of points");
  }
  return std::vector<double>(fit.ymod.data, fit.ymod.data + fit.ymod.size);
}

// chi^2 at `a`, with the curvature matrix alpha (m x m, column-major) and the gradient
// beta of the fitted parameters.
double curvature(Fit& fit, const std::vector<double>& a, std::vector<double>& alpha,
                 std::vector<double>& beta) {
  const size_t n = fit.x.size();
  const size_t m = fit.fitted.size();
  const std::vector<double> y0 = modelValues(fit, a);
  // dyda[j * n + i]: the derivative at point i by fitted parameter j.
  std::vector<double> dyda(m * n);
  for (size_t j = 0; j < m; ++j) {
    std::vector<double> shifted = a;
    const int p = fit.fitted[j];
    const double h = a[p] != 0 ? kDerivativeStep * std::fabs(a[p]) : kDerivativeStep;
    shifted[p] = a[p] + h;
    const std::vector<double> up = modelValues(fit, shifted);
    shifted[p] = a[p] - h;
    const std::vector<double> down = modelValues(fit, shifted);
    for (size_t i = 0; i < n; ++i) dyda[j * n + i] = (up[i] - down[i]) / (2 * h);
  }
  alpha.assign(m * m, 0.0);
  beta.assign(m, 0.0);
  double chi2 = 0;
  for (size_t i = 0; i < n; ++i) {
    const double w = 1 / (fit.sig[i] * fit.sig[i]);
    const double dy = fit.y[i] - y0[i];
    for (size_t j = 0; j < m; ++j) {
      const double wt = dyda[j * n + i] * w;
      for (size_t k = 0; k < m; ++k) alpha[k * m + j] += wt * dyda[k * n + i];
      beta[j] += dy * wt;
    }
    chi2 += dy * dy * w;
  }
  return chi2;
}

// The standard errors of all parameters (0 for fixed ones) from the inverse curvature.
std::vector<double> parameterErrors(const Fit& fit, const std::vector<double>& alpha) {
  const int m = static_cast<int>(fit.fitted.size());
  std::vector<double> errors(fit.a.size(), 0.0);
  if (m == 0) return errors;
  LuForm form;
  luFactorise(alpha.data(), m, form);
  std::vector<double> inverse(static_cast<size_t>(m) * m, 0.0);
  for (int j = 0; j < m; ++j) inverse[static_cast<size_t>(j) * m + j] = 1;
  luSolve(form, inverse.data(), m);
  for (int j = 0; j < m; ++j) {
    errors[fit.fitted[j]] = std::sqrt(std::fabs(inverse[static_cast<size_t>(j) * m + j]));
  }
  return errors;
}

struct FitResult {
  double chi2;
  std::vector<double> alpha;
};

// Runs the iteration on fit.a; ends when kConvergedIterations iterations changed chi^2 by
// less than the tolerance (tol, or tol * chi^2 when larger).
FitResult levenbergMarquardt(Fit& fit, double tol) {
  const size_t m = fit.fitted.size();
  std::vector<double> alpha, beta, trialAlpha, trialBeta;
  double chi2 = curvature(fit, fit.a, alpha, beta);
  double lambda = kStartLambda;
  int converged = 0;
  for (int iter = 0; iter < kMaxIterations; ++iter) {
    std::vector<double> covar = alpha;
    for (size_t j = 0; j < m; ++j) covar[j * m + j] *= 1 + lambda;
    std::vector<double> step = beta;
    if (m > 0) {
      LuForm form;
      luFactorise(covar.data(), static_cast<int>(m), form);
      luSolve(form, step.data(), 1);
    }
    std::vector<double> trial = fit.a;
    for (size_t j = 0; j < m; ++j) trial[fit.fitted[j]] += step[j];
    const double trialChi2 = curvature(fit, trial, trialAlpha, trialBeta);
    const double tolerance = std::max(tol, tol * trialChi2);
    if (std::fabs(trialChi2 - chi2) < tolerance) ++converged;
    if (trialChi2 < chi2) {
      lambda *= kLambdaDown;
      fit.a = trial;
      chi2 = trialChi2;
      alpha.swap(trialAlpha);
      beta.swap(trialBeta);
    } else {
      lambda *= kLambdaUp;
    }
    if (converged == kConvergedIterations) return {chi2, alpha};
  }
  checkFailed("lsfit", "did not converge");
}

// The standard deviations of the points: argument `index` with one value per point or
// one common value; 1 for every point when it is absent or empty.
std::vector<double> sigmas(BuiltinArgs& args, int index, size_t n) {
  if (args.count() <= index || args.value(index).size == 0) return std::vector<double>(n, 1.0);
  std::vector<double> sig = numbersOf(args, index);
  if (sig.size() == 1) return std::vector<double>(n, sig[0]);
  if (sig.size() != n) args.fail("sig size does not match number of data points");
  return sig;
}

// lsfit(f, p, x, y, sig, mask, tol): the parameters p of the model f(p, x) fitted to
// the data by least squares. mask (one entry per parameter, non-zero for the fitted ones)
// keeps parameters fixed. Outputs: the parameters, their standard errors, chi^2, q.
void lsfit(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 4);
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0);
  if (f->parameterCount() != 2) args.fail("too many arguments for the specified function");
  Fit fit;
  fit.model = f.get();
  fit.x = numbersOf(args, 2);
  fit.y = numbersOf(args, 3);
  fit.a = numbersOf(args, 1);
  const Value& p = args.value(1);
  fit.nrow = p.nrow;
  if (fit.a.empty()) args.fail("illegal use of empty argument []");
  if (fit.x.size() != fit.y.size()) args.fail("x and y must have same number of points");
  const size_t n = fit.x.size();
  fit.sig = sigmas(args, 4, n);
  if (fit.sig.size() != n) args.fail("sig array has the wrong length");
  std::vector<double> mask(fit.a.size(), 1.0);
  if (args.count() > 5 && args.value(5).size > 0) {
    mask = numbersOf(args, 5);
    if (mask.size() != fit.a.size()) args.fail("invalid argument");
  }
  for (size_t j = 0; j < mask.size(); ++j) {
    if (mask[j] != 0) fit.fitted.push_back(static_cast<int>(j));
  }
  double tol = kFitTolerance;
  if (args.count() > 6 && args.value(6).size > 0) tol = args.scalar(6, "invalid argument");
  fit.xv.setLayout(static_cast<int>(n), args.value(2).nrow == 1 ? 1 : static_cast<int>(n), 0);
  std::copy(fit.x.begin(), fit.x.end(), fit.xv.data);

  const FitResult r = levenbergMarquardt(fit, tol);
  const int dof = static_cast<int>(n) - static_cast<int>(fit.fitted.size());
  const double q = dof <= 0 ? 1 : incompleteGammaQ(dof / 2.0, r.chi2 / 2);
  double* out = shapeDoubles(result, p.nrow, p.ncol());
  std::copy(fit.a.begin(), fit.a.end(), out);
  if (extraOutputs.size() > 0) {
    const std::vector<double> errors = parameterErrors(fit, r.alpha);
    DoubleValue e;
    std::copy(errors.begin(), errors.end(), shapeDoubles(e, p.nrow, p.ncol()));
    extraOutputs[0]->assign(e);
  }
  if (extraOutputs.size() > 1) extraOutputs[1]->assignDouble(r.chi2);
  if (extraOutputs.size() > 2) extraOutputs[2]->assignDouble(q);
}

// The quality note of a line fit.
std::string qualityNote(double q, double chi2, int n, int dubious) {
  if (q < 1e-06) return "q is extremely low: treat results with caution";
  if (q < 0.001) {
    if (dubious == 0) return "q is rather low. Has dy error been set too low?";
    if (dubious * 10 < n) return "q is rather low. Query outliers?";
    return "low q and many outliers";
  }
  if (q < 0.01) {
    if (dubious == 0) return "Unlikely result ... just acceptable";
    return "Unlikely result, maybe owing to outliers";
  }
  if (chi2 < (n - 2) / 2) return "small chi^2 : data may be better than you think";
  if (dubious == 1) return "1 dubious point";
  if (dubious > 1) return std::to_string(dubious) + " dubious points. ";
  return "";
}

std::string number(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", x);
  return text;
}

// slf(x, y, sig, report): the line y = a + b x; gives [a, b, sig a, sig b, chi^2, q] and
// writes a and b with their errors and the quality note, unless report is 0.
void slf(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  const std::vector<double> x = numbersOf(args, 0);
  const std::vector<double> y = numbersOf(args, 1);
  if (x.size() != y.size()) args.fail("x and y must have same number of points");
  if (x.size() < 2) args.fail("not enough points");
  std::vector<double> sig;
  if (args.count() > 2 && args.value(2).size > 0) sig = sigmas(args, 2, x.size());
  const LineFit fit = fitLine(x, y, sig);
  const bool report = args.count() < 4 || args.value(3).size == 0 ||
                      args.scalar(3, "invalid argument") != 0;
  if (report) {
    const std::vector<std::string> lines = {"a = " + number(fit.a) + " +/- " + number(fit.sigA),
                                            "b = " + number(fit.b) + " +/- " + number(fit.sigB),
                                            fit.note};
    for (const std::string& line : lines) {
      if (!line.empty()) textLine(line);
    }
    // The figure is part of the report: a quiet fit leaves the figures alone.
    showLineFit(x, y, fit.a, fit.b, lines);
  }
  double* out = shapeDoubles(result, 1, 6);
  const double numbers[6] = {fit.a, fit.b, fit.sigA, fit.sigB, fit.chi2, fit.q};
  std::copy(numbers, numbers + 6, out);
}

const BuiltinEntry kFitting[] = {
    {"slf", BuiltinKind::General, kDoubleResult, &slf, 2, 4},
    {"lsfit", BuiltinKind::General, kDoubleResult, &lsfit, 4, 7},
};

}  // namespace

void textLine(const std::string& text) {
  if (session::runContext->console == nullptr) return;
  session::runContext->console->print(text, true, session::kPrintText);
  session::runContext->console->newLine();
}

double incompleteGammaQ(double a, double x) {
  if (!(a > 0)) throw session::RuntimeError("a must be positive for incomplete Gamma function");
  if (x < 0) throw session::RuntimeError("x must be >=0 for incomplete Gamma function");
  return gsl::gammaQ(a, x);
}

LineFit fitLine(const std::vector<double>& x, const std::vector<double>& y,
                const std::vector<double>& sig) {
  const int n = static_cast<int>(x.size());
  const bool given = !sig.empty();
  auto sigma = [&](int i) { return given ? sig[i] : 1.0; };
  double s = 0, sx = 0, sy = 0;
  for (int i = 0; i < n; ++i) {
    const double w = 1 / (sigma(i) * sigma(i));
    s += w;
    sx += x[i] * w;
    sy += y[i] * w;
  }
  const double mean = sx / s;
  double stt = 0, b = 0;
  for (int i = 0; i < n; ++i) {
    const double t = (x[i] - mean) / sigma(i);
    stt += t * t;
    b += t * y[i] / sigma(i);
  }
  LineFit fit;
  fit.b = b / stt;
  fit.a = (sy - sx * fit.b) / s;
  fit.sigA = std::sqrt((1 + sx * sx / (s * stt)) / s);
  fit.sigB = std::sqrt(1 / stt);
  double chi2 = 0;
  for (int i = 0; i < n; ++i) {
    const double r = (y[i] - fit.a - fit.b * x[i]) / sigma(i);
    chi2 += r * r;
  }
  // Without sig the common standard deviation is estimated from the scatter about the
  // line; chi^2 is then measured in it.
  double common = 1;
  if (!given && n > 2) {
    common = std::sqrt(chi2 / (n - 2));
    fit.sigA *= common;
    fit.sigB *= common;
    chi2 = common > 0 ? chi2 / (common * common) : 0;
  }
  fit.chi2 = chi2;
  fit.q = n > 2 ? incompleteGammaQ((n - 2) / 2.0, chi2 / 2) : 1;
  const double limit = n < kFewPoints ? kFewPointsSigmas : kOutlierSigmas;
  for (int i = 0; i < n; ++i) {
    const double sd = given ? sig[i] : common;
    const double r = std::fabs(y[i] - fit.a - fit.b * x[i]);
    if (sd > 0 && r / sd > limit) ++fit.dubious;
  }
  fit.note = qualityNote(fit.q, fit.chi2, n, fit.dubious);
  return fit;
}

void registerFitting(BuiltinRegistry& registry) { registry.add(kFitting); }

}  // namespace zirbin::builtins
