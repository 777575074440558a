// Zipped keys and binary digits.
#include "builtin_call.h"

namespace zirbin::builtins::testing {
namespace {

TEST(Keys, ZipkeyAndUnzipkeyRoundTrip) {
  IntValue name = text("alpha");
  auto key = valueToValue("zipkey", name);
  EXPECT_EQ(key->kind(), values::JMAT_ZIPKEY);
  EXPECT_EQ(key->size, 1);
  auto back = valueToValue("unzipkey", *key);
  EXPECT_EQ(back->toString(), "alpha");
  EXPECT_TRUE(back->isChar());
}

TEST(Keys, KeysCompareAsTheirNames) {
  IntValue a = text("ab");
  IntValue b = text("abc");
  IntValue c = text("b");
  double ka = valueToValue("zipkey", a)->getDouble();
  double kb = valueToValue("zipkey", b)->getDouble();
  double kc = valueToValue("zipkey", c)->getDouble();
  EXPECT_LT(ka, kb);
  EXPECT_LT(kb, kc);
}

TEST(Keys, RowsOfACharacterMatrixGiveAColumnOfKeys) {
  IntValue table;
  table.setLayout(4, 2, values::JMAT_CHAR);
  const char* byColumns = "xayb";  // rows "xy" and "ab"
  for (int i = 0; i < 4; ++i) table.data[i] = byColumns[i];
  auto keys = valueToValue("zipkey", table);
  EXPECT_EQ(keys->nrow, 2);
  EXPECT_EQ(valueToValue("unzipg", *keys)->toString(), "xy ab");
}

TEST(Keys, NamesMustBeShortAndPrintable) {
  IntValue longName = text("ninechars");
  EXPECT_EQ(runtimeError([&] { valueToValue("zipkey", longName); }),
            "in zipkey: a key holds at most 8 characters");
  DoubleValue notKey(-3);
  EXPECT_EQ(runtimeError([&] { valueToValue("unzipkey", notKey); }), "in unzipkey: not a key");
}

TEST(Bits, BinaryDigitsMostSignificantFirst) {
  DoubleValue six(6);
  EXPECT_EQ(elements(*twoArg("binary", six, nullptr)), (std::vector<double>{1, 1, 0}));
  DoubleValue reverse(1);
  EXPECT_EQ(elements(*twoArg("binary", six, &reverse)), (std::vector<double>{0, 1, 1}));
  DoubleValue zero(0);
  EXPECT_EQ(elements(*twoArg("binary", zero, nullptr)), (std::vector<double>{0}));
}

TEST(Bits, BinaryOfAVectorGivesOneRowEach) {
  DoubleValue v = row({1, 4});
  auto m = twoArg("binary", v, nullptr);
  EXPECT_EQ(m->nrow, 2);
  // rows 001 and 100, column by column
  EXPECT_EQ(elements(*m), (std::vector<double>{0, 1, 0, 0, 1, 0}));
}

TEST(Bits, BinaryMessages) {
  DoubleValue m = matrix(2, 2, {1, 2, 3, 4});
  EXPECT_EQ(runtimeError([&] { twoArg("binary", m, nullptr); }),
            "requires scalar or vector argument");
  DoubleValue negative(-1);
  EXPECT_EQ(runtimeError([&] { twoArg("binary", negative, nullptr); }),
            "negative numbers are not handled, sorry");
  DoubleValue v = row({1, 2});
  DoubleValue reverse(1);
  EXPECT_EQ(runtimeError([&] { twoArg("binary", v, &reverse); }),
            "reverse option not available for matrix");
}

TEST(Bits, UnbinaryUndoesBinary) {
  DoubleValue digits = row({1, 0, 1, 1});
  EXPECT_EQ(elements(*valueToValue("unbinary", digits)), (std::vector<double>{11}));
  DoubleValue rows = matrix(2, 2, {1, 0, 1, 1});
  EXPECT_EQ(elements(*valueToValue("unbinary", rows)), (std::vector<double>{2, 3}));
  DoubleValue tooLong;
  tooLong.setLayout(32, 1, 0);
  std::fill(tooLong.data, tooLong.data + 32, 1.0);
  EXPECT_EQ(runtimeError([&] { valueToValue("unbinary", tooLong); }), "integer overflow");
}

}  // namespace
}  // namespace zirbin::builtins::testing
