// The matrix containers: growth and shrinking, slicing, selection, erasure, transposition
// and indexed assignment.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::values {
namespace {

IntValue ints(std::vector<int> xs, int rows) {
  IntValue v;
  v.setLayout(static_cast<int>(xs.size()), rows, 0);
  for (size_t i = 0; i < xs.size(); ++i) v.data[i] = xs[i];
  return v;
}

std::vector<int> elements(const IntValue& v) { return std::vector<int>(v.data, v.data + v.size); }

// 1 to n in a rows-row matrix.
IntValue counting(int n, int rows) {
  std::vector<int> xs(n);
  for (int i = 0; i < n; ++i) xs[i] = i + 1;
  return ints(xs, rows);
}

TEST(JMatrix, ResizeKeepGrowsAColumnAsAColumnAndARowAsARow) {
  IntValue one(7);
  one.resizeKeep(5);
  EXPECT_EQ(one.size, 5);
  EXPECT_EQ(one.nrow, 5);
  EXPECT_EQ(one.data[0], 7);
  IntValue row = counting(3, 1);
  row.resizeKeep(5);
  EXPECT_EQ(row.nrow, 1);
  EXPECT_EQ(row.ncol(), 5);
  EXPECT_EQ(row.data[2], 3);
}

TEST(JMatrix, ResizeKeepShrinksWithoutReallocatingByTheRules) {
  DoubleValue big;
  big.resizeFill(200000, 1, 1.0);
  void* block = big.rawData();
  big.resizeKeep(150000);
  EXPECT_EQ(big.rawData(), block);
  EXPECT_EQ(big.size, 150000);
  big.resizeFill(200000, 1, 1.0);
  block = big.rawData();
  big.resizeKeep(99999);  // 100001 removed: reallocated
  EXPECT_NE(big.rawData(), block);
  EXPECT_EQ(big.data[99998], 1.0);

  IntValue small = counting(10, 1);
  block = small.rawData();
  small.resizeKeep(7);
  EXPECT_EQ(small.rawData(), block);
  small = counting(10, 1);
  block = small.rawData();
  small.resizeKeep(5);
  EXPECT_NE(small.rawData(), block);
  EXPECT_EQ(elements(small), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(JMatrix, GrowingOneElementAtATimeKeepsEveryElement) {
  IntValue v;
  int reallocations = 0;
  void* block = nullptr;
  for (int i = 0; i < 100000; ++i) {
    v.resizeKeep(i + 1);
    v.data[i] = i;
    if (v.rawData() != block) ++reallocations;
    block = v.rawData();
  }
  EXPECT_EQ(v.size, 100000);
  EXPECT_EQ(v.nrow, 100000);
  EXPECT_LT(reallocations, 40);  // geometric growth, not one copy per element
  for (int i = 0; i < 100000; i += 997) ASSERT_EQ(v.data[i], i);
}

TEST(JMatrix, ShrinkingAListFreesTheDroppedItems) {
  ListValue list;
  list.setLayout(3, 1, JMAT_LIST);
  for (int i = 0; i < 3; ++i) list.data[i].value = std::make_unique<IntValue>(i);
  list.resizeKeep(2);
  list.resizeKeep(3);  // regrown within the block: the new item is empty
  EXPECT_EQ(list.data[2].value, nullptr);
  EXPECT_EQ(list.data[1].value->getInt(), 1);
}

TEST(JMatrix, SetShapeResizesOnlyWhenTheCountChanges) {
  IntValue v = counting(6, 2);
  void* block = v.rawData();
  v.setShape(3, 2);
  EXPECT_EQ(v.rawData(), block);
  EXPECT_EQ(v.nrow, 3);
  EXPECT_EQ(v.data[5], 6);
  v.setShape(1, 1);
  EXPECT_EQ(v.size, 1);
}

TEST(JMatrix, GetSliceByModeAndAutomatically) {
  IntValue m = counting(6, 2);  // [1 3 5; 2 4 6]
  m.flags = JMAT_BOOL;
  IntValue dest;
  m.getSlice(2, dest, kRowMode);
  EXPECT_EQ(elements(dest), (std::vector<int>{2, 4, 6}));
  EXPECT_EQ(dest.nrow, 1);
  EXPECT_EQ(dest.flags, JMAT_BOOL);
  m.getSlice(3, dest, kColumnMode);
  EXPECT_EQ(elements(dest), (std::vector<int>{5, 6}));
  EXPECT_EQ(dest.nrow, 2);
  m.getSlice(4, dest, kElementMode);
  EXPECT_EQ(elements(dest), (std::vector<int>{4}));

  IntValue column = counting(3, 3);
  column.getSlice(2, dest, kAutoMode);
  EXPECT_EQ(elements(dest), (std::vector<int>{2}));
  IntValue square = counting(9, 3);
  square.getSlice(2, dest, kAutoMode);
  EXPECT_EQ(elements(dest), (std::vector<int>{4, 5, 6}));
  square.getRow(0, dest);
  EXPECT_EQ(elements(dest), (std::vector<int>{1, 4, 7}));
}

TEST(JMatrix, GetSliceIntoItselfIsSafe) {
  IntValue m = counting(6, 2);
  m.getSlice(2, m, kColumnMode);
  EXPECT_EQ(elements(m), (std::vector<int>{3, 4}));
}

TEST(JMatrix, SlicesIntoAnotherClassWidenOrRefuse) {
  IntValue m = counting(6, 2);
  DoubleValue wide;
  m.getSlice(2, wide, kColumnMode);
  EXPECT_EQ(wide.size, 2);
  EXPECT_EQ(wide.data[1], 4.0);
  int rows[] = {2};
  int cols[] = {3, 1};
  m.subMatrix(rows, 1, cols, 2, wide);
  EXPECT_EQ(wide.data[0], 6.0);
  EXPECT_EQ(wide.data[1], 2.0);
  DoubleValue d;
  d.resizeFill(4, 2, 1.5);
  IntValue narrow;
  EXPECT_THROW(d.getSlice(1, narrow, kRowMode), char);
  EXPECT_THROW(d.selectItems(rows, 1, narrow, kElementMode), char);
}

TEST(JMatrix, UnknownModesFailWithAnInternalText) {
  IntValue m = counting(6, 2);
  IntValue dest;
  int one[] = {1};
  EXPECT_THROW(m.getSlice(1, dest, 7), std::string);
  EXPECT_THROW(m.selectItems(one, 1, dest, kPageMode), std::string);
  EXPECT_THROW(m.eraseItems(kPageMode, one, 1), std::string);
  EXPECT_EQ(m.size, 6);
}

TEST(JMatrix, PagesOfA3DValue) {
  IntValue cube = counting(12, 2);  // 2 x 3 x 2
  cube.flags = JMAT_3D | (2 << kPageShift);
  EXPECT_EQ(cube.ncol3D(), 3);
  IntValue page;
  cube.getSlice(2, page, kAutoMode);
  EXPECT_EQ(elements(page), (std::vector<int>{7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(page.nrow, 2);
  EXPECT_EQ(page.kind(), JMAT_PLAIN);  // a page is a plain matrix
  EXPECT_THROW(
      try { cube.getSlice(3, page, kPageMode); } catch (char c) {
        EXPECT_EQ(c, '(');
        throw;
      },
      char);
  IntValue flat = counting(4, 2);
  EXPECT_THROW(flat.getSlice(1, page, kPageMode), std::string);
}

TEST(JMatrix, OutOfRangeSlicesFailInsteadOfReadingBeyond) {
  IntValue m = counting(6, 2);
  IntValue dest;
  EXPECT_THROW(m.getSlice(7, dest, kElementMode), char);
  EXPECT_THROW(m.getSlice(3, dest, kRowMode), char);
  EXPECT_THROW(m.getSlice(0, dest, kColumnMode), char);
  int bad[] = {1, 9};
  EXPECT_THROW(m.selectItems(bad, 2, dest, kElementMode), char);
}

TEST(JMatrix, SelectItemsShapes) {
  IntValue row = counting(5, 1);
  IntValue dest;
  int picks[] = {5, 1};
  row.selectItems(picks, 2, dest, kElementMode);
  EXPECT_EQ(elements(dest), (std::vector<int>{5, 1}));
  EXPECT_EQ(dest.nrow, 1);
  IntValue m = counting(6, 2);
  m.selectItems(picks, 2, dest, kElementMode);  // a matrix gives a column
  EXPECT_EQ(dest.nrow, 2);
  int cols[] = {3, 1};
  m.selectItems(cols, 2, dest, kColumnMode);
  EXPECT_EQ(elements(dest), (std::vector<int>{5, 6, 1, 2}));
  EXPECT_EQ(dest.nrow, 2);
  int rows[] = {2, 2, 1};
  m.selectItems(rows, 3, dest, kRowMode);
  EXPECT_EQ(dest.nrow, 3);
  EXPECT_EQ(elements(dest), (std::vector<int>{2, 2, 1, 4, 4, 3, 6, 6, 5}));
}

TEST(JMatrix, SubMatrixTakesTheBlock) {
  IntValue m = counting(9, 3);
  IntValue dest;
  int rows[] = {3, 1};
  int cols[] = {2};
  m.subMatrix(rows, 2, cols, 1, dest);
  EXPECT_EQ(elements(dest), (std::vector<int>{6, 4}));
  EXPECT_EQ(dest.nrow, 2);
}

TEST(JMatrix, EraseElementsSortsAndDropsDuplicates) {
  IntValue v = counting(5, 1);
  int which[] = {3, 1, 3};
  v.eraseItems(kElementMode, which, 3);
  EXPECT_EQ(elements(v), (std::vector<int>{2, 4, 5}));
  EXPECT_EQ(v.nrow, 1);
  IntValue column = counting(4, 4);
  int one[] = {2};
  column.eraseItems(kElementMode, one, 1);
  EXPECT_EQ(elements(column), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(column.nrow, 3);
  int all[] = {1, 2, 3};
  column.eraseItems(kElementMode, all, 3);
  EXPECT_EQ(column.size, 0);
  EXPECT_EQ(column.nrow, 0);
}

TEST(JMatrix, EraseRowsAndColumns) {
  IntValue m = counting(6, 2);  // [1 3 5; 2 4 6]
  int first[] = {1};
  m.eraseItems(kColumnMode, first, 1);
  EXPECT_EQ(elements(m), (std::vector<int>{3, 4, 5, 6}));
  m.eraseItems(kRowMode, first, 1);
  EXPECT_EQ(elements(m), (std::vector<int>{4, 6}));
  EXPECT_EQ(m.nrow, 1);
  IntValue all = counting(6, 2);
  int rows[] = {2, 1};
  all.eraseItems(kRowMode, rows, 2);
  EXPECT_EQ(all.size, 0);
  EXPECT_EQ(all.nrow, 0);
}

TEST(JMatrix, TransposeVectorOnlyTurnsAndMatrixMoves) {
  IntValue row = counting(4, 1);
  void* block = row.rawData();
  row.transpose();
  EXPECT_EQ(row.nrow, 4);
  EXPECT_EQ(row.rawData(), block);
  IntValue m = counting(6, 2);  // [1 3 5; 2 4 6]
  m.flags = JMAT_CHAR;
  m.transpose();
  EXPECT_EQ(m.nrow, 3);
  EXPECT_EQ(m.flags, JMAT_CHAR);
  EXPECT_EQ(elements(m), (std::vector<int>{1, 3, 5, 2, 4, 6}));
}

TEST(JMatrix, IndexedAssignFillsOrCopiesThePlaces) {
  IntValue m = counting(6, 2);
  IntValue one(0);
  int cols[] = {1, 3};
  m.IndexedAssign(kColumnMode, cols, 2, one);
  EXPECT_EQ(elements(m), (std::vector<int>{0, 0, 3, 4, 0, 0}));
  IntValue rowValues = ints({7, 8, 9}, 1);
  int row[] = {2};
  m.IndexedAssign(kRowMode, row, 1, rowValues);
  EXPECT_EQ(elements(m), (std::vector<int>{0, 7, 3, 8, 0, 9}));
  IntValue pair = ints({5, 6}, 1);
  int places[] = {6, 1};
  m.IndexedAssign(kElementMode, places, 2, pair);
  EXPECT_EQ(elements(m), (std::vector<int>{6, 7, 3, 8, 0, 5}));
  IntValue columns = ints({1, 2, 3, 4}, 2);
  m.IndexedAssign(kColumnMode, cols, 2, columns);
  EXPECT_EQ(elements(m), (std::vector<int>{1, 2, 3, 8, 3, 4}));
}

TEST(JMatrix, IndexedAssignPagesAndErrors) {
  IntValue cube = counting(8, 2);  // 2 x 2 x 2
  cube.flags = JMAT_3D | (2 << kPageShift);
  IntValue zero(0);
  int page[] = {2};
  cube.IndexedAssign(kPageMode, page, 1, zero);
  EXPECT_EQ(elements(cube), (std::vector<int>{1, 2, 3, 4, 0, 0, 0, 0}));
  IntValue flat = counting(4, 2);
  try {
    flat.IndexedAssign(kPageMode, page, 1, zero);
    FAIL();
  } catch (const std::string& text) {
    EXPECT_EQ(text, "BUG: ncol3D called for non-3D value");
  }
  try {
    flat.IndexedAssign(5, page, 1, zero);
    FAIL();
  } catch (const std::string& text) {
    EXPECT_EQ(text, "invalid irc in in JMatrix<T>::IndexedAssign");
  }
  int beyond[] = {5};
  EXPECT_THROW(flat.IndexedAssign(kElementMode, beyond, 1, zero), char);
  IntValue shortSource = ints({1, 2}, 1);
  int three[] = {1, 2, 3};
  EXPECT_THROW(flat.IndexedAssign(kElementMode, three, 3, shortSource), char);
}

TEST(MathMatrix, MathIndexedAssignCombines) {
  DoubleValue m;
  m.resizeFill(4, 2, 10.0);
  DoubleValue two(2.0);
  int row[] = {1};
  m.mathIndexedAssign(kRowMode, row, 1, two, 'P');
  EXPECT_EQ(m.data[0], 12.0);
  EXPECT_EQ(m.data[1], 10.0);
  EXPECT_EQ(m.data[2], 12.0);
  m.mathIndexedAssign(kRowMode, row, 1, two, 'D');
  EXPECT_EQ(m.data[0], 6.0);
  m.mathIndexedAssign(kRowMode, row, 1, two, 'x');  // unknown: unchanged
  EXPECT_EQ(m.data[0], 6.0);
  try {
    m.mathIndexedAssign(-1, row, 1, two, 'P');
    FAIL();
  } catch (const std::string& text) {
    EXPECT_EQ(text, "invalid irc in in MathMatrix<T>::mathIndexedAssign");
  }
  IntValue ints1 = counting(2, 1);
  IntValue zero(0);
  int first[] = {1};
  EXPECT_THROW(ints1.mathIndexedAssign(kElementMode, first, 1, zero, 'D'), char);
}

TEST(JMatrix, ReleaseAndAdoptHandOverTheArray) {
  IntValue a = counting(3, 1);
  int* array = a.data;
  a.release();
  EXPECT_EQ(a.size, 0);
  IntValue b;
  b.adopt(array, 3, 3, JMAT_BOOL);
  EXPECT_EQ(b.nrow, 3);
  EXPECT_EQ(b.data[2], 3);
  b.clear();
  EXPECT_EQ(b.size, 0);
  EXPECT_EQ(b.nrow, 0);
  EXPECT_EQ(b.flags, JMAT_BOOL);
}

}  // namespace
}  // namespace zirbin::values
