// lsfit, slf and the incomplete gamma function; the LU slot with setLU, solve, inv, det.
#include <random>

#include "builtins/numerical_methods.h"
#include "graphics/figure.h"
#include "numeric_call.h"

namespace zirbin::builtins::testing {
namespace {

TEST(Lsfit, ExactQuadraticIsRecovered) {
  DoubleValue p = row({0, 0, 0});
  DoubleValue x = row({0, 1, 2, 3, 4, 5});
  DoubleValue y = row({1, 6, 17, 34, 57, 86});  // 1 + 2x + 3x^2
  DoubleValue errors, chi2, q;
  auto fitted = call("lsfit", {Ref{"poly"}, &p, &x, &y}, {&errors, &chi2, &q});
  const std::vector<double> a = elements(*fitted);
  ASSERT_EQ(a.size(), 3u);
  EXPECT_NEAR(a[0], 1, 1e-7);
  EXPECT_NEAR(a[1], 2, 1e-7);
  EXPECT_NEAR(a[2], 3, 1e-7);
  EXPECT_LT(scalarOf(chi2), 1e-10);
  EXPECT_NEAR(scalarOf(q), 1, 1e-9);
}

TEST(Lsfit, GaussianPeakFromAnotherStart) {
  DoubleValue truth = row({2, 0.5, 1, 0.1});
  DoubleValue x;
  x.setLayout(41, 1, 0);
  for (int i = 0; i < 41; ++i) x.data[i] = i * 0.05;
  auto y = functor("gauss", truth, x);
  DoubleValue p = row({1.5, 0.7, 0.8, 0});
  auto a = elements(*call("lsfit", {Ref{"gauss"}, &p, &x, y.get()}));
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(a[k], truth.data[k], 1e-6) << k;
}

TEST(Lsfit, LineAgreesWithTheClosedFormAndQWithTwoDegreesOfFreedom) {
  // Four points, two parameters: q = Q(1, chi^2 / 2) = exp(-chi^2 / 2).
  DoubleValue p = row({0, 0});
  DoubleValue x = row({1, 2, 3, 4});
  DoubleValue y = row({2.1, 3.9, 6.2, 7.8});
  DoubleValue sig(0.1);
  DoubleValue errors, chi2, q;
  auto a = elements(*call("lsfit", {Ref{"poly"}, &p, &x, &y, &sig}, {&errors, &chi2, &q}));
  const LineFit line = fitLine({1, 2, 3, 4}, {2.1, 3.9, 6.2, 7.8}, {0.1, 0.1, 0.1, 0.1});
  EXPECT_NEAR(a[0], line.a, 1e-8);
  EXPECT_NEAR(a[1], line.b, 1e-8);
  EXPECT_NEAR(scalarOf(chi2), line.chi2, 1e-6);
  EXPECT_NEAR(scalarOf(q), std::exp(-scalarOf(chi2) / 2), 1e-9);
  EXPECT_NEAR(elements(errors)[1], line.sigB, 1e-6);
  // The slope of equal-weight points: sigma / sqrt(sum (x - mean)^2).
  EXPECT_NEAR(line.sigB, 0.1 / std::sqrt(5.0), 1e-12);
}

TEST(Lsfit, MaskKeepsParametersFixed) {
  DoubleValue p = row({5, 0});
  DoubleValue x = row({0, 1, 2});
  DoubleValue y = row({1, 3, 5});
  DoubleValue none;
  DoubleValue mask = row({0, 1});
  auto a = elements(*call("lsfit", {Ref{"poly"}, &p, &x, &y, &none, &mask}));
  EXPECT_EQ(a[0], 5);
  EXPECT_NEAR(a[1], -0.4, 1e-8);  // the best slope through 5 + b x
}

TEST(Lsfit, AsManyParametersAsPointsGivesQOne) {
  DoubleValue p = row({0, 0});
  DoubleValue x = row({1, 2});
  DoubleValue y = row({1, 5});
  DoubleValue errors, chi2, q;
  call("lsfit", {Ref{"poly"}, &p, &x, &y}, {&errors, &chi2, &q});
  EXPECT_EQ(scalarOf(q), 1);
}

TEST(Lsfit, Messages) {
  DoubleValue p = row({0, 0});
  DoubleValue x = row({1, 2, 3});
  DoubleValue y2 = row({1, 2});
  DoubleValue y = row({1, 2, 4});
  DoubleValue sig = row({1, 1});
  EXPECT_EQ(runtimeError([&] { call("lsfit", {Ref{"poly"}, &p, &x, &y2}); }),
            "in lsfit: x and y must have same number of points");
  EXPECT_EQ(runtimeError([&] { call("lsfit", {Ref{"poly"}, &p, &x, &y, &sig}); }),
            "in lsfit: sig size does not match number of data points");
  DoubleValue three = row({1, 2, 3});
  EXPECT_EQ(runtimeError([&] { call("lsfit", {Ref{"push"}, &three, &x, &y}); }),
            "in lsfit: either an ambiguous syntax or inconsistent numbers of points");
  DoubleValue bad = row({1, std::nan(""), 3});
  EXPECT_EQ(runtimeError([&] { call("lsfit", {Ref{"poly"}, &p, &x, &bad}); }), "in lsfit: did not converge");
}

TEST(IncompleteGamma, ClosedFormsAndMessages) {
  EXPECT_NEAR(incompleteGammaQ(1, 2.5), std::exp(-2.5), 1e-15);
  EXPECT_NEAR(incompleteGammaQ(0.5, 2), std::erfc(std::sqrt(2.0)), 1e-15);
  EXPECT_EQ(runtimeError([] { incompleteGammaQ(0, 1); }),
            "a must be positive for incomplete Gamma function");
  EXPECT_EQ(runtimeError([] { incompleteGammaQ(1, -1); }),
            "x must be >=0 for incomplete Gamma function");
}

TEST(Slf, ExactDataWithSigGivesQOneAndTheSmallChiNote) {
  ConsoleCapture console;
  DoubleValue x = row({1, 2, 3, 4, 5});
  DoubleValue y = row({5, 8, 11, 14, 17});
  DoubleValue sig(0.1);
  auto r = elements(*call("slf", {&x, &y, &sig}));
  ASSERT_EQ(r.size(), 6u);
  EXPECT_NEAR(r[0], 2, 1e-12);
  EXPECT_NEAR(r[1], 3, 1e-12);
  EXPECT_NEAR(r[2], 0.1 * std::sqrt(1.1), 1e-12);  // sigma sqrt(sum x^2 / (N Sxx))
  EXPECT_NEAR(r[3], 0.1 / std::sqrt(10.0), 1e-12);
  EXPECT_EQ(r[5], 1);
  EXPECT_TRUE(console.saw("small chi^2 : data may be better than you think"));
  EXPECT_TRUE(console.saw("a = 2 +/- 0.104881"));
  EXPECT_TRUE(console.saw("b = 3 +/- 0.0316228"));
}

TEST(Slf, TheReportDrawsTheDataAndLineUnderItsTitleAndAQuietFitDoesNot) {
  ConsoleCapture console;
  graphics::figures().close(0);
  DoubleValue x = row({1, 2, 3, 4});
  DoubleValue y = row({3, 5, 7, 9.5});
  DoubleValue quiet(0);
  DoubleValue none;
  call("slf", {&x, &y, &none, &quiet});
  EXPECT_EQ(graphics::figures().current(), nullptr);
  call("slf", {&x, &y});
  graphics::Figure* figure = graphics::figures().current();
  ASSERT_NE(figure, nullptr);
  EXPECT_EQ(figure->currentFrame().mainLabels().title.text, "Data and fitted line y = a + b x");
  graphics::figures().close(0);
}

TEST(Slf, ExtremelyLowQ) {
  const LineFit f = fitLine({1, 2, 3, 4, 5, 6}, {0, 5, 0, 5, 0, 5}, std::vector<double>(6, 0.1));
  EXPECT_LT(f.q, 1e-6);
  EXPECT_EQ(f.note, "q is extremely low: treat results with caution");
}

TEST(Slf, OneDubiousPoint) {
  std::vector<double> x, y;
  for (int i = 0; i < 400; ++i) {
    x.push_back(i);
    y.push_back(2 * i + (i % 2 ? 1 : -1) + (i == 200 ? 6 : 0));
  }
  const LineFit f = fitLine(x, y, std::vector<double>(400, 1.0));
  EXPECT_GT(f.q, 0.01);
  EXPECT_EQ(f.dubious, 1);
  EXPECT_EQ(f.note, "1 dubious point");
}

TEST(Slf, WithoutSigTheScatterSetsTheErrors) {
  // Residuals +-1 about y = x: the common sigma is sqrt(4 / 2).
  const LineFit f = fitLine({0, 1, 2, 3}, {1, 0, 1, 4}, {});
  EXPECT_NEAR(f.chi2, 2, 1e-12);  // N - 2 in units of the estimated sigma
}

TEST(Slf, SigOfTheWrongLength) {
  DoubleValue x = row({1, 2, 3});
  DoubleValue sig = row({1, 1});
  EXPECT_EQ(runtimeError([&] { call("slf", {&x, &x, &sig}); }),
            "in slf: sig size does not match number of data points");
}

TEST(LinearAlgebra, SolveAKnownSystem) {
  DoubleValue a = matrix(3, 3, {4, -2, 1, -2, 4, -2, 1, -2, 4});
  DoubleValue b = column({3, 0, 9});  // a * [1, 2, 3]
  auto x = twoArg("solve", a, &b);
  EXPECT_EQ(x->nrow, 3);
  const std::vector<double> e = elements(*x);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(e[i], i + 1, 1e-14);
}

TEST(LinearAlgebra, BlockedFactorisationOfALargeSystem) {
  const int n = 300;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> u(-1, 1);
  DoubleValue a;
  a.setLayout(n * n, n, 0);
  for (int i = 0; i < n * n; ++i) a.data[i] = u(random);
  std::vector<double> truth(n);
  for (double& t : truth) t = u(random);
  DoubleValue b;
  b.setLayout(n, n, 0);
  for (int i = 0; i < n; ++i) {
    double s = 0;
    for (int k = 0; k < n; ++k) s += a.data[k * n + i] * truth[k];
    b.data[i] = s;
  }
  const std::vector<double> x = elements(*twoArg("solve", a, &b));
  for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], truth[i], 1e-9) << i;
}

