// The text form of values: single numbers, padded columns, row truncation, emphasis,
// colours, strings shown literally, lists, 3-D values and the closed-form hint.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/run_context.h"
#include "graphics/markup.h"
#include "gui/console_buffer.h"
#include "values/display.h"
#include "values/list_value.h"
#include "values/math_matrix.h"
#include "values/zipped_key.h"

namespace zirbin::values {
namespace {

std::string item(const Value& v, int i, int precision) {
  std::string text;
  v.stringItem(text, i, precision);
  return text;
}

std::string complexText(double re, double im) {
  ComplexValue z;
  z.setLayout(1, 1, 0);
  z.data[0] = Complex(re, im);
  return item(z, 0, 9);
}

// Every line the console holds after displaying v (the last, unfinished one included).
std::vector<std::string> shown(const Value& v, bool full = false, bool hint = false) {
  gui::ConsoleBuffer console;
  displayTo(console, v, full, true, hint);
  std::vector<std::string> lines;
  for (int64_t i = 0; i <= console.lineIndex(); ++i) lines.push_back(console.line(i));
  return lines;
}

DoubleValue grid(int rows, int cols) {
  DoubleValue v;
  v.setLayout(rows * cols, rows, 0);
  for (int c = 0; c < cols; ++c) {
    for (int r = 0; r < rows; ++r) v.data[c * rows + r] = (r + 1) + 100 * c;
  }
  return v;
}

IntValue text(const std::string& s) {
  IntValue v;
  v.assignString(s);
  return v;
}

TEST(StringItem, DoublesTrimTheExponent) {
  EXPECT_EQ(item(DoubleValue(1e-5), 0, 9), "1e-5");
  EXPECT_EQ(item(DoubleValue(1.5e20), 0, 9), "1.5e20");
  EXPECT_EQ(item(DoubleValue(100000), 0, 9), "100000");
  EXPECT_EQ(item(DoubleValue(1e6), 0, 5), "1e6");
  EXPECT_EQ(item(DoubleValue(0.000012), 0, 5), "1.2e-5");
  EXPECT_EQ(item(DoubleValue(1e100), 0, 9), "1e100");
  EXPECT_EQ(item(DoubleValue(-2.5e-10), 0, 9), "-2.5e-10");
  EXPECT_EQ(item(DoubleValue(std::numbers::pi), 0, 9), "3.14159265");
  EXPECT_EQ(item(IntValue(-42), 0, 9), "-42");
}

TEST(StringItem, ComplexForms) {
  EXPECT_EQ(complexText(1e-20, 3), "3i");
  EXPECT_EQ(complexText(5, 0), "5");
  EXPECT_EQ(complexText(2, -1), "2-1i");
  EXPECT_EQ(complexText(3, 1), "3+i");
  EXPECT_EQ(complexText(3, 2), "3+2i");
  EXPECT_EQ(complexText(0, 1), "i");
  EXPECT_EQ(complexText(0, -2), "-2i");
  EXPECT_EQ(complexText(0, 0), "0");
}

TEST(ColourLetter, ByClassAndKind) {
  IntValue boolean(1);
  boolean.flags = JMAT_BOOL;
  EXPECT_EQ(colourLetter(boolean), 'g');
  EXPECT_EQ(colourLetter(DoubleValue(1)), 'b');
  EXPECT_EQ(colourLetter(IntValue(1)), 'k');
  DoubleValue dbool(1);
  dbool.flags = JMAT_BOOL;
  EXPECT_EQ(colourLetter(dbool), 'O');
  EXPECT_EQ(colourLetter(text("x")), 'm');
  ComplexValue paired;
  paired.flags = JMAT_PAIRED;
  EXPECT_EQ(colourLetter(paired), 'B');
  ListValue list;
  list.flags = JMAT_LIST;
  EXPECT_EQ(colourLetter(list), 'g');
}

TEST(Display, EmptyValues) {
  IntValue emptyText = text("");
  EXPECT_EQ(shown(emptyText), (std::vector<std::string>{"{m ''"}));
  EXPECT_EQ(shown(DoubleValue()), (std::vector<std::string>{"{b []"}));
}

TEST(Display, SingleNumberWithPrecisionNine) {
  EXPECT_EQ(shown(DoubleValue(1.0 / 3)), (std::vector<std::string>{"{b 0.333333333"}));
  EXPECT_EQ(shown(DoubleValue(1.0 / 3), false, true),
            (std::vector<std::string>{"{b 0.333333333       = 1/3"}));
  EXPECT_EQ(shown(DoubleValue(1 + std::sqrt(2.0)), false, true),
            (std::vector<std::string>{"{b 2.41421356       = 1 + sqrt(2)"}));
  EXPECT_EQ(shown(DoubleValue(2.0), false, true), (std::vector<std::string>{"{b 2"}));
}

TEST(Display, ThirtyRowsAreCutToNineteen) {
  std::vector<std::string> lines = shown(grid(30, 3));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[0], "{b   1 101 201");
  EXPECT_EQ(lines[4], "{b*  5 105 205");  // every fifth row emphasised from 10 rows on
  EXPECT_EQ(lines[18], "{b  19 119 219");
  EXPECT_EQ(lines[19], "...");
  EXPECT_EQ(lines[20], "{b  30 130 230");
  EXPECT_EQ(lines[21], "(19 rows of 30 shown)");
  std::vector<std::string> full = shown(grid(30, 3), true);
  EXPECT_EQ(full.size(), 30u);
  EXPECT_EQ(full[29], "{b* 30 130 230");
}

TEST(Display, TwelveColumnsUsePrecisionFiveAndGroupsOfFive) {
  DoubleValue row;
  row.setLayout(12, 1, 0);
  for (int c = 0; c < 12; ++c) row.data[c] = c + 1.123456;
  std::vector<std::string> lines = shown(row);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "{b  1.1235 2.1235 3.1235 4.1235  {*5.1235} 6.1235 7.1235 8.1235 9.1235  {*10.123}"
            " 11.123 12.123");
}

