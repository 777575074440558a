// disp, error, assert, set, rat and the small constants.
#include <numbers>

#include "builtin_call.h"
#include "builtins/session_settings.h"
#include "graphics/colour_table.h"
#include "graphics/graphics_state.h"
#include "gui/console_buffer.h"

namespace zirbin::builtins::testing {
namespace {

class SessionBuiltins : public ::testing::Test {
 protected:
  SessionBuiltins() { session::runContext->console = &console; }
  ~SessionBuiltins() override { session::runContext->console = nullptr; }
  gui::ConsoleBuffer console;
};

TEST_F(SessionBuiltins, DispWritesStringsAndEndsTheLine) {
  IntValue a = text("x is ");
  IntValue b = text("here");
  auto r = general("disp", {&a, &b});
  EXPECT_EQ(console.line(0), "x is here");
  EXPECT_EQ(console.currentLine(), "");
  EXPECT_EQ(r->size, 0);
  EXPECT_TRUE(r->isChar());
}

TEST_F(SessionBuiltins, DispWithATrailingEmptyStringLeavesTheLineOpen) {
  IntValue a = text("a");
  IntValue empty = text("");
  IntValue b = text("b");
  general("disp", {&a, &empty});
  general("disp", {&b});
  EXPECT_EQ(console.line(0), "ab");
}

TEST_F(SessionBuiltins, DispStartsItsOwnLineAfterOtherOutput) {
  console.print("{b 1 2 3}", true, session::kPrintLines);
  IntValue a = text("a");
  general("disp", {&a});
  EXPECT_EQ(console.line(0), "{b 1 2 3}");
  EXPECT_EQ(console.line(1), "a");
}

TEST_F(SessionBuiltins, DispShowsMarkupCharactersLiterally) {
  IntValue braces = text("{r x}");
  general("disp", {&braces});
  EXPECT_EQ(console.line(0), "{;{r x}");
}

TEST_F(SessionBuiltins, ErrorWithLevelZeroWarnsAndGoesOn) {
  DoubleValue zero(0);
  DoubleValue message;
  message.assignString("x");
  auto r = twoArg("error", zero, &message);
  EXPECT_EQ(console.line(0), "{r warning:} x");
  EXPECT_EQ(r->size, 0);
}

TEST_F(SessionBuiltins, ErrorWithANonZeroLevelFailsWithTheMessage) {
  DoubleValue one(1);
  DoubleValue message;
  message.assignString("x");
  EXPECT_EQ(runtimeError([&] { twoArg("error", one, &message); }), "x");
  DoubleValue pair = row({1, 1});
  EXPECT_EQ(runtimeError([&] { twoArg("error", pair, &message); }),
            "in error: level was not scalar");
}

TEST_F(SessionBuiltins, AssertPassesQuietlyOrReportsAndFails) {
  DoubleValue yes(1);
  general("assert", {&yes});
  EXPECT_EQ(console.currentLine(), "");
  DoubleValue no(0);
  IntValue why = text("x too big");
  EXPECT_EQ(runtimeError([&] { general("assert", {&no, &why}); }), "assertion failed");
  EXPECT_EQ(console.line(0), "{r assertion} x too big");
  DoubleValue pair = row({1, 1});
  EXPECT_EQ(runtimeError([&] { general("assert", {&pair}); }),
            "in assert: condition was not scalar");
}

TEST_F(SessionBuiltins, SetListsAndChangesSettings) {
  EXPECT_EQ(general("set", {})->toString(), "airy, RGB, text");
  IntValue airy = text("AIRY");
  DoubleValue two(2);
  EXPECT_EQ(elements(*general("set", {&airy, &two})), (std::vector<double>{2}));
  EXPECT_EQ(sessionSettings().airyMode, 2);
  general("set", {&airy});
  EXPECT_EQ(sessionSettings().airyMode, 1e-09);
  IntValue textName = text("text");
  DoubleValue zero(0);
  auto off = general("set", {&textName, &zero});
  EXPECT_FALSE(graphics::graphicsState().textRedraw);
  EXPECT_TRUE(off->isBoolean());
  general("set", {&textName});
  EXPECT_TRUE(graphics::graphicsState().textRedraw);
}

TEST_F(SessionBuiltins, SetColoursOfLetters) {
  IntValue name = text("RGB q");
  DoubleValue colour = row({300, 20, -1});
  general("set", {&name, &colour});
  graphics::Rgb stored = 0;
  ASSERT_TRUE(graphics::colourTable().find('q', &stored));
  EXPECT_EQ(graphics::redOf(stored), 44);
  EXPECT_EQ(graphics::greenOf(stored), 20);
  EXPECT_EQ(graphics::blueOf(stored), 255);
  general("set", {&name});
  EXPECT_EQ(graphics::colourTable().colourOf('q'), graphics::rgb(10, 10, 10));
}

TEST_F(SessionBuiltins, SetMessages) {
  IntValue shortName = text("rgb");
  EXPECT_EQ(runtimeError([&] { general("set", {&shortName}); }), "format should be 'RGB u'");
  IntValue name = text("rgb r");
  DoubleValue two = row({1, 2});
  EXPECT_EQ(runtimeError([&] {
              general("set", {&name, &two});
            }),
            "RGB code should have three numbers");
  IntValue unknown = text("colour");
  EXPECT_EQ(runtimeError([&] { general("set", {&unknown}); }),
            "in set: not a recognized parameter");
  IntValue cd = text("cd");
  EXPECT_THROW(general("set", {&cd}), session::OperatorCode);
  IntValue airy = text("airy");
  EXPECT_THROW(general("set", {&airy, &two}), session::OperatorCode);
}

TEST_F(SessionBuiltins, RatFindsTheBestFraction) {
  DoubleValue x = row({0.75, 1.0 / 3});
  auto r = valueToValue("rat", x);
  EXPECT_EQ(r->nrow, 2);
  EXPECT_EQ(elements(*r), (std::vector<double>{3, 4, 1, 3}));
  DoubleValue pi = row({std::numbers::pi});
  std::vector<double> pq = elements(*valueToValue("rat", pi));
  EXPECT_NEAR(pq[0] / pq[1], std::numbers::pi, 1e-14);
  DoubleValue negative = row({-0.5});
  EXPECT_EQ(elements(*valueToValue("rat", negative)), (std::vector<double>{-1, 2}));
}

TEST_F(SessionBuiltins, RatOfAPairEndingInOneGivesTheTerms) {
  DoubleValue x = row({std::numbers::pi, 1});
  std::vector<double> terms = elements(*valueToValue("rat", x));
  ASSERT_GE(terms.size(), 4u);
  EXPECT_EQ(std::vector<double>(terms.begin(), terms.begin() + 4),
            (std::vector<double>{3, 7, 15, 1}));
  DoubleValue empty;
  EXPECT_EQ(valueToValue("rat", empty)->size, 0);
}

TEST_F(SessionBuiltins, ConstantsAndTruthValues) {
  EXPECT_EQ(noArg("on"), 1);
  EXPECT_EQ(noArg("off"), 0);
  EXPECT_EQ(noArg("pi"), std::numbers::pi);
  Value* t = valueFunc("true", 0);
  EXPECT_TRUE(t->isBoolean());
  EXPECT_EQ(t->getInt(), 1);
  EXPECT_EQ(valueFunc("false", 0)->getInt(), 0);
  EXPECT_EQ(valueFunc("true", 0), valueFunc("true", 0));
  EXPECT_EQ(runtimeError([] { noArg("end"); }), "??endIndex called");
}

}  // namespace
}  // namespace zirbin::builtins::testing
