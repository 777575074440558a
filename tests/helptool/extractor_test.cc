// Tests of the help text extractor: the search and the markup written for an entry.
#include "helptool/extractor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace zirbin::helptool {
namespace {

// A small reference text with the features the writer handles.
constexpr std::string_view kSample = R"(Text before the first entry is never shown.
\item welcome {*Welcome to Zirbin.} Type a command and press Enter.
\item sin sin(x) gives the sine of x,
element by element.\\
The angle is in radians.
\eg y=sin(pi/2) sin([0,pi])
\also cos tan
\item max max(x, y) gives the larger of x and y.
\more Both arguments may be matrices \ of the same size.
\also min
\item fit fit(f, [x y], p0)\\ fits a model.
\item oddity a \weird command stays; a lone \
line break.
\end
\item Cos cos(x) with a capital, a different name.
\item cos cos(x) gives the cosine.
\item \eof
\item after never reached
)";

struct Result {
  bool found;
  std::string text;
};

Result extract(std::string_view source, std::string_view topic, bool continuation = false) {
  HelpExtractor extractor(source);
  std::ostringstream out;
  bool found = extractor.writeEntry(topic, continuation, out);
  return {found, out.str()};
}

TEST(HelpExtractor, HeadingCallFormIsBoldAndWordsAreJoinedBySingleSpaces) {
  Result r = extract(kSample, "sin");
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.text,
            "{*sin(x)} gives the sine of x, element by element.\n"
            "The angle is in radians.\n"
            "e.g.\n"
            "{g y=sin(pi/2)}\n"
            "{g sin([0,pi])}\n"
            "{m See also:} {=cos} {=tan}\n");
}

TEST(HelpExtractor, CallFormWithBlankInsideBracketsIsBoldAsAWhole) {
  EXPECT_EQ(extract(kSample, "max").text,
            "{*max(x, y)} gives the larger of x and y.\n {=>>}\n");
  EXPECT_EQ(extract(kSample, "fit").text, "{*fit(f, [x y], p0)}\nfits a model.\n");
}

TEST(HelpExtractor, HeadingAlreadyBoldIsWrittenUnchanged) {
  EXPECT_EQ(extract(kSample, "welcome").text,
            "{*Welcome to Zirbin.} Type a command and press Enter.\n");
}

TEST(HelpExtractor, HeadingNameStopsAtBackslash) {
  EXPECT_EQ(extract("\\item f f\\\\ text\n\\item \\eof\n", "f").text, "{*f}\ntext\n");
  EXPECT_EQ(extract("\\item g g\\x more\n\\item \\eof\n", "g").text, "{*g}\\x more\n");
}

TEST(HelpExtractor, ContinuationShowsOnlyTheTextAfterMore) {
  Result r = extract(kSample, "max", true);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.text, "Both arguments may be matrices\nof the same size.\n{m See also:} {=min}\n");
}

TEST(HelpExtractor, ContinuationOfEntryWithoutMoreIsEmpty) {
  Result r = extract(kSample, "sin", true);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.text, "");
}

TEST(HelpExtractor, OtherCommandsAreTextAndLineBreakWordsEndLines) {
  EXPECT_EQ(extract(kSample, "oddity").text,
            "{*a} \\weird command stays; a lone\nline break.\n");
}

TEST(HelpExtractor, EndStopsTheEntry) {
  EXPECT_EQ(extract("\\item a a(x) one\n\\end two\n\\item \\eof\n", "a").text,
            "{*a(x)} one\n");
}

TEST(HelpExtractor, NamesAreComparedExactly) {
  EXPECT_EQ(extract(kSample, "Cos").text, "{*cos(x)} with a capital, a different name.\n");
  EXPECT_EQ(extract(kSample, "cos").text, "{*cos(x)} gives the cosine.\n");
  Result r = extract(kSample, "COS");
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.text, "");
  EXPECT_FALSE(extract(kSample, "co").found);
  EXPECT_FALSE(extract(kSample, "sine").found);
}

TEST(HelpExtractor, SearchStopsAtTheEofEntry) {
  Result r = extract(kSample, "after");
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.text, "");
}

TEST(HelpExtractor, ItemMustStartALineToStartAnEntry) {
  constexpr std::string_view source = "text \\item hidden not an entry\n  \\item shown yes\n"
                                      "\\item \\eof\n";
  EXPECT_FALSE(extract(source, "hidden").found);
  EXPECT_EQ(extract(source, "shown").text, "{*yes}\n");
}

TEST(HelpExtractor, FileEndingInsideASearchThrowsCodeOne) {
  constexpr std::string_view source = "\\item a a(x) text\n";
  EXPECT_EQ(extract(source, "a").text, "{*a(x)} text\n");
  try {
    extract(source, "missing");
    FAIL() << "no error code thrown";
  } catch (int code) {
    EXPECT_EQ(code, 1);
  }
  EXPECT_THROW(extract("", "a"), int);
  EXPECT_THROW(extract("\\item", "a"), int);
}

TEST(HelpExtractor, EntryAtTheEndOfTheFileEndsWithTheFile) {
  EXPECT_EQ(extract("\\item last last(x) words", "last").text, "{*last(x)} words\n");
  EXPECT_EQ(extract("\\item bare\n\\item \\eof", "bare").text, "");
}

TEST(HelpExtractor, AlsoListEndsAtTheNextCommand) {
  EXPECT_EQ(extract("\\item a a(x) text \\also b c \\eg a(1)\n\\item \\eof\n", "a").text,
            "{*a(x)} text\n{m See also:} {=b} {=c}\ne.g.\n{g a(1)}\n");
}

TEST(HelpExtractor, MoreAfterAlsoStillLinksTheContinuation) {
  EXPECT_EQ(extract("\\item a a(x) text \\also b \\more rest\n\\item \\eof\n", "a").text,
            "{*a(x)} text\n{m See also:} {=b}\n {=>>}\n");
}

TEST(HelpExtractor, WindowsLineEndsAreBlanks) {
  EXPECT_EQ(extract("\\item a\r\na(x) one\r\ntwo\r\n\\item \\eof\r\n", "a").text,
            "{*a(x)} one two\n");
}

TEST(HelpExtractor, UnclosedBracketInHeadingStopsAtTheNextCommand) {
  EXPECT_EQ(extract("\\item a a(x, y text \\also b\n\\item \\eof\n", "a").text,
            "{*a(x, y text}\n{m See also:} {=b}\n");
}

}  // namespace
}  // namespace zirbin::helptool
