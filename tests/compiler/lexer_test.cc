// Lexer behaviour: token kinds and codes, placement checks, numbers, strings, brackets,
// continuation lines, command words, statement cutting and every lexer message.
#include "compiler/lexer.h"

#include <gtest/gtest.h>

#include "compiler/lexer_test_util.h"

namespace zirbin::compiler {
namespace {

using testing::describe;
using testing::lexError;
using testing::statementsOf;

TEST(Lexer, TypedExpressionGetsDisplayMarker) {
  EXPECT_EQ(statementsOf("1 + 2"), "1 b+ 2 m;");
  EXPECT_EQ(statementsOf("x = 3"), "x a= 3 m;");
}

TEST(Lexer, PastedTextGetsNoDisplayMarker) { EXPECT_EQ(statementsOf("1 + 2", 'c'), "1 b+ 2"); }

TEST(Lexer, NameCodeIsTheFollowingCharacter) {
  TokenList tokens;
  UserInput input;
  lex("abc[1] #", '#', input, tokens, nullptr);
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0].code, '[');
  EXPECT_EQ(tokens[1].kind, kBracketToken);
  EXPECT_EQ(tokens[1].text, "[1]");
}

TEST(Lexer, DoubledOperators) {
  EXPECT_EQ(statementsOf("a ^^ 2", 'c'), "a bR 2");
  EXPECT_EQ(statementsOf("a == b", 'c'), "a bE b");
  EXPECT_EQ(statementsOf("a === b", 'c'), "a bI b");
  EXPECT_EQ(statementsOf("a && b || c", 'c'), "a bA b bO c");
  EXPECT_EQ(statementsOf("a // b", 'c'), "a bV b");
  EXPECT_EQ(statementsOf("a >> b", 'c'), "a bo b");
  EXPECT_EQ(statementsOf("x << y", 'c'), "x ag y");
  EXPECT_EQ(statementsOf("++x", 'c'), "ui x");
  EXPECT_EQ(statementsOf("--x", 'c'), "ud x");
}

TEST(Lexer, OperatorsWithEquals) {
  EXPECT_EQ(statementsOf("x *= 2", 'c'), "x aT 2");
  EXPECT_EQ(statementsOf("x += 2", 'c'), "x aP 2");
  EXPECT_EQ(statementsOf("x -= 2", 'c'), "x aM 2");
  EXPECT_EQ(statementsOf("x /= 2", 'c'), "x aD 2");
  EXPECT_EQ(statementsOf("a <= b", 'c'), "a bL b");
  EXPECT_EQ(statementsOf("a ~= b", 'c'), "a bN b");
  EXPECT_EQ(statementsOf("a >= b", 'c'), "a bG b");
}

TEST(Lexer, AtOperatorsAndKronecker) {
  EXPECT_EQ(statementsOf("a @+ b @- c", 'c'), "a bp b bm c");
  EXPECT_EQ(statementsOf("a @^ b @& c @| d @! e", 'c'), "a bv b ba c br d bX e");
  EXPECT_EQ(statementsOf("a @b", 'c'), "a b@ b");
  EXPECT_EQ(statementsOf("a _/ b", 'c'), "a b_ b");
}

TEST(Lexer, WordOperatorsGiveTheSameTokensAsSymbols) {
  EXPECT_EQ(statementsOf("a mod b xor c vec d", 'c'), "a bu b bx c bv d");
  EXPECT_EQ(statementsOf("a and b", 'c'), statementsOf("a & b", 'c'));
  EXPECT_EQ(statementsOf("a And b", 'c'), statementsOf("a && b", 'c'));
  EXPECT_EQ(statementsOf("a or b", 'c'), statementsOf("a | b", 'c'));
  EXPECT_EQ(statementsOf("a Or b", 'c'), statementsOf("a || b", 'c'));
  EXPECT_EQ(statementsOf("a bitand b", 'c'), statementsOf("a @& b", 'c'));
  EXPECT_EQ(statementsOf("a bitor b", 'c'), statementsOf("a @| b", 'c'));
  EXPECT_EQ(statementsOf("android + modx", 'c'), "android b+ modx");
}