TEST(LinearAlgebra, PivotingDeterminantAndInverse) {
  DoubleValue swap = matrix(2, 2, {0, 1, 1, 0});
  EXPECT_EQ(scalarOf(*valueToValue("det", swap)), -1);
  DoubleValue a = matrix(2, 2, {1, 2, 3, 4});
  EXPECT_NEAR(scalarOf(*valueToValue("det", a)), -2, 1e-14);
  DoubleValue m = matrix(2, 2, {4, 7, 2, 6});
  const std::vector<double> inverse = elements(*valueToValue("inv", m));
  const std::vector<double> expected = {0.6, -0.2, -0.7, 0.4};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(inverse[i], expected[i], 1e-15);
}

TEST(LinearAlgebra, SingularMatrixWarnsAndUsesTheTinyPivot) {
  ConsoleCapture console;
  DoubleValue a = matrix(2, 2, {1, 2, 2, 4});
  DoubleValue b = column({1, 2});
  const std::vector<double> x = elements(*twoArg("solve", a, &b));
  EXPECT_TRUE(console.saw("matrix is singular or close to singular"));
  EXPECT_EQ(x, (std::vector<double>{1, 0}));
}

TEST(LinearAlgebra, SlotServesLaterSolves) {
  DoubleValue a = matrix(2, 2, {2, 0, 0, 4});
  EXPECT_EQ(scalarI("setLU", a), 2);
  DoubleValue b = row({2, 4});
  auto x = twoArg("solve", b, nullptr);
  EXPECT_EQ(x->nrow, 1);
  EXPECT_EQ(elements(*x), (std::vector<double>{1, 1}));
  DoubleValue empty;
  EXPECT_EQ(scalarOf(*valueToValue("det", empty)), 8);
}

TEST(LinearAlgebra, Messages) {
  DoubleValue zeroRow = matrix(2, 2, {1, 2, 0, 0});
  DoubleValue b = column({1, 2});
  EXPECT_EQ(runtimeError([&] { twoArg("solve", zeroRow, &b); }), "LUform: matrix has a row of zeros");
  DoubleValue wide = matrix(2, 3, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(runtimeError([&] { twoArg("solve", wide, &b); }), "in solve: matrix must be square");
  DoubleValue a = matrix(2, 2, {1, 2, 3, 4});
  DoubleValue three = column({1, 2, 3});
  EXPECT_EQ(runtimeError([&] { twoArg("solve", a, &three); }), "in solve: rhs argument has wrong size");
  values::ComplexValue c;
  c.setLayout(1, 1, 0);
  EXPECT_EQ(runtimeError([&] { scalarI("setLU", c); }), "in setLU: invalid data type");
}

}  // namespace
}  // namespace zirbin::builtins::testing
