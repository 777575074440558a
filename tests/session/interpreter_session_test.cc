// The command cycle with a stand-in compiler: report formats of every failure kind, the
// abandoning of input after an error, and the state set before each command.
#include "session/interpreter_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/host.h"
#include "base/run_context.h"
#include "compiler/lexer.h"
#include "engine/statement.h"

namespace zirbin::session {
namespace {

// Console lines as markup strings: print and newLine as the console does them.
class RecordingOutput : public ConsoleOutput {
 public:
  void print(const std::string& text, bool newLineFirst, int mode) override {
    if (newLineFirst && !current_.empty()) newLine();
    if (mode == kPrintLines) {
      std::size_t start = 0;
      for (std::size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1) {
        current_ += text.substr(start, lf - start);
        newLine();
      }
      current_ += text.substr(start);
      if (start == 0 || start < text.size()) newLine();
      return;
    }
    if (hasMarkupChars(text)) current_ += mode == kPrintLiteral ? "{:" : "{;";
    current_ += text;
  }
  void newLine() override {
    lines.push_back(current_);
    current_.clear();
  }
  std::vector<std::string> lines;

 private:
  std::string current_;
};

// A statement that runs a given action.
class ActionStm : public engine::Statement {
 public:
  explicit ActionStm(std::function<void()> action)
      : Statement(nullptr, 0), action_(std::move(action)) {}
  void exe() override { action_(); }

 private:
  std::function<void()> action_;
};

// The stand-in compiler: every statement of the input is one word. "syntax" fails while
// compiling; "fail", "code", "text" and "other" fail when run (RuntimeError, operator
// code 'R', a bare string, an int); any other word is recorded in `ran` when run.
class CycleTest : public ::testing::Test {
 protected:
  CycleTest() : session_(host_, output_, true) {
    session_.setCommandCompiler([this]() { return compile(); });
  }

  std::unique_ptr<engine::Statement> compile() {
    std::vector<std::unique_ptr<engine::Statement>> statements;
    std::vector<compiler::TokenList> lists;
    while (compiler::lexNextLine(session_.input(), false, lists)) {
      for (const compiler::TokenList& list : lists) {
        std::string word = list.front().text;
        if (word == "syntax") throw SyntaxError("bad syntax");
        statements.push_back(std::make_unique<ActionStm>([this, word]() { run(word); }));
      }
    }
    return std::make_unique<engine::BlockStm>(std::move(statements));
  }

  void run(const std::string& word) {
    if (word == "fail") throw RuntimeError("boom");
    if (word == "code") throw OperatorCode('R');
    if (word == "text") throw std::string("bare text");
    if (word == "other") throw 42;
    ran.push_back(word);
  }

  HeadlessHost host_;
  RecordingOutput output_;
  InterpreterSession session_;
  std::vector<std::string> ran;
};

TEST_F(CycleTest, TypedLineSyntaxErrorHasNoLineNumber) {
  EXPECT_FALSE(session_.submitInput("1 +", kTypedMode));
  EXPECT_EQ(output_.lines,
            (std::vector<std::string>{"1 +", "{r dangling operator or more input needed}"}));
  EXPECT_EQ(session_.errorCount(), 1);
}

TEST_F(CycleTest, PastedSyntaxErrorShowsLineAndWholeTextAndRunsNothing) {
  EXPECT_FALSE(session_.submitInput("a\rb\rsyntax", 'p'));
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(output_.lines, (std::vector<std::string>{"{r at line 3}", "a", "b", "syntax",
                                                     "{r bad syntax}"}));
}

TEST_F(CycleTest, SourceTextWithBracesIsShownLiterally) {
  session_.submitInput("x = {1 +", kTypedMode);
  ASSERT_GE(output_.lines.size(), 1u);
  EXPECT_EQ(output_.lines[0], "{;x = {1 +");
}

TEST_F(CycleTest, RuntimeErrorKeepsEarlierEffects) {
  EXPECT_FALSE(session_.submitInput("first; fail; never", kTypedMode));
  EXPECT_EQ(ran, (std::vector<std::string>{"first"}));
  EXPECT_EQ(output_.lines, (std::vector<std::string>{"{r boom}"}));
}

TEST_F(CycleTest, EveryFailureKindHasItsReport) {
  session_.submitInput("code", kTypedMode);
  session_.submitInput("text", kTypedMode);
  session_.submitInput("other", kTypedMode);
  EXPECT_EQ(output_.lines,
            (std::vector<std::string>{"{r invalid matrix power}", "{r bare text}",
                                      "{r unspecified error}"}));
  EXPECT_EQ(session_.errorCount(), 3);
}

TEST_F(CycleTest, SuccessfulCommandReportsNothing) {
  EXPECT_TRUE(session_.submitInput("a; b", kTypedMode));
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(output_.lines.empty());
  EXPECT_EQ(session_.errorCount(), 0);
}

TEST_F(CycleTest, ClipboardModeTakesTheClipboard) {
  host_.clipboard = "x\ry";
  EXPECT_TRUE(session_.submitInput("ignored", kClipboardMode));
  EXPECT_EQ(ran, (std::vector<std::string>{"x", "y"}));
}

TEST_F(CycleTest, FlagsAndConsoleAreSetWhileACommandRuns) {
  session_.context().keepRunning = false;
  session_.context().breakpointsActive = false;
  bool keep = false, breakpoints = false;
  ConsoleOutput* seen = nullptr;
  Host* seenHost = nullptr;
  session_.setCommandCompiler([&]() {
    return std::make_unique<ActionStm>([&]() {
      keep = runContext->keepRunning;
      breakpoints = runContext->breakpointsActive;
      seen = runContext->console;
      seenHost = runContext->host;
    });
  });
  session_.submitInput("anything", kTypedMode);
  EXPECT_TRUE(keep);
  EXPECT_TRUE(breakpoints);
  EXPECT_EQ(seen, &output_);
  EXPECT_EQ(seenHost, &host_);
  // Between commands the thread is back in the idle context.
  EXPECT_EQ(runContext, &idleRunContext);
  EXPECT_EQ(runContext->console, nullptr);
}

TEST_F(CycleTest, ErrorInUseFileReportsItsLineAndDropsAllInput) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "zirbin_cycle_use";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "inner.zrb") << "one\nsyntax\nthree\n";
  session_.pathList().setDirectory(dir.string());
  EXPECT_FALSE(session_.submitInput("use inner\rafter", 'p'));
  EXPECT_EQ(output_.lines,
            (std::vector<std::string>{"{r at line 2}", "syntax", "{r bad syntax}"}));
  EXPECT_EQ(session_.input().suspendedCount(), 0u);
  EXPECT_TRUE(session_.input().isTyped());
  EXPECT_TRUE(session_.submitInput("typed", kTypedMode));
  EXPECT_EQ(ran, (std::vector<std::string>{"typed"}));
  std::filesystem::remove_all(dir);
}

TEST_F(CycleTest, MissingUseFileIsReported) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "zirbin_cycle_missing";
  std::filesystem::create_directories(dir);
  session_.pathList().setDirectory(dir.string());
  EXPECT_FALSE(session_.submitInput("use nowhere", kTypedMode));
  EXPECT_EQ(output_.lines, (std::vector<std::string>{"{r script file not found (use)}"}));
  session_.submitInput("use 'open", kTypedMode);
  EXPECT_EQ(output_.lines.back(), "{r missing closing inverted comma after 'use'}");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zirbin::session
