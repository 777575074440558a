// Debugger stops as a session meets them: what a breakpoint shows (caption, value
// summaries, locals, source lines), what each answer does (Step, Cont, Halt, closing),
// stepping across commands, and the text form of a stop.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/temp_dir.h"
#include "base/host.h"
#include "base/run_context.h"
#include "engine/display_statements.h"
#include "session/interpreter_session.h"
#include "session/line_output.h"

namespace zirbin::engine {
namespace {

using session::DebugCommand;
using session::DebugView;

using testing::LineOutput;

class DebuggerStop : public ::testing::Test {
 protected:
  DebuggerStop() : session_(host_, output_, true) {
    session_.pathList().setDirectory(dir_.path());
    session_.context().stepping = false;
  }
  ~DebuggerStop() override {
    session_.context().stepping = false;
  }

  std::vector<std::string> typed(const std::string& line) {
    output_.lines.clear();
    session_.submitInput(line, session::kTypedMode);
    output_.flush();
    return output_.lines;
  }
  std::vector<std::string> pasted(const std::string& text) {
    output_.lines.clear();
    session_.submitInput(text, 'p');
    output_.flush();
    return output_.lines;
  }
  std::filesystem::path write(const std::string& file, const std::string& text) {
    dir_.write(file, text);
    return dir_.file(file);
  }
  const std::vector<DebugView>& stops() const { return host_.debugStops; }

