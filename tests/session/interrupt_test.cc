// The interrupt raised from a second thread: a running command ends with "execution
// interrupted" wherever it spends its time (a loop, a recursion, an integrand, a wait for a
// line), the variables it assigned kept are kept, and the next command runs normally.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/host.h"
#include "base/run_context.h"
#include "session/interpreter_session.h"
#include "session/line_output.h"

namespace zirbin::session {
namespace {

using namespace std::chrono_literals;

using testing::LineOutput;

// A host whose readLine blocks, as a desktop's does, until a line comes or it is woken.
class WaitingHost : public HeadlessHost {
 public:
  std::optional<std::string> readLine(const std::string&) override {
    std::unique_lock<std::mutex> lock(mutex_);
    waiting_ = true;
    waitingChanged_.notify_all();
    woken_.wait_for(lock, 10s, [this] { return wake_; });
    wake_ = false;
    waiting_ = false;
    return std::nullopt;
  }
  void wake() override {
    std::lock_guard<std::mutex> lock(mutex_);
    wake_ = true;
    woken_.notify_all();
  }
  // Waits until readLine blocks.
  void awaitWaiting() {
    std::unique_lock<std::mutex> lock(mutex_);
    waitingChanged_.wait_for(lock, 5s, [this] { return waiting_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable woken_, waitingChanged_;
  bool wake_ = false;
  bool waiting_ = false;
};

class Interrupt : public ::testing::Test {
 protected:
  Interrupt() : session_(host_, output_, true) {}

  // Runs `command` as pasted text while a second thread interrupts it after `delay` (or
  // once the host waits for a line); returns how long the command ran on.
  std::chrono::milliseconds interrupted(const std::string& command,
                                        std::chrono::milliseconds delay, bool whenWaiting) {
    host_.clipboard.clear();
    for (char c : command) {
      if (c == '\n') host_.clipboard += '\r';
      host_.clipboard += c;
    }
    output_.lines.clear();
    std::chrono::steady_clock::time_point raised;
    std::thread stopper([&] {
      if (whenWaiting) {
        host_.awaitWaiting();
      } else {
        std::this_thread::sleep_for(delay);
      }
      raised = std::chrono::steady_clock::now();
      session_.interrupt();
    });
    const bool ok = session_.submitInput("", kClipboardMode);
    const auto ended = std::chrono::steady_clock::now();
    stopper.join();
    EXPECT_FALSE(ok);
    EXPECT_FALSE(output_.lines.empty());
    if (!output_.lines.empty()) {
      EXPECT_EQ(output_.lines.back(), "{r execution interrupted}");
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(ended - raised);
  }
  // What a typed line shows: its console lines joined, the display's markup taken out.
  std::string typed(const std::string& line) {
    output_.lines.clear();
    session_.submitInput(line, kTypedMode);
    std::string text;
    for (const std::string& l : output_.lines) text += l;
    // A number is shown in a colour group: "{b 55}".
    if (text.size() > 3 && text[0] == '{' && text[2] == ' ') text = text.substr(3);
    if (!text.empty() && text.back() == '}') text.pop_back();
    return text;
  }

  WaitingHost host_;
  LineOutput output_;
  InterpreterSession session_;
};

TEST_F(Interrupt, EndsEndlessLoopsAndKeepsWhatWasAssigned) {
  EXPECT_LT(interrupted("k = 7\nwhile 1: k += 1\n", 100ms, false), 5s);
  EXPECT_EQ(typed("k > 7"), "1");
  // A loop whose body is a block, and a for loop over a long range.
  EXPECT_LT(interrupted("j = 0\nwhile 1:\n  j += 1\n  j -= 1\n", 50ms, false), 5s);
  EXPECT_LT(interrupted("for i = 1:1e9: m = i\n", 50ms, false), 5s);
  EXPECT_EQ(typed("m > 1"), "1");
  // The flag is cleared when the next command starts.
  EXPECT_EQ(typed("2 + 3"), "5");
}

TEST_F(Interrupt, EndsUserFunctionRecursion) {
  EXPECT_LT(interrupted("function r = fib(n)\n  if n < 2: r = n\n  else r = fib(n-1) + fib(n-2)\n"
                        "end\nkept = 1\nfib(40)\n",
                        100ms, false),
            5s);
  EXPECT_EQ(typed("kept"), "1");
  EXPECT_EQ(typed("fib(10)"), "55");
}

TEST_F(Interrupt, EndsAnIntegralWhoseIntegrandIsAUserFunction) {
  // Each value of the integrand runs a loop of a general user function: the integral
  // would take minutes. The interrupt passes out through the integrator.
  EXPECT_LT(interrupted("function y = slow(x)\n  y = 0\n  for k = 1:20000: y += sin(x) / 20000\n"
                        "end\nf(x) := slow(x)\nkept = 4\nr = integ(\\f, [0, 100])\n",
                        100ms, false),
            5s);
  EXPECT_EQ(typed("kept"), "4");
  // A quick integrand alone, called by the integrator without end.
  EXPECT_LT(interrupted("h(x) := sin(x)\nn = 0\nwhile 1: n += integ(\\h, [0, 1])\n", 50ms, false),
            5s);
  EXPECT_EQ(typed("n > 0"), "1");
}

TEST_F(Interrupt, EndsAPauseAtOnce) {
  EXPECT_LT(interrupted("kept = 2\npause(100000)\n", 50ms, false), 1s);
  EXPECT_EQ(typed("kept"), "2");
}

TEST_F(Interrupt, EndsAWaitForALine) {
  EXPECT_LT(interrupted("kept = 3\nname = getline('Name? ')\n", 0ms, true), 5s);
  EXPECT_EQ(typed("kept"), "3");
}

TEST_F(Interrupt, BetweenCommandsItIsForgotten) {
  session_.interrupt();
  EXPECT_TRUE(session_.interruptRequested());
  EXPECT_EQ(typed("1 + 1"), "2");
  EXPECT_FALSE(session_.interruptRequested());
}

}  // namespace
}  // namespace zirbin::session
