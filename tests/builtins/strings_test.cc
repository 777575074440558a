// String built-ins: str, str2num, strfind, split, join, pad, trim.
#include "builtin_call.h"

namespace zirbin::builtins::testing {
namespace {

std::vector<std::string> itemTexts(const Value& list) {
  std::vector<std::string> out;
  const auto& l = static_cast<const ListValue&>(list);
  for (int i = 0; i < l.size; ++i) out.push_back(l.data[i].value->toString());
  return out;
}

TEST(Strings, StrWritesNumbersAsTheDisplayDoes) {
  DoubleValue x(0.1);
  auto s = twoArg("str", x, nullptr);
  EXPECT_TRUE(s->isChar());
  EXPECT_EQ(s->toString(), "0.1");
  DoubleValue m = matrix(2, 2, {1, 2.5, 1e6, 4});
  EXPECT_EQ(twoArg("str", m, nullptr)->toString(), "1 2.5\n1000000 4");
  DoubleValue third(1.0 / 3);
  DoubleValue three(3);
  EXPECT_EQ(twoArg("str", third, &three)->toString(), "0.333");
}

TEST(Strings, StrPrecisionIsHeldToWhatADoubleHas) {
  DoubleValue third(1.0 / 3);
  DoubleValue huge(2e9);
  EXPECT_EQ(twoArg("str", third, &huge)->toString(), "0.33333333333333331");
  DoubleValue zero(0);
  EXPECT_EQ(twoArg("str", third, &zero)->toString(), "0.3");
}

TEST(Strings, StrOfAStringIsTheString) {
  DoubleValue s;
  s.assignString("as is");
  EXPECT_EQ(twoArg("str", s, nullptr)->toString(), "as is");
  DoubleValue x(1);
  DoubleValue pair = row({1, 2});
  EXPECT_EQ(runtimeError([&] { twoArg("str", x, &pair); }), "non-scalar precision");
}

TEST(Strings, Str2numReadsNumbers) {
  DoubleValue s;
  s.assignString(" 2.5e1 ");
  EXPECT_EQ(elements(*twoArg("str2num", s, nullptr)), (std::vector<double>{25}));
  s.assignString("1, 2 3");
  EXPECT_EQ(elements(*twoArg("str2num", s, nullptr)), (std::vector<double>{1, 2, 3}));
  s.assignString("12abc");
  EXPECT_EQ(runtimeError([&] { twoArg("str2num", s, nullptr); }),
            "str2num called on non-number string");
  DoubleValue fallback(-1);
  EXPECT_EQ(elements(*twoArg("str2num", s, &fallback)), (std::vector<double>{-1}));
}

TEST(Strings, StrfindGivesEveryStart) {
  DoubleValue s;
  s.assignString("abababa");
  DoubleValue t;
  t.assignString("aba");
  EXPECT_EQ(elements(*twoArg("strfind", s, &t)), (std::vector<double>{1, 3, 5}));
  EXPECT_EQ(elements(*twoArg("findstr", s, &t)), (std::vector<double>{1, 3, 5}));
  t.assignString("x");
  EXPECT_EQ(twoArg("strfind", s, &t)->size, 0);
  EXPECT_EQ(runtimeError([&] { twoArg("strfind", s, nullptr); }),
            "strfind/findstr requires two arguments");
}

TEST(Strings, SplitAtWhiteSpaceRuns) {
  IntValue s = text("  one two\tthree  ");
  auto l = general("split", {&s});
  EXPECT_EQ(l->kind(), values::JMAT_LIST);
  EXPECT_EQ(itemTexts(*l), (std::vector<std::string>{"one", "two", "three"}));
  IntValue blank = text("   ");
  EXPECT_EQ(general("split", {&blank})->size, 0);
}

TEST(Strings, SplitAtASeparatorKeepsEmptyPieces) {
  IntValue s = text("a,,b");
  IntValue comma = text(",");
  EXPECT_EQ(itemTexts(*general("split", {&s, &comma})), (std::vector<std::string>{"a", "", "b"}));
  IntValue quoted = text("x,'y,z'");
  IntValue quote = text("'");
  EXPECT_EQ(itemTexts(*general("split", {&quoted, &comma, &quote})),
            (std::vector<std::string>{"x", "y,z"}));
}

TEST(Strings, SplitSeparatorsAreSingleCharacters) {
  IntValue s = text("a,b");
  IntValue two = text(", ");
  IntValue comma = text(",");
  EXPECT_EQ(runtimeError([&] {
              general("split", {&s, &two});
            }),
            "only single-character separator allowed");
  EXPECT_EQ(runtimeError([&] {
              general("split", {&s, &comma, &two});
            }),
            "only single-character delimiter allowed");
}

TEST(Strings, JoinWithASeparatorUndoesSplit) {
  IntValue s = text("one two three");
  auto l = general("split", {&s});
  EXPECT_EQ(general("join", {l.get()})->toString(), "onetwothree");
  IntValue blank = text(" ");
  EXPECT_EQ(general("join", {l.get(), &blank})->toString(), "one two three");
  IntValue dash = text("-");
  auto joined = general("join", {l.get(), &dash});
  EXPECT_EQ(joined->toString(), "one-two-three");
  EXPECT_TRUE(joined->isChar());
}

TEST(Strings, JoinRefusesNestedLists) {
  IntValue s = text("a");
  auto inner = general("list", {&s});
  auto outer = general("list", {inner.get()});
  EXPECT_EQ(runtimeError([&] { general("join", {outer.get()}); }),
            "join not yet implemented for nested lists");
}

TEST(Strings, PadLengthensAtEitherEnd) {
  IntValue s = text("ab");
  DoubleValue four(4);
  EXPECT_EQ(general("pad", {&s, &four})->toString(), "ab  ");
  IntValue star = text("*");
  DoubleValue left(1);
  EXPECT_EQ(general("pad", {&s, &four, &star, &left})->toString(), "**ab");
  DoubleValue one(1);
  EXPECT_EQ(general("pad", {&s, &one})->toString(), "ab");
  DoubleValue v = row({1, 2});
  EXPECT_EQ(elements(*general("pad", {&v, &four})), (std::vector<double>{1, 2, 0, 0}));
}

TEST(Strings, PadMessages) {
  DoubleValue m = matrix(2, 2, {1, 2, 3, 4});
  DoubleValue four(4);
  EXPECT_EQ(runtimeError([&] { general("pad", {&m, &four}); }), "pad does not take matrix input");
  IntValue s = text("ab");
  DoubleValue negative(-1);
  EXPECT_EQ(runtimeError([&] { general("pad", {&s, &negative}); }), "invalid argument");
  IntValue fill = text("xy");
  EXPECT_EQ(runtimeError([&] { general("pad", {&s, &four, &fill}); }), "invalid argument");
}

TEST(Strings, TrimRemovesBlanksOrZeros) {
  IntValue s = text("  a b  ");
  auto t = valueToValue("trim", s);
  EXPECT_EQ(t->toString(), "a b");
  EXPECT_TRUE(t->isChar());
  DoubleValue v = row({0, 0, 1, 0, 2, 0});
  EXPECT_EQ(elements(*valueToValue("trim", v)), (std::vector<double>{1, 0, 2}));
  IntValue blanks = text("   ");
  auto empty = valueToValue("trim", blanks);
  EXPECT_EQ(empty->size, 0);
  EXPECT_TRUE(empty->isChar());
}

}  // namespace
}  // namespace zirbin::builtins::testing