  session::HeadlessHost host_;
  LineOutput output_;
  session::InterpreterSession session_;
  testing::TempDir dir_;
};

// A script of `count` numbered lines: "# line n", with the function below from line 3.
std::string numberedScript(int count) {
  std::string text =
      "# line 1\n# line 2\nfunction y = f(a)\n  b = 'a text longer than twenty'\n"
      "  v = 1:12\n  y = a + 1;!\n  d = 7\nend\n";
  for (int n = 9; n <= count; ++n) text += "# line " + std::to_string(n) + "\n";
  return text;
}

TEST_F(DebuggerStop, TopLevelBreakpointIsLineZeroWithoutLocalsOrSource) {
  typed("x = [1 2 3];!");
  ASSERT_EQ(stops().size(), 1u);
  EXPECT_EQ(stops()[0].caption, "Breakpoint at line 0");
  EXPECT_EQ(stops()[0].labels, "expr value");
  EXPECT_EQ(stops()[0].values, "(1x3) 1 2 3");
  EXPECT_EQ(stops()[0].source, "");
  typed("1 + 1;!");  // an expression statement has no value to show
  EXPECT_EQ(stops()[1].values, "");
}

TEST_F(DebuggerStop, BreakpointInAFunctionShowsItsLocalsAndSixteenSourceLines) {
  const std::filesystem::path file = write("withstop.zrb", numberedScript(30));
  typed("use withstop");
  typed("r = f(2)");
  ASSERT_EQ(stops().size(), 1u);
  const DebugView& view = stops()[0];
  EXPECT_EQ(view.caption, "Breakpoint at line 6 in f");
  EXPECT_EQ(view.labels, "expr value\nLocals:\na\nb\nv\ny\nd");
  // d is not assigned yet, so it shows nothing; a long text is cut at 20 characters; a 1 x 12 row
  // shows its size, 10 elements and "...".
  EXPECT_EQ(view.values, "3\n\n2\na text longer than t\n(1x12) 1 2 3 4 5 6 7 8 9 10 ...\n3\n");
  // Lines 1 to 16: line - 5 is clamped at the file's first line.
  std::string expected =
      "# line 1\r\n# line 2\r\nfunction y = f(a)\r\n  b = 'a text longer than twenty'"
      "\r\n  v = 1:12\r\n  y = a + 1;!\r\n  d = 7\r\nend";
  for (int n = 9; n <= 16; ++n) expected += "\r\n# line " + std::to_string(n);
  EXPECT_EQ(view.source, expected);

  // Once the file is gone the stop says so and names it.
  std::filesystem::remove(file);
  typed("r = f(2)");
  ASSERT_EQ(stops().size(), 2u);
  EXPECT_EQ(stops()[1].source, "could not open file\n" + file.string());
}

TEST_F(DebuggerStop, SourceWindowFollowsTheLineInALongFile) {
  std::string text;
  for (int n = 1; n <= 40; ++n) text += "# line " + std::to_string(n) + "\n";
  text += "function y = late_fn(a)\n  y = a;!\nend\n";  // the breakpoint is line 42
  write("late.zrb", text);
  typed("use late");
  typed("r = late_fn(1)");
  ASSERT_EQ(stops().size(), 1u);
  std::string expected = "# line 37";
  for (int n = 38; n <= 40; ++n) expected += "\r\n# line " + std::to_string(n);
  expected += "\r\nfunction y = late_fn(a)\r\n  y = a;!\r\nend";  // the file ends before line 52
  EXPECT_EQ(stops()[0].source, expected);
}

TEST_F(DebuggerStop, PastedFunctionShowsItsKeptText) {
  pasted("\r\rfunction y = h(a)\r  y = 2*a;!\rend\r");
  typed("h(4)");
  ASSERT_EQ(stops().size(), 1u);
  EXPECT_EQ(stops()[0].caption, "Breakpoint at line 4 in h");
  EXPECT_NE(stops()[0].source.find("y = 2*a;!"), std::string::npos);
  EXPECT_EQ(stops()[0].source.rfind("function", 0), 0u);
}

TEST_F(DebuggerStop, StepStopsAfterEachStatementAcrossCommandsUntilCont) {
  write("steps.zrb", "function y = s(a)\n  p = a;!\n  q = p + 1\n  y = q * 2\nend\n");
  typed("use steps");
  host_.debugAnswers = {DebugCommand::kStep, DebugCommand::kStep, DebugCommand::kStep};
  typed("r = s(1);");
  // The breakpoint, then a stepping stop after each following statement of the body,
  // with the assigned variable's value (the breakpoint's own statement stops once).
  ASSERT_EQ(stops().size(), 3u);
  EXPECT_EQ(stops()[0].caption, "Breakpoint at line 2 in s");
  EXPECT_EQ(stops()[1].caption, "Stepping at line 3");
  EXPECT_EQ(stops()[1].values, "2");
  EXPECT_EQ(stops()[2].caption, "Stepping at line 4");
  EXPECT_EQ(stops()[2].values, "4");
  EXPECT_TRUE(session_.context().stepping);
  // The next command steps too, until "Cont".
  host_.debugAnswers = {DebugCommand::kStep, DebugCommand::kStep, DebugCommand::kContinue};
  typed("r = s(5);");
  ASSERT_EQ(stops().size(), 6u);
  EXPECT_EQ(stops()[3].caption, "Stepping at line 2 in s");
  EXPECT_EQ(stops()[4].caption, "Stepping at line 3");
  EXPECT_EQ(stops()[5].caption, "Stepping at line 4");
  EXPECT_FALSE(session_.context().stepping);
  typed("r = s(5);");
  EXPECT_EQ(stops().size(), 7u);  // the breakpoint alone
}

TEST_F(DebuggerStop, ClosingClearsStepping) {
  write("steps.zrb", "function y = s(a)\n  p = a;!\n  q = p + 1\n  y = q * 2\nend\n");
  typed("use steps");
  host_.debugAnswers = {DebugCommand::kStep, DebugCommand::kClose};
  typed("r = s(1);");
  EXPECT_EQ(stops().size(), 2u);
  EXPECT_FALSE(session_.context().stepping);
}

TEST_F(DebuggerStop, HaltEndsTheCommandInRedAndKeepsWhatRanBefore) {
  host_.debugAnswers = {DebugCommand::kHalt};
  const std::vector<std::string> lines = typed("for i = 1:3: k = i;!");
  EXPECT_EQ(stops().size(), 1u);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find("{r execution halted from debugger"), std::string::npos);
  typed("k");
  EXPECT_EQ(stops().size(), 1u);
  EXPECT_NE(output_.lines.back().find('1'), std::string::npos);
}

TEST_F(DebuggerStop, TextWithALineFeedStaysOnItsRow) {
  typed("s = 'a b c'");
  typed("s[2] = 10;!");
  ASSERT_EQ(stops().size(), 1u);
  EXPECT_EQ(stops()[0].values, "a b c");
}

TEST(DebugViewLines, LabelsAndValuesLineUpAfterTheLongestLabel) {
  const DebugView view{"Breakpoint at line 6 in f", "expr value\nLocals:\na\nlonger_name",
                       "3\n\n2\n", "ignored"};
  EXPECT_EQ(session::debugViewLines(view),
            (std::vector<std::string>{"Breakpoint at line 6 in f", "expr value   3",
                                      "Locals:", "a            2", "longer_name"}));
}

}  // namespace
}  // namespace zirbin::engine
