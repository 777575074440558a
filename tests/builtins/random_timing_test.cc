// Random numbers and timing.
#include <chrono>
#include <cmath>

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
  // The reference generator from seed 1 starts with 41 (of 32767).
  elementI("randseed", 1);
  EXPECT_EQ(noArg("rnd"), 41 / 32767.0);
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
