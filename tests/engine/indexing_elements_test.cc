// Reading indexed parts: v[i], v[i, j], v[a:s:b], v[k], list items, end and sequences.
#include "engine/indexing_elements.h"

#include <gtest/gtest.h>

#include "engine/statement_test_support.h"
#include "base/errors.h"

namespace zirbin::engine {
namespace {

using namespace testing;
using session::RuntimeError;
using values::DoubleValue;
using values::IntValue;

std::string errorOf(Evaluatable& node, Value& ws) {
  try {
    node.pValue(ws);
  } catch (const RuntimeError& e) {
    return e.text;
  }
  return "";
}

EvaluatablePtr lit(int i) { return literal(ints({i})); }

TEST(IndexedElementSingle, BoundsEmptyIndexAndMasks) {
  auto v = doubles({10, 20, 30});
  DoubleValue ws;
  IndexedElementSingle second(lit(2), v.get(), values::kAutoMode);
  EXPECT_EQ(elements(*second.pValue(ws)), (std::vector<double>{20}));
  IndexedElementSingle zero(lit(0), v.get(), values::kAutoMode);
  EXPECT_EQ(errorOf(zero, ws), "index out of bounds");
  IndexedElementSingle past(lit(4), v.get(), values::kAutoMode);
  EXPECT_EQ(errorOf(past, ws), "index out of bounds");
  IndexedElementSingle empty(literal(ints({})), v.get(), values::kAutoMode);
  EXPECT_EQ(empty.pValue(ws)->size, 0);
  IndexedElementSingle mask(literal(ints({1, 0, 1}, 1, values::JMAT_BOOL)), v.get(),
                            values::kAutoMode);
  EXPECT_EQ(elements(*mask.pValue(ws)), (std::vector<double>{10, 30}));
  IndexedElementSingle none(literal(ints({0, 0, 0}, 1, values::JMAT_BOOL)), v.get(),
                            values::kAutoMode);
  EXPECT_EQ(none.pValue(ws)->size, 0);
  IndexedElementSingle wrong(literal(ints({1, 0}, 1, values::JMAT_BOOL)), v.get(),
                             values::kAutoMode);
  EXPECT_EQ(errorOf(wrong, ws), "boolean mask has wrong size");
}

TEST(IndexedElementDouble, RowsColumnsAndBounds) {
  // 3x4 matrix 1..12 column by column.
  auto m = doubles({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 3);
  DoubleValue ws;
  IndexedElementDouble pick(lit(2), literal(ints({1, 3})), m.get());
  const Value* r = pick.pValue(ws);
  EXPECT_EQ(r->nrow, 1);
  EXPECT_EQ(elements(*r), (std::vector<double>{2, 8}));
  IndexedElementDouble badRow(lit(4), lit(1), m.get());
  EXPECT_EQ(errorOf(badRow, ws), "row index out of bounds");
  IndexedElementDouble badColumn(lit(1), lit(5), m.get());
  EXPECT_EQ(errorOf(badColumn, ws), "column index out of bounds");
  IndexedElementDouble allRows(std::make_unique<OpenSequenceElement>(), lit(2), m.get());
  EXPECT_EQ(elements(*allRows.pValue(ws)), (std::vector<double>{4, 5, 6}));
  IndexedElementDouble maskRows(literal(ints({1, 0}, 1, values::JMAT_BOOL)), lit(1), m.get());
  EXPECT_EQ(errorOf(maskRows, ws), "boolean mask has wrong size for rows");
}

TEST(IndexedWithSequenceElement, StepsDirectionsAndBounds) {
  auto row = doubles({1, 2, 3, 4, 5, 6, 7});
  DoubleValue ws;
  IndexedWithSequenceElement odd(row.get(), values::kAutoMode, lit(1), lit(2), lit(7));
  const Value* r = odd.pValue(ws);
  EXPECT_EQ(elements(*r), (std::vector<double>{1, 3, 5, 7}));
  EXPECT_EQ(r->nrow, 1);
  auto column = doubles({1, 2, 3, 4, 5, 6, 7}, 7);
  IndexedWithSequenceElement oddColumn(column.get(), values::kAutoMode, lit(1), lit(2), lit(7));
  EXPECT_EQ(oddColumn.pValue(ws)->nrow, 4);
  IndexedWithSequenceElement down(row.get(), values::kAutoMode, lit(5), lit(-1), lit(1));
  EXPECT_EQ(elements(*down.pValue(ws)), (std::vector<double>{5, 4, 3, 2, 1}));
  IndexedWithSequenceElement fromZero(row.get(), values::kAutoMode, lit(0), nullptr, lit(2));
  EXPECT_EQ(errorOf(fromZero, ws), "in sequenced index: index out of bounds");
  IndexedWithSequenceElement zeroStep(row.get(), values::kAutoMode, lit(1), lit(0), lit(2));
  EXPECT_EQ(errorOf(zeroStep, ws), "sequence with zero step");
}

TEST(SequenceElement, CountsByTruncationAndRepeatedAddition) {
  DoubleValue ws;
  SequenceElement quarter(literal(0.0), literal(1.0), literal(0.25), values::DOUBLE_VAL);
  EXPECT_EQ(elements(*quarter.pValue(ws)), (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
  SequenceElement tenth(literal(0.0), literal(0.3), literal(0.1), values::DOUBLE_VAL);
  EXPECT_EQ(tenth.pValue(ws)->size, 3);
  SequenceElement empty(lit(1), lit(0), nullptr, values::INTEGER_VAL);
  IntValue iws;
  const Value* e = empty.pValue(iws);
  EXPECT_EQ(e->size, 0);
  EXPECT_EQ(e->nrow, 0);
  SequenceElement ints5(literal(1.7), literal(5.0), nullptr, values::INTEGER_VAL);
  EXPECT_EQ(elements(*ints5.pValue(iws)), (std::vector<double>{1, 2, 3, 4}));
  SequenceElement nonScalar(literal(doubles({1, 2})), lit(3), nullptr, values::DOUBLE_VAL);
  EXPECT_EQ(errorOf(nonScalar, ws), "sequence must have scalar start, step, stop");
  OpenSequenceElement colon;
  EXPECT_EQ(errorOf(colon, ws), "incorrect use of ':'");
}

TEST(EndIndexElement, ExtentAlongTheMode) {
  auto m = doubles({1, 2, 3, 4, 5, 6}, 2);
  IntValue ws;
  EXPECT_EQ(EndIndexElement(m.get(), values::kElementMode).pValue(ws)->getInt(), 6);
  EXPECT_EQ(EndIndexElement(m.get(), values::kRowMode).pValue(ws)->getInt(), 2);
  EXPECT_EQ(EndIndexElement(m.get(), values::kColumnMode).pValue(ws)->getInt(), 3);
  values::ComplexValue z;
  EndIndexElement end(m.get(), values::kElementMode);
  EXPECT_EQ(errorOf(end, z), "use of 'end' with invalid type");
  EXPECT_TRUE(end.refersTo(nullptr));
}

TEST(ConstIndexElement, ChecksTheSize) {
  auto v = doubles({1, 2});
  DoubleValue ws;
  EXPECT_EQ(elements(*ConstIndexElement(v.get(), 2).pValue(ws)), (std::vector<double>{2}));
  ConstIndexElement past(v.get(), 3);
  EXPECT_EQ(errorOf(past, ws), "index exceeds array size");
}

TEST(ListItemElement, BoundsAndTypes) {
  values::ListValue L;
  L.setLayout(2, 1, values::JMAT_LIST);
  L.data[0].value = doubles({1, 2});
  L.data[1].value = ints({3});
  DoubleValue ws;
  ListItemElement first(lit(1), &L, values::DOUBLE_VAL);
  EXPECT_EQ(elements(*first.pValue(ws)), (std::vector<double>{1, 2}));
  ListItemElement second(lit(2), &L, values::DOUBLE_VAL);
  EXPECT_EQ(errorOf(second, ws), "list item has incompatible data type");
  ListItemElement zero(lit(0), &L, values::DOUBLE_VAL);
  EXPECT_EQ(errorOf(zero, ws), "in list item: index out of bounds");
  ListItemElement third(lit(3), &L, values::DOUBLE_VAL);
  EXPECT_EQ(errorOf(third, ws), "in list item: index out of bounds");
  ListItemElement two(literal(ints({1, 2})), &L, values::DOUBLE_VAL);
  EXPECT_EQ(errorOf(two, ws), "list item with a non-scalar index");
}

}  // namespace
}  // namespace zirbin::engine

namespace zirbin::engine {
namespace {

using namespace testing;

std::string tripleError(Evaluatable& node, Value& ws) {
  try {
    node.pValue(ws);
  } catch (const session::RuntimeError& e) {
    return e.text;
  }
  return "";
}

EvaluatablePtr idx(std::initializer_list<int> xs) { return literal(ints(xs)); }

// A 2x2x2 array: page 1 holds 1..4, page 2 holds 5..8 (column by column).
std::unique_ptr<values::DoubleValue> cube() {
  auto v = doubles({1, 2, 3, 4, 5, 6, 7, 8}, 2);
  v->flags = values::JMAT_3D | (2 << values::kPageShift);
  return v;
}

TEST(IndexedElementTriple, RowsColumnsAndPages) {
  auto v = cube();
  values::DoubleValue ws;
  IndexedElementTriple one(idx({2}), idx({1}), idx({2}), v.get());
  EXPECT_EQ(elements(*one.pValue(ws)), (std::vector<double>{6}));
  EXPECT_EQ(ws.kind(), values::JMAT_PLAIN);
  IndexedElementTriple across(idx({1}), idx({2}), idx({1, 2}), v.get());
  const Value* r = across.pValue(ws);
  EXPECT_EQ(elements(*r), (std::vector<double>{3, 7}));
  EXPECT_EQ(r->pages(), 2);
  IndexedElementTriple page(std::make_unique<OpenSequenceElement>(),
                            std::make_unique<OpenSequenceElement>(), idx({2}), v.get());
  EXPECT_EQ(elements(*page.pValue(ws)), (std::vector<double>{5, 6, 7, 8}));
  EXPECT_EQ(ws.nrow, 2);
  EXPECT_EQ(ws.kind(), values::JMAT_PLAIN);
}

TEST(IndexedElementTriple, BoundsAndMasksPerIndex) {
  auto v = cube();
  values::DoubleValue ws;
  IndexedElementTriple row(idx({3}), idx({1}), idx({1}), v.get());
  EXPECT_EQ(tripleError(row, ws), "row index out of bounds");
  IndexedElementTriple column(idx({1}), idx({0}), idx({1}), v.get());
  EXPECT_EQ(tripleError(column, ws), "column index out of bounds");
  IndexedElementTriple page(idx({1}), idx({1}), idx({3}), v.get());
  EXPECT_EQ(tripleError(page, ws), "page index out of bounds");
  IndexedElementTriple mask(idx({1}), idx({1}), literal(ints({1, 0, 1}, 1, values::JMAT_BOOL)),
                            v.get());
  EXPECT_EQ(tripleError(mask, ws), "boolean mask has wrong size for pages");
  IndexedElementTriple none(idx({1}), idx({1}), literal(ints({0, 0}, 1, values::JMAT_BOOL)),
                            v.get());
  EXPECT_EQ(none.pValue(ws)->size, 0);
}

TEST(IndexedElementTriple, AMatrixIsOnePageAndKeepsItsKind) {
  auto m = doubles({65, 66}, 1);
  m->flags = values::JMAT_CHAR;
  values::DoubleValue ws;
  IndexedElementTriple second(idx({1}), idx({2}), idx({1}), m.get());
  EXPECT_EQ(elements(*second.pValue(ws)), (std::vector<double>{66}));
  EXPECT_EQ(ws.kind(), values::JMAT_CHAR);
  IndexedElementTriple intoItself(idx({1}), idx({2}), idx({1}), m.get());
  EXPECT_EQ(elements(*intoItself.pValue(*m)), (std::vector<double>{66}));
}

}  // namespace
}  // namespace zirbin::engine
