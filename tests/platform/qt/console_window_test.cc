#include "desktop_fixture.h"

#include <QClipboard>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QWheelEvent>

#include <filesystem>

namespace zirbin::platform::qt {
namespace {

TEST_F(DesktopTest, TypedLineIsEchoedAndRun) {
  EXPECT_EQ(window().windowTitle(), "Zirbin 5a");
  EXPECT_EQ(window().pos(), QPoint(100, 30));
  EXPECT_EQ(window().size(), QSize(840, 600));
  type("x = 2 + 3");
  EXPECT_EQ(markupLine(0, 1), "{g > {b:x = 2 + 3");
  EXPECT_EQ(lastLine(0, 0), "5");
}

TEST_F(DesktopTest, EchoWithBracesShowsThemLiterallyAndMarkupShowsItsColour) {
  type("s = \"a{r b}c\"");
  EXPECT_EQ(markupLine(0, 1), "{g > {b:s = \"a{r b}c\"");
  EXPECT_EQ(markupLine(0, 0), "{r;a{r b}c");  // a string value: literal, braces kept
  EXPECT_EQ(lastLine(0, 0), "a{r b}c");
  type("nosuchname");
  EXPECT_EQ(markupLine(0, 0).rfind("{r ", 0), 0u);  // an error in red markup
}

TEST_F(DesktopTest, EditorKeysThroughTheWidget) {
  ConsoleWidget& w = console();
  QTest::keyClicks(&w, "y = a + b");
  QTest::keyClick(&w, Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(w.editor().line(), "y =( a + b)");
  QTest::keyClick(&w, Qt::Key_Home);
  QTest::keyClick(&w, Qt::Key_Delete);
  QTest::keyClicks(&w, "z");
  EXPECT_EQ(w.editor().line(), "z =( a + b)");
  QTest::keyClick(&w, Qt::Key_End);
  QTest::keyClick(&w, Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(w.editor().caret(), 10u);
  QTest::keyClick(&w, Qt::Key_Backspace);
  EXPECT_EQ(w.editor().line(), "z =( a + )");
  QTest::keyClick(&w, Qt::Key_Escape);
  EXPECT_EQ(w.editor().line(), "");
  QTest::keyClicks(&w, "abcde");
  QTest::keyClick(&w, Qt::Key_Tab);
  EXPECT_EQ(w.editor().line(), "abcde   ");
  EXPECT_TRUE(w.hasFocus() || !w.isActiveWindow());  // Tab stays in the console
}

TEST_F(DesktopTest, UpAndDownRecallWithThePrefix) {
  type("plot1 = 1");
  type("x = 3");
  type("pl = 2");
  ConsoleWidget& w = console();
  QTest::keyClicks(&w, "pl");
  QTest::keyClick(&w, Qt::Key_Up);
  EXPECT_EQ(w.editor().line(), "pl = 2");
  QTest::keyClick(&w, Qt::Key_Up);
  EXPECT_EQ(w.editor().line(), "plot1 = 1");
  QTest::keyClick(&w, Qt::Key_Down);
  QTest::keyClick(&w, Qt::Key_Down);
  EXPECT_EQ(w.editor().line(), "pl");
  QTest::keyClick(&w, Qt::Key_Escape);
  QTest::keyClick(&w, Qt::Key_Up);
  QTest::keyClick(&w, Qt::Key_Return);
  settle();
  EXPECT_EQ(markupLine(0, 1), "{g > {b:pl = 2");
}

// The menus with their labels, access keys, key hints and command numbers.
TEST_F(DesktopTest, MenusHaveTheirLabelsAndCommandNumbers) {
  std::vector<std::string> found;
  for (QAction* menu : window().menuBar()->actions()) {
    std::string entry = menu->text().toStdString() + ":";
    for (QAction* action : menu->menu()->actions()) {
      entry += " " + action->text().toStdString() + "=" + std::to_string(action->data().toInt());
    }
    found.push_back(entry);
  }
  EXPECT_EQ(found, (std::vector<std::string>{
                       "&File: &Restore=202 &Save=203 &cd ?=204 E&xit\tAlt-F4=201",
                       "&Run: &Reset=210 &Execute\t<ret>=211 &Abort=213 Run &clipboard\tF9=214 "
                       "C&lear clipboard=215 &Launch zirbin=217",
                       "&View: Zoom &in\t<<=220 Zoom &out\t>>=221",
                       "&Help: &Basic help\t?" "?=230 &Functions\t?func=232 &About zirbin=231"}));
}

QAction* menuAction(ConsoleWindow& window, int command) {
  for (QAction* menu : window.menuBar()->actions()) {
    for (QAction* action : menu->menu()->actions()) {
      if (action->data().toInt() == command) return action;
    }
  }
  return nullptr;
}

TEST_F(DesktopTest, MenuEntriesThatStandForCommandsTypeThem) {
  type("r = 1");
  menuAction(window(), kCmdReset)->trigger();
  settle();
  EXPECT_EQ(markupLine(0, 1).substr(0, 22), "{g > {b:clear reset");
  type("r");
  EXPECT_EQ(markupLine(0, 0).rfind("{r ", 0), 0u) << "reset removed r";
  menuAction(window(), kCmdBasicHelp)->trigger();
  settle();
  EXPECT_NE(std::find(lines().begin(), lines().end(), "> ?"), lines().end());
  menuAction(window(), kCmdFunctions)->trigger();
  settle();
  const std::vector<std::string> shown = lines();
  EXPECT_NE(std::find(shown.begin(), shown.end(), "> ?func a"), shown.end());
}

TEST_F(DesktopTest, ExecuteRunsTheEditLine) {
  QTest::keyClicks(&console(), "e = 6 * 7");
  menuAction(window(), kCmdExecute)->trigger();
  settle();
  EXPECT_EQ(lastLine(0, 0), "42");
}

TEST_F(DesktopTest, RunClipboardExecAndClearClipboard) {
  QApplication::clipboard()->setText("a = 7\nb = a + 1;;\n");
  menuAction(window(), kCmdRunClipboard)->trigger();
  settle();
  EXPECT_EQ(lastLine(0, 0), "8");
  QApplication::clipboard()->setText("zz = 3;;");
  QTest::keyClick(&console(), Qt::Key_F9);
  settle();
  EXPECT_EQ(lastLine(0, 0), "3");
  QApplication::clipboard()->setText("zd = 4;;");
  window().findChild<QPushButton*>("Exec")->click();
  settle();
  EXPECT_EQ(lastLine(0, 0), "4");
  menuAction(window(), kCmdClearClipboard)->trigger();
  EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
  const std::size_t before = lines().size();
  window().findChild<QPushButton*>("Exec")->click();  // nothing to run
  settle();
  EXPECT_EQ(lines().size(), before);
}

TEST_F(DesktopTest, AgainRunsThePreviousCommandOnceMore) {
  type("n = 1");
  type("n = n + 1");
  window().findChild<QPushButton*>("Again")->click();
  settle();
  EXPECT_EQ(markupLine(0, 1), "{g > {b:n = n + 1");
  EXPECT_EQ(lastLine(0, 0), "3");
}

TEST_F(DesktopTest, EightZoomStepsDoubleTheFontAndCtrlWheelZooms) {
  const int before = console().view().pixelSize();
  for (int i = 0; i < 8; ++i) menuAction(window(), kCmdZoomIn)->trigger();
  EXPECT_EQ(console().view().pixelSize(), 2 * before);
  for (int i = 0; i < 8; ++i) menuAction(window(), kCmdZoomOut)->trigger();
  EXPECT_EQ(console().view().pixelSize(), before);
  const QPointF at(50, 50);
  QWheelEvent towardUser(at, console().mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&console(), &towardUser);
  EXPECT_NEAR(console().view().fontSize(), gui::kDefaultFontSize * gui::kZoomOutFactor, 1e-9);
}

TEST_F(DesktopTest, WheelScrollsThreeLinesPerNotch) {
  type("for i = 1:100: {disp(i)}");
  const int64_t bottom = console().view().topLine();
  const QPointF at(50, 50);
  QWheelEvent away(at, console().mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&console(), &away);
  EXPECT_EQ(console().view().topLine(), bottom - 3);
  QTest::keyClicks(&console(), "x");  // typing brings the edit line back
  EXPECT_EQ(console().view().topLine(), bottom);
}

TEST_F(DesktopTest, DraggingSelectsAndCtrlCCopies) {
  type("disp(\"hello world\")");
  ConsoleWidget& w = console();
  const int64_t line = 1;  // the output line below the echo
  const int row = static_cast<int>(line - w.view().topLine());
  const int y = row * w.view().lineHeight() + w.view().lineHeight() / 2;
  const double cw = w.view().charWidth();
  QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(2 + static_cast<int>(6 * cw), y));
  QTest::mouseMove(&w, QPoint(2 + static_cast<int>(11 * cw), y));
  QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier,
                      QPoint(2 + static_cast<int>(11 * cw), y));
  ASSERT_TRUE(w.view().hasSelection());
  QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "world");
  QApplication::clipboard()->setText("pasted");
  QTest::keyClick(&w, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(w.editor().line(), "pasted");
}

TEST_F(DesktopTest, DoubleClickOnAPreviousCommandRunsItAgain) {
  type("t = 11");
  type("u = 1");
  ConsoleWidget& w = console();
  const int row = static_cast<int>(0 - w.view().topLine());  // the echo of "t = 11"
  QTest::mouseDClick(&w, Qt::LeftButton, Qt::NoModifier,
                     QPoint(30, row * w.view().lineHeight() + 3));
  settle();
  EXPECT_EQ(markupLine(0, 1), "{g > {b:t = 11");
}

TEST_F(DesktopTest, ClickOnAnUnderlinedWordAsksForHelpOnIt) {
  app().primary().output().print("see {=sin} here", true, session::kPrintLines);
  app().primary().output().newLine();
  settle();
  ConsoleWidget& w = console();
  const int64_t line = app().primary().output().snapshot(INT64_MAX, 0).last - 1;
  const int row = static_cast<int>(line - w.view().topLine());
  const int x = 2 + static_cast<int>(5.5 * w.view().charWidth());
  QTest::mouseClick(&w, Qt::LeftButton, Qt::NoModifier,
                    QPoint(x, row * w.view().lineHeight() + 3));
  settle();
  const std::vector<std::string> shown = lines();
  EXPECT_NE(std::find(shown.begin(), shown.end(), "> ?sin"), shown.end());
}

TEST_F(DesktopTest, The351stLinePushesTheFirstOut) {
  type("for i = 1:351: {disp(i)}");
  gui::SharedConsole& out = app().primary().output();
  const gui::ConsoleSnapshot range = out.snapshot(0, 1);
  EXPECT_EQ(range.last, 352);  // the echo, 351 lines, the empty current line
  EXPECT_EQ(range.first, 3);
  EXPECT_EQ(out.line(0), "");
  EXPECT_EQ(gui::plainText(out.line(351)), "351");
  EXPECT_EQ(console().view().topLine(), range.last - console().view().usableLines(console().height()) + 1);
}

TEST_F(DesktopTest, MessageBoxIsAnsweredAndGetlineAndGetchReadTheConsole) {
  std::string boxText;
  answerModal([&boxText](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    boxText = box->text().toStdString();
    box->button(QMessageBox::Ok)->click();
  });
  type("m = messageBox(\"hello there\")");
  EXPECT_EQ(boxText, "hello there");
  EXPECT_EQ(lastLine(0, 0), "1");

  QTest::keyClicks(&console(), "s = getline(\"name? \")");
  QTest::keyClick(&console(), Qt::Key_Return);
  ASSERT_TRUE(waitFor([this] { return console().reading(); }));
  QTest::keyClicks(&console(), "bob");
  QTest::keyClick(&console(), Qt::Key_Return);
  settle();
  EXPECT_EQ(lastLine(0, 1), "name? bob");
  EXPECT_EQ(lastLine(0, 0), "bob");

  QTest::keyClicks(&console(), "k = getch");
  QTest::keyClick(&console(), Qt::Key_Return);
  ASSERT_TRUE(waitFor([this] { return console().reading(); }));
  QTest::keyClicks(&console(), "a");
  settle();
  EXPECT_EQ(lastLine(0, 0), "97");
}

TEST_F(DesktopTest, AbortStopsARunningLoopAndAWait) {
  type("k = 0");
  QTest::keyClicks(&console(), "while 1: k += 1");
  QTest::keyClick(&console(), Qt::Key_Return);
  QTest::qWait(100);
  EXPECT_EQ(app().primary().pendingCommands(), 1);
  menuAction(window(), kCmdAbort)->trigger();
  settle();
  type("k > 0");
  EXPECT_EQ(lastLine(0, 0), "1");

  QTest::keyClicks(&console(), "s = getline(\"? \")");
  QTest::keyClick(&console(), Qt::Key_Return);
  ASSERT_TRUE(waitFor([this] { return console().reading(); }));
  menuAction(window(), kCmdAbort)->trigger();
  settle();
  EXPECT_FALSE(console().reading());
  type("1 + 1");
  EXPECT_EQ(lastLine(0, 0), "2");
}

TEST_F(DesktopTest, FolderBrowserIsTitledCdAndStartsAtTheCurrentDirectory) {
  testing::TempDir folder;
  type("cd \"" + folder.path() + "\"");
  std::string title;
  std::string directory;
  answerModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle().toStdString();
    directory = dialog->directory().absolutePath().toStdString();
    dialog->reject();
  });
  menuAction(window(), kCmdBrowse)->trigger();
  settle();
  EXPECT_EQ(title, "cd ...");
  EXPECT_EQ(std::filesystem::canonical(directory), std::filesystem::canonical(folder.path()));
}

