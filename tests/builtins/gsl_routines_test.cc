// The GSL-backed built-ins against tables and closed forms: special functions, the error
// handler, eigen-systems, the FFT against a naive DFT, integ and the ODE driver.
#include <complex>
#include <numbers>
#include <random>

#include <gsl/gsl_eigen.h>

#include "builtins/gsl_routines.h"
#include "numeric_call.h"
#include "values/list_value.h"

namespace zirbin::builtins::testing {
namespace {

constexpr double kPi = std::numbers::pi;
const double kInf = std::numeric_limits<double>::infinity();
using values::Complex;
using values::ComplexValue;

TEST(SpecialFunctions, AgainstTables) {
  EXPECT_EQ(elementD("besselj0", 0), 1);
  EXPECT_NEAR(elementD("besselj0", 2.404825557695773), 0, 1e-15);
  EXPECT_NEAR(elementD("besselj1", 1), 0.44005058574493355, 1e-15);
  DoubleValue order(2);
  EXPECT_NEAR(scalarOf(*functor("besselj", order, DoubleValue(1))), 0.11490348493190048, 1e-15);
  EXPECT_NEAR(elementD("airy", 0), 0.35502805388781723926, 1e-15);
  EXPECT_NEAR(elementD("zeta", 2), kPi * kPi / 6, 1e-14);
  EXPECT_NEAR(elementD("erfinv", 0.975), 1.959963984540054, 1e-12);
}

TEST(SpecialFunctions, ErfinvIsTheNormalQuantile) { EXPECT_EQ(elementD("erfinv", 0.5), 0); }

TEST(SpecialFunctions, NormIsTheLengthOfEachColumn) {
  EXPECT_EQ(scalarD("norm", column({3, 4})), 5);
  IntValue three;
  three.setLayout(3, 3, 0);
  three.data[0] = 1, three.data[1] = 2, three.data[2] = 2;
  EXPECT_EQ(scalarD("norm", three), 3);
}

TEST(GslErrors, BecomeAConsoleLineAndTheCallGoesOn) {
  ConsoleCapture console;
  const double pole = elementD("zeta", 1);
  EXPECT_TRUE(console.saw("math error: input domain error")) << console.lines.size();
  EXPECT_TRUE(std::isnan(pole) || std::isinf(pole));
}

TEST(EigenSystems, KnownEigenvalues) {
  DoubleValue a = matrix(3, 3, {2, -1, 0, -1, 2, -1, 0, -1, 2});
  std::vector<double> values = elements(*valueToValue("eigval", a));
  std::sort(values.begin(), values.end());
  ASSERT_EQ(values.size(), 3u);
  EXPECT_NEAR(values[0], 2 - std::sqrt(2.0), 1e-14);
  EXPECT_NEAR(values[1], 2, 1e-14);
  EXPECT_NEAR(values[2], 2 + std::sqrt(2.0), 1e-14);
  EXPECT_EQ(a.data[0], 2) << "the argument is not overwritten";
}

TEST(EigenSystems, VectorsSortedByAbsoluteValueSatisfyAvIsLambdaV) {
  DoubleValue a = matrix(3, 3, {1, 2, 0, 2, -3, 1, 0, 1, 4});
  DoubleValue vectors;
  auto values = call("eigvv", {&a}, {&vectors});
  const std::vector<double> l = elements(*values);
  ASSERT_EQ(l.size(), 3u);
  EXPECT_LE(std::fabs(l[0]), std::fabs(l[1]));
  EXPECT_LE(std::fabs(l[1]), std::fabs(l[2]));
  ASSERT_EQ(vectors.nrow, 3);
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      double av = 0;
      for (int k = 0; k < 3; ++k) av += a.data[k * 3 + i] * vectors.data[j * 3 + k];
      EXPECT_NEAR(av, l[j] * vectors.data[j * 3 + i], 1e-12);
    }
  }
  EXPECT_EQ(elements(*valueToValue("eigvec", a)), elements(vectors));
}

