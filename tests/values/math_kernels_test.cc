// The numeric kernels: element-wise operators with broadcasting, integer edge cases,
// products, the matrix power, the row/column broadcast, compound assignment, conversions.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "values/math_kernels.h"

namespace zirbin::values {
namespace {

IntValue ints(std::vector<int> xs, int rows = 1) {
  IntValue v;
  v.setLayout(static_cast<int>(xs.size()), rows, 0);
  for (size_t i = 0; i < xs.size(); ++i) v.data[i] = xs[i];
  return v;
}

DoubleValue doubles(std::vector<double> xs, int rows = 1) {
  DoubleValue v;
  v.setLayout(static_cast<int>(xs.size()), rows, 0);
  for (size_t i = 0; i < xs.size(); ++i) v.data[i] = xs[i];
  return v;
}

ComplexValue complexes(std::vector<Complex> xs, int rows = 1) {
  ComplexValue v;
  v.setLayout(static_cast<int>(xs.size()), rows, 0);
  for (size_t i = 0; i < xs.size(); ++i) v.data[i] = xs[i];
  return v;
}

template <typename V>
auto elements(const V& v) {
  return std::vector<std::remove_pointer_t<decltype(v.data)>>(v.data, v.data + v.size);
}

// The operator-code character thrown by f, or 0 when nothing is thrown.
template <typename F>
char thrownCode(F f) {
  try {
    f();
  } catch (char c) {
    return c;
  }
  return 0;
}

TEST(Apply, ScalarBroadcastsFromEitherSide) {
  DoubleValue m = doubles({1, 2, 3});
  apply(m, DoubleValue(10), kOpDifference);
  EXPECT_EQ(elements(m), (std::vector<double>{-9, -8, -7}));
  DoubleValue s(10);
  s.flags = JMAT_BOOL;
  apply(s, doubles({1, 2, 3}, 3), kOpDifference);
  EXPECT_EQ(elements(s), (std::vector<double>{9, 8, 7}));
  EXPECT_EQ(s.nrow, 3);
  EXPECT_EQ(s.flags, JMAT_BOOL);  // flags unchanged by the expansion
}

TEST(Apply, MismatchedShapesThrowTheErrorCharacter) {
  DoubleValue a = doubles({1, 2, 3});
  EXPECT_EQ(thrownCode([&] { apply(a, doubles({1, 2}), kOpSum); }), '+');
  EXPECT_EQ(thrownCode([&] { apply(a, doubles({1, 2, 3}, 3), kOpProduct); }), '*');
  EXPECT_EQ(thrownCode([&] { apply(a, doubles({1, 2}), kOpBitAnd); }), 'i');
  EXPECT_EQ(thrownCode([&] { apply(a, doubles({1, 2, 3}), 1); }), '1');
  ComplexValue z = complexes({1.0});
  EXPECT_EQ(thrownCode([&] { apply(z, complexes({1.0}), kOpBitOr); }), 'i');
}

TEST(Apply, IntegerQuotientAndRemainderByZeroFailInOrder) {
  IntValue a = ints({7, -7});
  EXPECT_EQ(thrownCode([&] { apply(a, ints({0}), kOpQuotient); }), '/');
  EXPECT_EQ(thrownCode([&] { apply(a, ints({1, 0}), kOpFloorQuotient); }), '_');
  EXPECT_EQ(thrownCode([&] { apply(a, ints({0}), kOpRemainder); }), 'u');
  IntValue r = ints({7, -7});
  apply(r, ints({2}), kOpRemainder);
  EXPECT_EQ(elements(r), (std::vector<int>{1, -1}));  // the sign of a
  IntValue q = ints({7, -7});
  apply(q, ints({2}), kOpFloorQuotient);
  EXPECT_EQ(elements(q), (std::vector<int>{3, -3}));  // truncating
}

TEST(Apply, IntegerMinByMinusOneDoesNotTrap) {
  IntValue q = ints({INT_MIN});
  apply(q, ints({-1}), kOpQuotient);
  EXPECT_EQ(q.data[0], INT_MIN);
  IntValue r = ints({INT_MIN});
  apply(r, ints({-1}), kOpRemainder);
  EXPECT_EQ(r.data[0], 0);
  // A result beyond 32 bits becomes INT_MIN, which the expression's check refuses.
  IntValue sum = ints({INT_MAX});
  apply(sum, ints({1}), kOpSum);
  EXPECT_EQ(sum.data[0], INT_MIN);
  IntValue product = ints({65536, 2});
  apply(product, ints({65536}), kOpProduct);
  EXPECT_EQ(elements(product), (std::vector<int>{INT_MIN, 131072}));
  IntValue difference = ints({INT_MIN + 1});
  apply(difference, ints({2}), kOpDifference);
  EXPECT_EQ(difference.data[0], INT_MIN);
}

TEST(Apply, IntegerPowerTruncatesAndElementFunctions) {
  IntValue p = ints({2, 2, -2});
  apply(p, ints({10, -1, 3}), kOpPower);
  EXPECT_EQ(elements(p), (std::vector<int>{1024, 0, -8}));
  IntValue big = ints({10});
  apply(big, ints({20}), kOpPower);
  EXPECT_EQ(big.data[0], INT_MAX);  // saturates rather than overflowing
  IntValue bits = ints({12, 12, 0});
  apply(bits, ints({10, 3, 5}), kOpBitAnd);
  EXPECT_EQ(elements(bits), (std::vector<int>{8, 0, 0}));
  IntValue logic = ints({2, 0, 0});
  apply(logic, ints({3, 4, 0}), kOpLogicalXor);
  EXPECT_EQ(elements(logic), (std::vector<int>{0, 1, 0}));
  DoubleValue d = doubles({12.9, -1.5});
  apply(d, DoubleValue(10.2), kOpBitOr);
  EXPECT_EQ(elements(d), (std::vector<double>{14, -1 | 10}));
}

TEST(Apply, DoubleFloorQuotientAndRemainder) {
  DoubleValue q = doubles({7, -7});
  apply(q, DoubleValue(2), kOpFloorQuotient);
  EXPECT_EQ(elements(q), (std::vector<double>{3, -4}));
  DoubleValue r = doubles({7.5, -7.5});
  apply(r, DoubleValue(2), kOpRemainder);
  EXPECT_EQ(elements(r), (std::vector<double>{1.5, -1.5}));
}

TEST(Apply, ComplexArithmetic) {
  ComplexValue z = complexes({Complex(1, 2)});
  apply(z, complexes({Complex(3, -1)}), kOpProduct);
  EXPECT_EQ(z.data[0], Complex(5, 5));
  ComplexValue f = complexes({Complex(7, 1)});
  apply(f, complexes({Complex(2, 0)}), kOpFloorQuotient);
  EXPECT_EQ(f.data[0], Complex(3, 0));
  ComplexValue r = complexes({Complex(7, 1)});
  apply(r, complexes({Complex(2, 0)}), kOpRemainder);
  EXPECT_EQ(r.data[0], Complex(1, 1));
  ComplexValue p = complexes({Complex(0, 1)});
  apply(p, complexes({Complex(2, 0)}), kOpPower);
  EXPECT_NEAR(p.data[0].real(), -1, 1e-15);
  EXPECT_NEAR(p.data[0].imag(), 0, 1e-15);
}

TEST(MatrixProduct, DoubleProductMatchesTheDefinition) {
  DoubleValue a = doubles({1, 4, 2, 5, 3, 6}, 2);  // [1 2 3; 4 5 6]
  DoubleValue b = doubles({7, 9, 11, 8, 10, 12}, 3);  // [7 8; 9 10; 11 12]
  matrixProduct(a, b);
  EXPECT_EQ(a.nrow, 2);
  EXPECT_EQ(elements(a), (std::vector<double>{58, 139, 64, 154}));
  DoubleValue c = doubles({1, 4, 2, 5, 3, 6}, 2);
  DoubleValue bt = doubles({7, 8, 9, 10, 11, 12}, 2);  // b' = [7 9 11; 8 10 12]
  matrixProduct(c, bt, true);
  EXPECT_EQ(elements(c), (std::vector<double>{58, 139, 64, 154}));
}

TEST(MatrixProduct, LargeDoubleProductAgreesWithALoop) {
  const int n = 120, m = 70, k = 90;
  DoubleValue a, b;
  a.setLayout(n * m, n, 0);
  b.setLayout(m * k, m, 0);
  std::srand(3);
  for (int i = 0; i < a.size; ++i) a.data[i] = std::rand() / double(RAND_MAX) - 0.5;
  for (int i = 0; i < b.size; ++i) b.data[i] = std::rand() / double(RAND_MAX) - 0.5;
  DoubleValue product(a);
  matrixProduct(product, b);
  ASSERT_EQ(product.nrow, n);
  ASSERT_EQ(product.ncol(), k);
  double worst = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < k; ++j) {
      double s = 0;
      for (int l = 0; l < m; ++l) s += a.data[l * n + i] * b.data[j * m + l];
      worst = std::fmax(worst, std::fabs(s - product.data[j * n + i]));
    }
  }
  EXPECT_LT(worst, 1e-12);
}

