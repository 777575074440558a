// Adaptive integration (CQUAD, QAGI, QAGIU, QAGIL) and the RK8PD ODE driver from GSL,
// and the built-ins integ, ode and odetest.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <exception>
#include <memory>
#include <vector>

#include <gsl/gsl_errno.h>
#include <gsl/gsl_integration.h>
#include <gsl/gsl_odeiv2.h>

#include "builtins/function_argument.h"
#include "builtins/gsl_routines.h"
#include "builtins/numeric_families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace gsl {

namespace {

// Workspace sizes of the integrators: 500 intervals each.
constexpr size_t kIntegrationIntervals = 500;
// The ODE driver's initial step.
constexpr double kOdeInitialStep = 1e-06;
// Steps the driver may take towards one output time before it gives up, so that a system
// whose step size collapses ends with "ODE failed" instead of running for ever.
constexpr unsigned long kOdeMaxSteps = 1000000;
// Relative step of the difference quotients of the Jacobian routine.
constexpr double kJacobianStep = 1e-7;

// An integrand or ODE system with the first exception it threw; GSL, a C library, never
// sees the exception: the callback returns a harmless value (or GSL_EBADFUNC) and the
// adapter rethrows after GSL has returned and the workspace is freed.
template <class F>
struct Callback {
  const F* f;
  std::exception_ptr error;
  size_t dimension = 0;
  bool sawNaN = false;  // the integrand gave nan somewhere: so is the integral
};

// An error estimate this many times above the tolerance asked for means that the
// integrator did not converge: the integral is likely divergent or singular.
constexpr double kDivergenceFactor = 100;

double integrandCall(double x, void* params) {
  auto* c = static_cast<Callback<Integrand>*>(params);
  if (c->error || c->sawNaN) return 0;
  try {
    const double y = (*c->f)(x);
    // GSL would carry on around it and hand back a plausible number.
    if (std::isnan(y)) {
      c->sawNaN = true;
      return 0;
    }
    return y;
  } catch (...) {
    c->error = std::current_exception();
    return 0;
  }
}

struct Free {
  void operator()(gsl_integration_cquad_workspace* w) const {
    gsl_integration_cquad_workspace_free(w);
  }
  void operator()(gsl_integration_workspace* w) const { gsl_integration_workspace_free(w); }
  void operator()(gsl_odeiv2_driver* d) const { gsl_odeiv2_driver_free(d); }
};

// The integral over a < b, and GSL's estimate of its absolute error in `error`.
double integrateOrdered(gsl_function& f, double a, double b, double absTol, double relTol,
                        double& error) {
  double result = 0;
  error = 0;
  if (std::isfinite(a) && std::isfinite(b)) {
    std::unique_ptr<gsl_integration_cquad_workspace, Free> w(
        gsl_integration_cquad_workspace_alloc(kIntegrationIntervals));
    size_t evaluations = 0;
    gsl_integration_cquad(&f, a, b, absTol, relTol, w.get(), &result, &error, &evaluations);
    return result;
  }
  std::unique_ptr<gsl_integration_workspace, Free> w(
      gsl_integration_workspace_alloc(kIntegrationIntervals));
  if (std::isinf(a) && std::isinf(b)) {
    gsl_integration_qagi(&f, absTol, relTol, kIntegrationIntervals, w.get(), &result, &error);
  } else if (std::isinf(a)) {
    gsl_integration_qagil(&f, b, absTol, relTol, kIntegrationIntervals, w.get(), &result, &error);
  } else {
    gsl_integration_qagiu(&f, a, absTol, relTol, kIntegrationIntervals, w.get(), &result, &error);
  }
  return result;
}

int odeCall(double t, const double y[], double dydt[], void* params) {
  auto* c = static_cast<Callback<OdeSystem>*>(params);
  if (c->error) return GSL_EBADFUNC;
  try {
    (*c->f)(t, std::span<const double>(y, c->dimension), std::span<double>(dydt, c->dimension));
    return GSL_SUCCESS;
  } catch (...) {
    c->error = std::current_exception();
    return GSL_EBADFUNC;
  }
}

// The Jacobian by forward differences of the right-hand side (row-major dfdy, as GSL
// wants it). The RK8PD stepper never asks for it; implicit steppers would.
int odeJacobian(double t, const double y[], double* dfdy, double dfdt[], void* params) {
  auto* c = static_cast<Callback<OdeSystem>*>(params);
  const size_t n = c->dimension;
  std::vector<double> base(n), shifted(n), point(y, y + n);
  if (odeCall(t, y, base.data(), params) != GSL_SUCCESS) return GSL_EBADFUNC;
  for (size_t j = 0; j < n; ++j) {
    const double h = kJacobianStep * (std::fabs(y[j]) + kJacobianStep);
    point[j] = y[j] + h;
    if (odeCall(t, point.data(), shifted.data(), params) != GSL_SUCCESS) return GSL_EBADFUNC;
    for (size_t i = 0; i < n; ++i) dfdy[i * n + j] = (shifted[i] - base[i]) / h;
    point[j] = y[j];
  }
  const double h = kJacobianStep * (std::fabs(t) + kJacobianStep);
  if (odeCall(t + h, y, shifted.data(), params) != GSL_SUCCESS) return GSL_EBADFUNC;
  for (size_t i = 0; i < n; ++i) dfdt[i] = (shifted[i] - base[i]) / h;
  return GSL_SUCCESS;
}

}  // namespace