TEST(EigenSystems, SecondDifferenceMatrixGivesItsKnownSineVectors) {
  // The n x n matrix with 2 on the diagonal and -1 beside it has the eigenvalues
  // 2 - 2 cos(k pi / (n+1)) with the vectors sin(i k pi / (n+1)); 16 rows are two 64-byte
  // lines, a length the solver lays out with a longer row.
  constexpr int n = 16;
  DoubleValue a;
  a.setLayout(n * n, n, 0);
  for (int i = 0; i < n * n; ++i) a.data[i] = 0;
  for (int i = 0; i < n; ++i) {
    a.data[i * n + i] = 2;
    if (i > 0) a.data[i * n + i - 1] = a.data[(i - 1) * n + i] = -1;
  }
  DoubleValue vectors;
  const std::vector<double> l = elements(*call("eigvv", {&a}, {&vectors}));
  ASSERT_EQ(l.size(), size_t{n});
  ASSERT_EQ(vectors.size, n * n);
  for (int j = 0; j < n; ++j) {
    // Sorted by ascending absolute value: all are positive, so k = j + 1.
    const double angle = (j + 1) * kPi / (n + 1);
    EXPECT_NEAR(l[j], 2 - 2 * std::cos(angle), 1e-14) << j;
    double dot = 0, norm = 0;
    for (int i = 0; i < n; ++i) {
      const double known = std::sin((i + 1) * angle);
      dot += known * vectors.data[j * n + i];
      norm += known * known;
    }
    EXPECT_NEAR(std::fabs(dot) / std::sqrt(norm), 1, 1e-13) << "unit vector along the sine, " << j;
  }
}

// GSL's eigen-system of the symmetric n x n `a`, sorted by ascending absolute value, each
// vector's largest component made positive as eigvv makes it.
void gslEigensystem(const std::vector<double>& a, int n, std::vector<double>& values,
                    std::vector<double>& vectors) {
  std::vector<double> work(a);
  values.assign(n, 0);
  std::vector<double> rowMajor(static_cast<size_t>(n) * n);
  gsl_matrix_view m = gsl_matrix_view_array(work.data(), n, n);
  gsl_vector_view v = gsl_vector_view_array(values.data(), n);
  gsl_matrix_view e = gsl_matrix_view_array(rowMajor.data(), n, n);
  gsl_eigen_symmv_workspace* space = gsl_eigen_symmv_alloc(n);
  gsl_eigen_symmv(&m.matrix, &v.vector, &e.matrix, space);
  gsl_eigen_symmv_free(space);
  gsl_eigen_symmv_sort(&v.vector, &e.matrix, GSL_EIGEN_SORT_ABS_ASC);
  vectors.assign(rowMajor.size(), 0);
  for (int j = 0; j < n; ++j) {
    int largest = 0;
    for (int i = 0; i < n; ++i) {
      if (std::fabs(rowMajor[i * n + j]) > std::fabs(rowMajor[largest * n + j])) largest = i;
    }
    // (A random matrix has no two components of equal magnitude to tie over.)
    const double sign = rowMajor[largest * n + j] < 0 ? -1 : 1;
    for (int i = 0; i < n; ++i) vectors[j * n + i] = sign * rowMajor[i * n + j];
  }
}

TEST(EigenSystems, AgreeWithGslToTwelveDigitsWithTheLargestComponentPositive) {
  constexpr int n = 30;
  std::mt19937 random(11);
  std::uniform_real_distribution<double> u(-1, 1);
  DoubleValue a;
  a.setLayout(n * n, n, 0);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j <= i; ++j) a.data[i * n + j] = a.data[j * n + i] = u(random);
  }
  const std::vector<double> copy(a.data, a.data + n * n);
  std::vector<double> gslValues, gslVectors;
  gslEigensystem(copy, n, gslValues, gslVectors);
  DoubleValue vectors;
  const std::vector<double> values = elements(*call("eigvv", {&a}, {&vectors}));
  ASSERT_EQ(values.size(), size_t{n});
  ASSERT_EQ(vectors.size, n * n);
  for (int j = 0; j < n; ++j) EXPECT_NEAR(values[j], gslValues[j], 1e-12) << j;
  for (int k = 0; k < n * n; ++k) EXPECT_NEAR(vectors.data[k], gslVectors[k], 1e-12) << k;
  // eigval gives the same numbers in ascending order.
  std::vector<double> ascending = gslValues;
  std::sort(ascending.begin(), ascending.end());
  const std::vector<double> plain = elements(*valueToValue("eigval", a));
  for (int j = 0; j < n; ++j) EXPECT_NEAR(plain[j], ascending[j], 1e-12) << j;
}

