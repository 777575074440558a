// Shape and type queries, machine limits, trace and the graph index.
#include <cmath>

#include "builtin_call.h"

namespace zirbin::builtins::testing {
namespace {

TEST(ShapeQueries, CountsAndTests) {
  DoubleValue m = matrix(2, 3, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(scalarI("size", m), 6);
  EXPECT_EQ(scalarI("nrow", m), 2);
  EXPECT_EQ(scalarI("ncol", m), 3);
  EXPECT_EQ(scalarI("type", m), values::DOUBLE_VAL);
  EXPECT_EQ(scalarI("type", text("a")), values::INTEGER_VAL);
  EXPECT_EQ(scalarI("isvector", m), 0);
  EXPECT_EQ(scalarI("isvector", column({1, 2})), 1);
  EXPECT_EQ(scalarI("isscalar", row({4})), 1);
  EXPECT_EQ(scalarI("isempty", DoubleValue()), 1);
  EXPECT_EQ(scalarI("ischar", text("ab")), 1);
  EXPECT_EQ(scalarI("ischar", m), 0);
}

TEST(ShapeQueries, BooleanKindIsTested) {
  IntValue b(1);
  b.flags = values::JMAT_BOOL;
  EXPECT_EQ(scalarI("isboolean", b), 1);
  EXPECT_EQ(scalarI("isboolean", IntValue(1)), 0);
}

TEST(ShapeQueries, IsnumReadsStringsOnly) {
  EXPECT_EQ(scalarI("isnum", text(" 3.5e2 ")), 1);
  EXPECT_EQ(scalarI("isnum", text("3x")), 0);
  EXPECT_EQ(scalarI("isnum", text("")), 0);
  EXPECT_EQ(runtimeError([] { scalarI("isnum", DoubleValue(3)); }),
            "isnum called for a non-string");
}

TEST(ShapeQueries, ShapeGivesRowsAndColumns) {
  DoubleValue m = matrix(2, 3, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(elements(*valueToValue("shape", m)), (std::vector<double>{2, 3}));
  DoubleValue empty;
  EXPECT_EQ(elements(*valueToValue("shape", empty)), (std::vector<double>{0, 0}));
}

TEST(ShapeQueries, NumericLimitsByName) {
  EXPECT_EQ(scalarD("numeric_limits", text("eps")), 2.220446049250313e-16);
  EXPECT_EQ(scalarD("numeric_limits", text("dmax")), 1.7976931348623157e+308);
  EXPECT_EQ(scalarD("numeric_limits", text("min")), 2.2250738585072014e-308);
  EXPECT_EQ(scalarD("numeric_limits", text("mine")), -307);
  EXPECT_EQ(scalarD("numeric_limits", text("maxe")), 308);
  EXPECT_EQ(scalarD("numeric_limits", text("mini")), -2147483648.0);
  EXPECT_EQ(scalarD("numeric_limits", text("int")), 2147483647);
  EXPECT_LT(scalarD("numeric_limits", text("bits")), 32);
  EXPECT_GT(scalarD("numeric_limits", text("bits")), 31.999);
  EXPECT_EQ(runtimeError([] { scalarD("numeric_limits", text("tiny")); }),
            "in numeric_limits: unrecognised string parameter");
}

TEST(ShapeQueries, TraceOfSquareMatricesOnly) {
  EXPECT_EQ(scalarD("trace", matrix(2, 2, {1, 2, 3, 4})), 5);
  EXPECT_EQ(runtimeError([] {
              scalarD("trace", matrix(2, 3, {1, 2, 3, 4, 5, 6}));
            }),
            "in trace: non-square matrix");
}

TEST(ShapeQueries, GraphIndexSumsPathLengths) {
  // The path 1-2-3: distances 1, 1 and 2.
  EXPECT_EQ(scalarD("grindex", matrix(3, 3, {0, 1, 0, 1, 0, 1, 0, 1, 0})), 4);
  EXPECT_TRUE(std::isinf(scalarD("grindex", matrix(2, 2, {0, 0, 0, 0}))));
  EXPECT_EQ(runtimeError([] {
              scalarD("grindex", matrix(2, 2, {0, 1, 0, 0}));
            }),
            "in grindex: invalid adjacency matrix");
  EXPECT_EQ(runtimeError([] {
              scalarD("grindex", row({0, 1}));
            }),
            "in grindex: invalid adjacency matrix");
}

}  // namespace
}  // namespace zirbin::builtins::testing