TEST_F(DesktopTest, AboutNamesTheProgramAndItsVersion) {
  std::string text;
  answerModal([&text](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    text = box->text().toStdString();
    box->accept();
  });
  menuAction(window(), kCmdAboutMenu)->trigger();
  EXPECT_EQ(text.rfind(std::string("zirbin2020 ") + ZIRBIN_VERSION, 0), 0u) << text;
}

TEST_F(DesktopTest, SecondaryConsoleHasItsOwnWorkspaceAndClosesAlone) {
  type("shared = 1");
  menuAction(window(), kCmdLaunch)->trigger();
  settle();
  ASSERT_EQ(app().consoles().size(), 2u);
  EXPECT_EQ(window(1).windowTitle(), "secondary Zirbin");
  EXPECT_EQ(window(1).pos(), QPoint(120, 50));
  type("shared", 1);
  EXPECT_EQ(markupLine(1, 0).rfind("{r ", 0), 0u) << "the secondary does not see it";
  type("mine = 2", 1);
  type("mine");
  EXPECT_EQ(markupLine(0, 0).rfind("{r ", 0), 0u) << "nor the primary the secondary's";
  window(1).close();
  settle();
  ASSERT_TRUE(waitFor([this] { return app().consoles().size() == 1; }));
  type("shared + 1");
  EXPECT_EQ(lastLine(0, 0), "2");
}

