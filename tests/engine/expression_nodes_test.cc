// Expression nodes evaluated directly: typed sequences, broadcasting, overflow, joins,
// the query, comparisons, unary operators, conversions and the function-call kinds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/comparison_elements.h"
#include "engine/conversion_elements.h"
#include "engine/expressions.h"
#include "engine/function_elements.h"
#include "engine/leaf_elements.h"
#include "engine/operator_codes.h"
#include "engine/unary_elements.h"
#include "base/errors.h"
#include "values/math_matrix.h"

namespace zirbin::engine {
namespace {

using session::RuntimeError;
using values::DoubleValue;
using values::IntValue;

EvaluatablePtr d(double x) { return makeDoubleNumber(x); }
EvaluatablePtr i(int n) { return makeIntNumber(n); }

EvaluatablePtr row(std::vector<double> xs) {
  auto v = std::make_unique<DoubleValue>();
  v->setLayout(static_cast<int>(xs.size()), 1, 0);
  for (std::size_t k = 0; k < xs.size(); ++k) v->data[k] = xs[k];
  return makeConstant(std::move(v));
}

std::vector<ExpressionTerm> terms(EvaluatablePtr a, int code, EvaluatablePtr b) {
  std::vector<ExpressionTerm> t;
  t.push_back({std::move(a), code});
  t.push_back({std::move(b), kEnd});
  return t;
}

template <class V = DoubleValue>
V evaluate(Evaluatable& node) {
  V workspace;
  const Value* result = node.pValue(workspace);
  V copy;
  copy.assignSame(*result);
  return copy;
}

TEST(SimpleExpression, ProductsBeforeSumsLeftToRight) {
  std::vector<ExpressionTerm> t;
  t.push_back({d(2), kPlus});
  t.push_back({d(3), kTimes});
  t.push_back({d(4), kMinus});
  t.push_back({d(1), kEnd});
  SimpleExpression e(std::move(t), kDoubleType);
  EXPECT_EQ(evaluate(e).data[0], 13);
}

TEST(SimpleExpression, ScalarBroadcastsFromEitherSide) {
  SimpleExpression left(terms(d(10), kMinus, row({1, 2, 3})), kDoubleType);
  DoubleValue r = evaluate(left);
  ASSERT_EQ(r.size, 3);
  EXPECT_EQ(r.data[2], 7);
  SimpleExpression right(terms(row({1, 2, 3}), kTimes, d(2)), kDoubleType);
  EXPECT_EQ(evaluate(right).data[1], 4);
}

TEST(SimpleExpression, DifferentShapesFailWithTheOperatorCharacter) {
  SimpleExpression e(terms(row({1, 2, 3}), kPlus, row({1, 2})), kDoubleType);
  DoubleValue w;
  EXPECT_THROW(
      {
        try {
          e.pValue(w);
        } catch (char c) {
          EXPECT_EQ(c, '+');
          throw;
        }
      },
      char);
}

TEST(SimpleExpression, IntegerSumBelowTheBoundOverflows) {
  SimpleExpression ok(terms(i(-1073741822), kMinus, i(1)), kIntType);
  EXPECT_EQ(evaluate<IntValue>(ok).data[0], -1073741823);
  SimpleExpression bad(terms(i(-1073741823), kMinus, i(1)), kIntType);
  IntValue w;
  EXPECT_THROW(bad.pValue(w), RuntimeError);
}

TEST(SimpleExpression, MostNegativeIntegerIsAnOverflowToo) {
  SimpleExpression e(terms(i(std::numeric_limits<int>::min()), kPlus, i(0)), kIntType);
  IntValue w;
  EXPECT_THROW(e.pValue(w), RuntimeError);
}

TEST(SimpleExpression, ScratchValuesAreReusedBetweenEvaluations) {
  DoubleValue x(1.5);
  std::vector<ExpressionTerm> t;
  t.push_back({std::make_unique<ValueElement>(&x), kTimes});
  t.push_back({d(2), kPlus});
  t.push_back({std::make_unique<ValueElement>(&x), kTimes});
  t.push_back({d(3), kEnd});
  SimpleExpression e(std::move(t), kDoubleType);
  DoubleValue w;
  e.pValue(w);
  const double* storage = w.data;
  x.assignDouble(2);
  e.pValue(w);
  EXPECT_EQ(w.data, storage);
  EXPECT_EQ(w.data[0], 10);
  EXPECT_EQ(x.data[0], 2);  // the variable is read, never written
}

TEST(SimpleMixedTypeExpression, ConvertsIntegersAndRefusesAnIntWorkspace) {
  SimpleMixedTypeExpression e(terms(i(1), kDivide, d(4)));
  EXPECT_EQ(evaluate(e).data[0], 0.25);
  IntValue w;
  try {
    e.pValue(w);
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.text,
              "in SimpleMixedTypeExpression::pValue: !! Zirbin failure. Invoked with "
              "non-DOUBLE_VAL workspace. Please report this bug.");
  }
}

TEST(GeneralExpression, LevelsFromTheDataAtConstruction) {
  std::vector<ExpressionTerm> t;
  t.push_back({d(1), kPower});
  t.push_back({d(2), kHorizontalJoin});
  t.push_back({d(3), kEnd});
  GeneralMixedTypeExpression e(std::move(t));
  EXPECT_EQ(e.minLevel(), 0);
  EXPECT_EQ(e.maxLevel(), 8);
  DoubleValue r = evaluate(e);
  ASSERT_EQ(r.size, 2);
  EXPECT_EQ(r.data[0], 1);
  EXPECT_EQ(r.data[1], 3);
}

TEST(GeneralExpression, QueryWithZeroConditionGivesTheSecondAlternative) {
  std::vector<ExpressionTerm> t;
  t.push_back({d(0), kQuery});
  t.push_back({d(1), kQueryElse});
  t.push_back({d(2), kEnd});
  GeneralMixedTypeExpression e(std::move(t));
  EXPECT_EQ(evaluate(e).data[0], 2);
}

TEST(GeneralExpression, VerticalJoinOfMismatchedColumnsFails) {
  GeneralMixedTypeExpression e(terms(row({1, 2}), kVerticalJoin, row({1, 2, 3})));
  DoubleValue w;
  EXPECT_THROW(e.pValue(w), char);
}

TEST(GeneralExpression, IntegerSequenceRefusesMatrixPower) {
  GeneralIntegerExpression e(terms(i(2), kMatrixPower, i(2)));
  IntValue w;
  EXPECT_THROW(e.pValue(w), char);
}

TEST(GeneralExpression, ComplexSequenceRefusesLogicalOperators) {
  GeneralComplexExpression e(
      terms(makeComplexNumber({1, 1}), kAnd, makeComplexNumber({0, 1})));
  values::ComplexValue w;
  try {
    e.pValue(w);
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.text, "invalid operation in a complex-number expression");
  }
}