TEST(EigenSystems, EqualMagnitudesPutTheNegativeValueFirst) {
  DoubleValue a = matrix(2, 2, {0, 2, 2, 0});  // eigenvalues -2 and 2
  DoubleValue vectors;
  EXPECT_EQ(elements(*call("eigvv", {&a}, {&vectors})), (std::vector<double>{-2, 2}));
  // (1, -1) / sqrt 2 and (1, 1) / sqrt 2: a tie of magnitudes keeps the first positive.
  const double r = std::sqrt(0.5);
  const std::vector<double> want = {r, -r, r, r};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(vectors.data[k], want[k], 1e-15) << k;
}

TEST(EigenSystems, NonSquareIsRefused) {
  DoubleValue a = matrix(2, 3, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(runtimeError([&] { valueToValue("eigval", a); }), "in eigval: non-square matrix");
  EXPECT_EQ(runtimeError([&] { valueToValue("eigvec", a); }), "in eigen-system: non-square matrix");
}

std::vector<Complex> complexElements(const Value& v) {
  const auto& c = static_cast<const ComplexValue&>(v);
  return std::vector<Complex>(c.data, c.data + c.size);
}

TEST(Fft, AgreesWithANaiveDft) {
  DoubleValue v = row({1, -2, 3.5, 0, 4, 1, -1, 2});
  auto f = call("fft", {&v});
  ASSERT_EQ(f->valueType(), values::COMPLEX_VAL);
  EXPECT_EQ(f->nrow, 1);
  const std::vector<Complex> got = complexElements(*f);
  for (int k = 0; k < 8; ++k) {
    Complex sum = 0;
    for (int n = 0; n < 8; ++n) sum += v.data[n] * std::polar(1.0, -2 * kPi * k * n / 8);
    EXPECT_NEAR(std::abs(got[k] - sum), 0, 1e-12) << k;
  }
}

// The largest distance between the transform of `x` and a naive DFT with `sign`.
double worstDftError(const std::vector<Complex>& x, const std::vector<Complex>& got, int sign) {
  const int n = static_cast<int>(x.size());
  double worst = 0;
  for (int k = 0; k < n; ++k) {
    Complex sum = 0;
    for (int j = 0; j < n; ++j) {
      // k*j mod n keeps the angle small, so the reference is accurate itself.
      sum += x[j] * std::polar(1.0, sign * 2 * kPi * static_cast<double>((int64_t{k} * j) % n) / n);
    }
    worst = std::max(worst, std::abs(got[k] - sum));
  }
  return worst;
}

std::vector<Complex> pseudoRandom(int n) {
  std::vector<Complex> x(n);
  for (int j = 0; j < n; ++j) x[j] = Complex(std::sin(1.7 * j + 0.3), std::cos(0.9 * j * j + 1.1));
  return x;
}

TEST(Fft, OddAndEvenPowersOfTwoAgreeWithANaiveDftBothWays) {
  // 2^9 needs a radix-2 pass beside the radix-4 ones; 2^8 is radix 4 throughout.
  for (int n : {2, 512, 256, 512}) {
    const std::vector<Complex> x = pseudoRandom(n);
    ComplexValue v;
    v.setLayout(n, n, 0);
    std::copy(x.begin(), x.end(), v.data);
    EXPECT_LT(worstDftError(x, complexElements(*call("fft", {&v})), -1), 1e-11 * n) << n;
    EXPECT_LT(worstDftError(x, complexElements(*call("ifft", {&v})), +1), 1e-11 * n) << n;
  }
}

TEST(Fft, SizesBeyondTheCachedTablesGiveTheSameTransform) {
  // A unit impulse at index 1 transforms to exp(-2 pi i k / n); 2^21 points are more than
  // the kept tables serve, and the kept tables of a small size serve again afterwards.
  const int n = 1 << 21;
  std::vector<Complex> x(n);
  x[1] = 1;
  gsl::fourierTransform(x.data(), n, -1);
  for (int k : {0, 1, 2, 12345, n / 4, n - 1}) {
    EXPECT_NEAR(std::abs(x[k] - std::polar(1.0, -2 * kPi * k / n)), 0, 1e-12) << k;
  }
  std::vector<Complex> small = {0, 1, 0, 0};
  gsl::fourierTransform(small.data(), 4, +1);
  EXPECT_NEAR(std::abs(small[1] - Complex(0, 1)), 0, 1e-15);
}

TEST(Fft, OnePointIsItselfAndIntegersAreTakenAsDoubles) {
  IntValue one(7);
  auto f = call("fft", {&one});
  ASSERT_EQ(f->size, 1);
  EXPECT_EQ(complexElements(*f)[0], Complex(7, 0));
  IntValue four;
  four.setLayout(4, 1, 0);
  for (int i = 0; i < 4; ++i) four.data[i] = i + 1;
  const std::vector<Complex> got = complexElements(*call("fft", {&four}));
  const std::vector<Complex> expected = {{10, 0}, {-2, 2}, {-2, 0}, {-2, -2}};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(std::abs(got[k] - expected[k]), 0, 1e-14) << k;
}

TEST(Fft, BackwardTransformIsNotDividedByN) {
  DoubleValue v = column({1, 2, 3, 4});
  auto f = call("fft", {&v});
  auto back = call("ifft", {f.get()});
  EXPECT_EQ(back->nrow, 4);
  const std::vector<Complex> b = complexElements(*back);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(std::abs(b[i] - 4.0 * v.data[i]), 0, 1e-12);
}

TEST(Fft, RefusesOtherSizesAndLists) {
  DoubleValue six = row({1, 2, 3, 4, 5, 6});
  EXPECT_EQ(runtimeError([&] { call("fft", {&six}); }), "in fft: sorry, non power of 2 not yet implemented");
  values::ListValue list;
  EXPECT_EQ(runtimeError([&] { call("ifft", {&list}); }),
            "in fft: argument has wrong type (should be double or complex)");
}

TEST(Integ, ExpOfMinusXOverTheHalfLineIsOne) {
  EXPECT_NEAR(gsl::integrate([](double x) { return std::exp(-x); }, 0, kInf, 1e-9, 1e-7), 1, 1e-9);
  DoubleValue left = row({-kInf, 0});
  EXPECT_NEAR(scalarOf(*call("integ", {Ref{"exp"}, &left})), 1, 1e-9);
}

TEST(Integ, FiniteAndInfiniteRanges) {
  DoubleValue half = row({0, kPi});
  EXPECT_NEAR(scalarOf(*call("integ", {Ref{"sin"}, &half})), 2, 1e-9);
  DoubleValue all = row({-kInf, kInf});
  DoubleValue none;
  DoubleValue unit = row({1, 1, 0, 0});
  EXPECT_NEAR(scalarOf(*call("integ", {Ref{"gauss"}, &all, &none, &unit})), std::sqrt(2 * kPi), 1e-8);
  DoubleValue upper = row({0, kInf});
  EXPECT_NEAR(scalarOf(*call("integ", {Ref{"gauss"}, &upper, &none, &unit})), std::sqrt(kPi / 2), 1e-8);
  DoubleValue reversed = row({kPi, 0});
  EXPECT_NEAR(scalarOf(*call("integ", {Ref{"sin"}, &reversed})), -2, 1e-9);
}

TEST(Integ, Messages) {
  DoubleValue three = row({0, 1, 2});
  EXPECT_EQ(runtimeError([&] { call("integ", {Ref{"sin"}, &three}); }), "in integ: wrong number of x limits");
  EXPECT_EQ(runtimeError([&] { call("integ", {Ref{"sin"}}); }), "in integ: wrong number of x limits");
}

TEST(Integ, AnErrorInTheIntegrandTravelsPastGsl) {
  EXPECT_EQ(runtimeError([] {
              gsl::integrate([](double) -> double { throw session::RuntimeError("boom"); }, 0, 1,
                             1e-9, 1e-7);
            }),
            "boom");
}

TEST(Ode, HarmonicOscillatorFollowsCosAndSin) {
  const std::vector<double> y0 = {1, 0};
  std::vector<double> times;
  for (int k = 0; k <= 10; ++k) times.push_back(k);
  std::vector<double> out(2 * times.size());
  const int filled = gsl::solveOde(
      [](double, std::span<const double> y, std::span<double> d) {
        d[0] = y[1];
        d[1] = -y[0];
      },
      y0, times, 1e-6, out.data());
  EXPECT_EQ(filled, 11);
  for (int k = 0; k <= 10; ++k) {
    EXPECT_NEAR(out[2 * k], std::cos(k), 1e-5);
    EXPECT_NEAR(out[2 * k + 1], -std::sin(k), 1e-5);
  }
}

TEST(Ode, BuiltinSystemWithAFunctionReference) {
  // y' = reverse(y): y1' = y2, y2' = y1, so y = [cosh t, sinh t] from [1, 0].
  DoubleValue y0 = row({1, 0});
  DoubleValue t = row({0, 0.5, 1});
  DoubleValue none;
  auto y = call("ode", {Ref{"reverse"}, Ref{"reverse"}, &y0, &t, &none});
  ASSERT_EQ(y->nrow, 2);
  ASSERT_EQ(y->size, 6);
  const std::vector<double> e = elements(*y);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(e[2 * k], std::cosh(t.data[k]), 1e-5);
    EXPECT_NEAR(e[2 * k + 1], std::sinh(t.data[k]), 1e-5);
  }
}