TEST(MatrixProduct, EmptyMismatchedAndScalarCases) {
  DoubleValue a = doubles({1, 2});
  DoubleValue empty;
  matrixProduct(a, empty);
  EXPECT_EQ(a.size, 0);
  DoubleValue row = doubles({1, 2, 3});
  EXPECT_EQ(thrownCode([&] { matrixProduct(row, doubles({1, 2})); }), '.');
  IntValue i = ints({1, 2, 3});
  matrixProduct(i, ints({2}));
  EXPECT_EQ(elements(i), (std::vector<int>{2, 4, 6}));
  IntValue r = ints({1, 2});
  matrixProduct(r, ints({3, 4}, 2));
  EXPECT_EQ(elements(r), (std::vector<int>{11}));
  ComplexValue z = complexes({Complex(0, 1), Complex(1, 0)});
  matrixProduct(z, complexes({Complex(0, 1), Complex(2, 0)}, 2));
  EXPECT_EQ(z.data[0], Complex(1, 0));
  EXPECT_EQ(thrownCode([&] { matrixProduct(z, complexes({1.0, 2.0}, 2)); }), '.');
}

TEST(Kronecker, BlocksAreScaledCopies) {
  IntValue a = ints({1, 2});        // [1 2]
  IntValue b = ints({1, 10}, 2);    // [1; 10]
  kroneckerProduct(a, b);
  EXPECT_EQ(a.nrow, 2);
  EXPECT_EQ(elements(a), (std::vector<int>{1, 10, 2, 20}));
  DoubleValue c = doubles({1, 2}, 2);  // [1; 2]
  kroneckerProduct(c, doubles({1, 3}));
  EXPECT_EQ(c.nrow, 2);
  EXPECT_EQ(elements(c), (std::vector<double>{1, 2, 3, 6}));
}