TEST(Lexer, UnrecognisedOperators) {
  EXPECT_EQ(lexError("a ** b"), "unrecognised operator");
  EXPECT_EQ(lexError("a ^= b"), "unrecognised operator");
  EXPECT_EQ(lexError("a @% b"), "unrecognised operator");
  EXPECT_EQ(lexError("x++"), "++ or -- must be attached to a name");
}

TEST(Lexer, FactorialAndTranspose) {
  EXPECT_EQ(statementsOf("n!", 'c'), "n u!");
  EXPECT_EQ(statementsOf("a'*b", 'c'), "a u' b* b");
  EXPECT_EQ(statementsOf("(a+b)'", 'c'), "(a b+ b) u'");
  EXPECT_EQ(lexError("n !"), "unattached '!' operator");
  EXPECT_EQ(lexError("!x"), "operator '!' cannot appear at the start");
  EXPECT_EQ(lexError("f(!x)"), "operator '!' cannot appear at the start");
}

TEST(Lexer, NegativeLiteralOnlyAtExpressionStart) {
  EXPECT_EQ(statementsOf("-3", 'c'), "-3");
  EXPECT_EQ(statementsOf("x = -.5", 'c'), "x a= -.5");
  EXPECT_EQ(statementsOf("2*-3", 'c'), "2 b* u- 3");
  EXPECT_EQ(statementsOf("-x", 'c'), "u- x");
  EXPECT_EQ(statementsOf("~x", 'c'), "u~ x");
}

TEST(Lexer, ExpressionStartOperators) {
  EXPECT_EQ(statementsOf("?sin"), "u? sin m;");
  EXPECT_EQ(statementsOf("??sin", 'c'), "uQ sin");
  EXPECT_EQ(statementsOf("<< x"), "ug x m;");
  EXPECT_EQ(lexError("* x"), "expression began with operator");
  EXPECT_EQ(lexError("x = / 2"), "expression began with operator");
  EXPECT_EQ(lexError("and x"), "expression began with operator");
}

TEST(Lexer, AdjacentOperators) {
  EXPECT_EQ(lexError("a + * b"), "two adjacent operators");
  EXPECT_EQ(statementsOf("a + ~b", 'c'), "a b+ u~ b");
  EXPECT_EQ(statementsOf("f(1, -2)", 'c'), "f (1 s, u- 2)");
}

TEST(Lexer, SecondAssignment) {
  EXPECT_EQ(lexError("a = b = 2"), "2nd assignment");
  EXPECT_EQ(statementsOf("a = 1; b = 2", 'c'), "a a= 1 | b a= 2");
}

TEST(Lexer, Separators) {
  EXPECT_EQ(statementsOf("x ,= 2", 'c'), "x aC 2");
  EXPECT_EQ(statementsOf("x ;= 2", 'c'), "x aS 2");
  EXPECT_EQ(statementsOf("c ? 1 :: 2", 'c'), "c b? 1 sW 2");
  EXPECT_EQ(statementsOf("1:3", 'c'), "1 s: 3");
  EXPECT_EQ(lexError("f(1,,2)"), "double comma");
  EXPECT_EQ(lexError(", x"), "expression starts wrong");
  EXPECT_EQ(lexError("x = ;"), "expression starts wrong");
}

TEST(Lexer, FunctionDefinitionKeepsRestOfLine) {
  EXPECT_EQ(statementsOf("f(x) := x^2"), "f (x) def:{ x^2}");
  EXPECT_EQ(statementsOf("g(x) ::= x+1", 'c'), "g (x) defv{ x+1}");
  // Two tokens: the typed line still gets its display marker.
  EXPECT_EQ(statementsOf("h := 3"), "h def:{ 3} m;");
}

TEST(Lexer, DisplayMarkers) {
  EXPECT_EQ(statementsOf("a = 1; b = 2"), "a a= 1 | b a= 2 m;");
  EXPECT_EQ(statementsOf("a = 1;; b = 2"), "a a= 1 m; | b a= 2 m;");
  EXPECT_EQ(statementsOf("a;?", 'c'), "a m?");
  EXPECT_EQ(statementsOf("a;!", 'c'), "a m!");
  EXPECT_EQ(statementsOf("a = 1;"), "a a= 1");
}

