// User functions across commands of a session: bodies of functions declared ahead with
// funcdec compiled from their files before a command runs, the clean-up of declarations
// left without a body, functions removed while a command that still calls them is open,
// and the limit on nested calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "files/temp_dir.h"
#include "engine/user_function.h"
#include "base/host.h"
#include "session/interpreter_session.h"
#include "values/value.h"
#include "session/line_output.h"

namespace zirbin::session {
namespace {

using testing::LineOutput;

class SessionFunctions : public ::testing::Test {
 protected:
  SessionFunctions() : session_(host_, output_, true) {
    session_.pathList().setDirectory(dir_.path());
  }
  void write(const std::string& file, const std::string& text) {
    dir_.write(file, text);
  }
  // Runs a typed line and returns the console lines it wrote.
  std::vector<std::string> typed(const std::string& line) {
    output_.lines.clear();
    session_.submitInput(line, kTypedMode);
    output_.flush();
    return output_.lines;
  }
  double global(const std::string& name) {
    const values::Value* v = session_.workspace().findGlobal(name);
    return v && v->size == 1 ? v->getDouble() : -1;
  }
  // Runs a pasted block and returns the console lines it wrote.
  std::vector<std::string> pasted(const std::string& text) {
    output_.lines.clear();
    session_.submitInput(text, 'p');
    output_.flush();
    return output_.lines;
  }

  HeadlessHost host_;
  LineOutput output_;
  InterpreterSession session_;
  testing::TempDir dir_;
};

using Lines = std::vector<std::string>;

TEST_F(SessionFunctions, BodyIsCompiledFromItsFileBeforeTheCommandRuns) {
  write("tripled.zrb", "function y = tripled(x)\n  y = 3*x\nend\n");
  EXPECT_EQ(pasted("funcdec y = tripled(x)\rr = tripled(2) + 1"), Lines{});
  EXPECT_EQ(global("r"), 7);
  EXPECT_TRUE(session_.functions().get("tripled")->hasBody());
  typed("r = tripled(5)");
  EXPECT_EQ(global("r"), 15);
}

TEST_F(SessionFunctions, DefinitionLaterInTheSameCommandGivesTheBody) {
  EXPECT_EQ(pasted("funcdec y = twice(x)\r"
                   "function r = usesTwice(x)\r  r = twice(x) + 1\rend\r"
                   "function y = twice(x)\r  y = 2*x\rend\r"
                   "r = usesTwice(4)"),
            Lines{});
  EXPECT_EQ(global("r"), 9);
}

TEST_F(SessionFunctions, MissingFileIsAnErrorAndTheDeclarationGoes) {
  EXPECT_EQ(typed("funcdec y = nowhere(x)"),
            (Lines{"funcdec y = nowhere(x)",
                   "{r no body for declared function nowhere: nowhere.zrb not found}"}));
  EXPECT_EQ(session_.functions().get("nowhere"), nullptr);
  EXPECT_EQ(typed("r = 1 + 1;"), Lines{});
}

TEST_F(SessionFunctions, FileWithoutTheDefinitionIsAnError) {
  write("empty.zrb", "x = 1\n");
  const Lines lines = typed("funcdec empty(x)");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].rfind("{r no body for declared function empty in ", 0), 0u);
  EXPECT_EQ(session_.functions().get("empty"), nullptr);
}

TEST_F(SessionFunctions, FailedCommandRemovesDeclarationsAndTheirCallers) {
  const Lines lines = pasted("funcdec y = later(x)\r"
                             "function r = early(x)\r  r = later(x)\rend\r"
                             "x = = 2\r");
  EXPECT_EQ(lines.front(), "early removed");
  EXPECT_EQ(session_.functions().get("later"), nullptr);
  EXPECT_EQ(session_.functions().get("early"), nullptr);
  EXPECT_EQ(typed("r = 2 + 2;"), Lines{});
}

TEST_F(SessionFunctions, FuncdecThatDoesNotMatchReplacesTheFunction) {
  write("pair.zrb", "function y = pair(a, b)\n  y = a - b\nend\n");
  typed("pair(x) := x + 1");
  EXPECT_EQ(typed("funcdec y = pair(a, b)"), Lines{"does not match existing declaration"});
  typed("r = pair(5, 2)");
  EXPECT_EQ(global("r"), 3);
}

TEST_F(SessionFunctions, DefinitionOfAnotherOutputTypeDoesNotMatch) {
  const Lines lines = pasted("funcdec y = named(x)\r"
                             "function y = named(x)\r  y = list(1, 2)\rend\r");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "{r does not match existing declaration}");
  EXPECT_EQ(session_.functions().get("named"), nullptr);
}

TEST_F(SessionFunctions, FuncdecRefusesAVariableName) {
  typed("v = 1");
  EXPECT_EQ(typed("funcdec v(t)").back(),
            "{r name clash with existing symbol. (Clear the symbol or use another name)}");
}

// Clearing a function while a statement compiled earlier in the same command still calls
// it used to free the function under that statement.
TEST_F(SessionFunctions, FunctionClearedInTheCommandThatCallsItStaysUntilTheCommandEnds) {
  typed("f(x) := x + 1");
  EXPECT_EQ(typed("r = f(2); clear f"), Lines{});
  EXPECT_EQ(global("r"), 3);
  EXPECT_EQ(session_.functions().get("f"), nullptr);
  typed("f(x) := x + 1");
  EXPECT_EQ(typed("r = f(2); clear f; f(x) := 10*x"), Lines{});
  EXPECT_EQ(global("r"), 3);
  typed("r = f(2)");
  EXPECT_EQ(global("r"), 20);
}

// A chain of quick functions, each calling the one before, once overflowed the native
// stack when called from its far end.
TEST_F(SessionFunctions, LongChainOfQuickFunctionsEndsInAnErrorNotACrash) {
  typed("q0(x) := x");
  for (int k = 1; k <= engine::kMaxTotalActivations + 10; ++k) {
    std::string line = "q";
    line += std::to_string(k);
    line += "(x) := q";
    line += std::to_string(k - 1);
    line += "(x) + 1";
    typed(line);
  }
  typed("r = q100(1);");
  EXPECT_EQ(global("r"), 101);
  const Lines lines = typed("r = q" + std::to_string(engine::kMaxTotalActivations + 10) + "(1);");
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find("max recursion depth exceeded"), std::string::npos);
  typed("r = q5(1);");
  EXPECT_EQ(global("r"), 6);
}

TEST_F(SessionFunctions, CallTraceBelongsToItsSession) {
  EXPECT_EQ(pasted("function r = traced(x)\r  r = x\rend\r"), Lines{});
  typed("debug");
  EXPECT_EQ(typed("r = traced(1);"), Lines{"-> traced"});
  LineOutput otherOutput;
  InterpreterSession other(host_, otherOutput, true);
  other.submitInput("function r = quiet(x)\r  r = x\rend\r", 'p');
  otherOutput.lines.clear();
  other.submitInput("r = quiet(1);", kTypedMode);
  otherOutput.flush();
  EXPECT_EQ(otherOutput.lines, Lines{});
  EXPECT_EQ(typed("r = traced(2);"), Lines{"-> traced"});
  typed("debug(0)");
  EXPECT_EQ(typed("r = traced(3);"), Lines{});
}

}  // namespace
}  // namespace zirbin::session