TEST(CrossProduct, VectorsRowsAndColumns) {
  DoubleValue x = doubles({1, 0, 0});
  crossProduct(x, doubles({0, 1, 0}, 3));
  EXPECT_EQ(elements(x), (std::vector<double>{0, 0, 1}));
  EXPECT_EQ(x.nrow, 1);
  IntValue columns = ints({1, 0, 0, 0, 1, 0}, 3);  // two columns
  crossProduct(columns, ints({0, 0, 1}));
  EXPECT_EQ(columns.nrow, 3);
  EXPECT_EQ(elements(columns), (std::vector<int>{0, -1, 0, 1, 0, 0}));
  IntValue rows = ints({1, 0, 0, 1, 0, 0}, 2);  // rows [1 0 0] and [0 1 0]
  crossProduct(rows, ints({0, 0, 0, 0, 1, 1}, 2));  // rows [0 0 1] and [0 0 1]
  EXPECT_EQ(rows.nrow, 2);
  EXPECT_EQ(elements(rows), (std::vector<int>{0, 1, -1, 0, 0, 0}));
  DoubleValue two = doubles({1, 2});
  EXPECT_EQ(thrownCode([&] { crossProduct(two, doubles({1, 2, 3})); }), '^');
}

TEST(MatrixPower, WholePowersByRepeatedSquaring) {
  DoubleValue m = doubles({1, 3, 2, 4}, 2);  // [1 2; 3 4]
  DoubleValue identity(m);
  matrixPower(identity, 0);
  EXPECT_EQ(elements(identity), (std::vector<double>{1, 0, 0, 1}));
  DoubleValue cube(m);
  matrixPower(cube, 3);
  EXPECT_EQ(elements(cube), (std::vector<double>{37, 81, 54, 118}));
  DoubleValue three = doubles({1, 2, 3, 4, 5, 6, 7, 8, 9}, 3);
  matrixPower(three, 0);
  EXPECT_EQ(elements(three), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  DoubleValue wide = doubles({1, 2}, 1);
  EXPECT_EQ(thrownCode([&] { matrixPower(wide, 2); }), '^');
}

TEST(MatrixPower, FractionalPowersThroughEigenvalues) {
  DoubleValue d = doubles({4, 0, 0, 9}, 2);
  matrixPower(d, 0.5);
  EXPECT_NEAR(d.data[0], 2, 1e-12);
  EXPECT_NEAR(d.data[3], 3, 1e-12);
  EXPECT_NEAR(d.data[1], 0, 1e-12);
  DoubleValue inverse = doubles({2, 1, 1, 2}, 2);
  matrixPower(inverse, -1);
  EXPECT_NEAR(inverse.data[0], 2.0 / 3, 1e-12);
  EXPECT_NEAR(inverse.data[1], -1.0 / 3, 1e-12);
  DoubleValue negative = doubles({1, 2, 2, 1}, 2);  // eigenvalues 3 and -1
  EXPECT_EQ(thrownCode([&] { matrixPower(negative, 2.5); }), 'R');
  EXPECT_EQ(negative.data[0], 1);  // unchanged
}

TEST(AddToEach, RowAndColumnBroadcast) {
  DoubleValue m = doubles({1, 2, 3, 4, 5, 6}, 2);  // [1 3 5; 2 4 6]
  addToEach(m, doubles({10, 20}, 2), kOpAddVector);
  EXPECT_EQ(elements(m), (std::vector<double>{11, 22, 13, 24, 15, 26}));
  DoubleValue n = doubles({1, 2, 3, 4, 5, 6}, 2);
  addToEach(n, doubles({1, 2, 3}), kOpSubtractVector);
  EXPECT_EQ(elements(n), (std::vector<double>{0, 1, 1, 2, 2, 3}));
  DoubleValue bad = doubles({1, 2, 3, 4, 5, 6}, 2);
  EXPECT_EQ(thrownCode([&] { addToEach(bad, doubles({1, 2}), kOpAddVector); }), '@');
}

TEST(CompoundAssign, DoubleOperands) {
  DoubleValue t = doubles({1, 2});
  compoundAssign(t, 3.0, '*');
  EXPECT_EQ(elements(t), (std::vector<double>{3, 6}));
  DoubleValue one(1);
  compoundAssign(one, doubles({1, 2, 4}, 3), '/');
  EXPECT_EQ(elements(one), (std::vector<double>{1, 0.5, 0.25}));
  EXPECT_EQ(one.nrow, 3);
  EXPECT_EQ(thrownCode([&] { compoundAssign(one, doubles({1, 2}), '-'); }), '-');
}

TEST(CompoundAssign, IntegerOperandCombinesTheFormerValueFirst) {
  DoubleValue t(10);
  IntValue operand = ints({1, 2, 3});
  operand.flags = JMAT_BOOL;
  compoundAssignInt(t, operand, kOpDifference);
  EXPECT_EQ(elements(t), (std::vector<double>{9, 8, 7}));
  EXPECT_EQ(t.flags, JMAT_BOOL);
  DoubleValue p = doubles({2, 3});
  compoundAssignInt(p, ints({2}), kOpPower);
  EXPECT_EQ(elements(p), (std::vector<double>{4, 9}));
  EXPECT_EQ(thrownCode([&] { compoundAssignInt(p, ints({1, 2, 3}), kOpSum); }), '+');
}

TEST(Conversion, IntToDoubleAndBack) {
  IntValue i = ints({1, -2, 3, 4}, 2);
  i.flags = JMAT_CHAR;
  DoubleValue d;
  intToDouble(i, d);
  EXPECT_EQ(elements(d), (std::vector<double>{1, -2, 3, 4}));
  EXPECT_EQ(d.nrow, 2);
  EXPECT_EQ(d.flags, JMAT_CHAR);
  DoubleValue e = doubles({-2.7, 2.7, NAN, 1e12});
  IntValue back;
  doubleToInt(e, back);
  EXPECT_EQ(elements(back), (std::vector<int>{-2, 2, 0, INT_MAX}));
}

TEST(OperatorErrorChar, FollowsTheCodeTable) {
  EXPECT_EQ(operatorErrorChar(kOpPower), '^');
  EXPECT_EQ(operatorErrorChar(kOpMatrixProduct), '0');
  EXPECT_EQ(operatorErrorChar(kOpFloorQuotient), '_');
  EXPECT_EQ(operatorErrorChar(kOpRemainder), 'u');
  EXPECT_EQ(operatorErrorChar(kOpAddVector), '@');
  EXPECT_EQ(operatorErrorChar(kOpLogicalOr), 'i');
}

}  // namespace
TEST(Apply, DoubleSquaringAgreesWithPowOnSpecialValues) {
  const std::vector<double> xs = {-3.5, 0.0, -0.0, 1e-310, 1e200, INFINITY, -INFINITY, NAN};
  DoubleValue squared = doubles(xs);
  apply(squared, DoubleValue(2), kOpPower);
  for (size_t i = 0; i < xs.size(); ++i) {
    double expected = std::pow(xs[i], 2.0);
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(squared.data[i]));
    } else {
      EXPECT_EQ(squared.data[i], expected) << "x = " << xs[i];
    }
  }
}

}  // namespace zirbin::values