double integrate(const Integrand& f, double a, double b, double absTol, double relTol) {
  installErrorHandler();
  if (std::isnan(a) || std::isnan(b)) return std::nan("");
  if (a == b) return 0;
  Callback<Integrand> callback{&f, nullptr};
  gsl_function function{&integrandCall, &callback};
  const double sign = a < b ? 1 : -1;
  double error = 0;
  const double result =
      sign * integrateOrdered(function, std::min(a, b), std::max(a, b), absTol, relTol, error);
  if (callback.error) std::rethrow_exception(callback.error);
  if (callback.sawNaN) return std::nan("");
  const double tolerance = std::max(absTol, relTol * std::fabs(result));
  if (!std::isfinite(error) || error > kDivergenceFactor * tolerance) {
    char estimate[32];
    std::snprintf(estimate, sizeof estimate, "%g", error);
    consoleLine(std::string("integ: the integral may be divergent: its error estimate is ") +
                estimate);
  }
  return result;
}

int solveOde(const OdeSystem& f, std::span<const double> y0, std::span<const double> times,
             double absError, double* out) {
  installErrorHandler();
  const size_t n = y0.size();
  if (times.empty()) return 0;
  Callback<OdeSystem> callback{&f, nullptr, n};
  gsl_odeiv2_system system{&odeCall, &odeJacobian, n, &callback};
  std::unique_ptr<gsl_odeiv2_driver, Free> driver(gsl_odeiv2_driver_alloc_y_new(
      &system, gsl_odeiv2_step_rk8pd, kOdeInitialStep, absError, 0.0));
  gsl_odeiv2_driver_set_nmax(driver.get(), kOdeMaxSteps);
  std::vector<double> y(y0.begin(), y0.end());
  std::copy(y.begin(), y.end(), out);
  double t = times[0];
  int filled = 1;
  for (size_t k = 1; k < times.size(); ++k) {
    const int status = gsl_odeiv2_driver_apply(driver.get(), &t, times[k], y.data());
    if (callback.error) std::rethrow_exception(callback.error);
    if (status != GSL_SUCCESS) {
      consoleLine("ODE failed");
      break;
    }
    std::copy(y.begin(), y.end(), out + k * n);
    ++filled;
  }
  return filled;
}

}  // namespace gsl