TEST(Lexer, Numbers) {
  EXPECT_EQ(statementsOf("12 3.5 .25 1e3 2.5e-3 1.", 'c'), "12 3.5 .25 1e3 2.5e-3 1.");
  TokenList tokens;
  UserInput input;
  lex("12 1.5 #", '#', input, tokens, nullptr);
  EXPECT_EQ(tokens[0].kind, kIntegerToken);
  EXPECT_EQ(tokens[1].kind, kRealToken);
  EXPECT_EQ(lexError("1.2.3"), "error in number");
  EXPECT_EQ(lexError(".5.5"), "error in number");
  EXPECT_EQ(lexError("1e"), "error in number");
  EXPECT_EQ(lexError("1E5"), "no error");  // an upper-case E is a name after the number
}

TEST(Lexer, ImaginaryUnitLiterals) {
  EXPECT_EQ(statementsOf("1i + 0j", 'c'), "1i b+ 0i");
  EXPECT_EQ(statementsOf("-1j", 'c'), "-1i");
  EXPECT_EQ(statementsOf("2i", 'c'), "2 i");
  EXPECT_EQ(statementsOf("1in", 'c'), "1 in");
}

TEST(Lexer, NumberScannerServesTextConversions) {
  NumberScan scan;
  ASSERT_TRUE(scanNumber("-12.5e+3x", 0, scan));
  EXPECT_EQ(scan.length, 8u);
  EXPECT_FALSE(scan.isInteger);
  ASSERT_TRUE(scanNumber("42", 0, scan));
  EXPECT_TRUE(scan.isInteger);
  EXPECT_FALSE(scanNumber("-", 0, scan));
  EXPECT_FALSE(scanNumber("abc", 0, scan));
}

TEST(Lexer, Strings) {
  EXPECT_EQ(statementsOf("'it''s'", 'c'), "'it's'");
  EXPECT_EQ(statementsOf("\"say \"\"hi\"\"\"", 'c'), "'say \"hi\"'");
  EXPECT_EQ(statementsOf("''", 'c'), "''");
  EXPECT_EQ(statementsOf("'a # b'", 'c'), "'a # b'");
  TokenList tokens;
  UserInput input;
  lex("\"x\" #", '#', input, tokens, nullptr);
  EXPECT_EQ(tokens[0].code, '"');
}

TEST(Lexer, UnterminatedStringShowsRestOfLine) {
  EXPECT_EQ(lexError("x = 'abc + 1"), "unterminated string at {g 'abc + 1");
}

TEST(Lexer, InterpolatedString) {
  EXPECT_EQ(statementsOf("^'v={n}'", 'c'), "['v=' s, trim (str (n)) s, '']");
  EXPECT_EQ(statementsOf("^'a{x}b{y}c'", 'c'),
            "['a' s, trim (str (x)) s, 'b' s, trim (str (y)) s, 'c']");
  EXPECT_EQ(statementsOf("^'{1+2}'", 'c'), "'{1+2}'");
  EXPECT_EQ(statementsOf("^'no braces'", 'c'), "'no braces'");
}

TEST(Lexer, CommentEndsTheLine) {
  EXPECT_EQ(statementsOf("x = 1 # set x", 'c'), "x a= 1");
}

TEST(Lexer, Brackets) {
  EXPECT_EQ(statementsOf("(1 + 2) * [3, 4]", 'c'), "(1 b+ 2) b* [3 s, 4]");
  EXPECT_EQ(statementsOf("f()", 'c'), "f ()");
  EXPECT_EQ(statementsOf("{}", 'c'), "{}");
  EXPECT_EQ(statementsOf("(x).f", 'c'), "(x). f");
  EXPECT_EQ(lexError("2 * ()"), "empty bracket?");
  EXPECT_EQ(lexError("[ ]"), "empty bracket");
  EXPECT_EQ(statementsOf("[]", 'c'), "[]");
  EXPECT_EQ(lexError("(1 +)"), "bracket finished incorrectly");
  EXPECT_EQ(lexError("[1,]"), "bracket finished incorrectly");
  EXPECT_EQ(lexError("1 + 2)"), "unexpected closing bracket");
  EXPECT_EQ(lexError("(1 ]"), "unexpected closing bracket");
  EXPECT_EQ(lexError("x = $"), "unrecognised character");
}

