// The numerical methods behind the built-ins, over a FunctionArgument or plain numbers:
// root finding, minimisation, differentiation, quadrature, least squares, smoothing and
// interpolation. The built-ins parse their arguments and call these.
#pragma once

#include <string>
#include <vector>

#include "builtins/function_argument.h"

namespace zirbin::builtins {

// Ridders' method on [x1, x2] to the absolute accuracy `accuracy`. f(x1) and f(x2) must
// differ in sign (RuntimeError "fzero: f(x1) and f(x2) have same sign"); a zero at either
// end is returned at once. After 60 iterations "fzero: max number of iterations exceeded"
// is written to the console and the last estimate returned.
double riddersRoot(FunctionArgument& f, double x1, double x2, double accuracy);

// Searches outwards from x0 (steps 1, -2, 4, ... added in turn, 30 per pass, the first
// step divided by 10 for each of 10 passes) for a change of sign, then applies Ridders'
// method. No change of sign fails with "couldn't find a zero-crossing".
double rootNear(FunctionArgument& f, double x0, double accuracy);

// The zero crossings of sampled data y(x), by linear interpolation between neighbouring
// samples of opposite sign (a sample that is exactly 0 is a crossing itself), in order.
std::vector<double> sampledZeros(const std::vector<double>& y, const std::vector<double>& x);

// A bracketed minimum: b lies between a and c, and f(b) is below f(a) and f(c).
struct MinimumBracket {
  double a, b, c;
  double fa, fb, fc;
};
// Brackets a minimum by golden-ratio expansion with parabolic steps, starting from a and
// b. A function that keeps falling (no bracket within 200 expansions, or the points leave
// the finite numbers) fails with "no minimum found".
MinimumBracket bracketMinimum(FunctionArgument& f, double a, double b);
// Brent's method inside a bracket to the relative tolerance `tol`; gives the abscissa and
// sets *fmin to the function value there. After 100 iterations fails with "in fmin1d: max
// number of iterations exceeded in function minimisation".
double brentMinimum(FunctionArgument& f, const MinimumBracket& bracket, double tol,
                    double* fmin);

// The derivative of f at each of the n points x by the five-point central formula, with
// one evaluation of f on all 5n points. h = 1e-05 times the span of x (1e-05 when 0).
std::vector<double> differentiate(FunctionArgument& f, const std::vector<double>& x);

// The integral of f over [a, b] by 10-point Gauss-Legendre quadrature refined by halving
// (at most 12 levels) to the relative tolerance tol. Sets *tooDeep when the refinement
// wanted to go deeper.
double gaussLegendreIntegral(FunctionArgument& f, double a, double b, double tol,
                             bool* tooDeep);

// The integral of n equally spaced samples with unit spacing (Boole's rule with the
// end formulas; Simpson's rule for 3 samples, the trapezoid for 2, 0 for fewer).
double booleIntegral(const double* y, int n);

// A straight-line fit y = a + b x.
struct LineFit {
  double a = 0, b = 0;
  double sigA = 0, sigB = 0;
  double chi2 = 0;
  double q = 1;
  int dubious = 0;
  std::string note;  // the quality note or the dubious-point count (may be empty)
};
// Fits the line to (x, y); sig holds one standard deviation per point, one common value,
// or nothing (then the common value is estimated from the scatter about the line).
LineFit fitLine(const std::vector<double>& x, const std::vector<double>& y,
                const std::vector<double>& sig);

// Writes `text` as one console line shown literally (no markup), for texts such as
// "small chi^2 : ..." that hold markup characters.
void textLine(const std::string& text);

// Q(a, x), the complemented incomplete gamma function; a <= 0 fails with "a must be
// positive for incomplete Gamma function", x < 0 with "x must be >=0 for incomplete Gamma
// function".
double incompleteGammaQ(double a, double x);

// The Savitzky-Golay coefficients of half-width nl = nr (offsets -nl .. nr, in order) for
// polynomial order m and derivative order 0. Inconsistent arguments (and half-widths above
// a million or orders above 32) fail with
// "inconsistent arguments for smoothing filter".
std::vector<double> savitzkyGolay(int nl, int nr, int m);

}  // namespace zirbin::builtins