namespace {

// The default absolute tolerance of integ.
constexpr double kIntegAbsTol = 1e-09;
// The relative tolerance of integ.
constexpr double kIntegRelTol = 1e-07;
// The default absolute error of the ODE driver.
constexpr double kOdeAbsError = 1e-06;

// The state vector and output times of ode and odetest (arguments 3 and 4), and the
// result matrix, one row per component and one column per time.
struct OdeProblem {
  std::vector<double> y0;
  std::vector<double> times;
};

OdeProblem odeProblem(BuiltinArgs& args) {
  OdeProblem p{numbersOf(args, 2), numbersOf(args, 3)};
  if (p.y0.empty()) args.fail("invalid argument");
  return p;
}

void runOde(const gsl::OdeSystem& f, const OdeProblem& p, double absError, Value& result) {
  const int n = static_cast<int>(p.y0.size());
  const int m = static_cast<int>(p.times.size());
  DoubleValue out;
  double* data = shapeDoubles(out, n, m);
  std::fill(data, data + out.size, 0.0);
  gsl::solveOde(f, p.y0, p.times, absError, data);
  result.assign(out);
}

}  // namespace

// integ(f, [a, b], tol, extra): the integral of f over [a, b], either limit possibly
// infinite. An empty tol takes the default.
void integ(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 0);
  if (args.count() < 2) args.fail("wrong number of x limits");
  const std::vector<double> limits = numbersOf(args, 1);
  if (limits.size() != 2) args.fail("wrong number of x limits");
  double tol = kIntegAbsTol;
  if (args.count() > 2 && args.value(2).size > 0) tol = args.scalar(2, "invalid argument");
  f->bindExtras(args, 3);
  f->requireSingleParameter();
  const gsl::Integrand integrand = [&f](double x) { return f->at(x); };
  result.assignDouble(gsl::integrate(integrand, limits[0], limits[1], tol, kIntegRelTol));
}

namespace {

// ode(jacobian, f, y0, t, abserr): the solution of y' = f(t, y) (or f(y) for a function of
// one parameter) at the times t. The first argument is the Jacobian's place: it must be
// a function reference, but the RK8PD stepper never calls a Jacobian, so it is not used.
// An empty or zero abserr takes the default 1e-06.
void ode(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  std::unique_ptr<FunctionArgument> f = functionArgument(args, 1, "2nd argument must be a function");
  if (!args.isFunction(0)) args.fail("invalid argument");
  const OdeProblem p = odeProblem(args);
  double absError = kOdeAbsError;
  if (args.value(4).size > 0) {
    const double e = args.scalar(4, "invalid argument");
    if (e > 0) absError = e;
  }
  const bool timeParameter = f->parameterCount() == 2;
  DoubleValue state;
  DoubleValue time;
  DoubleValue slope;
  const gsl::OdeSystem system = [&](double t, std::span<const double> y, std::span<double> dydt) {
    if (timeParameter) {
      time.assignDouble(t);
      f->bind(0, time);
    }
    state.setLayout(static_cast<int>(y.size()), static_cast<int>(y.size()), 0);
    std::copy(y.begin(), y.end(), state.data);
    f->overWhole(state, slope);
    if (slope.size != static_cast<int>(dydt.size())) {
      args.fail("the function's result has not one element per state component");
    }
    std::copy(slope.data, slope.data + slope.size, dydt.begin());
  };
  runOde(system, p, absError, result);
}

// odetest(a, b, y0, t, mu): the same driver on the Van der Pol system
// y1' = y2, y2' = -y1 - mu (y1^2 - 1) y2. The first two arguments are not used.
void odetest(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  const OdeProblem p = odeProblem(args);
  if (p.y0.size() != 2) args.fail("invalid argument");
  const double mu = args.scalar(4, "invalid argument");
  const gsl::OdeSystem system = [mu](double, std::span<const double> y, std::span<double> dydt) {
    dydt[0] = y[1];
    dydt[1] = -y[0] - mu * (y[0] * y[0] - 1) * y[1];
  };
  runOde(system, p, kOdeAbsError, result);
}

const BuiltinEntry kIntegrators[] = {
    {"integ", BuiltinKind::General, kDoubleResult, &integ, 0, kNoUpperBound},
    {"ode", BuiltinKind::General, kDoubleResult, &ode, 5, 5},
    {"odetest", BuiltinKind::General, kDoubleResult, &odetest, 5, 5},
};

}  // namespace

void registerIntegrators(BuiltinRegistry& registry) { registry.add(kIntegrators); }

}  // namespace zirbin::builtins
