// SGfilter, smooth, interp, linterp, poly, polyshow, and the distributions and peaks.
#include "numeric_call.h"

namespace zirbin::builtins::testing {
namespace {

TEST(Smoothing, SavitzkyGolayCoefficientsFromTheTable) {
  DoubleValue p = row({5, 2});
  const std::vector<double> c = elements(*valueToValue("SGfilter", p));
  const std::vector<double> table = {-3, 12, 17, 12, -3};
  ASSERT_EQ(c.size(), 5u);
  for (int k = 0; k < 5; ++k) EXPECT_NEAR(c[k], table[k] / 35, 1e-15);
  DoubleValue bad = row({3, 3});
  EXPECT_EQ(runtimeError([&] { valueToValue("SGfilter", bad); }),
            "inconsistent arguments for smoothing filter");
}

TEST(Smoothing, QuadraticDataKeptInsideAndEndsHeld) {
  DoubleValue y;
  y.setLayout(12, 1, 0);
  for (int i = 0; i < 12; ++i) y.data[i] = i * i;
  DoubleValue p = row({5, 2});
  const std::vector<double> s = elements(*twoArg("smooth", p, &y));
  ASSERT_EQ(s.size(), 12u);
  for (int i = 2; i < 10; ++i) EXPECT_NEAR(s[i], i * i, 1e-12) << i;
  // The first sample sees itself three times: (-3 - 3 + 17) * 0 + 12 * 1 - 3 * 4.
  EXPECT_NEAR(s[0], 0, 1e-12);
}

TEST(Smoothing, DefaultWindowsSmooth) {
  DoubleValue y = row({0, 0, 0, 6, 0, 0, 0, 0});
  const std::vector<double> s = elements(*twoArg("smooth", y, nullptr));
  EXPECT_NEAR(s[3], 6 * 17.0 / 35, 1e-14);  // half-width 2, order 2
  DoubleValue empty;
  const std::vector<double> m = elements(*twoArg("smooth", empty, &y));
  EXPECT_NEAR(m[3], 2, 1e-14);  // the three-point average
  DoubleValue p = row({5, 2});
  DoubleValue shortData = row({1, 2, 3});
  EXPECT_EQ(runtimeError([&] { twoArg("smooth", p, &shortData); }),
            "y1 must have fewer points than y2 in convolve");
}

TEST(Interpolation, CubicIsExactForQuadraticsInside) {
  DoubleValue points = matrix(4, 2, {0, 0, 1, 1, 2, 4, 3, 9});
  DoubleValue x = row({1.5, 0.25, 2.5, 3});
  const std::vector<double> y = elements(*functor("interp", points, x));
  EXPECT_NEAR(y[0], 2.25, 1e-15);
  EXPECT_NEAR(y[2], 6.375, 1e-15);  // the last interval's end slope is its secant
  EXPECT_NEAR(y[3], 9, 1e-15);
  DoubleValue one = matrix(1, 2, {0, 0});
  EXPECT_EQ(runtimeError([&] { functor("interp", one, x); }),
            "in interp: too few data points for interpolation");
}

TEST(Interpolation, LinearBetweenAndBeyondThePoints) {
  DoubleValue points = matrix(3, 2, {0, 0, 1, 1, 2, 4});
  DoubleValue x = row({1.5, 3, -1, 0.5});
  EXPECT_EQ(elements(*functor("linterp", points, x)), (std::vector<double>{2.5, 7, -1, 0.5}));
}

TEST(Polynomials, EvaluateAndShow) {
  DoubleValue c = row({1, 2, 3});
  EXPECT_EQ(scalarOf(*functor("poly", c, DoubleValue(2))), 17);
  DoubleValue shown = row({-2, 0, 1});
  EXPECT_EQ(valueToValue("polyshow", shown)->toString(), "-2 + x^2");
  DoubleValue mixed = row({0, -1, 2.5});
  EXPECT_EQ(valueToValue("polyshow", mixed)->toString(), "-x + 2.5x^2");
  DoubleValue empty;
  EXPECT_EQ(runtimeError([&] { functor("poly", empty, c); }),
            "in poly: polynomial has empty coefficient array");
  EXPECT_EQ(runtimeError([&] { valueToValue("polyshow", empty); }), "in polyshow: empty polynomial");
}

TEST(Distributions, PeakShapes) {
  DoubleValue a = row({2});
  EXPECT_EQ(scalarOf(*functor("gauss", a, DoubleValue(0))), 2);
  DoubleValue full = row({2, 1, 1, 0.5});
  EXPECT_NEAR(scalarOf(*functor("gauss", full, DoubleValue(2))), 2 * std::exp(-0.5) + 0.5, 1e-15);
  DoubleValue width = row({1, 2, 0, 0});
  EXPECT_EQ(scalarOf(*functor("lor", width, DoubleValue(1))), 0.5);  // half height at w/2
}

TEST(Distributions, PoissonAndBinomial) {
  DoubleValue mu(2);
  EXPECT_NEAR(scalarOf(*functor("poisson", mu, DoubleValue(3))), std::exp(-2.0) * 8 / 6, 1e-15);
  DoubleValue np = row({10, 0.3});
  EXPECT_NEAR(scalarOf(*functor("binomial", np, DoubleValue(3))), 0.2668279319999998, 1e-14);
  EXPECT_EQ(scalarOf(*functor("binomial", np, DoubleValue(11))), 0);
  EXPECT_EQ(runtimeError([&] { functor("binomial", np, DoubleValue(-1)); }),
            "in binomial: negative k in binomial distribution");
  DoubleValue three = row({10, 0.3, 1});
  EXPECT_EQ(runtimeError([&] { functor("binomial", three, DoubleValue(1)); }),
            "in binomial: [n,p] should be two scalar numbers");
}

TEST(Distributions, BinomialCoefficientsOnEveryPath) {
  DoubleValue five(5), ten(10), big(200), huge(1000), deck(52);
  EXPECT_EQ(scalarOf(*functor("bnc", five, DoubleValue(2))), 10);
  EXPECT_EQ(scalarOf(*functor("bnc", five, DoubleValue(4))), 5);
  EXPECT_EQ(scalarOf(*functor("bnc", ten, DoubleValue(3))), 120);
  EXPECT_EQ(scalarOf(*functor("bnc", deck, DoubleValue(5))), 2598960);
  EXPECT_NEAR(scalarOf(*functor("bnc", big, DoubleValue(100))) / 9.0548514656103281e58, 1, 1e-12);
  EXPECT_NEAR(scalarOf(*functor("bnc", huge, DoubleValue(500))) / 2.7028824094543655e299, 1, 1e-10);
  EXPECT_EQ(scalarOf(*functor("bnc", five, DoubleValue(0))), 1);
  DoubleValue pair = row({1, 2});
  EXPECT_EQ(runtimeError([&] { functor("bnc", pair, DoubleValue(1)); }), "in bnc: need n to be scalar");
}

// There is no way to choose 7 of 5, or -1 of 5.
TEST(Distributions, BinomialCoefficientOutsideTheRangeIsZeroFixed) {
  DoubleValue five(5);
  EXPECT_EQ(scalarOf(*functor("bnc", five, DoubleValue(7))), 0);
  EXPECT_EQ(scalarOf(*functor("bnc", five, DoubleValue(-1))), 0);
}

TEST(Distributions, ErrGivesNormalNumbersOfTheGivenSpread) {
  DoubleValue args = row({2, 1, 40000});
  const std::vector<double> e = elements(*valueToValue("err", args));
  ASSERT_EQ(e.size(), 40000u);
  double mean = 0, square = 0;
  for (double x : e) mean += x;
  mean /= e.size();
  for (double x : e) square += (x - mean) * (x - mean);
  EXPECT_NEAR(mean, 0, 0.05);
  EXPECT_NEAR(std::sqrt(square / e.size()), 2, 0.05);
  DoubleValue four = row({1, 2, 3, 4});
  EXPECT_EQ(runtimeError([&] { valueToValue("err", four); }), "in math function: too many arguments");
  DoubleValue rowOfThree = row({1, 3});
  EXPECT_EQ(valueToValue("err", rowOfThree)->nrow, 1);
}

}  // namespace
}  // namespace zirbin::builtins::testing
