// Assignments without an index, op-assignments, grow-assignments and return.
#include "engine/assign_statements.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/statement_test_support.h"

namespace zirbin::engine {
namespace {

using namespace testing;
using session::RuntimeError;
using values::DoubleValue;

TEST(AssignStm, CopiesElementsRowsAndFlags) {
  DoubleValue x;
  AssignStm s(literal(doubles({1, 2, 3, 4}, 2)), 0, &x);
  s.exe();
  EXPECT_EQ(elements(x), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(x.nrow, 2);
  FastAssignStm f(literal(ints({7}, 1, values::JMAT_BOOL)), 0, &x);
  f.exe();
  EXPECT_EQ(elements(x), (std::vector<double>{7}));
  EXPECT_EQ(x.flags, values::JMAT_BOOL);
}

TEST(AssignStm, RightSideReadingTheTargetSeesItsOldValue) {
  DoubleValue x(1.0);
  FastAssignStm s(std::make_unique<AddNode>(&x, 0.5), 0, &x);
  s.exe();
  s.exe();
  EXPECT_EQ(x.data[0], 2.0);
  EXPECT_TRUE(s.uses(&x));
}

TEST(AssignStm, OpAssignBroadcastsAndChecksShapes) {
  auto x = doubles({1, 2, 3});
  AssignPlusDStm plus(literal(10.0), 0, x.get());
  plus.exe();
  EXPECT_EQ(elements(*x), (std::vector<double>{11, 12, 13}));
  AssignTimesDStm times(literal(doubles({1, 0, 2})), 0, x.get());
  times.exe();
  EXPECT_EQ(elements(*x), (std::vector<double>{11, 0, 26}));
  // A scalar target first takes the operand's shape.
  DoubleValue s(2.0);
  AssignMinusDStm minus(literal(doubles({1, 2}, 2)), 0, &s);
  minus.exe();
  EXPECT_EQ(elements(s), (std::vector<double>{1, 0}));
  EXPECT_EQ(s.nrow, 2);
  AssignDivideDStm divide(literal(doubles({1, 2, 3})), 0, &s);
  try {
    divide.exe();
    FAIL();
  } catch (session::OperatorCode c) {
    EXPECT_EQ(c, '/');
  }
  OpAssignIntStm intPlus(literal(ints({1, 2}, 2)), 0, &s, '+');
  intPlus.exe();
  EXPECT_EQ(elements(s), (std::vector<double>{2, 2}));
  EXPECT_EQ(s.nrow, 2);
}

TEST(GrowAssignDStm, AppendsColumnsAndRows) {
  DoubleValue v;
  GrowAssignDStm byColumn(literal(doubles({5})), 0, &v, 'C');
  byColumn.exe();
  byColumn.exe();
  EXPECT_EQ(elements(v), (std::vector<double>{5, 5}));
  EXPECT_EQ(v.nrow, 1);
  GrowAssignDStm byRow(literal(doubles({1, 2})), 0, &v, 'S');
  byRow.exe();
  EXPECT_EQ(v.nrow, 2);
  EXPECT_EQ(elements(v), (std::vector<double>{5, 1, 5, 2}));
  GrowAssignDStm wrong(literal(doubles({1, 2, 3})), 0, &v, 'S');
  try {
    wrong.exe();
    FAIL();
  } catch (session::OperatorCode c) {
    EXPECT_EQ(c, ';');
  }
}

TEST(GrowAssignDStm, GrowingByOneManyTimesKeepsEveryElement) {
  DoubleValue v;
  DoubleValue i;
  GrowAssignDStm grow(variable(&i), 0, &v, 'C');
  for (int k = 1; k <= 1000; ++k) {
    i.assignDouble(k);
    grow.exe();
  }
  ASSERT_EQ(v.size, 1000);
  EXPECT_EQ(v.nrow, 1);
  EXPECT_EQ(v.data[0], 1.0);
  EXPECT_EQ(v.data[999], 1000.0);
}

TEST(GrowAssignDStm, RefusesAComplexRightSide) {
  DoubleValue v;
  auto z = std::make_unique<values::ComplexValue>();
  GrowAssignDStm grow(literal(std::move(z)), 4, &v, 'C');
  try {
    grow.exe();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.text, "in assignment: rhs type is incompatible with lhs");
  }
}

TEST(ReturnStm, ClearsKeepRunningAndChecksTypes) {
  DoubleValue out;
  ReturnStm r(literal(ints({3})), 0, &out);
  session::runContext->keepRunning = true;
  r.exe();
  EXPECT_FALSE(session::runContext->keepRunning);
  EXPECT_EQ(elements(out), (std::vector<double>{3}));
  session::runContext->keepRunning = true;
  ReturnStm bad(literal(std::make_unique<values::ComplexValue>()), 0, &out);
  try {
    bad.exe();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.text, "incompatable data type in return statement");
  }
  EXPECT_TRUE(session::runContext->keepRunning);
}

TEST(ComplexAssignStm, WidensNumbersAndRefusesLists) {
  values::ComplexValue z;
  ComplexAssignStm s(literal(doubles({1, 2})), 0, &z);
  s.exe();
  EXPECT_EQ(z.size, 2);
  EXPECT_EQ(z.data[1], values::Complex(2, 0));
  ComplexAssignStm list(literal(std::make_unique<values::ListValue>()), 0, &z);
  try {
    list.exe();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.text, "invalid type assigning to complex");
  }
}

TEST(CheckedAssignStm, AcceptsWideningOnly) {
  DoubleValue x;
  CheckedAssignStm fromInt(literal(ints({4})), 0, &x);
  fromInt.exe();
  EXPECT_EQ(elements(x), (std::vector<double>{4}));
  values::IntValue n;
  CheckedAssignStm narrowing(literal(doubles({1.5})), 0, &n);
  try {
    narrowing.exe();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.text, "incompatible types in assignment or return");
  }
}

TEST(ListAssignStm, NonListBecomesTheOnlyItem) {
  values::ListValue L;
  ListAssignStm s(literal(doubles({1, 2})), 0, &L);
  s.exe();
  ASSERT_EQ(L.size, 1);
  EXPECT_EQ(L.flags, values::JMAT_LIST);
  EXPECT_EQ(elements(*L.data[0].value), (std::vector<double>{1, 2}));
}

TEST(GrowListStm, AppendsItemsToVectorsOnly) {
  values::ListValue L;
  GrowListStm grow(literal(doubles({1})), 0, &L, 'C');
  grow.exe();
  grow.exe();
  EXPECT_EQ(L.size, 2);
  EXPECT_EQ(L.nrow, 1);
  EXPECT_EQ(L.flags, values::JMAT_LIST);
  // A 2x2 list cannot take one item.
  values::ListValue square;
  square.setLayout(4, 2, values::JMAT_LIST);
  GrowListStm one(literal(doubles({1})), 0, &square, 'C');
  try {
    one.exe();
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.text, "in list: an array cannot grow by only one item");
  }
}

}  // namespace
}  // namespace zirbin::engine
