// Reductions, statistics, running sums and differences.
#include <cmath>

#include "builtin_call.h"

namespace zirbin::builtins::testing {
namespace {

TEST(Reductions, SumsProductsAndExtremes) {
  DoubleValue v = row({3, -1, 4, 1, -5, 9});
  EXPECT_EQ(scalarD("elsum", v), 11);
  EXPECT_EQ(scalarD("prod", row({2, 3, 4})), 24);
  EXPECT_EQ(scalarD("min", v), -5);
  EXPECT_EQ(scalarD("max", v), 9);
  EXPECT_EQ(scalarD("range", v), 14);
  EXPECT_EQ(scalarI("minind", v), 5);
  EXPECT_EQ(scalarI("maxind", v), 6);
  EXPECT_EQ(scalarD("elsum", intRow({1, 2, 3})), 6);
}

TEST(Reductions, FirstOccurrenceOfTheExtremeCounts) {
  EXPECT_EQ(scalarI("maxind", row({3, 9, 9})), 2);
  EXPECT_EQ(scalarI("minind", row({1, 0, 0})), 2);
}

TEST(Reductions, EmptyArgumentsGiveZero) {
  DoubleValue empty;
  EXPECT_EQ(scalarD("min", empty), 0);
  EXPECT_EQ(scalarD("max", empty), 0);
  EXPECT_EQ(scalarD("range", empty), 0);
  EXPECT_EQ(scalarD("elsum", empty), 0);
  EXPECT_EQ(scalarD("prod", empty), 1);
  EXPECT_EQ(scalarI("minind", empty), 0);
}

TEST(Reductions, NaNIsPassedOverByTheExtremes) {
  EXPECT_EQ(scalarD("min", row({NAN, 2, 1})), 1);
  EXPECT_EQ(scalarD("max", row({2, NAN})), 2);
  EXPECT_TRUE(std::isnan(scalarD("max", row({NAN}))));
}

TEST(Reductions, LongSumsAreExactForIntegers) {
  DoubleValue v;
  v.setLayout(1001, 1, 0);
  for (int i = 0; i <= 1000; ++i) v.data[i] = i;
  EXPECT_EQ(scalarD("elsum", v), 500500);
}

TEST(Reductions, ZeroTestsAndPositions) {
  DoubleValue v = row({0, 0, 5, 0, 7});
  EXPECT_EQ(scalarI("find", v), 3);
  EXPECT_EQ(scalarI("rfind", v), 5);
  EXPECT_EQ(scalarI("all", v), 0);
  EXPECT_EQ(scalarI("any", v), 1);
  EXPECT_EQ(scalarI("find", row({0, 0})), 0);
  EXPECT_TRUE(function("all", BuiltinKind::ColumnWise).booleanResult);
  EXPECT_FALSE(function("find", BuiltinKind::ColumnWise).booleanResult);
  auto positions = valueToValue("findall", v);
  EXPECT_EQ(positions->nrow, 1);
  EXPECT_EQ(elements(*positions), (std::vector<double>{3, 5}));
  DoubleValue c = column({1, 0, 2});
  EXPECT_EQ(valueToValue("findall", c)->nrow, 2);
}

TEST(Reductions, LastElementRefusesLists) {
  EXPECT_EQ(scalarD("$lastElement", row({4, 5, 6})), 6);
  EXPECT_EQ(runtimeError([] { scalarD("$lastElement", ListValue()); }),
            "?ZIRBIN BUG: jfunc::lastElement called for a list");
}

TEST(Reductions, ColumnAndRowSums) {
  DoubleValue m = matrix(2, 3, {1, 2, 3, 4, 5, 6});
  auto c = valueToValue("colsums", m);
  EXPECT_EQ(c->nrow, 1);
  EXPECT_EQ(elements(*c), (std::vector<double>{5, 7, 9}));
  auto r = valueToValue("rowsums", m);
  EXPECT_EQ(r->nrow, 2);
  EXPECT_EQ(elements(*r), (std::vector<double>{6, 15}));
}

TEST(Statistics, PopulationVarianceDividesByN) {
  DoubleValue v = row({1, 2, 3, 4});
  EXPECT_EQ(scalarD("mean", v), 2.5);
  EXPECT_EQ(scalarD("sumsq", v), 30);
  EXPECT_EQ(scalarD("variance", v), 1.25);
  EXPECT_DOUBLE_EQ(scalarD("stdev", v), std::sqrt(1.25));
  EXPECT_EQ(scalarD("mean", intRow({1, 2})), 1.5);
}

TEST(Statistics, LargeValuesWithSmallSpreadKeepAPositiveVariance) {
  DoubleValue v = row({1e9 + 1, 1e9 + 2, 1e9 + 3});
  EXPECT_NEAR(scalarD("variance", v), 2.0 / 3, 1e-9);
  EXPECT_FALSE(std::isnan(scalarD("stdev", row({0.1, 0.1, 0.1}))));
}

TEST(RunningSums, CumsumKeepsTheShape) {
  DoubleValue m = matrix(2, 2, {1, 2, 3, 4});
  auto c = valueToValue("cumsum", m);
  EXPECT_EQ(c->nrow, 2);
  EXPECT_EQ(elements(*c), (std::vector<double>{1, 4, 6, 10}));
}

TEST(RunningSums, DifferencesShortenTheVector) {
  DoubleValue v = row({1, 4, 9, 16});
  EXPECT_EQ(elements(*valueToValue("diff", v)), (std::vector<double>{3, 5, 7}));
  EXPECT_EQ(elements(*valueToValue("diff2", v)), (std::vector<double>{2, 2}));
  DoubleValue one(1);
  EXPECT_EQ(valueToValue("diff", one)->size, 0);
  DoubleValue c = column({1, 2, 4});
  EXPECT_EQ(valueToValue("diff", c)->nrow, 2);
}

TEST(RunningSums, ReverseKeepsTheKind) {
  IntValue s = text("abc");
  auto r = valueToValue("reverse", s);
  EXPECT_EQ(r->toString(), "cba");
  EXPECT_TRUE(r->isChar());
}

TEST(RunningSums, WorkInPlaceWhenTheResultIsTheArgument) {
  DoubleValue v = row({1, 2, 3});
  std::get<ValueToValueRoutine>(function("cumsum", BuiltinKind::ValueToValue).routine)(v, v);
  EXPECT_EQ(elements(v), (std::vector<double>{1, 3, 6}));
  std::get<ValueToValueRoutine>(function("diff", BuiltinKind::ValueToValue).routine)(v, v);
  EXPECT_EQ(elements(v), (std::vector<double>{2, 3}));
}

}  // namespace
}  // namespace zirbin::builtins::testing
