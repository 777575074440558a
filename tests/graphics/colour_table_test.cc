// The colour letters: the standard table, derived upper-case letters and user letters.
#include "graphics/colour_table.h"

#include <gtest/gtest.h>

namespace zirbin::graphics {
namespace {

TEST(ColourTable, StandardLetters) {
  ColourTable t;
  Rgb c = 1;
  ASSERT_TRUE(t.find('g', &c));
  EXPECT_EQ(c, rgb(0, 100, 0));
  EXPECT_EQ(c, 0x6400u);  // the 0x00BBGGRR layout
  EXPECT_EQ(t.colourOf('b'), 0x640000u);
  EXPECT_EQ(t.colourOf('r'), rgb(170, 0, 0));
  EXPECT_EQ(t.colourOf('z'), rgb(0, 20, 168));
  EXPECT_TRUE(t.find('k', &c));
  EXPECT_EQ(c, kBlack);
}

TEST(ColourTable, GivenUpperCaseLettersAreNotDerived) {
  ColourTable t;
  EXPECT_EQ(t.colourOf('B'), rgb(0, 0, 130));
  EXPECT_EQ(t.colourOf('G'), rgb(144, 238, 144));
  EXPECT_EQ(t.colourOf('K'), rgb(10, 10, 10));
  EXPECT_EQ(t.colourOf('Q'), rgb(0, 255, 255));
}

TEST(ColourTable, DerivedUpperCaseLettersAreHalfAgainBrighterAndCapped) {
  ColourTable t;
  EXPECT_EQ(t.colourOf('R'), rgb(255, 0, 0));
  EXPECT_EQ(t.colourOf('D'), rgb(150, 0, 0));
  EXPECT_EQ(t.colourOf('A'), rgb(15, 15, 15));
  EXPECT_EQ(t.colourOf('Z'), rgb(0, 30, 252));
  EXPECT_EQ(t.colourOf('M'), rgb(255, 0, 255));
  EXPECT_EQ(t.colourOf('W'), kWhite);
}

TEST(ColourTable, LettersNotInTheTable) {
  ColourTable t;
  Rgb c = 7;
  EXPECT_FALSE(t.find('o', &c));
  EXPECT_EQ(c, 7u);
  EXPECT_FALSE(t.find('O', &c));  // no lower-case o to derive it from
  EXPECT_FALSE(t.find('u', &c));
  EXPECT_EQ(t.colourOf('h'), kBlack);
  EXPECT_EQ(t.colourOf('1'), kBlack);
}

TEST(ColourTable, UserLettersCanBeAddedAndReplaced) {
  ColourTable t;
  t.set('u', rgb(1, 2, 3));
  EXPECT_EQ(t.colourOf('u'), rgb(1, 2, 3));
  t.set('u', rgb(4, 5, 6));
  EXPECT_EQ(t.colourOf('u'), rgb(4, 5, 6));
  t.set('r', rgb(9, 9, 9));
  EXPECT_EQ(t.colourOf('r'), rgb(9, 9, 9));
}

TEST(ColourTable, ChannelsOfAColour) {
  Rgb c = rgb(241, 180, 47);
  EXPECT_EQ(redOf(c), 241);
  EXPECT_EQ(greenOf(c), 180);
  EXPECT_EQ(blueOf(c), 47);
  EXPECT_EQ(rgb(256 + 5, -1, 0), rgb(5, 255, 0));  // low 8 bits of each value
}

}  // namespace
}  // namespace zirbin::graphics