TEST(StringForm, ColumnsAreRightAlignedToTheWidestItem) {
  DoubleValue m;
  m.setLayout(4, 2, 0);
  m.data[0] = 1;
  m.data[1] = -250;
  m.data[2] = 0.5;
  m.data[3] = 3;
  EXPECT_EQ(stringForm(9, m, 0, 0, 0), (std::vector<std::string>{"    1 0.5", " -250   3"}));
  EXPECT_EQ(stringForm(9, m, 0, 0, 1), (std::vector<std::string>{"    1", " -250"}));
  EXPECT_EQ(stringForm(9, m, 0, 1, 0), (std::vector<std::string>{"    1 0.5", " -250   3"}));
  ListValue list;
  list.assignInt(1);
  EXPECT_THROW(stringForm(9, list, 0, 0, 0), std::string);
}

TEST(Display, CharacterMatricesOneLinePerRow) {
  IntValue m;
  m.setLayout(4, 2, JMAT_CHAR);
  m.data[0] = 'a';
  m.data[1] = 'c';
  m.data[2] = 'b';
  m.data[3] = 'd';
  EXPECT_EQ(shown(m), (std::vector<std::string>{"{m ab", "{m cd"}));
  DoubleValue d;
  d.assignString("hi");
  EXPECT_EQ(shown(d), (std::vector<std::string>{"{r hi"}));
}

