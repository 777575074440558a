// The expression compiler as a user meets it: typed text in, values and messages out.
#include "compiler/expression_compiler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "engine/registry.h"
#include "compiler/input_source.h"
#include "compiler/lexer.h"
#include "engine/expressions.h"
#include "base/errors.h"
#include "engine/workspace.h"
#include "values/math_matrix.h"

namespace zirbin::compiler {
namespace {

using engine::EvaluatablePtr;
using session::RuntimeError;
using session::SyntaxError;
using values::DoubleValue;
using values::IntValue;

class ExpressionCompilerTest : public ::testing::Test {
 protected:
  // Lexes and compiles one expression line.
  EvaluatablePtr compile(const std::string& text) {
    InputSource input(text, 'c');
    TokenList tokens;
    lex(text + " #", '#', input, tokens, nullptr);
    return compiler_.compileExpression(tokens);
  }

  // Compiles and evaluates; returns the value copied.
  std::unique_ptr<values::Value> eval(const std::string& text) {
    EvaluatablePtr node = compile(text);
    auto workspace = values::newValue(node->resultType());
    const values::Value* result = node->pValue(*workspace);
    return values::newValueCopy(*result);
  }

  double number(const std::string& text) { return eval(text)->getDouble(); }

  std::string syntaxError(const std::string& text) {
    try {
      compile(text);
    } catch (const SyntaxError& e) {
      return e.text;
    }
    return "(compiled)";
  }

  std::string runtimeError(const std::string& text) {
    try {
      eval(text);
    } catch (const RuntimeError& e) {
      return e.text;
    } catch (char c) {
      return std::string("code ") + c;
    }
    return "(ran)";
  }

  values::Value* declare(const std::string& name, double x) {
    values::Value* v = workspace_.declareVariable(name, 1);
    v->assignDouble(x);
    return v;
  }

  values::Value* declareInt(const std::string& name, int n) {
    workspace_.declareVariable(name, 1);
    auto value = std::make_unique<IntValue>(n);
    values::Value* raw = value.get();
    workspace_.setVariable(name, value.release());
    return raw;
  }

  values::Value* declareRow(const std::string& name, std::vector<double> xs) {
    auto* v = static_cast<DoubleValue*>(workspace_.declareVariable(name, 1));
    v->setLayout(static_cast<int>(xs.size()), 1, 0);
    for (std::size_t k = 0; k < xs.size(); ++k) v->data[k] = xs[k];
    return v;
  }

  void SetUp() override {
    registry_.add(kTestRoutines);
    workspace_.setBuiltinLookup(
        [this](const std::string& name) { return registry_.lookup(name) != builtins::BuiltinKind::None; });
  }

  static double twice(double x) { return 2 * x; }
  static void count(builtins::BuiltinArgs& args, values::Value& result,
                    std::span<values::Value* const>) {
    result.assignInt(args.count() + (args.isFunction(0) ? 100 : 0));
  }
  static constexpr builtins::BuiltinEntry kTestRoutines[] = {
      {"twice", builtins::BuiltinKind::ElementWise, builtins::kDoubleResult, &twice},
      {"count2to3", builtins::BuiltinKind::General, builtins::kIntResult, &count, 2, 3},
  };