TEST(ComparatorElement, NanIsUnequalToEverything) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ComparatorElement<double> eq(d(nan), d(nan), nullptr, kEqual, kEnd);
  EXPECT_EQ(evaluate<IntValue>(eq).data[0], 0);
  ComparatorElement<double> ne(d(nan), d(1), nullptr, kNotEqual, kEnd);
  EXPECT_EQ(evaluate<IntValue>(ne).data[0], 1);
}

TEST(ComparatorElement, DifferentShapesAreRefused) {
  ComparatorElement<double> c(row({1, 2}), row({1, 2, 3}), nullptr, kLess, kEnd);
  IntValue w;
  try {
    c.pValue(w);
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.text, "incompatible matrix sizes");
  }
}

TEST(ComparatorElement, FalseFirstPartLeavesTheThirdUnevaluated) {
  // 3 < 2 < ([1 2] + [1 2 3]): the failing third operand is never evaluated.
  ComparatorElementMixedType c(
      i(3), i(2),
      std::make_unique<SimpleExpression>(terms(row({1, 2}), kPlus, row({1, 2, 3})), kDoubleType),
      kLess, kLess);
  IntValue r = evaluate<IntValue>(c);
  EXPECT_EQ(r.data[0], 0);
  EXPECT_EQ(r.kind(), values::JMAT_BOOL);
}