TEST(Display, MarkupCharactersInStringsShowLiterallyFixed) {
  std::vector<std::string> lines = shown(text("a{r b}_c^d\\e"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "{m;a{r b}_c^d\\e");
  EXPECT_EQ(graphics::markupPlainText(lines[0]), "a{r b}_c^d\\e");
  std::vector<graphics::MarkupSegment> segments = graphics::parseMarkup(lines[0]);
  ASSERT_FALSE(segments.empty());
  EXPECT_EQ(segments[0].colour, 'm');  // still in the string's colour
}

TEST(Display, LineFeedsInAStringStartNewColouredLines) {
  EXPECT_EQ(shown(text("a\n{b")), (std::vector<std::string>{"{m a", "{m;{b"}));
}

TEST(Display, ZippedKeysShowTheirNamesFixesBaseTypeFailure) {
  DoubleValue key(zipName("alpha"));
  key.flags = JMAT_ZIPKEY;
  EXPECT_EQ(shown(key), (std::vector<std::string>{"{g alpha"}));
  DoubleValue keys;
  keys.setLayout(2, 2, JMAT_ZIPKEY);
  keys.data[0] = zipName("ab");
  keys.data[1] = zipName("a b");
  EXPECT_EQ(shown(keys), (std::vector<std::string>{"{g ab", "{g a b"}));
}

TEST(Display, ZippedKeyThatHoldsNoKeyShowsItsNumber) {
  DoubleValue notKey(2.5);
  notKey.flags = JMAT_ZIPKEY;
  EXPECT_EQ(shown(notKey), (std::vector<std::string>{"{g  2.5"}));
  IntValue code = text("k");  // 107: a character after empty places is no key
  code.flags = JMAT_ZIPKEY;
  EXPECT_EQ(shown(code), (std::vector<std::string>{"{g  107"}));
}

TEST(Display, ListsWithBracketsAndNesting) {
  ListValue inner;
  inner.assignDouble(2);
  ListValue list;
  list.setLayout(3, 3, JMAT_LIST);
  list.data[0].value = std::make_unique<DoubleValue>(1.5);
  list.data[1].value = std::make_unique<IntValue>(text("ab"));
  list.data[2].value = newValueCopy(inner);
  gui::ConsoleBuffer console;
  console.itemSeparator = "x";
  displayTo(console, list, false, true, false);
  EXPECT_EQ(console.itemSeparator, "x");  // restored
  std::vector<std::string> lines;
  for (int64_t i = 0; i <= console.lineIndex(); ++i) lines.push_back(console.line(i));
  EXPECT_EQ(lines, (std::vector<std::string>{"{*[}", "{b 1.5", "{m ab", "{* [}", "{b 2", "{* ]}",
                                             "{*]}"}));
}

TEST(Display, ListRowsAreSeparated) {
  ListValue list;
  list.setLayout(4, 2, JMAT_LIST);
  for (int i = 0; i < 4; ++i) list.data[i].value = std::make_unique<IntValue>(i + 1);
  // Items run row by row: (1,1)=1 (1,2)=3, then (2,1)=2 (2,2)=4.
  EXPECT_EQ(shown(list), (std::vector<std::string>{"{*[}", "{k 1", "{k 3", "---next row---",
                                                   "{k 2", "{k 4", "{*]}"}));
}

TEST(Display, LongListsAreCut) {
  ListValue list;
  list.setLayout(30, 30, JMAT_LIST);
  for (int i = 0; i < 30; ++i) list.data[i].value = std::make_unique<IntValue>(i);
  std::vector<std::string> lines = shown(list);
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[19], "{k 18");
  EXPECT_EQ(lines[20], "...");
  EXPECT_EQ(lines[21], "(19 items of 30 shown)");
  EXPECT_EQ(lines[22], "{*]}");
}

TEST(Display, EmptyListItemsShowAsEmpty) {
  ListValue list;
  list.setLayout(1, 1, JMAT_LIST);
  EXPECT_EQ(shown(list), (std::vector<std::string>{"{*[}", "{b []", "{*]}"}));
}

TEST(Display, ListWithoutListKindIsAnInternalFault) {
  ListValue list;
  list.setLayout(1, 1, JMAT_PLAIN);
  try {
    shown(list);
    FAIL();
  } catch (const session::RuntimeError& e) {
    EXPECT_EQ(e.text, "in Display: v is a LIST_VAL but not a JMAT_LIST");
  }
}

TEST(Display, ThreeDimensionalValuesShowTheirPagesSideBySide) {
  IntValue cube;
  cube.setLayout(8, 2, JMAT_3D | (2 << kPageShift));
  for (int i = 0; i < 8; ++i) cube.data[i] = i + 1;
  EXPECT_EQ(shown(cube), (std::vector<std::string>{"{g  1 3 5 7", "{g  2 4 6 8"}));
  EXPECT_EQ(cube.flags, JMAT_3D | (2 << kPageShift));
}

