// Random numbers and timing.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "builtin_call.h"

namespace zirbin::builtins::testing {
namespace {

TEST(Random, RandOfOneNumberIsARow) {
  DoubleValue three(3);
  auto r = valueToValue("rand", three);
  EXPECT_EQ(r->nrow, 1);
  EXPECT_EQ(r->size, 3);
  for (double x : elements(*r)) {
    EXPECT_GE(x, 0);
    EXPECT_LE(x, 1);
  }
  DoubleValue twoThree = row({2, 3});
  EXPECT_EQ(valueToValue("rand", twoThree)->nrow, 2);
  DoubleValue empty;
  EXPECT_EQ(valueToValue("rand", empty)->size, 0);
}

TEST(Random, RandMessages) {
  DoubleValue zero(0);
  EXPECT_EQ(runtimeError([&] { valueToValue("rand", zero); }), "in math function: negative n");
  DoubleValue negativeRows = row({-1, 2});
  EXPECT_EQ(runtimeError([&] { valueToValue("rand", negativeRows); }),
            "in math function: negative n");
  DoubleValue three = row({2, 3, 4});
  EXPECT_EQ(runtimeError([&] { valueToValue("rand", three); }),
            "in math function: too many arguments");
}

TEST(Random, RandexpTakesTheRateFirst) {
  DoubleValue args = row({2, 3, 4});
  auto r = valueToValue("randexp", args);
  EXPECT_EQ(r->nrow, 3);
  EXPECT_EQ(r->size, 12);
  DoubleValue rate(2);
  EXPECT_EQ(valueToValue("randexp", rate)->size, 1);
  DoubleValue four = row({2, 3, 4, 5});
  EXPECT_EQ(runtimeError([&] { valueToValue("randexp", four); }),
            "in math function: too many arguments");
}

TEST(Random, RandexpHasMeanOneOverTheRate) {
  DoubleValue args = row({4, 20000});
  EXPECT_NEAR(scalarD("mean", *valueToValue("randexp", args)), 0.25, 0.02);
}

TEST(Random, TheSameSeedGivesTheSameNumbers) {
  EXPECT_EQ(elementI("randseed", 42), 42);
  double first = noArg("rnd");
  elementI("randseed", 42);
  EXPECT_EQ(noArg("rnd"), first);
  // The 64-bit Mersenne Twister from seed 1: its first output's top 53 bits.
  elementI("randseed", 1);
  EXPECT_EQ(noArg("rnd"), 0.13387664401253263);
  EXPECT_EQ(noArg("rnd"), 0.13640703636619722);
}

TEST(Random, RandHasMoreThanTheOld32768Values) {
  // The C library's rand gave only 32768 distinct values; 2^53 fill 10^5 draws with
  // distinct numbers, all in [0, 1).
  DoubleValue count(100000);
  std::vector<double> x = elements(*valueToValue("rand", count));
  for (double u : x) {
    ASSERT_GE(u, 0);
    ASSERT_LT(u, 1);
  }
  std::sort(x.begin(), x.end());
  EXPECT_GT(std::unique(x.begin(), x.end()) - x.begin(), 99990);
}

TEST(Random, RandexpAndErrAreNeverInfinite) {
  // -ln(u) with u = 0 was +inf one draw in 32768; u now lies in (0, 1].
  DoubleValue args = row({1, 200000});
  for (double x : elements(*valueToValue("randexp", args))) {
    ASSERT_TRUE(std::isfinite(x));
    ASSERT_GE(x, 0);
  }
  for (double x : elements(*valueToValue("err", args))) ASSERT_TRUE(std::isfinite(x));
}

TEST(Random, IrandDrawsBelowEachBound) {
  DoubleValue bounds = row({6, 6, 6, 1});
  auto r = valueToValue("irand", bounds);
  ASSERT_EQ(r->size, 4);
  for (double x : elements(*r)) {
    EXPECT_GE(x, 0);
    EXPECT_LT(x, 6);
  }
  EXPECT_EQ(elements(*r)[3], 0);
  DoubleValue zero(0);
  EXPECT_EQ(runtimeError([&] { valueToValue("irand", zero); }), "in irand: n <= 0");
}

TEST(Random, IrandSpreadsEvenlyOverALargeRange) {
  // rand() mod n reached only 0 .. 32766 and favoured the low values; over 0 .. 3*10^9/2
  // the draws now fill the range evenly: each third holds a third of them.
  constexpr int kDraws = 30000;
  constexpr double kN = 1.5e9;
  std::vector<double> bound(kDraws, kN);
  DoubleValue n;
  n.setLayout(kDraws, 1, 0);
  std::copy(bound.begin(), bound.end(), n.data);
  int thirds[3] = {0, 0, 0};
  for (double x : elements(*valueToValue("irand", n))) {
    ASSERT_GE(x, 0);
    ASSERT_LT(x, kN);
    ++thirds[static_cast<int>(x / (kN / 3))];
  }
  for (int t : thirds) EXPECT_NEAR(t, kDraws / 3, 600);
}

TEST(Random, ShuffleKeepsTheElements) {
  DoubleValue v = row({1, 2, 3, 4, 5});
  auto s = valueToValue("shuffle", v);
  EXPECT_EQ(s->nrow, 1);
  EXPECT_EQ(elements(*twoArg("sort", *s, nullptr)), elements(v));
  DoubleValue m = matrix(2, 2, {1, 2, 3, 4});
  EXPECT_EQ(runtimeError([&] { valueToValue("shuffle", m); }), "incorrect value type for shuffle");
}

TEST(Timing, TocCountsFromTic) {
  EXPECT_EQ(noArg("tic"), 0);
  EXPECT_EQ(elementI("pause", 20), 20);
  double ms = noArg("toc");
  EXPECT_GE(ms, 19);
  EXPECT_LT(ms, 2000);
  EXPECT_NEAR(noArg("Toc"), noArg("toc") / 1000, 0.01);
}

TEST(Timing, WaitKeepsARhythmAfterTic) {
  noArg("tic");
  elementI("wait", 15);
  elementI("wait", 15);
  double ms = noArg("toc");
  EXPECT_GE(ms, 30);
  EXPECT_LT(ms, 2000);
}

}  // namespace
}  // namespace zirbin::builtins::testing

namespace zirbin::builtins::testing {
namespace {

TEST(Clock, TodayIsFifteenCharactersAndBecomesTheLastResult) {
  Value* date = valueFunc("today", 0);
  std::string s = date->toString();
  ASSERT_EQ(s.size(), 15u) << s;
  EXPECT_TRUE(date->isChar());
  EXPECT_EQ(s[3], ' ');
  EXPECT_EQ(s[10], ' ');
  EXPECT_EQ(valueFunc("ans", 0)->toString(), s);
}

TEST(Clock, OclockIsHoursMinutesSeconds) {
  std::vector<double> t = elements(*valueFunc("oclock", 0));
  ASSERT_EQ(t.size(), 3u);
  EXPECT_LT(t[0], 24);
  EXPECT_LT(t[1], 60);
  EXPECT_LE(t[2], 60);
}

TEST(Clock, ExepathGivesTheWorkingOrTheProgramDirectory) {
  std::string cwd = valueFunc("exepath", 0)->toString();
  EXPECT_FALSE(cwd.empty());
  EXPECT_EQ(cwd.front(), '/');
  EXPECT_FALSE(valueFunc("exepath", 1)->toString().empty());
}

}  // namespace
}  // namespace zirbin::builtins::testing
