// Indexed assignment with growth, sequences, two indices, lists and erasure.
#include "engine/indexed_assign_statements.h"

#include <gtest/gtest.h>

#include "engine/indexing_elements.h"
#include "engine/statement_test_support.h"
#include "base/errors.h"

namespace zirbin::engine {
namespace {

using namespace testing;
using session::RuntimeError;
using values::DoubleValue;

EvaluatablePtr lit(int i) { return literal(ints({i})); }

std::string errorOf(Statement& s) {
  try {
    s.exe();
  } catch (const RuntimeError& e) {
    return e.text;
  }
  return "";
}

TEST(SingleIndexedAssignStm, StoresAndGrowsByOne) {
  auto v = doubles({1, 2, 3});
  SingleIndexedAssignStm second(literal(9.0), 0, v.get(), lit(2), kChooseDimension, '=');
  second.exe();
  EXPECT_EQ(elements(*v), (std::vector<double>{1, 9, 3}));
  SingleIndexedAssignStm grow(literal(4.0), 0, v.get(), lit(4), kChooseDimension, '=');
  grow.exe();
  EXPECT_EQ(elements(*v), (std::vector<double>{1, 9, 3, 4}));
  EXPECT_EQ(v->nrow, 1);
  SingleIndexedAssignStm tooFar(literal(4.0), 0, v.get(), lit(6), kChooseDimension, '=');
  EXPECT_EQ(errorOf(tooFar), "in lhs: index out of bounds");
  SingleIndexedAssignStm zero(literal(4.0), 0, v.get(), lit(0), kChooseDimension, '=');
  EXPECT_EQ(errorOf(zero), "in lhs: index out of bounds");
  SingleIndexedAssignStm plus(literal(1.0), 0, v.get(), lit(1), kChooseDimension, 'P');
  plus.exe();
  EXPECT_EQ(v->data[0], 2.0);
}

TEST(SingleIndexedAssignStm, GrowsAnEmptyValueOneByOne) {
  DoubleValue v;
  DoubleValue n;
  // v[n + 1] = n + 1, 100 times.
  for (int k = 1; k <= 100; ++k) {
    SingleIndexedAssignStm s(literal(double(k)), 0, &v, lit(k), kChooseDimension, '=');
    s.exe();
  }
  ASSERT_EQ(v.size, 100);
  EXPECT_EQ(v.data[99], 100.0);
}

TEST(SingleIndexedAssignStm, ColumnBeyondTheLastAddsAZeroColumn) {
  auto m = doubles({1, 2, 3, 4}, 2);  // 2x2
  SingleIndexedAssignStm s(literal(doubles({7, 8}, 2)), 0, m.get(), lit(3), kChooseDimension,
                           '=');
  s.exe();
  EXPECT_EQ(m->nrow, 2);
  EXPECT_EQ(elements(*m), (std::vector<double>{1, 2, 3, 4, 7, 8}));
  SingleIndexedAssignStm wrong(literal(doubles({1, 2, 3})), 0, m.get(), lit(1),
                               kChooseDimension, '=');
  EXPECT_EQ(errorOf(wrong), "in assignment: non-matching sizes");
}

TEST(SingleIndexedAssignStm, MaskMustMatchTheExtent) {
  auto v = doubles({1, 2, 3});
  SingleIndexedAssignStm ok(literal(0.0), 0, v.get(), literal(ints({1, 0, 1}, 1, values::JMAT_BOOL)),
                            kChooseDimension, '=');
  ok.exe();
  EXPECT_EQ(elements(*v), (std::vector<double>{0, 2, 0}));
  SingleIndexedAssignStm bad(literal(0.0), 0, v.get(), literal(ints({1, 0}, 1, values::JMAT_BOOL)),
                             kChooseDimension, '=');
  EXPECT_EQ(errorOf(bad), "in lhs: invalid mask size");
}

TEST(SingleIndexed_SeqAssignStm, WritesTheSequenceWithoutGrowth) {
  auto v = doubles({1, 2, 3, 4, 5});
  SingleIndexed_SeqAssignStm s(literal(0.0), 0, v.get(), lit(1), lit(2), lit(5),
                               kChooseDimension);
  s.exe();
  EXPECT_EQ(elements(*v), (std::vector<double>{0, 2, 0, 4, 0}));
  SingleIndexed_SeqAssignStm past(literal(0.0), 0, v.get(), lit(4), nullptr, lit(6),
                                  kChooseDimension);
  EXPECT_EQ(errorOf(past), "in assignment: lhs index out of bounds");
  SingleIndexed_SeqAssignStm fallingFromBeyond(literal(0.0), 0, v.get(), lit(9), lit(-1), lit(1),
                                               kChooseDimension);
  EXPECT_EQ(errorOf(fallingFromBeyond), "in assignment: lhs index out of bounds");
}

TEST(IndexedAssignStm, RowsAndColumns) {
  auto m = doubles({1, 2, 3, 4, 5, 6}, 2);  // 2x3
  IndexedAssignStm one(literal(0.0), 0, m.get(), lit(2), literal(ints({1, 3})), '=');
  one.exe();
  EXPECT_EQ(elements(*m), (std::vector<double>{1, 0, 3, 4, 5, 0}));
  IndexedAssignStm block(literal(doubles({7, 8}, 2)), 0, m.get(), nullptr, lit(2), '=');
  block.exe();
  EXPECT_EQ(elements(*m), (std::vector<double>{1, 0, 7, 8, 5, 0}));
  IndexedAssignStm out(literal(0.0), 0, m.get(), lit(3), lit(1), '=');
  EXPECT_EQ(errorOf(out), "in lhs: lhs index out of bounds");
  IndexedAssignStm sizes(literal(doubles({1, 2, 3})), 0, m.get(), lit(1), literal(ints({1, 2})),
                         '=');
  EXPECT_EQ(errorOf(sizes), "in assignment: non-matching sizes");
  IndexedAssignStm emptyMask(literal(1.0), 0, m.get(), literal(ints({0, 0}, 1, values::JMAT_BOOL)),
                             lit(1), '=');
  EXPECT_EQ(errorOf(emptyMask), "in assignment: empty lhs index with non-empty rhs");
}

TEST(IndexedAnyAssignStm, ListItemsAndRefusals) {
  values::ListValue L;
  L.setLayout(2, 1, values::JMAT_LIST);
  IndexedAnyAssignStm s(literal(doubles({4, 5})), 0, &L, lit(2), nullptr);
  s.exe();
  EXPECT_EQ(elements(*L.data[1].value), (std::vector<double>{4, 5}));
  IndexedAnyAssignStm past(literal(1.0), 0, &L, lit(3), nullptr);
  EXPECT_EQ(errorOf(past), "in lhs: lhs index out of bounds");
  IndexedAnyAssignStm several(literal(1.0), 0, &L, literal(ints({1, 2})), nullptr);
  EXPECT_EQ(errorOf(several), "indexed assignment to list using non-scalar index");
  DoubleValue notList;
  IndexedAnyAssignStm bug(literal(1.0), 0, &notList, lit(1), nullptr);
  EXPECT_EQ(errorOf(bug), "?zirbin bug: IndexedAnyAssignStm called on non-list");
}

TEST(ErasureStm, ErasesPositionsAndEmpties) {
  auto v = doubles({1, 2, 3, 4});
  ErasureStm some(literal(ints({1, 3})), 0, kChooseDimension, v.get());
  some.exe();
  EXPECT_EQ(elements(*v), (std::vector<double>{2, 4}));
  ErasureStm past(lit(3), 0, kChooseDimension, v.get());
  EXPECT_EQ(errorOf(past), "in erasure: lhs index out of bounds");
  ErasureStm all(nullptr, 0, kChooseDimension, v.get());
  all.exe();
  EXPECT_EQ(v->size, 0);
  auto m = doubles({1, 2, 3, 4}, 2);
  ErasureStm single(lit(1), 0, values::kElementMode, m.get());
  EXPECT_EQ(errorOf(single), "can't erase single elements from a non-vector");
  ErasureStm column(lit(1), 0, kChooseDimension, m.get());
  column.exe();
  EXPECT_EQ(elements(*m), (std::vector<double>{3, 4}));
}

}  // namespace
}  // namespace zirbin::engine

