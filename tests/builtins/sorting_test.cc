// Sorting, sets and permutations.
#include <cmath>

#include "builtin_call.h"

namespace zirbin::builtins::testing {
namespace {

TEST(Sorting, SortOrdersTheElementsAndKeepsTheShape) {
  DoubleValue m = matrix(2, 2, {4, 1, 3, 2});
  auto s = twoArg("sort", m, nullptr);
  EXPECT_EQ(s->nrow, 2);
  EXPECT_EQ(elements(*s), (std::vector<double>{1, 2, 3, 4}));
}

TEST(Sorting, NaNsGoLast) {
  DoubleValue v = row({3, NAN, 1, NAN, 2});
  std::vector<double> e = elements(*twoArg("sort", v, nullptr));
  EXPECT_EQ(std::vector<double>(e.begin(), e.begin() + 3), (std::vector<double>{1, 2, 3}));
  EXPECT_TRUE(std::isnan(e[3]) && std::isnan(e[4]));
}

TEST(Sorting, SortRowsByAColumn) {
  DoubleValue m = matrix(3, 2, {3, 30, 1, 10, 2, 20});
  DoubleValue two(2);
  auto s = twoArg("sort", m, &two);
  EXPECT_EQ(elements(*s), (std::vector<double>{1, 2, 3, 10, 20, 30}));
}

TEST(Sorting, SortColumnMessages) {
  DoubleValue m = matrix(2, 2, {1, 2, 3, 4});
  DoubleValue pair = row({1, 2});
  DoubleValue three(3);
  EXPECT_EQ(runtimeError([&] { twoArg("sort", m, &pair); }),
            "in sort: invalid column number (not a scalar)");
  EXPECT_EQ(runtimeError([&] { twoArg("sort", m, &three); }),
            "in sort: invalid column number (out of range)");
}

TEST(Sorting, SortitSortsItsArgumentInPlace) {
  DoubleValue v = row({3, 1, 2});
  auto r = valueToValue("sortit", v);
  EXPECT_EQ(elements(*r), (std::vector<double>{0}));
  EXPECT_EQ(elements(v), (std::vector<double>{1, 2, 3}));
  IntValue i = intRow({5, -1});
  valueToValue("sortit", i);
  EXPECT_EQ(elements(i), (std::vector<double>{-1, 5}));
}

TEST(Sorting, SortindGivesStablePositions) {
  DoubleValue v = row({30, 10, 20, 10});
  EXPECT_EQ(elements(*valueToValue("sortind", v)), (std::vector<double>{2, 4, 3, 1}));
}

TEST(Sorting, SortrowsOrdersRowsLexicographicallyInPlace) {
  DoubleValue m = matrix(3, 2, {2, 1, 1, 5, 1, 3});
  auto order = valueToValue("sortrows", m);
  EXPECT_EQ(elements(*order), (std::vector<double>{3, 2, 1}));
  EXPECT_EQ(elements(m), (std::vector<double>{1, 1, 2, 3, 5, 1}));
}

TEST(Sorting, UniqueSortsAndKeepsOneOfEach) {
  DoubleValue v = row({3, 1, 3, 2});
  auto u = valueToValue("unique", v);
  EXPECT_EQ(u->nrow, 1);
  EXPECT_EQ(elements(*u), (std::vector<double>{1, 2, 3}));
  DoubleValue c = column({2, 2, 1});
  EXPECT_EQ(valueToValue("unique", c)->nrow, 2);
}

TEST(Sorting, BeforeComparesInSortingOrder) {
  IntValue abc = text("abc");
  IntValue abd = text("abd");
  IntValue ab = text("ab");
  EXPECT_EQ(elements(*twoArg("before", abc, &abd)), (std::vector<double>{1}));
  EXPECT_EQ(elements(*twoArg("before", abd, &abc)), (std::vector<double>{0}));
  EXPECT_EQ(elements(*twoArg("before", ab, &abc)), (std::vector<double>{1}));
  EXPECT_EQ(elements(*twoArg("before", abc, &abc)), (std::vector<double>{0}));
}

TEST(Sorting, QfindFindsTheBracketingPosition) {
  DoubleValue list = row({1, 3, 5, 7});
  DoubleValue x = row({0, 1, 4, 7, 9});
  EXPECT_EQ(elements(*functor("qfind", list, x)), (std::vector<double>{0, 1, 2, 4, 4}));
}

TEST(Sets, UnionMergesIntoARow) {
  DoubleValue a = column({1, 3, 5});
  DoubleValue b = row({2, 3, 6});
  auto u = twoArg("union", a, &b);
  EXPECT_EQ(u->nrow, 1);
  EXPECT_EQ(elements(*u), (std::vector<double>{1, 2, 3, 5, 6}));
}

TEST(Sets, IntersectMinusAndXor) {
  DoubleValue a = row({1, 2, 3, 4});
  DoubleValue b = row({3, 4, 5});
  EXPECT_EQ(elements(*twoArg("intersect", a, &b)), (std::vector<double>{3, 4}));
  EXPECT_EQ(elements(*twoArg("setminus", a, &b)), (std::vector<double>{1, 2}));
  EXPECT_EQ(elements(*twoArg("setxor", a, &b)), (std::vector<double>{1, 2, 5}));
  DoubleValue empty;
  EXPECT_EQ(twoArg("intersect", a, &empty)->size, 0);
}

TEST(Sets, IssubsetChecksTheOrderFirst) {
  DoubleValue a = row({2, 2, 4});
  DoubleValue b = row({1, 2, 3, 4});
  EXPECT_EQ(elements(*twoArg("issubset", a, &b)), (std::vector<double>{1}));
  EXPECT_EQ(elements(*twoArg("issubset", b, &a)), (std::vector<double>{0}));
  DoubleValue unsorted = row({2, 1});
  EXPECT_EQ(runtimeError([&] { twoArg("issubset", unsorted, &b); }), "non-sorted argument");
}

TEST(Permutations, NextAndPreviousInLexicographicOrder) {
  DoubleValue p = row({1, 2, 3});
  auto next = valueToValue("nextPerm", p);
  EXPECT_EQ(elements(*next), (std::vector<double>{1, 3, 2}));
  EXPECT_EQ(elements(*valueToValue("prevPerm", *next)), (std::vector<double>{1, 2, 3}));
}

TEST(Permutations, PastTheLastTheResultIsEmpty) {
  DoubleValue last = row({3, 2, 1});
  EXPECT_EQ(valueToValue("nextPerm", last)->size, 0);
  DoubleValue first = row({1, 2, 3});
  EXPECT_EQ(valueToValue("prevPerm", first)->size, 0);
}

}  // namespace
}  // namespace zirbin::builtins::testing