TEST(Display, UnknownKindWarns) {
  DoubleValue odd(1);
  odd.flags = 5;
  EXPECT_EQ(shown(odd), (std::vector<std::string>{"{r warning: Display: failed to show a value} "}));
}

TEST(Display, FirstFlagClearContinuesTheCurrentLine) {
  gui::ConsoleBuffer console;
  console.print("x = ", false, session::kPrintLines);
  displayTo(console, DoubleValue(4), false, false, false);
  EXPECT_EQ(console.currentLine(), "x = {b 4");
  displayTo(console, DoubleValue(5), false, true, false);
  EXPECT_EQ(console.currentLine(), "{b 5");
}

TEST(Display, GoesToTheSessionConsoleOrNowhere) {
  session::runContext->console = nullptr;
  Display(DoubleValue(1), false, true, false);  // dropped
  gui::ConsoleBuffer console;
  session::runContext->console = &console;
  Display(DoubleValue(1), false, true, false);
  session::runContext->console = nullptr;
  EXPECT_EQ(console.currentLine(), "{b 1");
}

TEST(ClosedFormHint, Preconditions) {
  EXPECT_EQ(closedFormHint(2.0, kHintTolerance), "");       // an integer
  EXPECT_EQ(closedFormHint(0.0005, kHintTolerance), "");    // too small
  EXPECT_EQ(closedFormHint(1000.5, kHintTolerance), "");    // too large
  EXPECT_EQ(closedFormHint(NAN, kHintTolerance), "");
}

TEST(ClosedFormHint, SurdsAndFractions) {
  EXPECT_EQ(closedFormHint(1 + std::sqrt(2.0), kHintTolerance), "1 + sqrt(2)");
  EXPECT_EQ(closedFormHint(std::sqrt(2.0), kHintTolerance), "sqrt(2)");
  EXPECT_EQ(closedFormHint(0.5 - std::sqrt(3.0 / 2), kHintTolerance), "1/2 - sqrt(3/2)");
  EXPECT_EQ(closedFormHint(-std::sqrt(5.0), kHintTolerance), "-sqrt(5)");
  EXPECT_EQ(closedFormHint(0.75, kHintTolerance), "3/4");
  EXPECT_EQ(closedFormHint(-0.1, kHintTolerance), "-1/10");
  EXPECT_EQ(closedFormHint(0.1 + 0.2, kHintTolerance), "3/10");
}

TEST(ClosedFormHint, ConstantsPowersAndLogarithms) {
  EXPECT_EQ(closedFormHint(std::numbers::pi, kHintTolerance), "pi");
  EXPECT_EQ(closedFormHint(std::numbers::pi / 4, kHintTolerance), "pi/4");
  EXPECT_EQ(closedFormHint(1 / std::numbers::pi, kHintTolerance), "1/pi");
  EXPECT_EQ(closedFormHint(std::sqrt(2 * std::numbers::pi), kHintTolerance), "sqrt(2*pi)");
  EXPECT_EQ(closedFormHint(std::numbers::e, kHintTolerance), "exp[1]");
  EXPECT_EQ(closedFormHint(std::log(2.0), kHintTolerance), "ln[2]");
  EXPECT_EQ(closedFormHint(std::cbrt(2.0), kHintTolerance), "2^(1/3)");
  EXPECT_EQ(closedFormHint(std::pow(2.0 / 3, 1.0 / 5), kHintTolerance), "(2/3)^(1/5)");
  EXPECT_EQ(closedFormHint(std::pow(std::numbers::pi, 2) / 4, kHintTolerance), "(pi/2)^2");
  EXPECT_EQ(closedFormHint(std::exp(-0.5), kHintTolerance), "exp[-1/2]");
  EXPECT_EQ(closedFormHint(-std::numbers::pi / 3, kHintTolerance), "-pi/3");
}

TEST(ClosedFormHint, OrdinaryNumbersGetNone) {
  EXPECT_EQ(closedFormHint(0.123456789, kHintTolerance), "");
  EXPECT_EQ(closedFormHint(3.3322211, kHintTolerance), "");
  EXPECT_EQ(closedFormHint(-17.25301, kHintTolerance), "");
}

}  // namespace
}  // namespace zirbin::values
