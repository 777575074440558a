// The value model: factories, widening assignment, strings, lists, zero tests, extremes.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "base/errors.h"
#include "base/run_context.h"
#include "gui/console_buffer.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::values {
namespace {

IntValue ints(std::initializer_list<int> xs, int rows = 1) {
  IntValue v;
  v.setLayout(static_cast<int>(xs.size()), rows, 0);
  int i = 0;
  for (int x : xs) v.data[i++] = x;
  return v;
}

DoubleValue doubles(std::initializer_list<double> xs, int rows = 1) {
  DoubleValue v;
  v.setLayout(static_cast<int>(xs.size()), rows, 0);
  int i = 0;
  for (double x : xs) v.data[i++] = x;
  return v;
}

// Routes the session console to a buffer for one test.
struct CapturedConsole {
  gui::ConsoleBuffer buffer;
  CapturedConsole() { session::runContext->console = &buffer; }
  ~CapturedConsole() { session::runContext->console = nullptr; }
};

TEST(NewValue, UnknownCodeWarnsAndGivesEmptyDouble) {
  CapturedConsole console;
  std::unique_ptr<Value> v = newValue(7);
  EXPECT_EQ(v->valueType(), DOUBLE_VAL);
  EXPECT_EQ(v->size, 0);
  EXPECT_EQ(console.buffer.currentLine(), "variable of unknown type declared; double assumed");
  std::unique_ptr<Value> list = newValue(LIST_VAL);
  EXPECT_EQ(list->valueType(), LIST_VAL);
  EXPECT_EQ(list->size, 0);
  EXPECT_EQ(list->flags, 0);
}

TEST(NewValue, CopyIsDeepAndOfTheSameClass) {
  IntValue source = ints({1, 2, 3, 4}, 2);
  source.flags = JMAT_BOOL;
  std::unique_ptr<Value> copy = newValueCopy(source);
  ASSERT_EQ(copy->valueType(), INTEGER_VAL);
  EXPECT_EQ(copy->size, 4);
  EXPECT_EQ(copy->nrow, 2);
  EXPECT_EQ(copy->flags, JMAT_BOOL);
  static_cast<IntValue&>(*copy).data[0] = 99;
  EXPECT_EQ(source.data[0], 1);
}

TEST(AssignPromoting, IntIntoComplexWidensKeepingShapeAndFlags) {
  IntValue source = ints({1, 2, 3, 4, 5, 6}, 2);
  source.flags = JMAT_BOOL;
  ComplexValue target;
  target.assign(source);
  EXPECT_EQ(target.size, 6);
  EXPECT_EQ(target.nrow, 2);
  EXPECT_EQ(target.flags, JMAT_BOOL);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(target.data[i], Complex(i + 1, 0.0));
}

TEST(AssignPromoting, NarrowingAndListMixesAreRefused) {
  DoubleValue d(2.5);
  IntValue i;
  EXPECT_THROW(
      try { i.assign(d); } catch (char c) {
        EXPECT_EQ(c, '=');
        throw;
      },
      char);
  ListValue list;
  EXPECT_THROW(list.assign(d), char);
  EXPECT_THROW(d.assign(list), char);
  ComplexValue z;
  EXPECT_THROW(d.assign(z), char);
}

TEST(AssignSame, AnotherClassWidensOrIsRefused) {
  DoubleValue d;
  d.assignSame(IntValue(3));
  EXPECT_EQ(d.data[0], 3.0);
  IntValue i;
  EXPECT_THROW(i.assignSame(DoubleValue(1.5)), char);
}

TEST(AssignPromoting, SelfAssignmentKeepsTheValue) {
  IntValue v = ints({4, 5});
  v.assign(v);
  EXPECT_EQ(v.size, 2);
  EXPECT_EQ(v.data[1], 5);
}

TEST(AssignString, StoresSignedByteCodes) {
  IntValue v;
  v.assignString("a\xff\x80");
  EXPECT_EQ(v.size, 3);
  EXPECT_EQ(v.nrow, 1);
  EXPECT_EQ(v.kind(), JMAT_CHAR);
  EXPECT_EQ(v.data[0], 97);
  EXPECT_EQ(v.data[1], -1);
  EXPECT_EQ(v.data[2], -128);
  EXPECT_EQ(v.toString(), "a\xff\x80");
  DoubleValue d;
  d.assignString("\xfe");
  EXPECT_EQ(d.data[0], -2.0);
  EXPECT_EQ(d.toString(), "\xfe");
}

TEST(AssignString, EmptyTextGivesEmptyCharacterRow) {
  IntValue v;
  v.assignString("");
  EXPECT_EQ(v.size, 0);
  EXPECT_EQ(v.nrow, 1);
  EXPECT_EQ(v.kind(), JMAT_CHAR);
}

TEST(AssignString, ComplexRefusesAndListWrapsAString) {
  ComplexValue z;
  try {
    z.assignString("x");
    FAIL();
  } catch (const std::string& text) {
    EXPECT_EQ(text, "you can't assign a character string to a complex value");
  }
  ListValue list;
  list.assignString("hi");
  EXPECT_EQ(list.size, 1);
  EXPECT_EQ(list.kind(), JMAT_LIST);
  ASSERT_NE(list.data[0].value, nullptr);
  EXPECT_EQ(list.data[0].value->valueType(), INTEGER_VAL);
  EXPECT_EQ(list.data[0].value->toString(), "hi");
}

TEST(ToString, MatrixRunsRowAfterRow) {
  IntValue v = ints({'a', 'c', 'b', 'd'}, 2);
  v.flags = JMAT_CHAR;
  EXPECT_EQ(v.toString(), "abcd");
  ListValue list;
  EXPECT_EQ(list.toString(), "ListValue::toString not implemented yet");
}

TEST(ListValue, AssignmentCopiesItemsDeeply) {
  ListValue source;
  source.setLayout(2, 1, JMAT_LIST);
  source.data[0].value = std::make_unique<DoubleValue>(1.5);
  ListValue inner;
  inner.assignInt(7);
  source.data[1].value = newValueCopy(inner);
  ListValue copy;
  copy.assign(source);
  ASSERT_EQ(copy.size, 2);
  static_cast<DoubleValue&>(*copy.data[0].value).data[0] = 9;
  auto& nested = static_cast<ListValue&>(*copy.data[1].value);
  static_cast<IntValue&>(*nested.data[0].value).data[0] = 9;
  EXPECT_EQ(source.data[0].value->getDouble(), 1.5);
  auto& sourceNested = static_cast<ListValue&>(*source.data[1].value);
  EXPECT_EQ(sourceNested.data[0].value->getInt(), 7);
}

TEST(ListValue, AssigningANestedListToItsOwnerIsSafe) {
  ListValue outer;
  outer.setLayout(2, 1, JMAT_LIST);
  outer.data[0].value = std::make_unique<IntValue>(1);
  ListValue inner;
  inner.setLayout(2, 1, JMAT_LIST);
  inner.data[0].value = std::make_unique<IntValue>(2);
  inner.data[1].value = std::make_unique<IntValue>(3);
  outer.data[1].value = newValueCopy(inner);
  outer.assign(*outer.data[1].value);  // x = x{2}
  ASSERT_EQ(outer.size, 2);
  EXPECT_EQ(outer.data[0].value->getInt(), 2);
  EXPECT_EQ(outer.data[1].value->getInt(), 3);

  ListValue again;
  again.setLayout(2, 1, JMAT_LIST);
  again.data[1].value = newValueCopy(inner);
  int both[] = {1, 2};
  again.IndexedAssign(kElementMode, both, 2, static_cast<ListValue&>(*again.data[1].value));
  EXPECT_EQ(again.data[0].value->getInt(), 2);
  EXPECT_EQ(again.data[1].value->getInt(), 3);
}

TEST(ListValue, ScalarAssignmentsMakeOneItemLists) {
  ListValue list;
  list.assignDouble(2.5);
  EXPECT_EQ(list.size, 1);
  EXPECT_EQ(list.flags, JMAT_LIST);
  EXPECT_EQ(list.data[0].value->valueType(), DOUBLE_VAL);
  list.assignInt(3);
  EXPECT_EQ(list.data[0].value->valueType(), INTEGER_VAL);
  IntValue v = ints({1, 2});
  list.assignSame(v);
  EXPECT_EQ(list.size, 1);
  EXPECT_EQ(list.data[0].value->size, 2);
}

TEST(ListValue, ResizeFillGivesEveryItemItsOwnCopy) {
  ListValue list;
  ListItem item(std::make_unique<DoubleValue>(4.0));
  list.resizeFill(3, 3, item);
  static_cast<DoubleValue&>(*list.data[0].value).data[0] = 1;
  EXPECT_EQ(list.data[1].value->getDouble(), 4.0);
  EXPECT_EQ(item.value->getDouble(), 4.0);
  // Filling from one of its own items is safe.
  list.resizeFill(2, 1, list.data[2]);
  EXPECT_EQ(list.data[0].value->getDouble(), 4.0);
}

TEST(ReadElementZero, GetDoubleAndGetInt) {
  ComplexValue z;
  z.setLayout(1, 1, 0);
  z.data[0] = Complex(3, 4);
  EXPECT_EQ(z.getDouble(), 0.0);
  EXPECT_EQ(z.getInt(), 0);
  EXPECT_EQ(DoubleValue(-2.7).getInt(), -2);
  EXPECT_EQ(IntValue(5).getDouble(), 5.0);
  DoubleValue empty;
  EXPECT_THROW(empty.getDouble(), char);
}

TEST(Truncation, NeverTraps) {
  EXPECT_EQ(truncateToInt(NAN), 0);
  EXPECT_EQ(truncateToInt(1e20), INT_MAX);
  EXPECT_EQ(truncateToInt(-1e20), INT_MIN);
  EXPECT_EQ(truncateToInt(-2.9), -2);
  IntValue v;
  v.assignDouble(1e300);
  EXPECT_EQ(v.data[0], INT_MAX);
}

TEST(ZeroTests, FindAndAnyAll) {
  IntValue v = ints({0, 0, 5, 0, 7});
  EXPECT_EQ(v.findFirst(), 3);
  EXPECT_EQ(v.findLast(), 5);
  IntValue zeros = ints({0, 0});
  EXPECT_EQ(zeros.findFirst(), 0);
  IntValue empty;
  EXPECT_EQ(empty.findFirst(), 0);
  EXPECT_EQ(empty.findLast(), 0);
  EXPECT_FALSE(empty.anyNonZero());
  EXPECT_TRUE(empty.allNonZero());
  DoubleValue nan = doubles({NAN});
  EXPECT_TRUE(nan.anyNonZero());
  EXPECT_TRUE(nan.allNonZero());
}

TEST(ZeroTests, ComplexTestsTheRealPartButExtremesUseTheModulus) {
  ComplexValue z;
  z.setLayout(2, 1, 0);
  z.data[0] = Complex(1, 0);
  z.data[1] = Complex(0, 2);
  EXPECT_TRUE(z.anyNonZero());
  EXPECT_FALSE(z.allNonZero());
  EXPECT_EQ(z.findFirst(), 1);
  EXPECT_EQ(z.findLast(), 1);
  EXPECT_EQ(z.indexOfMax(), 1);
  EXPECT_EQ(z.indexOfMin(), 0);
}

TEST(ZeroTests, ListItemsCountByTheirValues) {
  ListValue list;
  list.setLayout(3, 1, JMAT_LIST);
  EXPECT_FALSE(list.anyNonZero());
  EXPECT_TRUE(list.allNonZero());  // empty items hold no value
  list.data[1].value = std::make_unique<DoubleValue>();
  EXPECT_FALSE(list.allNonZero());
  list.data[2].value = std::make_unique<DoubleValue>(1.0);
  EXPECT_TRUE(list.anyNonZero());
  EXPECT_EQ(list.findFirst(), 3);
  EXPECT_EQ(list.indexOfMax(), 2);
}

TEST(Extremes, FirstOfEqualElements) {
  IntValue v = ints({3, 9, 9});
  EXPECT_EQ(v.indexOfMax(), 1);
  EXPECT_EQ(v.indexOfMin(), 0);
  IntValue empty;
  EXPECT_EQ(empty.indexOfMin(), 0);
}

TEST(ElementTransforms, LogicalNotNegateConjugate) {
  IntValue v = ints({0, 2, -1});
  v.logicalNot();
  EXPECT_EQ(v.data[0], 1);
  EXPECT_EQ(v.data[1], 0);
  EXPECT_EQ(v.data[2], 0);
  DoubleValue nan = doubles({NAN});
  nan.logicalNot();
  EXPECT_EQ(nan.data[0], 0.0);
  IntValue low = ints({INT_MIN, 4});
  low.negate();  // wraps instead of overflowing
  EXPECT_EQ(low.data[0], INT_MIN);
  EXPECT_EQ(low.data[1], -4);
  ComplexValue z;
  z.setLayout(1, 1, 0);
  z.data[0] = Complex(1, 2);
  z.conjugate();
  EXPECT_EQ(z.data[0], Complex(1, -2));
  ListValue list;
  list.assignInt(0);
  list.logicalNot();
  EXPECT_EQ(list.data[0].value->getInt(), 0);
}

TEST(Shape, TestsAndCounts) {
  IntValue v = ints({1, 2, 3, 4, 5, 6}, 2);
  EXPECT_EQ(v.ncol(), 3);
  EXPECT_FALSE(v.isVector());
  IntValue empty;
  EXPECT_EQ(empty.ncol(), 0);
  EXPECT_TRUE(empty.isEmpty());
  EXPECT_TRUE(IntValue(1).isScalar());
  try {
    (void)v.ncol3D();
    FAIL();
  } catch (const std::string& text) {
    EXPECT_EQ(text, "BUG: ncol3D called for non-3D value");
  }
  v.flags = JMAT_3D | (3 << kPageShift);
  v.nrow = 1;
  EXPECT_EQ(v.pages(), 3);
  EXPECT_EQ(v.ncol3D(), 2);
}

TEST(Allocation, HugeRequestsFailWithAClearMessage) {
  DoubleValue v;
  try {
    v.setShape(100000, 100000);
    FAIL();
  } catch (const session::RuntimeError& e) {
    EXPECT_EQ(e.text, "out of memory: cannot allocate 10000000000 elements");
  }
  EXPECT_EQ(v.size, 0);
  try {
    v.setShape(65536, 65536);  // the product does not fit 32 bits
    FAIL();
  } catch (const session::RuntimeError& e) {
    EXPECT_EQ(e.text, "out of memory: cannot allocate 4294967296 elements");
  }
  EXPECT_THROW(v.setShape(-1, -1), session::RuntimeError);
}

TEST(Placeholder, IsOneEmptyDouble) {
  EXPECT_EQ(&emptyPlaceholder(), &emptyPlaceholder());
  EXPECT_EQ(emptyPlaceholder().valueType(), DOUBLE_VAL);
  EXPECT_EQ(emptyPlaceholder().size, 0);
}

}  // namespace
}  // namespace zirbin::values
