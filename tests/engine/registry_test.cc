// The registry's bookkeeping: kinds, tables, bounds, complex forms, keywords.
#include "engine/registry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zirbin::builtins {
namespace {

double half(double x) { return x / 2; }
double same(double x) { return x; }
int twice(int x) { return 2 * x; }
double seven() { return 7; }
double firstOf(const Value&) { return 0; }
void noop(Value&, Value&) {}
void noop2(Value&, const Value*, Value&) {}
void general(BuiltinArgs&, Value&, std::span<Value* const>) {}
std::complex<double> conjugate(std::complex<double> z) { return std::conj(z); }
double realPart(std::complex<double> z) { return z.real(); }

constexpr BuiltinEntry kEntries[] = {
    {"half", BuiltinKind::ElementWise, kDoubleResult, half},
    {"conj", BuiltinKind::ElementWise, kDoubleResult, same},
    {"real", BuiltinKind::ElementWise, kDoubleResult, same},
    {"twice", BuiltinKind::ElementWise, kIntResult, twice},
    {"seven", BuiltinKind::NoArgScalar, kDoubleResult, seven},
    {"first", BuiltinKind::ColumnWise, kDoubleResult, firstOf},
    {"whole", BuiltinKind::ValueToScalar, kDoubleResult, firstOf},
    {"vv", BuiltinKind::ValueToValue, kIntResult, noop},
    {"two", BuiltinKind::TwoArg, kDoubleResult, noop2},
    {"functor", BuiltinKind::FunctorTwoArg, kDoubleResult, noop2},
    {"plot", BuiltinKind::General, kIntResult, general, 1, kNoUpperBound},
    {"list", BuiltinKind::General, kListResult, general, 0, kNoUpperBound},
    {"sum", BuiltinKind::General, kDoubleResult, general, 1, 3},
};

constexpr ComplexFormEntry kForms[] = {
    {"conj", {conjugate, nullptr, kComplexResult}},
    {"real", {nullptr, realPart, kDoubleResult}},
};

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() {
    registry.add(kEntries);
    registry.addComplexForms(kForms);
  }
  BuiltinRegistry registry;
};

TEST_F(RegistryTest, UnknownNameGivesNoneAndFindsNothing) {
  const BuiltinRegistry& filled = registry;
  EXPECT_EQ(filled.lookup("nosuch"), BuiltinKind::None);
  EXPECT_FALSE(filled.find("nosuch").has_value());
  // What one lookup found does not depend on the lookups before it.
  std::optional<FunctionInfo> half = filled.find("half");
  filled.find("seven");
  ASSERT_TRUE(half.has_value());
  EXPECT_STREQ(half->name, "half");
  EXPECT_EQ(std::get<ElementDoubleRoutine>(half->routine)(3.0), 1.5);
}

TEST_F(RegistryTest, LookupReportsKindResultTypeAndRoutine) {
  EXPECT_EQ(registry.lookup("twice"), BuiltinKind::ElementWise);
  FunctionInfo info = *registry.find("twice");
  EXPECT_EQ(info.resultType, kIntResult);
  EXPECT_EQ(std::get<ElementIntRoutine>(info.routine)(4), 8);
  EXPECT_EQ(registry.lookup("seven"), BuiltinKind::NoArgScalar);
  EXPECT_EQ(std::get<NoArgScalarRoutine>(registry.find("seven")->routine)(), 7.0);
}

TEST_F(RegistryTest, ColumnWiseAndValueToScalarShareTheirRoutineTable) {
  EXPECT_EQ(registry.lookup("first"), BuiltinKind::ColumnWise);
  EXPECT_EQ(registry.lookup("whole"), BuiltinKind::ValueToScalar);
  EXPECT_TRUE(std::holds_alternative<ValueToDoubleRoutine>(registry.find("whole")->routine));
}

TEST_F(RegistryTest, ArgumentBoundsFollowTheKind) {
  using Bounds = std::pair<int, int>;
  EXPECT_EQ(registry.find("seven")->bounds(), Bounds(0, 0));
  EXPECT_EQ(registry.find("half")->bounds(), Bounds(1, 1));
  EXPECT_EQ(registry.find("two")->bounds(), Bounds(1, 2));
  EXPECT_EQ(registry.find("functor")->bounds(), Bounds(2, 2));
  EXPECT_EQ(registry.find("plot")->bounds(), Bounds(1, kNoUpperBound));
  EXPECT_EQ(registry.find("list")->bounds(), Bounds(0, kNoUpperBound));
  EXPECT_EQ(registry.find("sum")->bounds(), Bounds(1, 3));
}

TEST_F(RegistryTest, OnlyTheListedGeneralBuiltinsTakeAnyType) {
  EXPECT_TRUE(registry.find("list")->takesAnyType);
  EXPECT_EQ(registry.find("list")->resultType, kListResult);
  EXPECT_FALSE(registry.find("plot")->takesAnyType);
  EXPECT_FALSE(registry.find("half")->takesAnyType);
}

TEST_F(RegistryTest, RegisteringANameAgainOverwritesItsRecord) {
  constexpr BuiltinEntry again[] = {{"half", BuiltinKind::NoArgScalar, kDoubleResult, seven}};
  registry.add(again);
  EXPECT_EQ(registry.lookup("half"), BuiltinKind::NoArgScalar);
  EXPECT_EQ(std::get<NoArgScalarRoutine>(registry.find("half")->routine)(), 7.0);
}

TEST_F(RegistryTest, ConjAndRealShareTheIdentityButKeepTheirOwnComplexForms) {
  auto conj = registry.complexForm("conj");
  auto real = registry.complexForm("real");
  ASSERT_TRUE(conj && real);
  EXPECT_EQ(conj->resultType, kComplexResult);
  EXPECT_EQ(conj->toComplex({1, 2}), std::complex<double>(1, -2));
  EXPECT_EQ(real->resultType, kDoubleResult);
  EXPECT_EQ(real->toDouble({1, 2}), 1.0);
  EXPECT_FALSE(registry.complexForm("half"));
}

TEST_F(RegistryTest, NamesAreListedInBytewiseOrder) {
  std::vector<std::string> names = registry.names();
  ASSERT_EQ(names.size(), std::size(kEntries));
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST(Keywords, CodesAreFixedAndEightAndTwelveUnused) {
  EXPECT_EQ(keywordCode("while"), Keyword::While);
  EXPECT_EQ(static_cast<int>(keywordCode("function")), 9);
  EXPECT_EQ(static_cast<int>(keywordCode("end")), 10);
  EXPECT_EQ(static_cast<int>(keywordCode("const")), 13);
  EXPECT_EQ(static_cast<int>(keywordCode("continue")), 18);
  EXPECT_EQ(keywordCode("While"), Keyword::None);
  EXPECT_EQ(keywordCode("sin"), Keyword::None);
  EXPECT_EQ(keywordCode(""), Keyword::None);
}

}  // namespace
}  // namespace zirbin::builtins
