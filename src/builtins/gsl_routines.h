// The routines taken from GSL, behind plain signatures so that no GSL type leaves the
// builtins/gsl_*.cc files: special functions, the error handler, the trailing update of
// the blocked LU, symmetric eigen-systems, the FFT, adaptive integration and the
// ODE driver.
#pragma once

#include <complex>
#include <functional>
#include <span>

namespace zirbin::builtins::gsl {

// Installs the handler that turns a GSL error into the console line "math error: " +
// GSL's text for the code, and lets the GSL routine return its status (GSL's own handler
// would abort the process). Idempotent; every adapter below calls it.
void installErrorHandler();

// Special functions (gsl_sf.cc).
double besselJ0(double x);
double besselJ1(double x);
double besselJn(int n, double x);
// Airy Ai with GSL's precision mode (0 double, 1 single, 2 approximate).
double airyAi(double x, int mode);
double zeta(double s);
// The quantile of the normal distribution of standard deviation 1.
double normalQuantile(double p);
double hypot(double x, double y);
// The complemented incomplete gamma function Q(a, x). REQUIRES: a > 0, x >= 0.
double gammaQ(double a, double x);

// c (rows x cols, column-major, leading dimension ldc) -= a (rows x inner, leading
// dimension lda) times b (inner x cols, leading dimension ldb); BLAS dgemm
// (gsl_linear_algebra.cc). REQUIRES: the blocks do not overlap c.
void subtractProduct(const double* a, int lda, const double* b, int ldb, double* c, int ldc,
                     int rows, int inner, int cols);
// y (rows elements) -= a (rows x cols, column-major, leading dimension lda) times x (cols
// elements); BLAS dgemv. REQUIRES: y does not overlap a or x.
void subtractProductVector(const double* a, int lda, const double* x, double* y, int rows,
                           int cols);
// b (rows x cols, column-major, leading dimension ldb) := L^-1 b, with L the unit lower
// triangle of the rows x rows block `l` (leading dimension ldl; its diagonal and upper part
// are not read); BLAS dtrsm.
void solveUnitLower(const double* l, int ldl, double* b, int ldb, int rows, int cols);

// The complex FFT in place (sign -1 forward, +1 backward without the 1/n). The tables of
// the last size up to 2^20 points are kept for the next call. Throws the out-of-memory
// RuntimeError when GSL cannot get its tables.
// REQUIRES: n > 0 (the built-ins pass powers of 2 only).
void fourierTransform(std::complex<double>* data, int n, int sign);

// The integrand of `integrate`: f(x). It may throw; the exception is carried past GSL
// and rethrown by `integrate` after the workspace is freed.
using Integrand = std::function<double(double)>;
// The integral of f over [a, b]; either limit may be infinite (CQUAD for a finite range,
// QAGI, QAGIU or QAGIL otherwise), to the absolute tolerance absTol and the relative
// tolerance relTol.
double integrate(const Integrand& f, double a, double b, double absTol, double relTol);

// The right-hand side of an ODE system: dydt := f(t, y). It may throw, like Integrand.
using OdeSystem = std::function<void(double t, std::span<const double> y, std::span<double> dydt)>;
// Solves y' = f(t, y) from y(times[0]) = y0 with the RK8PD driver (initial step 1e-06,
// the absolute error absError, relative error 0). out (n x times.size(), column-major)
// receives the state at each time; column 0 is y0. A failing step writes "ODE failed"
// and stops filling (the remaining columns are left as they were). Returns the number of
// columns filled.
int solveOde(const OdeSystem& f, std::span<const double> y0, std::span<const double> times,
             double absError, double* out);

}  // namespace zirbin::builtins::gsl