  session::Workspace workspace_;
  builtins::BuiltinRegistry registry_;
  ExpressionCompiler compiler_{workspace_, registry_};
};

TEST_F(ExpressionCompilerTest, CallsWithBracketsWordsAndPowers) {
  EXPECT_EQ(number("twice(3)"), 6);
  EXPECT_EQ(eval("twice(1, 2)")->size, 2);  // one-value built-ins join several arguments
  EXPECT_EQ(number("twice 3 + 1"), 8);  // the rest of the expression is the argument
  EXPECT_EQ(number("twice^2(3)"), 36);  // twice(3)^2
  EXPECT_EQ(number("1 + twice(2) * 2"), 9);
}

TEST_F(ExpressionCompilerTest, ArgumentCountsAreChecked) {
  EXPECT_EQ(syntaxError("twice"), "function requires a parameter");
  EXPECT_EQ(syntaxError("count2to3(1, 2, 3, 4)"), "count2to3(...) has too many arguments");
  EXPECT_EQ(syntaxError("count2to3(1)"), "count2to3(...) has too few arguments");
  EXPECT_EQ(syntaxError("count2to3(1, , 2)"), "stray comma or empty argument");
  EXPECT_EQ(eval("count2to3(1, 2)")->getInt(), 2);
  EXPECT_EQ(syntaxError("twice^2 3"), "function with ^ requires an argument in a bracket");
}

TEST_F(ExpressionCompilerTest, FunctionReferencesComeFirst) {
  EXPECT_EQ(eval("count2to3(\\twice, 1)")->getInt(), 102);
  EXPECT_EQ(syntaxError("count2to3(1, \\twice)"),
            "function reference(s) must be the first argument(s)");
  EXPECT_EQ(syntaxError("count2to3(\\nothing, 1)"), "after backslash: no such built-in function");
}

TEST_F(ExpressionCompilerTest, ComplexArgumentNeedsAComplexForm) {
  EXPECT_EQ(syntaxError("twice(1i)"), "this function does not accept a complex argument");
}

TEST_F(ExpressionCompilerTest, IndexingAndEnd) {
  declareRow("v", {5, 6, 7});
  EXPECT_EQ(number("v[2]"), 6);
  EXPECT_EQ(number("v[end]"), 7);
  EXPECT_EQ(number("v[end - 1] + 1"), 7);
  EXPECT_EQ(syntaxError("end + 1"), "stray 'end' keyword");
  EXPECT_EQ(syntaxError("v[1, 2, 3, 4]"), "too many indices");
  EXPECT_EQ(syntaxError("v[1i]"), "invalid type of index");
  EXPECT_EQ(syntaxError("v[]"), "empty index list");
}

TEST_F(ExpressionCompilerTest, DotFormsAfterAVariable) {
  declareRow("v", {5, 6, 7});
  EXPECT_EQ(number("v.twice"), 10);
  EXPECT_EQ(number("(v).twice"), 10);
  EXPECT_EQ(syntaxError("v.3"), "the dot must be followed by an integer or a name or a bracket");
  EXPECT_EQ(syntaxError("(v).nothing"), "nothing is not a function");
}

TEST_F(ExpressionCompilerTest, ProductsBindTighterThanSums) {
  EXPECT_EQ(number("2 + 3 * 4"), 14);
  EXPECT_EQ(number("10 - 3 - 2"), 5);
  EXPECT_EQ(number("2 ^ 3 ^ 2"), 64);
}

TEST_F(ExpressionCompilerTest, ConstantsAreFoldedWithTheirType) {
  EvaluatablePtr sum = compile("1 + 2");
  EXPECT_EQ(sum->nodeKind(), engine::kNumberLiteralNode);
  EXPECT_EQ(sum->resultType(), engine::kIntType);
  EvaluatablePtr half = compile("1/2");
  EXPECT_EQ(half->resultType(), engine::kDoubleType);
  EXPECT_EQ(eval("1/2")->getDouble(), 0.5);
}

TEST_F(ExpressionCompilerTest, IntegerMatrixPowerIsRefusedWithQueryCodeFixed) {
  try {
    eval("[1 2; 3 4]^^2");
    FAIL() << "an integer matrix power was computed";
  } catch (char code) {
    EXPECT_EQ(code, '?');
  }
  auto p = eval("[1.5 2; 3 4]^^2");
  EXPECT_EQ(p->valueType(), values::DOUBLE_VAL);
  EXPECT_EQ(static_cast<const DoubleValue&>(*p).data[0], 8.25);
}

TEST_F(ExpressionCompilerTest, JuxtapositionMultiplies) {
  declare("x", 3);
  EXPECT_EQ(number("2x"), 6);
  EXPECT_EQ(number("(1 + 1) x"), 6);
  EXPECT_EQ(number("x(2)"), 6);
}

TEST_F(ExpressionCompilerTest, PrefixMinusBindsLooserThanPowerAndProduct) {
  declare("x", 3);
  EXPECT_EQ(number("-x^2"), -9);
  EXPECT_EQ(number("-3^2"), 9);  // a leading -3 is one literal
  EXPECT_EQ(number("2 * -3"), -6);
  EXPECT_EQ(number("-x*2 + 10"), 4);
}

TEST_F(ExpressionCompilerTest, PercentDividesTheWholeSidesAndSlashSlashTheRest) {
  declare("a", 6);
  declare("b", 2);
  declare("c", 1);
  declare("d", 1);
  EXPECT_EQ(number("a + b % c + d"), 4);  // (a + b)/(c + d)
  EXPECT_EQ(number("a // b + c"), 2);     // a/(b + c)
  EXPECT_EQ(number("c + a // b + d"), 3);
}

TEST_F(ExpressionCompilerTest, ComparisonChainsAreRangeTests) {
  declare("x", 2);
  EXPECT_EQ(number("1 < x < 3"), 1);
  EXPECT_EQ(number("1 < x < 2"), 0);
  EXPECT_EQ(syntaxError("1 < x < 3 < 4"), "illegal form of comparison (more than 3 parts)");
  EXPECT_EQ(syntaxError("1 === x < 3"), "illegal combination of === with a further comparison");
}

TEST_F(ExpressionCompilerTest, ComparisonOfARowWithAScalarIsBoolean) {
  auto v = eval("[1 2 3] < 2");
  ASSERT_EQ(v->size, 3);
  EXPECT_EQ(v->kind(), values::JMAT_BOOL);
  const auto& row = static_cast<const IntValue&>(*v);
  EXPECT_EQ(row.data[0], 1);
  EXPECT_EQ(row.data[1], 0);
  EXPECT_EQ(row.data[2], 0);
}

TEST_F(ExpressionCompilerTest, IdentityComparesWholeValues) {
  EXPECT_EQ(number("3 === 3.0"), 1);
  EXPECT_EQ(number("'ab' === [97 98]"), 0);
  EXPECT_EQ(number("[1 2] === [1 2]"), 1);
}

TEST_F(ExpressionCompilerTest, QueryChoosesAnAlternative) {
  declare("x", 0);
  EXPECT_EQ(number("x ? 1 :: 2"), 2);
  EXPECT_EQ(number("x + 1 ? 10 :: 20"), 10);
  EXPECT_EQ(syntaxError("x ? 1"), "missing :: after '?' operator");
  EXPECT_EQ(syntaxError("x ? 1 :: 2 ? 3 :: 4"), "multiple '?' or '::' operators");
  EXPECT_EQ(syntaxError("x :: 2"), "illegal :: without '?' operator");
}

TEST_F(ExpressionCompilerTest, ShortCircuitSkipsTheRightOperand) {
  declare("x", 0);
  // The right operand would fail with incompatible sizes if it were evaluated.
  EXPECT_EQ(number("x && ((x + [1 2]) + [1 2 3])"), 0);
  EXPECT_EQ(number("x + 1 || ((x + [1 2]) + [1 2 3])"), 1);
  EXPECT_EQ(runtimeError("[1 1] && 1"), "in logical operator: non-scalar condition");
}

TEST_F(ExpressionCompilerTest, SequencesAreRanges) {
  auto v = eval("1:4");
  EXPECT_EQ(v->valueType(), values::INTEGER_VAL);
  EXPECT_EQ(v->size, 4);
  auto w = eval("0:0.25:1");
  EXPECT_EQ(w->size, 5);
  EXPECT_EQ(syntaxError("1:2:3:4"), "a:b:c:d ??");
}

TEST_F(ExpressionCompilerTest, JoinsBuildMatrices) {
  auto m = eval("[1 2; 3 4]");
  EXPECT_EQ(m->size, 4);
  EXPECT_EQ(m->nrow, 2);
  EXPECT_EQ(runtimeError("[[1 2; 3 4], [1; 2; 3]]"), "code ,");
  auto e = eval("[[], [1 2; 3 4]]");
  EXPECT_EQ(e->size, 4);
}

TEST_F(ExpressionCompilerTest, GeneralSequencesMixLevels) {
  declare("x", 2);
  EXPECT_EQ(number("x^3*4 + 1"), 33);
  EXPECT_EQ(number("1 + x^2^2 / 4 - 1"), 4);
  EXPECT_EQ(number("(x ? 3 :: 4) * 2 + x^0"), 7);
  auto row = eval("[x^2, 1 + 1, 3*x]");
  ASSERT_EQ(row->size, 3);
  EXPECT_EQ(static_cast<const DoubleValue&>(*row).data[2], 6);
  auto m = eval("[x, 1; 2^x, x _ 3]");
  ASSERT_EQ(m->nrow, 2);
  EXPECT_EQ(static_cast<const DoubleValue&>(*m).data[1], 4);
  EXPECT_EQ(static_cast<const DoubleValue&>(*m).data[3], 0);
}

TEST_F(ExpressionCompilerTest, ImplicitElementSeparatorsAndMinus) {
  EXPECT_EQ(eval("[1 -2]")->size, 2);
  EXPECT_EQ(eval("[1 - 2]")->size, 1);
  EXPECT_EQ(eval("[1, 2; 3, 4]")->nrow, 2);
}

TEST_F(ExpressionCompilerTest, IntegerOverflowIsRefused) {
  declareInt("n", 1073741823);
  EXPECT_EQ(runtimeError("-n - 1"), "integer overflow");
  EXPECT_EQ(runtimeError("-n - 2"), "integer overflow");
  EXPECT_EQ(eval("-n")->getInt(), -1073741823);
}

TEST_F(ExpressionCompilerTest, FactorialsOfIntegersAndDoubles) {
  EXPECT_EQ(eval("5!")->getInt(), 120);
  EXPECT_EQ(runtimeError("13!"), "in factorial: integer overflow");
  EXPECT_EQ(number("3.0!"), 6);
  EXPECT_TRUE(std::isinf(number("171.0!")));
  EXPECT_TRUE(std::isinf(number("(-1.0)!")));
}

TEST_F(ExpressionCompilerTest, ImaginaryUnitMakesComplexSequences) {
  auto z = eval("1 + 2*1i");
  EXPECT_EQ(z->valueType(), values::COMPLEX_VAL);
  const auto& c = static_cast<const values::ComplexValue&>(*z);
  EXPECT_EQ(c.data[0], values::Complex(1, 2));
  EXPECT_EQ(syntaxError("1i!"), "illegal unary operator for a complex value");
}

TEST_F(ExpressionCompilerTest, UnknownNamesAreReportedInGreen) {
  EXPECT_EQ(syntaxError("z + 1"), "unrecognised name {g 'z'");
  EXPECT_EQ(syntaxError("while + 1"), "misplaced keyword {g 'while'");
}

TEST_F(ExpressionCompilerTest, MalformedExpressions) {
  EXPECT_EQ(syntaxError("^3"), "misplaced '^' operator");
  EXPECT_EQ(syntaxError("2 >> 3"), "unrecognised operator");
}

TEST_F(ExpressionCompilerTest, IncrementChangesTheVariable) {
  values::Value* x = declare("x", 1);
  EXPECT_EQ(number("++x + 1"), 3);
  EXPECT_EQ(x->getDouble(), 2);
  EXPECT_EQ(syntaxError("++pi"), "item cannot be incremented/decremented");
}

TEST_F(ExpressionCompilerTest, NamedConstantsAreNumbers) {
  EXPECT_DOUBLE_EQ(number("2 pi"), 2 * M_PI);
  EXPECT_EQ(compile("pi/2")->nodeKind(), engine::kNumberLiteralNode);
}

TEST_F(ExpressionCompilerTest, TheSameTreeEvaluatesAgainWithNewValues) {
  values::Value* x = declare("x", 1);
  EvaluatablePtr node = compile("x*x + 2*x + 1");
  DoubleValue workspace;
  EXPECT_EQ(node->pValue(workspace)->getDouble(), 4);
  x->assignDouble(3);
  EXPECT_EQ(node->pValue(workspace)->getDouble(), 16);
}

}  // namespace
}  // namespace zirbin::compiler