namespace zirbin::engine {
namespace {

using namespace testing;
using values::DoubleValue;

std::string pageError(Statement& s) {
  try {
    s.exe();
  } catch (const session::RuntimeError& e) {
    return e.text;
  }
  return "";
}

EvaluatablePtr all() { return std::make_unique<OpenSequenceElement>(); }

TEST(Indexed3DAssignStm, PageBeyondTheLastMakesAMatrixThreeDimensional) {
  auto m = doubles({1, 2, 3, 4}, 2);  // 2x2
  Indexed3DAssignStm s(literal(doubles({5, 6, 7, 8}, 2)), 0, m.get(), all(), all(),
                       literal(ints({2})), '=');
  s.exe();
  EXPECT_EQ(m->kind(), values::JMAT_3D);
  EXPECT_EQ(m->pages(), 2);
  EXPECT_EQ(m->nrow, 2);
  EXPECT_EQ(elements(*m), (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
  Indexed3DAssignStm plus(literal(10.0), 0, m.get(), literal(ints({1})), literal(ints({2})),
                          literal(ints({1, 2})), 'P');
  plus.exe();
  EXPECT_EQ(elements(*m), (std::vector<double>{1, 2, 13, 4, 5, 6, 17, 8}));
}

TEST(Indexed3DAssignStm, FailedChecksLeaveTheTargetAsItWas) {
  auto m = doubles({1, 2, 3, 4}, 2);
  Indexed3DAssignStm tooFar(literal(1.0), 0, m.get(), all(), all(), literal(ints({3})), '=');
  EXPECT_EQ(pageError(tooFar), "in lhs: lhs index out of bounds");
  Indexed3DAssignStm badSize(literal(doubles({1, 2, 3})), 0, m.get(), all(), all(),
                             literal(ints({2})), '=');
  EXPECT_EQ(pageError(badSize), "in assignment: non-matching sizes");
  EXPECT_EQ(m->kind(), values::JMAT_PLAIN);
  EXPECT_EQ(elements(*m), (std::vector<double>{1, 2, 3, 4}));
}

TEST(Indexed3DAssignStm, RightSideThatIsTheTargetIsReadBeforeGrowing) {
  auto m = doubles({1, 2}, 2);  // 2x1
  Indexed3DAssignStm s(std::make_unique<VariableNode>(m.get()), 0, m.get(), all(), all(),
                       literal(ints({2})), '=');
  s.exe();
  EXPECT_EQ(m->pages(), 2);
  EXPECT_EQ(elements(*m), (std::vector<double>{1, 2, 1, 2}));
}

TEST(ErasureStm, PagesOfA3DValue) {
  auto m = doubles({1, 2, 3, 4, 5, 6}, 2);  // 2x1x3
  m->flags = values::JMAT_3D | (3 << values::kPageShift);
  ErasureStm one(literal(ints({2})), 0, kChooseDimension, m.get());
  one.exe();
  EXPECT_EQ(m->pages(), 2);
  EXPECT_EQ(elements(*m), (std::vector<double>{1, 2, 5, 6}));
  ErasureStm another(literal(ints({1})), 0, kChooseDimension, m.get());
  another.exe();
  EXPECT_EQ(m->kind(), values::JMAT_PLAIN);
  EXPECT_EQ(elements(*m), (std::vector<double>{5, 6}));
}

}  // namespace
}  // namespace zirbin::engine

namespace zirbin::engine {
namespace {

using namespace testing;

TEST(SingleIndexedAssignStm, LongIndexListsAndMasks) {
  auto v = doubles({0, 0, 0, 0, 0, 0, 0});
  SingleIndexedAssignStm six(literal(doubles({1, 2, 3, 4, 5, 6})), 0, v.get(),
                             literal(ints({7, 6, 5, 4, 3, 2})), kChooseDimension, '=');
  six.exe();
  EXPECT_EQ(elements(*v), (std::vector<double>{0, 6, 5, 4, 3, 2, 1}));
  SingleIndexedAssignStm mask(literal(9.0), 0, v.get(),
                              literal(ints({1, 1, 1, 1, 1, 0, 1}, 1, values::JMAT_BOOL)),
                              kChooseDimension, '=');
  mask.exe();
  EXPECT_EQ(elements(*v), (std::vector<double>{9, 9, 9, 9, 9, 2, 9}));
  // The same statement run again starts from an empty list.
  SingleIndexedAssignStm one(literal(4.0), 0, v.get(), literal(ints({6})), kChooseDimension,
                             '=');
  one.exe();
  one.exe();
  EXPECT_EQ(elements(*v), (std::vector<double>{9, 9, 9, 9, 9, 4, 9}));
}

}  // namespace
}  // namespace zirbin::engine
