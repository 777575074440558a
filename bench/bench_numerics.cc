// Times the numerical built-ins on the sizes peers are measured with: solve of a dense
// 1000x1000 system, eigvv of a 500x500 symmetric matrix (and of 512x512), fft of 2^20
// points, 1000 calls of integ of exp(-x^2) over [0, inf), and 100 ode solves of Van der
// Pol (mu = 1, t from 0 to 20, 100 output times). Integrand and right-hand side go
// through the function-argument interface, as a quick user function will.
#include <ctime>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <span>
#include <vector>

#include "builtins/function_argument.h"
#include "builtins/gsl_routines.h"
#include "builtins/lu_decomposition.h"
#include "builtins/numeric_families.h"
#include "engine/registry.h"
#include "base/run_context.h"
#include "values/math_matrix.h"
#include "values/symmetric_eigen.h"

namespace {

using zirbin::builtins::DoubleValue;
using zirbin::builtins::FunctionArgument;
using zirbin::builtins::NumericFunction;
using zirbin::values::Value;

// Milliseconds of processor time per run of `f`, the best of `reps` runs after one
// warm-up. Processor time rather than elapsed time, so that a machine shared with other
// work still gives the routine's own cost.
double cpuMs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double bestMs(int reps, const std::function<void()>& f) {
  f();
  double best = 1e300;
  for (int r = 0; r < reps; ++r) {
    const double t0 = cpuMs();
    f();
    best = std::min(best, cpuMs() - t0);
  }
  return best;
}

// A function of the point written in C++, standing where a quick user function will.
class Cpp : public NumericFunction {
 public:
  explicit Cpp(int parameters, std::function<void(const Value*, const DoubleValue&, Value&)> f)
      : parameters_(parameters), f_(std::move(f)) {}
  int parameterCount() const override { return parameters_; }
  int resultType() const override { return zirbin::values::DOUBLE_VAL; }
  void bind(int, const Value& value) override { first_ = &value; }
  void evaluate(const DoubleValue& x, Value& result) override { f_(first_, x, result); }

 private:
  int parameters_;
  std::function<void(const Value*, const DoubleValue&, Value&)> f_;
  const Value* first_ = nullptr;
};

void benchSolve() {
  const int n = 1000;
  std::mt19937 random(1);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> a(static_cast<size_t>(n) * n), b(n);
  for (double& x : a) x = u(random);
  for (double& x : b) x = u(random);
  zirbin::builtins::LuForm form;
  const double ms = bestMs(5, [&] {
    zirbin::builtins::luFactorise(a.data(), n, form);
    std::vector<double> x = b;
    zirbin::builtins::luSolve(form, x.data(), 1);
  });
  std::printf("solve 1000x1000: %.1f ms (target 60; LAPACK peers 9-11)\n", ms);
}

// n = 500 is the size peers are measured with; n = 512 checks that a row length of a
// multiple of 4 KB costs no more than its share of n^3.
void benchEigen(int n) {
  std::mt19937 random(2);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> a(static_cast<size_t>(n) * n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j <= i; ++j) a[i * n + j] = a[j * n + i] = u(random);
  }
  std::vector<double> values(n), vectors(static_cast<size_t>(n) * n);
  const double ms = bestMs(3, [&] {
    zirbin::values::symmetricEigensystem(a.data(), n, values.data(), vectors.data());
  });
  std::printf("eigvv %dx%d: %.1f ms (target at 500: Octave 119; NumPy 12)\n", n, n, ms);
}

void benchFft() {
  const int n = 1 << 20;
  std::vector<std::complex<double>> data(n);
  std::mt19937 random(3);
  std::uniform_real_distribution<double> u(-1, 1);
  for (auto& z : data) z = u(random);
  const double ms = bestMs(5, [&] { zirbin::builtins::gsl::fourierTransform(data.data(), n, -1); });
  std::printf("fft 2^20: %.1f ms (target 60; FFTW 17, NumPy 34)\n", ms);
}

void benchInteg() {
  FunctionArgument f("integ", std::make_unique<Cpp>(1, [](const Value*, const DoubleValue& x,
                                                          Value& result) {
                       result.setLayout(x.size, x.nrow, 0);
                       auto& out = static_cast<DoubleValue&>(result);
                       for (int i = 0; i < x.size; ++i) out.data[i] = std::exp(-x.data[i] * x.data[i]);
                     }));
  const double inf = std::numeric_limits<double>::infinity();
  double value = 0;
  const zirbin::builtins::gsl::Integrand integrand = [&f](double x) { return f.at(x); };
  const int calls = 1000;
  const double ms = bestMs(3, [&] {
    for (int k = 0; k < calls; ++k) value = zirbin::builtins::gsl::integrate(integrand, 0, inf, 1e-9, 1e-7);
  });
  std::printf("integ exp(-x^2) on [0, inf): %.4f ms per call, %ld points each, error %.1e "
              "(target 0.1; Octave 0.17-0.5, SciPy 0.01)\n",
              ms / calls, f.evaluations() / (4L * calls), value - std::sqrt(M_PI) / 2);
}

void benchOde() {
  // y' = f(t, y) for Van der Pol with mu = 1, the time bound as the first parameter.
  FunctionArgument f("ode", std::make_unique<Cpp>(2, [](const Value*, const DoubleValue& y,
                                                        Value& result) {
                       result.setLayout(2, 2, 0);
                       auto& out = static_cast<DoubleValue&>(result);
                       out.data[0] = y.data[1];
                       out.data[1] = -y.data[0] - (y.data[0] * y.data[0] - 1) * y.data[1];
                     }));
  DoubleValue state, time, slope;
  const zirbin::builtins::gsl::OdeSystem system = [&](double t, std::span<const double> y,
                                                     std::span<double> dydt) {
    time.assignDouble(t);
    f.bind(0, time);
    state.setLayout(2, 2, 0);
    state.data[0] = y[0];
    state.data[1] = y[1];
    f.over(state, slope);
    dydt[0] = slope.data[0];
    dydt[1] = slope.data[1];
  };
  std::vector<double> times(100);
  for (int k = 0; k < 100; ++k) times[k] = 20.0 * k / 99;
  const std::vector<double> y0 = {2, 0};
  std::vector<double> out(200);
  const int solves = 100;
  const double ms = bestMs(3, [&] {
    for (int k = 0; k < solves; ++k) zirbin::builtins::gsl::solveOde(system, y0, times, 1e-6, out.data());
  });
  std::printf("ode Van der Pol: %.2f ms per solve, %ld right-hand sides each (target 5; Octave 62, "
              "SciPy 7)\n",
              ms / solves, f.evaluations() / (4L * solves));
}

}  // namespace

int main() {
  benchSolve();
  benchEigen(500);
  benchEigen(512);
  benchFft();
  benchInteg();
  benchOde();
  return 0;
}
