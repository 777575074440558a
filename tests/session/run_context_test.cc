// Two interpreter sessions in one process, each driven on a thread of its own in turn: what
// a command changes stays in its session (globals, figures, the `tic` time, the random
// sequence, the settings of `set`, the call trace, the stepping flag), and what the run
// context declares process-wide (the last displayed value, the named constants, the open
// files) is shared.
#include "base/run_context.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "base/host.h"
#include "builtins/session_settings.h"
#include "graphics/figure.h"
#include "graphics/graphics_state.h"
#include "session/interpreter_session.h"

namespace zirbin::session {
namespace {

using namespace std::chrono_literals;

// Console lines joined into one text, the colour group of a shown number taken off.
class TextOutput : public ConsoleOutput {
 public:
  void print(const std::string& text, bool newLineFirst, int) override {
    if (newLineFirst && !text_.empty() && text_.back() != '\n') text_ += '\n';
    text_ += text;
  }
  void newLine() override { text_ += '\n'; }
  // The text shown since the last call, without the colour groups of displayed values.
  std::string take() {
    std::string text;
    for (std::size_t i = 0; i < text_.size(); ++i) {
      if (text_[i] == '{' && i + 2 < text_.size() && text_[i + 2] == ' ') {
        i += 2;
      } else if (text_[i] != '}') {
        text += text_[i];
      }
    }
    text_.clear();
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

 private:
  std::string text_;
};

// A secondary session (it reads and writes no state files) with its own host and console.
struct Instance {
  HeadlessHost host;
  TextOutput output;
  InterpreterSession session{host, output, true};

  // Runs `line` as a typed line on a thread of its own and returns what it showed.
  std::string run(const std::string& line) {
    std::thread worker([&] { session.submitInput(line, kTypedMode); });
    worker.join();
    return output.take();
  }
};

TEST(RunContext, EachSessionKeepsItsOwnState) {
  Instance a, b;
  // Globals: each session has its own workspace.
  a.run("g1 = 1;");
  EXPECT_EQ(a.run("g1"), "1");
  EXPECT_NE(b.run("g1").find("unrecognised name"), std::string::npos);
  // Figures: a session sees and closes only its own.
  EXPECT_EQ(a.run("figure(5)"), "5");
  EXPECT_EQ(b.run("close(5)"), "0");
  EXPECT_EQ(a.run("close(5)"), "5");
  // The random sequence: seeded alike, each session draws its own.
  a.run("randseed(7);");
  b.run("randseed(7);");
  const std::string first = a.run("rnd");
  a.run("rnd;");
  EXPECT_EQ(b.run("rnd"), first);
  // tic: each session times from its own.
  a.run("tic;");
  std::this_thread::sleep_for(300ms);
  b.run("tic;");
  EXPECT_EQ(b.run("Toc() < 0.25"), "1");
  EXPECT_EQ(a.run("Toc() >= 0.3"), "1");
  // The settings of `set`.
  a.run("set('airy', 2);");
  a.run("set('text', 0);");
  {
    RunContextScope in(a.session.context());
    EXPECT_EQ(builtins::sessionSettings().airyMode, 2);
    EXPECT_FALSE(graphics::graphicsState().textRedraw);
  }
  {
    RunContextScope in(b.session.context());
    EXPECT_EQ(builtins::sessionSettings().airyMode, 1e-09);
    EXPECT_TRUE(graphics::graphicsState().textRedraw);
  }
  // The call trace of `debug`.
  a.run("debug(1);");
  EXPECT_EQ(b.run("debug(0)"), "0");
  EXPECT_EQ(a.run("debug(0)"), "1");
  // The debugger's stepping flag.
  a.session.context().stepping = true;
  EXPECT_FALSE(b.session.context().stepping);
  a.session.context().stepping = false;
}

TEST(RunContext, FiguresLeaveWithTheirSession) {
  Instance a;
  {
    Instance b;
    b.run("figure(3);");
    EXPECT_EQ(b.run("figure(-1)"), "3");
  }
  // Outside any command this thread is in the idle context, whose figures are its own.
  EXPECT_EQ(graphics::figures().find(3), nullptr);
  EXPECT_EQ(a.run("close(3)"), "0");
}

TEST(RunContext, TheLastDisplayedValueIsShared) {
  Instance a, b;
  a.run("41 + 1");
  EXPECT_EQ(b.run("ans"), "42");
}

TEST(RunContext, TheOpenFileTableIsShared) {
  Instance a, b;
  const std::string path =
      (std::filesystem::temp_directory_path() / "zirbin_two_sessions.txt").string();
  const std::string id = a.run("h = fopen('" + path + "', 'w')");
  ASSERT_FALSE(id.empty());
  b.run("fwrite(" + id + ", 'from b');");
  b.run("fclose(" + id + ");");
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("from b"), std::string::npos) << text;
  std::filesystem::remove(path);
}

TEST(RunContext, TheNamedConstantsAreShared) {
  Instance a, b;
  a.run("clear (const) muB");
  EXPECT_NE(b.run("muB").find("unrecognised name"), std::string::npos);
  b.run("clear reset");
  EXPECT_EQ(a.run("muB > 0"), "1");
}

TEST(RunContext, FixedAnEndingSessionNoLongerEmptiesTheNamedConstants) {
  Instance a;
  {
    Instance c;
    c.run("1;");
  }
  EXPECT_EQ(a.run("muB > 0"), "1");
}

TEST(RunContext, EachSessionIsInterruptedAlone) {
  Instance a, b;
  a.session.interrupt();
  EXPECT_FALSE(b.session.interruptRequested());
  EXPECT_EQ(b.run("1 + 2"), "3");
  // The flag of a is cleared by its next command, which runs.
  EXPECT_TRUE(a.session.interruptRequested());
  EXPECT_EQ(a.run("2 + 2"), "4");
}

}  // namespace
}  // namespace zirbin::session