namespace zirbin::values {
namespace {

// What applyInto must equal: left copied, then the operand applied.
DoubleValue copyThenApply(const DoubleValue& left, const DoubleValue& right, int code) {
  DoubleValue t;
  t.assignSame(left);
  apply(t, right, code);
  return t;
}

TEST(ApplyInto, AgreesWithCopyThenApplyForEveryShapeAndKeepsTheLeftFlags) {
  DoubleValue row3 = doubles({1, 2, 3});
  row3.flags = JMAT_BOOL;
  const DoubleValue column3 = doubles({4, 5, 6}, 3);
  const DoubleValue scalar = doubles({2});
  const DoubleValue empty;
  const std::vector<std::pair<const DoubleValue*, const DoubleValue*>> pairs = {
      {&row3, &scalar}, {&scalar, &row3}, {&row3, &row3}, {&scalar, &scalar},
      {&empty, &scalar}, {&scalar, &empty}, {&scalar, &column3}};
  for (int code : {kOpPower, kOpProduct, kOpQuotient, kOpSum, kOpDifference}) {
    for (auto [l, r] : pairs) {
      DoubleValue into;
      into.setLayout(7, 7, 0);  // a larger block to reuse
      ASSERT_TRUE(applyInto(into, *l, *r, code));
      const DoubleValue want = copyThenApply(*l, *r, code);
      EXPECT_EQ(elements(into), elements(want)) << code;
      EXPECT_EQ(into.nrow, want.nrow) << code;
      EXPECT_EQ(into.flags, want.flags) << code;
    }
  }
  DoubleValue into;
  EXPECT_EQ(thrownCode([&] { applyInto(into, row3, column3, kOpSum); }), '+');
  EXPECT_EQ(thrownCode([&] { applyInto(into, row3, doubles({1, 2}), kOpPower); }), '^');
  EXPECT_FALSE(applyInto(into, row3, row3, kOpMatrixProduct));
}

TEST(AddProduct, AddsOrSubtractsAProductOfMatchingFactorsInOnePass) {
  DoubleValue t = doubles({1, 2, 3});
  EXPECT_TRUE(addProduct(t, doubles({3}), doubles({1, 1, 2}), kOpSum));
  EXPECT_EQ(elements(t), (std::vector<double>{4, 5, 9}));
  EXPECT_TRUE(addProduct(t, doubles({1, 2, 3}), doubles({2}), kOpDifference));
  EXPECT_EQ(elements(t), (std::vector<double>{2, 1, 3}));
  EXPECT_TRUE(addProduct(t, doubles({1, 2, 3}), doubles({1, 2, 3}), kOpSum));
  EXPECT_EQ(elements(t), (std::vector<double>{3, 5, 12}));
  // A factor of another shape, a single target or another operator: left to the caller.
  EXPECT_FALSE(addProduct(t, doubles({1, 2}), doubles({2}), kOpSum));
  EXPECT_FALSE(addProduct(t, doubles({1, 2, 3}, 3), doubles({2}), kOpSum));
  DoubleValue one = doubles({1});
  EXPECT_FALSE(addProduct(one, doubles({2}), doubles({1, 2}), kOpSum));
  EXPECT_FALSE(addProduct(t, doubles({2}), doubles({2}), kOpProduct));
  EXPECT_EQ(elements(t), (std::vector<double>{3, 5, 12}));
}

}  // namespace
}  // namespace zirbin::values