namespace zirbin::compiler {
namespace {

// Scalar variables take a quicker path than rows; both must give the same numbers.
class ScalarPathTest : public ExpressionCompilerTest {
 protected:
  // Evaluates twice into one workspace, as a loop does: the second run finds a one-element
  // workspace, which the quicker path writes into.
  std::unique_ptr<values::Value> evalAgain(const std::string& text) {
    EvaluatablePtr node = compile(text);
    auto workspace = values::newValue(node->resultType());
    node->pValue(*workspace);
    return values::newValueCopy(*node->pValue(*workspace));
  }
  double number(const std::string& text) { return evalAgain(text)->getDouble(); }
  int truth(const std::string& text) {
    std::unique_ptr<values::Value> v = evalAgain(text);
    EXPECT_TRUE(v->isBoolean()) << text;
    return v->getInt();
  }

  // `text` over x and y, once with scalars and once with two-element rows whose first
  // elements are the scalars.
  void expectSameAsRows(const std::string& text, double x, double y) {
    declare("x", x);
    declare("y", y);
    const double scalar = number(text);
    declareRow("x", {x, 0});
    declareRow("y", {y, 1});
    const double row = number(text);
    if (std::isnan(row)) {
      EXPECT_TRUE(std::isnan(scalar)) << text << " with " << x << ", " << y;
    } else {
      EXPECT_EQ(std::signbit(scalar), std::signbit(row)) << text << " with " << x << ", " << y;
      EXPECT_EQ(scalar, row) << text << " with " << x << ", " << y;
    }
  }
};

TEST_F(ScalarPathTest, ModMatchesFmodIncludingSignsAndLargeNumbers) {
  const double values[] = {0, -0.0, 1, -1, 2, -2, 7, -7, 7.5, -7.5, 1e10, -1e10, 3e18, 1e19,
                           2147483647, -2147483647, 2147483648.0, 0.1, 1e-300};
  for (double a : values) {
    for (double b : values) expectSameAsRows("x mod y", a, b);
  }
  declare("x", -4);
  EXPECT_TRUE(std::signbit(number("x mod 2")));
  EXPECT_EQ(number("x mod 3"), std::fmod(-4.0, 3.0));
}

TEST_F(ScalarPathTest, SequencesKeepTheOperatorLevels) {
  const char* texts[] = {"x + y * 2 - 1", "x mod 3 + y", "1 + x mod 3", "x / y * 3 mod 5",
                         "2 * x - y / 4 * 2", "x - y - 1", "x / 0"};
  for (const char* text : texts) {
    expectSameAsRows(text, 7, -2.5);
    expectSameAsRows(text, -4, 3);
  }
}

TEST_F(ScalarPathTest, ComparisonsWithLiteralsAndNaN) {
  declare("x", 3);
  EXPECT_EQ(truth("x == 3"), 1);
  EXPECT_EQ(truth("x ~= 3"), 0);
  EXPECT_EQ(truth("x mod 2 == 1"), 1);
  EXPECT_EQ(truth("x < 4.5"), 1);
  declare("x", std::nan(""));
  EXPECT_EQ(truth("x == x"), 0);
  EXPECT_EQ(truth("x ~= x"), 1);
  declareInt("k", 5);
  EXPECT_EQ(truth("k > 4.5"), 1);
  EXPECT_EQ(truth("k * 2 == 10"), 1);
}

}  // namespace
}  // namespace zirbin::compiler
