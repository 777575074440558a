// The element functions and their complex forms.
#include <cmath>

#include "builtin_call.h"

namespace zirbin::builtins::testing {
namespace {

TEST(ElementFunctions, SmallFunctionsOfOneNumber) {
  EXPECT_EQ(elementD("abs", -2.5), 2.5);
  EXPECT_EQ(elementD("log2", 8), 3);
  EXPECT_EQ(elementD("sign", -3), -1);
  EXPECT_EQ(elementD("sign", 0), 0);
  EXPECT_EQ(elementD("sign", 7), 1);
  EXPECT_EQ(elementD("fstep", -0.1), 0);
  EXPECT_EQ(elementD("fstep", 0), 1);
  EXPECT_EQ(elementD("tophat", 0.5), 1);
  EXPECT_EQ(elementD("tophat", 0.51), 0);
  EXPECT_EQ(elementD("sinc", 0), 1);
  EXPECT_DOUBLE_EQ(elementD("sinc", M_PI / 2), 2 / M_PI);
  EXPECT_EQ(elementD("isnan", NAN), 1);
  EXPECT_EQ(elementD("isnan", INFINITY), 0);
  EXPECT_TRUE(std::isnan(elementD("sign", NAN)));
}

TEST(ElementFunctions, SharedRoutinesGiveTheSameResults) {
  EXPECT_EQ(elementD("ln", 10), elementD("log", 10));
  EXPECT_EQ(elementD("ceiling", 1.2), 2);
  EXPECT_EQ(elementD("ceil", 1.2), 2);
  EXPECT_EQ(elementD("G", 5), 24);
  EXPECT_EQ(elementD("gamma", 5), 24);
}

TEST(ElementFunctions, PartsOfADoubleLeaveItOrGiveZero) {
  EXPECT_EQ(elementD("conj", -4), -4);
  EXPECT_EQ(elementD("real", -4), -4);
  EXPECT_EQ(elementD("imag", -4), 0);
  EXPECT_EQ(elementD("arg", 3), 0);
  EXPECT_DOUBLE_EQ(elementD("arg", -3), M_PI);
}

TEST(ElementFunctions, ConjAndRealHaveTheirOwnComplexForms) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  std::complex<double> z(3, 4);
  EXPECT_EQ(registry.complexForm("conj")->toComplex(z), std::complex<double>(3, -4));
  EXPECT_EQ(registry.complexForm("real")->toDouble(z), 3);
  EXPECT_EQ(registry.complexForm("imag")->toDouble(z), 4);
  EXPECT_EQ(registry.complexForm("abs")->toDouble(z), 5);
  EXPECT_EQ(registry.complexForm("abs")->resultType, kDoubleResult);
  EXPECT_EQ(registry.complexForm("conj")->resultType, kComplexResult);
}

TEST(ElementFunctions, LnAndLogAgreeForComplexArguments) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  std::complex<double> z(-1, 2);
  EXPECT_EQ(registry.complexForm("ln")->toComplex(z), registry.complexForm("log")->toComplex(z));
  EXPECT_EQ(registry.complexForm("sqrt")->toComplex({-4, 0}), std::complex<double>(0, 2));
}

TEST(ElementFunctions, FunctionsWithoutComplexFormRefuseComplexArguments) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  EXPECT_FALSE(registry.complexForm("floor"));
  EXPECT_FALSE(registry.complexForm("sign"));
  EXPECT_FALSE(registry.complexForm("asin"));
}

TEST(ElementFunctions, IntegerElementFunctions) {
  EXPECT_EQ(elementI("lower", 'Q'), 'q');
  EXPECT_EQ(elementI("lower", '3'), '3');
  EXPECT_EQ(elementI("lower", -60), -60);
  EXPECT_EQ(elementI("bitweight", 7), 3);
  EXPECT_EQ(elementI("bitweight", 0), 0);
  EXPECT_EQ(elementI("bitweight", -1), 32);
}

}  // namespace
}  // namespace zirbin::builtins::testing