TEST(UnaryOpElement, FactorialTables) {
  EXPECT_EQ(intFactorial(12), 479001600);
  EXPECT_THROW(intFactorial(13), RuntimeError);
  EXPECT_THROW(intFactorial(-1), RuntimeError);
  EXPECT_EQ(doubleFactorial(4.4), 24);
  EXPECT_EQ(doubleFactorial(-1), std::numeric_limits<double>::infinity());
  EXPECT_EQ(doubleFactorial(171), std::exp(std::lgamma(172.0)));
}

TEST(UnaryOpElement, ColonMakesOneRow) {
  auto column = std::make_unique<DoubleValue>();
  column->setLayout(3, 3, 0);
  UnaryOpElement u(makeConstant(std::move(column)), ':');
  DoubleValue r = evaluate(u);
  EXPECT_EQ(r.nrow, 1);
}

TEST(ConversionElements, TypeCheckRefusesAComplexWorkspace) {
  TypeCheckElement t(d(1));
  values::ComplexValue w;
  EXPECT_THROW(t.pValue(w), RuntimeError);
  DoubleToIntElement n(d(-2.7));
  EXPECT_EQ(evaluate<IntValue>(n).data[0], -2);
}

double twice(double x) { return 2 * x; }
int countAbove1(const Value& v) {
  int n = 0;
  for (int k = 0; k < v.size; ++k) n += static_cast<const DoubleValue&>(v).data[k] > 1;
  return n;
}
double sumOf(const Value& v) {
  double s = 0;
  for (int k = 0; k < v.size; ++k) s += static_cast<const DoubleValue&>(v).data[k];
  return s;
}
void scaleBy(Value& first, const Value* second, Value& result) {
  const double f = second ? second->getDouble() : 10;
  result.assignDouble(first.getDouble() * f);
}
double fortyTwo() { return 42; }

TEST(FunctionElements, ElementWiseKeepsTheShape) {
  SimpleFuncElement f(row({1, 2, 3}), twice);
  DoubleValue r = evaluate(f);
  EXPECT_EQ(r.nrow, 1);
  EXPECT_EQ(r.data[2], 6);
  SimpleFuncElement n(i(4), twice);
  EXPECT_EQ(evaluate(n).data[0], 8);
}

TEST(FunctionElements, ColumnFunctionGivesOneNumberPerColumn) {
  auto m = std::make_unique<DoubleValue>();
  m->setLayout(4, 2, 0);
  for (int k = 0; k < 4; ++k) m->data[k] = k;
  ColumnWiseFuncD_Element sums(makeConstant(std::move(m)), sumOf);
  DoubleValue r = evaluate(sums);
  ASSERT_EQ(r.size, 2);
  EXPECT_EQ(r.data[0], 1);
  EXPECT_EQ(r.data[1], 5);
  ColumnWiseFuncI_Element count(row({0, 2, 3}), countAbove1, true);
  IntValue c = evaluate<IntValue>(count);
  EXPECT_EQ(c.data[0], 2);
  EXPECT_EQ(c.kind(), values::JMAT_BOOL);
}

TEST(FunctionElements, TwoArgumentsAndOptionalSecond) {
  TwoArgFuncElement both(d(3), i(2), scaleBy);
  EXPECT_EQ(evaluate(both).data[0], 6);
  TwoArgFuncElement one(d(3), nullptr, scaleBy);
  EXPECT_EQ(evaluate(one).data[0], 30);
}

TEST(FunctionElements, FunctorHandsAnEmptyParameterToItsRoutineFixed) {
  // The routine says what an empty parameter means: poly refuses it with its own message,
  // poisson takes it as mu = 1. Here scaleBy's getDouble refuses it with ']'.
  SimpleFunctorElement f(makeConstant(std::make_unique<DoubleValue>()), d(2), scaleBy);
  DoubleValue w;
  EXPECT_THROW(f.pValue(w), char);
}

TEST(FunctionElements, NoArgumentScalarAndValueToScalar) {
  TicLikeFuncElement t(fortyTwo);
  EXPECT_EQ(evaluate(t).data[0], 42);
  Value2ScalarD_Element s(row({1, 2, 3}), sumOf);
  EXPECT_EQ(evaluate(s).data[0], 6);
}

}  // namespace
}  // namespace zirbin::engine