TEST(Lexer, AbsoluteValueBracket) {
  EXPECT_EQ(statementsOf("(|x - 1|)", 'c'), "abs (x b- 1)");
  EXPECT_EQ(lexError("(|x - 1)"), "abs bracket form (| not closed");
}

TEST(Lexer, ImplicitElementSeparators) {
  EXPECT_EQ(statementsOf("[1 2 3]", 'c'), "[1 _ 2 _ 3]");
  EXPECT_EQ(statementsOf("[1 -2]", 'c'), "[1 _ u- 2]");
  EXPECT_EQ(statementsOf("[1 - 2]", 'c'), "[1 b- 2]");
  EXPECT_EQ(statementsOf("[a' b]", 'c'), "[a u' _ b]");
  EXPECT_EQ(statementsOf("['a' \"b\"]", 'c'), "['a' _ 'b']");
  EXPECT_EQ(statementsOf("[1 2;]", 'c'), "[1 _ 2]");
  EXPECT_EQ(statementsOf("[1 2; 3 4]", 'c'), "[1 _ 2 s; 3 _ 4]");
  EXPECT_EQ(statementsOf("(1 2)", 'c'), "(1 2)");
}

TEST(Lexer, ColonRowAndColumnForms) {
  EXPECT_EQ(statementsOf("x[:, 2]", 'c'), "x \\2[2]");
  EXPECT_EQ(statementsOf("x[2, :]", 'c'), "x \\1[2]");
  TokenList tokens;
  UserInput input;
  lex("x[:, 2] #", '#', input, tokens, nullptr);
  EXPECT_EQ(tokens[0].code, '\\');
  EXPECT_EQ(lexError("[:, 2]"), "stray colon in the bracket");
  EXPECT_EQ(lexError("x[: 1 2]"), "incorrect use of ':'");
  EXPECT_EQ(statementsOf("x[:]", 'c'), "x [s:]");
}

TEST(Lexer, BackslashForms) {
  EXPECT_EQ(statementsOf("\\sin", 'c'), "\\1sin");
  EXPECT_EQ(statementsOf("\\\\f", 'c'), "\\2f");
  EXPECT_EQ(statementsOf("\\", 'c'), "\\1");
}

TEST(Lexer, CommandWords) {
  EXPECT_EQ(statementsOf("cd /tmp/some dir  ; x", 'c'), "cd '/tmp/some dir' | x");
  EXPECT_EQ(statementsOf("dir *.zrb", 'c'), "dir '*.zrb'");
  EXPECT_EQ(statementsOf("cd", 'c'), "cd");
  EXPECT_EQ(statementsOf("cd('x')", 'c'), "cd ('x')");
  EXPECT_EQ(statementsOf("cd 'x'", 'c'), "cd 'x'");
  EXPECT_EQ(statementsOf("cdx = 1", 'c'), "cdx a= 1");
  EXPECT_EQ(lexError("cd.."), "missing space, bracket or string");
}

TEST(Lexer, DotDotIsAName) {
  TokenList tokens;
  UserInput input;
  lex("x[..] #", '#', input, tokens, nullptr);
  ASSERT_EQ(tokens[1].children.size(), 1u);
  EXPECT_EQ(tokens[1].children[0].kind, kNameToken);
  EXPECT_EQ(tokens[1].children[0].text, "..");
  EXPECT_EQ(tokens[1].children[0].code, 'f');
}

TEST(Lexer, DanglingOperatorReadsContinuationLine) {
  EXPECT_EQ(statementsOf("x = 1 +\r2", 'c'), "x a= 1 b+ 2");
  EXPECT_EQ(statementsOf("x =\r3", 'c'), "x a= 3");
  EXPECT_EQ(statementsOf("f(1,\r2)", 'c'), "f (1 s, 2)");
}