TEST(Ode, Messages) {
  DoubleValue y0 = row({1, 0});
  DoubleValue t = row({0, 1});
  DoubleValue none;
  EXPECT_EQ(runtimeError([&] { call("ode", {Ref{"reverse"}, &y0, &y0, &t, &none}); }),
            "in ode: 2nd argument must be a function");
  EXPECT_EQ(runtimeError([&] { call("ode", {Ref{"reverse"}, Ref{"tic"}, &y0, &t, &none}); }),
            "in ode: invalid argument");
}

TEST(Ode, AFailingStepWritesTheLineAndKeepsTheFilledColumns) {
  ConsoleCapture console;
  const std::vector<double> y0 = {1};
  const std::vector<double> times = {0, 0.5, 2, 3};
  std::vector<double> out(4, -7);
  // y' = y^2 from 1 blows up at t = 1.
  const int filled = gsl::solveOde(
      [](double, std::span<const double> y, std::span<double> d) { d[0] = y[0] * y[0]; }, y0,
      times, 1e-6, out.data());
  EXPECT_EQ(filled, 2);
  EXPECT_NEAR(out[1], 2, 1e-5);
  EXPECT_EQ(out[2], -7);
  EXPECT_TRUE(console.saw("ODE failed"));
}

// Van der Pol by a fine classical Runge-Kutta integration, as the second method.
std::vector<double> vanDerPolRk4(double mu, double t1) {
  std::vector<double> y = {2, 0};
  const int steps = 200000;
  const double h = t1 / steps;
  auto f = [mu](const std::vector<double>& s) {
    return std::vector<double>{s[1], -s[0] - mu * (s[0] * s[0] - 1) * s[1]};
  };
  for (int i = 0; i < steps; ++i) {
    auto k1 = f(y);
    auto k2 = f({y[0] + h / 2 * k1[0], y[1] + h / 2 * k1[1]});
    auto k3 = f({y[0] + h / 2 * k2[0], y[1] + h / 2 * k2[1]});
    auto k4 = f({y[0] + h * k3[0], y[1] + h * k3[1]});
    for (int j = 0; j < 2; ++j) y[j] += h / 6 * (k1[j] + 2 * k2[j] + 2 * k3[j] + k4[j]);
  }
  return y;
}

