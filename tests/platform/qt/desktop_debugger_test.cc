// The debugger on the desktop, through the real console and dialog: breakpoints typed and
// in functions, stepping across commands, "Halt", closing, Abort during a stop, and the
// windows staying live while the interpreter waits in a stop.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>

#include "base/run_context.h"
#include "desktop_fixture.h"
#include "platform/qt/debugger_dialog.h"

namespace zirbin::platform::qt {
namespace {

class DesktopDebugger : public DesktopTest {
 protected:
  void TearDown() override {
    // A stop still open would keep the interpreter thread from ending.
    if (DebuggerDialog* d = dialog(); d && d->isVisible()) d->contButton()->click();
    DesktopTest::TearDown();
  }

  // Types `text` and Enter without waiting for the command to end.
  void typeOnly(const std::string& text) {
    QTest::keyClicks(&console(), QString::fromStdString(text));
    QTest::keyClick(&console(), Qt::Key_Return);
  }
  DebuggerDialog* dialog() { return window().findChild<DebuggerDialog*>(); }
  // Waits until the dialog shows a stop captioned `caption`; the dialog, or null.
  DebuggerDialog* stopShown(const std::string& caption) {
    const QString title = QString::fromStdString(caption);
    const bool shown = waitFor([&] {
      DebuggerDialog* d = dialog();
      return d && d->isVisible() && d->windowTitle() == title;
    });
    return shown ? dialog() : nullptr;
  }
  std::string labels() { return dialog()->labelColumn()->text().toStdString(); }
  std::string values() { return dialog()->valueColumn()->text().toStdString(); }
  // Writes a script into the state directory and brings it in with `use`.
  void useScript(const std::string& name, const std::string& text) {
    state_.write(name, text);
    type("use '" + state_.file(name) + "'");
  }
};

constexpr const char* kSteps = "function y = s(a)\n  p = a;!\n  q = p + 1\n  y = q * 2\nend\n";

TEST_F(DesktopDebugger, TypedBreakpointShowsLineZeroAndNoLocals) {
  typeOnly("x = [1 2 3];!");
  DebuggerDialog* d = stopShown("Breakpoint at line 0");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(labels(), "expr value");
  EXPECT_EQ(values(), "(1x3) 1 2 3");
  EXPECT_EQ(d->sourceControl(), nullptr);
  // Beside the console where the screen has room.
  EXPECT_EQ(d->geometry(), placeBeside(window().frameGeometry(), d->size(),
                                       window().screen()->availableGeometry()));
  d->contButton()->click();
  settle();
  EXPECT_FALSE(d->isVisible());
  type("x");
  EXPECT_EQ(lastLine(0, 0), " 1 2 3");
}

TEST_F(DesktopDebugger, LongRowShowsItsSizeTenElementsAndEllipsis) {
  typeOnly("w = 1:12;!");
  ASSERT_NE(stopShown("Breakpoint at line 0"), nullptr);
  EXPECT_EQ(values(), "(1x12) 1 2 3 4 5 6 7 8 9 10 ...");
  dialog()->contButton()->click();
  settle();
}

TEST_F(DesktopDebugger, BreakpointInAFunctionShowsNameLocalsAndSource) {
  std::string text = "# first\n";
  for (int n = 2; n <= 9; ++n) text += "# line " + std::to_string(n) + "\n";
  text += "function y = f(a)\n  b = 'text'\n  y = a * 2;!\nend\n";  // the stop is line 12
  for (int n = 14; n <= 40; ++n) text += "# line " + std::to_string(n) + "\n";
  useScript("withstop.zrb", text);
  typeOnly("r = f(4)");
  DebuggerDialog* d = stopShown("Breakpoint at line 12 in f");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(labels(), "expr value\nLocals:\na\nb\ny");
  EXPECT_EQ(values(), "8\n\n4\ntext\n8");
  ASSERT_NE(d->sourceControl(), nullptr);
  EXPECT_TRUE(d->sourceControl()->isVisible());
  EXPECT_EQ(d->sourceControl()->blockCount(), 16);  // lines 7 to 22
  EXPECT_EQ(d->sourceControl()->document()->firstBlock().text(), "# line 7");
  EXPECT_EQ(d->sourceControl()->document()->lastBlock().text(), "# line 22");
  d->contButton()->click();
  settle();
  EXPECT_EQ(lastLine(0, 0), "8");
}

TEST_F(DesktopDebugger, StepStopsAfterEachStatementAlsoInTheNextCommandUntilCont) {
  useScript("steps.zrb", kSteps);
  typeOnly("r = s(1);");
  ASSERT_NE(stopShown("Breakpoint at line 2 in s"), nullptr);
  QTest::keyClick(dialog(), Qt::Key_Return);  // Enter is "Step"
  ASSERT_NE(stopShown("Stepping at line 3"), nullptr);
  EXPECT_EQ(values(), "2");
  dialog()->stepButton()->click();
  ASSERT_NE(stopShown("Stepping at line 4"), nullptr);
  EXPECT_EQ(values(), "4");
  dialog()->stepButton()->click();
  settle();
  // Stepping lasts into the next command; the dialog stayed in sight meanwhile.
  EXPECT_TRUE(dialog()->isVisible());
  const QPointer<DebuggerDialog> first = dialog();
  typeOnly("r = s(5);");
  ASSERT_NE(stopShown("Stepping at line 2 in s"), nullptr);
  EXPECT_EQ(dialog(), first.data());  // reused
  dialog()->stepButton()->click();
  ASSERT_NE(stopShown("Stepping at line 3"), nullptr);
  dialog()->contButton()->click();
  settle();
  EXPECT_FALSE(dialog()->isVisible());
  type("r");
  EXPECT_EQ(lastLine(0, 0), "12");
}

TEST_F(DesktopDebugger, HaltPrintsInRedAndThePromptReturns) {
  typeOnly("for i = 1:3: k = i;!");
  ASSERT_NE(stopShown("Breakpoint at line 0"), nullptr);
  dialog()->haltButton()->click();
  settle();
  EXPECT_EQ(markupLine(0, 0), "{r execution halted from debugger}");
  type("k");
  EXPECT_EQ(lastLine(0, 0), "1");
}

TEST_F(DesktopDebugger, ClosingClearsSteppingAndTheNextBreakpointMakesTheDialogAgain) {
  useScript("steps.zrb", kSteps);
  typeOnly("r = s(1);");
  ASSERT_NE(stopShown("Breakpoint at line 2 in s"), nullptr);
  dialog()->stepButton()->click();
  ASSERT_NE(stopShown("Stepping at line 3"), nullptr);
  QPointer<DebuggerDialog> first = dialog();
  QTest::keyClick(first.data(), Qt::Key_Escape);
  settle();
  ASSERT_TRUE(waitFor([&] { return first.isNull(); }));
  typeOnly("r = s(1);");
  DebuggerDialog* again = stopShown("Breakpoint at line 2 in s");  // not "Stepping"
  ASSERT_NE(again, nullptr);
  again->close();
  settle();
  type("r");
  EXPECT_EQ(lastLine(0, 0), "4");
}

TEST_F(DesktopDebugger, WindowsStayLiveAndAbortEndsTheStop) {
  typeOnly("disp('before'); x = 1;!");
  ASSERT_NE(stopShown("Breakpoint at line 0"), nullptr);
  // The console took the output written before the stop while the interpreter waits.
  ASSERT_TRUE(waitFor([&] {
    console().refresh();
    return lastLine(0, 0) == "before" || lastLine(0, 1) == "before";
  }));
  app().primary().abort();
  settle();
  EXPECT_FALSE(dialog()->isVisible());
  type("y = 2");
  EXPECT_EQ(lastLine(0, 0), "2");
}

TEST_F(DesktopDebugger, CallTraceLinesGoToTheConsole) {
  useScript("traced.zrb",
            "function y = inner(a)\n  y = a + 1\nend\n"
            "function y = outer(a)\n  y = inner(a) * 2\nend\n");
  type("debug(1);");
  type("r = outer(1);");
  const std::vector<std::string> shown = lines();
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown[shown.size() - 3], "> r = outer(1);");
  EXPECT_EQ(shown[shown.size() - 2], "-> outer");
  EXPECT_EQ(shown[shown.size() - 1], "--> inner");
  type("debug(0);");
}

}  // namespace
}  // namespace zirbin::platform::qt
