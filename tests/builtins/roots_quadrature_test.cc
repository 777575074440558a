// fzero, fminbrac, fmin, differ, vdiffer, qinteg, binteg, sum and table, checked against
// closed forms.
#include <numbers>

#include "builtins/numerical_methods.h"
#include "numeric_call.h"

namespace zirbin::builtins::testing {
namespace {

constexpr double kPi = std::numbers::pi;
const double kInf = std::numeric_limits<double>::infinity();

TEST(Fzero, RiddersFindsTheSquareRootOfTwo) {
  DoubleValue range = row({0, 2});
  DoubleValue acc(1e-10);
  DoubleValue square = row({-2, 0, 1});  // poly coefficients of x^2 - 2
  auto root = call("fzero", {Ref{"poly"}, &range, &acc, &square});
  EXPECT_NEAR(scalarOf(*root), std::sqrt(2.0), 1e-10);
  DoubleValue pi = row({3, 4});
  EXPECT_NEAR(scalarOf(*call("fzero", {Ref{"sin"}, &pi})), kPi, 1e-10);
}

TEST(Fzero, SameSignAtBothEndsIsRefused) {
  DoubleValue range = row({2, 3});
  DoubleValue none;
  DoubleValue square = row({-2, 0, 1});
  EXPECT_EQ(runtimeError([&] { call("fzero", {Ref{"poly"}, &range, &none, &square}); }),
            "fzero: f(x1) and f(x2) have same sign");
}

TEST(Fzero, AZeroAtAnEndIsReturnedAtOnce) {
  auto f = cpp([](double x) { return x - 1; });
  EXPECT_EQ(riddersRoot(*f, 1, 5, 1e-10), 1);
  EXPECT_EQ(f->evaluations(), 2);
}

TEST(Fzero, TooManyIterationsWritesTheLineAndReturnsTheEstimate) {
  ConsoleCapture console;
  auto f = cpp([](double x) { return x * x - 2; });
  const double root = riddersRoot(*f, 0, 2, -1);
  EXPECT_TRUE(console.saw("fzero: max number of iterations exceeded"));
  EXPECT_NEAR(root, std::sqrt(2.0), 1e-12);
}

TEST(Fzero, SearchesOutwardsFromOneStartingValue) {
  DoubleValue start(1);
  EXPECT_NEAR(scalarOf(*call("fzero", {Ref{"cos"}, &start})), kPi / 2, 1e-10);
  DoubleValue far(-20);
  DoubleValue none;
  DoubleValue shifted = row({-7, 1});  // x - 7
  EXPECT_NEAR(scalarOf(*call("fzero", {Ref{"poly"}, &far, &none, &shifted})), 7, 1e-10);
}

TEST(Fzero, NoChangeOfSignAnywhereIsRefused) {
  DoubleValue start(0);
  DoubleValue none;
  DoubleValue positive = row({1, 0, 1});  // 1 + x^2
  EXPECT_EQ(runtimeError([&] { call("fzero", {Ref{"poly"}, &start, &none, &positive}); }),
            "in fzero: couldn't find a zero-crossing");
}

TEST(Fzero, SampledDataGivesEveryCrossing) {
  DoubleValue y = row({1, -1, -3, 1, 0});
  DoubleValue x = row({0, 1, 2, 3, 4});
  EXPECT_EQ(elements(*call("fzero", {&y, &x})), (std::vector<double>{0.5, 2.75, 4}));
  DoubleValue limit = row({1, 3});
  EXPECT_EQ(elements(*call("fzero", {&y, &x, &limit})), (std::vector<double>{2.75}));
}

TEST(Fzero, SampledDataMessages) {
  DoubleValue one = row({1});
  DoubleValue two = row({1, -1});
  DoubleValue three = row({0, 1, 2});
  DoubleValue empty;
  DoubleValue scalar(1);
  EXPECT_EQ(runtimeError([&] { call("fzero", {&one}); }), "in fzero: not enough points");
  EXPECT_EQ(runtimeError([&] { call("fzero", {&two, &three}); }),
            "in fzero: y,x have unequal lengths");
  DoubleValue x2 = row({0, 1});
  EXPECT_EQ(runtimeError([&] { call("fzero", {&two, &x2, &empty}); }),
            "fzero: empty x limit not allowed");
  EXPECT_EQ(runtimeError([&] { call("fzero", {&two, &x2, &scalar}); }),
            "in fzero: ambiguous arguments: use a vector xlim");
}

TEST(FunctionArgument, SharedParsingMessages) {
  DoubleValue range = row({0, 2});
  DoubleValue reversed = row({2, 0});
  DoubleValue infinite = row({0, kInf});
  DoubleValue empty;
  DoubleValue square = row({-2, 0, 1});
  EXPECT_EQ(runtimeError([&] { call("fzero", {Ref{"sin"}, &reversed}); }),
            "in fzero: range has upper limit at or below lower limit");
  EXPECT_EQ(runtimeError([&] { call("fzero", {Ref{"sin"}, &infinite}); }),
            "in fzero: infinite limits not allowed here");
  EXPECT_EQ(runtimeError([&] { call("fzero", {Ref{"sin"}, &range, &empty, &square}); }),
            "in fzero: too many arguments for the specified function");
  EXPECT_EQ(runtimeError([&] { call("fzero", {Ref{"poly"}, &range}); }),
            "in fzero: you can only use a single-parameter function here");
  EXPECT_EQ(runtimeError([&] { call("fzero", {Ref{"poly"}, &range, &empty, &empty}); }),
            "in fzero: illegal use of empty argument []");
  EXPECT_EQ(runtimeError([&] { call("lsfit", {&range, &range, &range, &range}); }),
            "in lsfit: 1st argument must be a function");
  EXPECT_EQ(runtimeError([&] { call("fzero", {Ref{"pi"}, &range}); }), "in fzero: invalid argument");
  EXPECT_EQ(runtimeError([&] { call("integ", {}); }), "in integ: invalid argument");
}

TEST(FunctionArgument, IntegerResultsAreRefused) {
  DoubleValue range = row({0, 2});
  EXPECT_EQ(runtimeError([&] { call("fzero", {Ref{"size"}, &range}); }),
            "in fzero: non-real result type not yet implemented");
}

TEST(FunctionArgument, EmptyResultIsRefused) {
  auto f = cpp([](double) { return 0.0; });
  class Empty : public CppFunction {
   public:
    Empty() : CppFunction([](double) { return 0.0; }) {}
    void evaluate(const DoubleValue&, Value& result) override { result.clear(); }
  };
  FunctionArgument empty("test", std::make_unique<Empty>());
  EXPECT_EQ(runtimeError([&] { empty.at(1); }), "function returned empty vector []");
}

TEST(Fmin, BracketHoldsTheMinimum) {
  DoubleValue start(0);
  DoubleValue parabola = row({4, -4, 1});  // (x - 2)^2
  auto bracket = elements(*call("fminbrac", {Ref{"poly"}, &start, &parabola}));
  ASSERT_EQ(bracket.size(), 3u);
  auto f = [](double x) { return (x - 2) * (x - 2); };
  EXPECT_LT(std::min(bracket[0], bracket[2]), bracket[1]);
  EXPECT_GT(std::max(bracket[0], bracket[2]), bracket[1]);
  EXPECT_LT(f(bracket[1]), f(bracket[0]));
  EXPECT_LT(f(bracket[1]), f(bracket[2]));
}

TEST(Fmin, BrentFindsTheMinimumAndItsValue) {
  DoubleValue start(0);
  DoubleValue parabola = row({5, -4, 1});  // (x - 2)^2 + 1
  DoubleValue value;
  auto x = call("fmin", {Ref{"poly"}, &start, &parabola}, {&value});
  EXPECT_NEAR(scalarOf(*x), 2, 1e-7);
  EXPECT_NEAR(scalarOf(value), 1, 1e-14);
  DoubleValue three(3);
  EXPECT_NEAR(scalarOf(*call("fmin", {Ref{"cos"}, &three})), kPi, 1e-7);
  DoubleValue pair = row({3, 3.5});
  EXPECT_NEAR(scalarOf(*call("fmin", {Ref{"cos"}, &pair})), kPi, 1e-7);
}

TEST(Fmin, AFunctionWithoutMinimumIsRefusedNotEndless) {
  DoubleValue start(0);
  DoubleValue falling = row({0, -1});
  EXPECT_EQ(runtimeError([&] { call("fminbrac", {Ref{"poly"}, &start, &falling}); }),
            "in fminbrac: no minimum found");
}

TEST(Differ, FivePointDerivativeOfSine) {
  DoubleValue x = row({0, 1, 2});
  auto d = elements(*call("differ", {Ref{"sin"}, &x}));
  ASSERT_EQ(d.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(d[i], std::cos(i), 1e-9);
}

TEST(Differ, UsesOneEvaluationOnAllPoints) {
  auto f = cpp([](double x) { return x * x * x; });
  auto d = differentiate(*f, {1, 2});
  EXPECT_EQ(f->evaluations(), 1);
  EXPECT_NEAR(d[0], 3, 1e-8);
  EXPECT_NEAR(d[1], 12, 1e-8);
}

TEST(Differ, SampledData) {
  DoubleValue y = row({0, 1, 4, 9});
  DoubleValue x = row({0, 1, 2, 3});
  EXPECT_EQ(elements(*call("differ", {&y, &x})), (std::vector<double>{1, 3, 5}));
  DoubleValue xy = matrix(2, 3, {0, 2, 3, 0, 4, 5});
  EXPECT_EQ(elements(*valueToValue("vdiffer", xy)), (std::vector<double>{2, 1}));
}

TEST(Qinteg, SineOverHalfAPeriodIsTwo) {
  ConsoleCapture console;
  DoubleValue range = row({0, kPi});
  EXPECT_NEAR(scalarOf(*call("qinteg", {Ref{"sin"}, &range})), 2, 1e-12);
  EXPECT_TRUE(console.lines.empty());
}

// A zero integral used to refine down to the last level on rounding noise and warn.
TEST(Qinteg, ZeroIntegralDoesNotRefineOnNoiseFixed) {
  ConsoleCapture console;
  auto f = cpp([](double x) { return std::sin(x); });
  bool tooDeep = true;
  EXPECT_NEAR(gaussLegendreIntegral(*f, -kPi, kPi, 1e-9, &tooDeep), 0, 1e-14);
  EXPECT_FALSE(tooDeep);
  EXPECT_LT(f->evaluations(), 100);
}

TEST(Qinteg, ClosedFormsAndTolerance) {
  DoubleValue range = row({0, 1});
  EXPECT_NEAR(scalarOf(*call("qinteg", {Ref{"exp"}, &range})), std::exp(1.0) - 1, 1e-13);
  DoubleValue tol(1e-12);
  DoubleValue peak = row({1, 0.01, 0.5, 0});  // gauss: integral sqrt(2 pi) 0.01
  EXPECT_NEAR(scalarOf(*call("qinteg", {Ref{"gauss"}, &range, &tol, &peak})),
              std::sqrt(2 * kPi) * 0.01, 1e-12);
}

TEST(Qinteg, TooDeepWritesTheLineAndStillAnswers) {
  ConsoleCapture console;
  DoubleValue range = row({0, 1});
  DoubleValue tol(1e-15);
  const double value = scalarOf(*call("qinteg", {Ref{"sqrt"}, &range, &tol}));
  EXPECT_TRUE(console.saw("integ reached max iterations"));
  EXPECT_NEAR(value, 2.0 / 3, 1e-9);
}

TEST(Qinteg, InfiniteLimitGoesToInteg) {
  DoubleValue range = row({-kInf, 0});
  EXPECT_NEAR(scalarOf(*call("qinteg", {Ref{"exp"}, &range})), 1, 1e-9);
  DoubleValue three = row({0, 1, 2});
  EXPECT_EQ(runtimeError([&] { call("qinteg", {Ref{"exp"}, &three}); }),
            "in qinteg: wrong number of x limits");
}

TEST(Binteg, BooleOfSquaresIsExact) {
  DoubleValue squares = row({0, 1, 4, 9, 16});
  EXPECT_EQ(scalarD("binteg", squares), 64.0 / 3);
}

TEST(Binteg, EndFormulasAreExactForQuartics) {
  // Boole's rule is exact to degree 5 and the end formulas to degree 4.
  for (int n : {6, 7, 8, 9, 10, 11, 12}) {
    DoubleValue y;
    y.setLayout(n, 1, 0);
    for (int i = 0; i < n; ++i) y.data[i] = std::pow(i, 4) - 3 * i + 1;
    const double b = n - 1;
    EXPECT_NEAR(scalarD("binteg", y), std::pow(b, 5) / 5 - 1.5 * b * b + b, 1e-9) << n;
  }
}

TEST(Binteg, ShortData) {
  EXPECT_EQ(scalarD("binteg", row({1, 3})), 2);
  EXPECT_EQ(scalarD("binteg", row({0, 1, 4})), 8.0 / 3);
  EXPECT_EQ(scalarD("binteg", row({5})), 0);
  // Four samples of x^3: Simpson's 3/8 rule is exact.
  EXPECT_DOUBLE_EQ(scalarD("binteg", row({0, 1, 8, 27})), 81.0 / 4);
}

TEST(Sum, ValuesAndTheirMessages) {
  DoubleValue v = row({1, 2, 3.5});
  EXPECT_EQ(scalarOf(*call("sum", {&v})), 6.5);
  DoubleValue one(1), two(2), three(3), pair = row({1, 2});
  EXPECT_EQ(runtimeError([&] { call("sum", {&v, &pair}); }),
            "in sum: second argument must be a scalar here (to sum two vectors use +)");
  EXPECT_EQ(runtimeError([&] { call("sum", {&v, &one}); }), "in sum: for column sums please use colsum");
  EXPECT_EQ(runtimeError([&] { call("sum", {&v, &two}); }), "in sum: sum along rows not yet implemented");
  EXPECT_EQ(runtimeError([&] { call("sum", {&v, &three}); }), "in sum: dimension > 2 not yet implemented");
}

TEST(Sum, FunctionOverWholeNumbers) {
  DoubleValue range = row({1, 4});
  DoubleValue square = row({0, 0, 1});
  EXPECT_EQ(scalarOf(*call("sum", {Ref{"poly"}, &range, &square})), 30);
}

TEST(Sum, AnImpossibleRangeIsAClearErrorNotACrash) {
  DoubleValue range = row({0, 1e12});
  DoubleValue square = row({0, 0, 1});
  const std::string message = runtimeError([&] { call("sum", {Ref{"poly"}, &range, &square}); });
  EXPECT_NE(message.find("out of memory"), std::string::npos) << message;
}

TEST(Table, RowsArePaddedButMayNotGrow) {
  DoubleValue shrinking = row({2, 1, 1});
  auto t = call("table", {Ref{"ones"}, &shrinking});
  EXPECT_EQ(t->nrow, 3);
  EXPECT_EQ(elements(*t), (std::vector<double>{1, 1, 1, 1, 0, 0, 1, 0, 0, 1, 0, 0}));
  DoubleValue growing = row({1, 2, 3});
  EXPECT_EQ(runtimeError([&] { call("table", {Ref{"ones"}, &growing}); }),
            "in table: a table row is longer than the first row");
}

}  // namespace
}  // namespace zirbin::builtins::testing