TEST(Ode, OdetestAgreesWithASecondMethod) {
  DoubleValue y0 = row({2, 0});
  DoubleValue t = row({0, 5});
  DoubleValue mu(1);
  DoubleValue none;
  auto y = elements(*call("odetest", {&none, &none, &y0, &t, &mu}));
  const std::vector<double> reference = vanDerPolRk4(1, 5);
  EXPECT_NEAR(y[2], reference[0], 1e-5);
  EXPECT_NEAR(y[3], reference[1], 1e-5);
}

TEST(ComplexBuilders, ComplexPairsTheParts) {
  DoubleValue re = row({1, 2});
  DoubleValue im = row({3, -4});
  auto c = call("complex", {&re, &im});
  EXPECT_EQ(complexElements(*c), (std::vector<Complex>{{1, 3}, {2, -4}}));
  EXPECT_EQ(c->kind(), values::JMAT_PAIRED);
  DoubleValue one = row({1});
  EXPECT_EQ(runtimeError([&] { call("complex", {&re, &one}); }),
            "in complex: real and imaginary parts of different size");
}

TEST(ComplexBuilders, CdiagBothWays) {
  DoubleValue v = row({1, 2});
  auto d = call("cdiag", {&v});
  EXPECT_EQ(complexElements(*d), (std::vector<Complex>{1, 0, 0, 2}));
  auto back = call("cdiag", {d.get()});
  EXPECT_EQ(complexElements(*back), (std::vector<Complex>{1, 2}));
  DoubleValue m = matrix(2, 3, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(runtimeError([&] { call("cdiag", {&m}); }), "in diag: non-square matrix");
  values::ListValue list;
  EXPECT_EQ(runtimeError([&] { call("cdiag", {&list}); }), "in diag: invalid argument");
}

}  // namespace
}  // namespace zirbin::builtins::testing