TEST_F(DesktopTest, ClosingThePrimaryWritesTheStateFilesAndTheNextStartRestoresThem) {
  type("kept = 42");
  window().close();
  EXPECT_TRUE(app().closing());
  app_.reset();
  EXPECT_TRUE(std::filesystem::exists(state_.file("zirbin_env.bin")));
  EXPECT_TRUE(std::filesystem::exists(state_.file("zirbin_comm.bin")));
  start();
  type("kept");
  EXPECT_EQ(lastLine(0, 0), "42");
  QTest::keyClick(&console(), Qt::Key_Up);
  QTest::keyClick(&console(), Qt::Key_Up);
  EXPECT_EQ(console().editor().line(), "kept = 42");
}

TEST_F(DesktopTest, QuitClosesItsConsoleAndExitInThePrimaryEndsWithItsStatus) {
  menuAction(window(), kCmdLaunch)->trigger();
  settle();
  ASSERT_EQ(app().consoles().size(), 2u);
  type("quit", 1);
  ASSERT_TRUE(waitFor([this] { return app().consoles().size() == 1; }));
  EXPECT_FALSE(app().closing()) << "a secondary's quit ends that console alone";
  type("kept = 7");
  type("exit(3)");
  ASSERT_TRUE(waitFor([this] { return app().closing(); }));
  EXPECT_EQ(app().exitStatus(), 3);
  app_.reset();
  EXPECT_TRUE(std::filesystem::exists(state_.file("zirbin_env.bin")));
  start();
  type("kept");
  EXPECT_EQ(lastLine(0, 0), "7");
}

}  // namespace
}  // namespace zirbin::platform::qt