TEST(Lexer, DanglingOperatorAsksForMore) {
  EXPECT_EQ(lexError("1 +"), "dangling operator or more input needed");
  EXPECT_EQ(lexError("f(1 +"), "dangling operator or more input needed");
}

TEST(Lexer, HelpLinesNeverAskForMore) {
  EXPECT_EQ(statementsOf("?x +", 'c'), "u? x b+");
  EXPECT_EQ(statementsOf("x*", 'c'), "x b*");
}

TEST(Lexer, HelpLineEndingInACommaOrADoubledQueryIsCompleteFixed) {
  EXPECT_EQ(statementsOf("?,", 'c'), "u? s,");
  EXPECT_EQ(statementsOf("??+", 'c'), "uQ b+");
  EXPECT_EQ(lexError("x = 1,"), "dangling operator or more input needed");
}

TEST(Lexer, Ellipsis) {
  EXPECT_EQ(statementsOf("x = 1 ...\r+ 2", 'c'), "x a= 1 b+ 2");
  EXPECT_EQ(statementsOf("[1 2 ...\r3]", 'c'), "[1 _ 2 3]");
  EXPECT_EQ(lexError("x = 1 ... 2"), "stray ellipsis");
  EXPECT_EQ(lexError("x = 1 ..."), "dangling operator or more input needed");
}

TEST(Lexer, BracketSpanningLines) {
  EXPECT_EQ(statementsOf("[1 2\r3 4]", 'c'), "[1 _ 2 / 3 _ 4]");
  EXPECT_EQ(statementsOf("[1 2;\r3 4]", 'c'), "[1 _ 2 s; 3 _ 4]");
  EXPECT_EQ(statementsOf("f(1\r, 2)", 'c'), "f (1 s, 2)");
  EXPECT_EQ(statementsOf("[1 # one\r2]", 'c'), "[1 / 2]");
}

TEST(Lexer, UnclosedBracketNamesItsLine) {
  EXPECT_EQ(lexError("x = (1 + 2"), "no closing bracket for line 0: {g (1 + 2");
  EXPECT_EQ(lexError("a = 1\rb = [1 2", 'c'), "no closing bracket for line 2: {g [1 2");
}

TEST(Lexer, BraceBlocks) {
  EXPECT_EQ(statementsOf("{a = 1; b = 2}", 'c'), "{a a= 1 s; b a= 2}");
  EXPECT_EQ(statementsOf("while c: {a}; b", 'c'), "while c s: {a} | b");
  EXPECT_EQ(statementsOf("}x", 'c'), "} | x");
}

TEST(Lexer, SuchThatClauseRunsFirst) {
  EXPECT_EQ(statementsOf("y = a*x /. a = 2"), "a a= 2 | y a= a b* x m;");
  EXPECT_EQ(statementsOf("y = a*x; /. a = 2"), "a a= 2 | y a= a b* x");
  EXPECT_EQ(statementsOf("y = a*x /. a = 2", 'c'), "a a= 2 | y a= a b* x");
  EXPECT_EQ(lexError("/. a = 2"), "'such-that' clause is not allowed at the beginning of a line");
  EXPECT_EQ(lexError("y = x /. a = 1 /. b = 2"), "two /. clauses in one line");
  EXPECT_EQ(lexError("f(x /. a)"), "such that (/.) operator illegal here");
}

TEST(Lexer, UnexpectedEndWithoutTerminator) {
  TokenList tokens;
  UserInput input;
  try {
    lex("1 + 2", '#', input, tokens, nullptr);
    FAIL();
  } catch (const session::SyntaxError& e) {
    EXPECT_EQ(e.text, "unexpected end of line");
  }
}

TEST(Lexer, ComposeSyntaxMessage) {
  EXPECT_EQ(composeSyntaxMessage("unterminated string at", "'ab"), "unterminated string at {g 'ab");
  EXPECT_EQ(composeSyntaxMessage("bad thing", ""), "syntax error, {g bad thing");
  EXPECT_EQ(composeSyntaxMessage("unterminated string at", "'a_b{c}"),
            "unterminated string at {g 'a\\_b\\{c\\}");
}

}  // namespace
}  // namespace zirbin::compiler
