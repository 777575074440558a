// The debugger dialog and its stops through the real widgets: layout, the buttons, Enter,
// Esc and closing, the source control, and the stops shown in it.
#include <optional>
#include <vector>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "platform/qt/debugger_dialog.h"
#include "platform/qt/debugger_stops.h"

using zirbin::platform::qt::DebuggerDialog;
using zirbin::platform::qt::DebuggerStops;
using zirbin::platform::qt::placeBeside;
using zirbin::session::DebugCommand;
using zirbin::session::DebugView;

namespace {

DebugView topLevelStop() { return {"Breakpoint at line 0", "expr value", "3", ""}; }

DebugView functionStop() {
  return {"Breakpoint at line 4 in f", "expr value\nLocals:\na\nb", "(1x12) 1 2 ...\n\n7\nhi",
          "function y = f(a)\r\n  b = 'hi'\r\n  y = a;!\r\nend"};
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// The answers a dialog or a stop gives, in order.
struct Answers {
  std::vector<DebugCommand> list;
  std::function<void(DebugCommand)> recorder() {
    return [this](DebugCommand command) { list.push_back(command); };
  }
};

}  // namespace

class DebuggerDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void buttonsSitAlongTheBottomAtTheirOffsets() {
    DebuggerDialog dialog(nullptr);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(dialog.size(), QSize(DebuggerDialog::kWidth, DebuggerDialog::kHeight));
    for (const QSize size : {QSize(712, 600), QSize(900, 750)}) {
      dialog.resize(size);
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      const int top = size.height() - 28;
      QCOMPARE(dialog.haltButton()->geometry(), QRect(size.width() - 148, top, 37, 26));
      QCOMPARE(dialog.stepButton()->geometry(), QRect(size.width() - 105, top, 37, 26));
      QCOMPARE(dialog.contButton()->geometry(), QRect(size.width() - 64, top, 37, 26));
    }
    QCOMPARE(dialog.haltButton()->text(), QStringLiteral("Halt"));
    QCOMPARE(dialog.stepButton()->text(), QStringLiteral("Step"));
    QCOMPARE(dialog.contButton()->text(), QStringLiteral("Cont"));
  }

  void topLevelStopShowsCaptionAndNoSource() {
    DebuggerDialog dialog(nullptr);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.showStop(topLevelStop());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Breakpoint at line 0"));
    QCOMPARE(dialog.labelColumn()->text(), QStringLiteral("expr value"));
    QCOMPARE(dialog.valueColumn()->text(), QStringLiteral("3"));
    QVERIFY(dialog.sourceControl() == nullptr);
    // The two columns sit side by side, left of where the source goes.
    QCOMPARE(dialog.labelColumn()->y(), dialog.valueColumn()->y());
    QVERIFY(dialog.labelColumn()->geometry().right() < dialog.valueColumn()->x());
    QVERIFY(dialog.valueColumn()->geometry().right() < DebuggerDialog::kSourceLeft);
  }

  void functionStopFillsColumnsAndSourceControl() {
    DebuggerDialog dialog(nullptr);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.showStop(functionStop());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Breakpoint at line 4 in f"));
    QCOMPARE(dialog.labelColumn()->text(), QStringLiteral("expr value\nLocals:\na\nb"));
    QCOMPARE(dialog.valueColumn()->text(), QStringLiteral("(1x12) 1 2 ...\n\n7\nhi"));
    QPlainTextEdit* source = dialog.sourceControl();
    QVERIFY(source != nullptr);
    QCOMPARE(source->geometry(), QRect(300, 1, 400, 500));
    QVERIFY(source->isReadOnly());
    QVERIFY(source->isVisible());
    QCOMPARE(source->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(source->blockCount(), 4);
    QCOMPARE(source->toPlainText(),
             QStringLiteral("function y = f(a)\n  b = 'hi'\n  y = a;!\nend"));
    // For a person to look at: the dialog as it shows this stop, in the build directory.
    QVERIFY(dialog.grab().save(QStringLiteral("debugger_dialog.png")));
    // A stepping stop has no source of its own: the function's lines stay in sight.
    dialog.showStop({"Stepping at line 5", "expr value", "2", ""});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Stepping at line 5"));
    QCOMPARE(dialog.labelColumn()->text(), QStringLiteral("expr value"));
    QCOMPARE(dialog.sourceControl(), source);
    QCOMPARE(source->blockCount(), 4);
    // Values are plain text, never rich text.
    dialog.showStop({"Breakpoint at line 0", "expr value", "<b>x</b>", ""});
    QCOMPARE(dialog.valueColumn()->textFormat(), Qt::PlainText);
  }

  void buttonsAnswerAndHideOrStay() {
    DebuggerDialog dialog(nullptr);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    Answers spy;
    dialog.onAnswer = spy.recorder();
    const struct {
      QPushButton* button;
      DebugCommand answer;
      bool staysVisible;
    } cases[] = {{dialog.stepButton(), DebugCommand::kStep, true},
                 {dialog.contButton(), DebugCommand::kContinue, false},
                 {dialog.haltButton(), DebugCommand::kHalt, false}};
    for (const auto& c : cases) {
      dialog.showStop(topLevelStop());
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      QTest::mouseClick(c.button, Qt::LeftButton);
      QCOMPARE(spy.list.size(), 1);
      QCOMPARE(spy.list.back(), c.answer);
      QCOMPARE(dialog.isVisible(), c.staysVisible);
      spy.list.clear();
    }
  }

  void enterStepsWhereverTheFocusIs() {
    DebuggerDialog dialog(nullptr);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.showStop(functionStop());
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    Answers spy;
    dialog.onAnswer = spy.recorder();
    for (QWidget* focus :
         {static_cast<QWidget*>(&dialog), static_cast<QWidget*>(dialog.contButton()),
          static_cast<QWidget*>(dialog.haltButton()),
          static_cast<QWidget*>(dialog.sourceControl())}) {
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        spy.list.clear();
        QTest::keyClick(focus, key);
        QCOMPARE(spy.list.size(), 1);
        QCOMPARE(spy.list.back(), DebugCommand::kStep);
        QVERIFY(dialog.isVisible());
      }
    }
  }

  void escapeAndClosingAnswerCloseAndDeleteTheDialog() {
    for (bool byEscape : {true, false}) {
      QPointer<DebuggerDialog> dialog = new DebuggerDialog(nullptr);
      Answers spy;
      dialog->onAnswer = spy.recorder();
      dialog->showStop(topLevelStop());
      QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
      if (byEscape) {
        QTest::keyClick(dialog->stepButton(), Qt::Key_Escape);
      } else {
        dialog->close();
      }
      QCOMPARE(spy.list.size(), 1);
      QCOMPARE(spy.list.back(), DebugCommand::kClose);
      flushDeletes();
      QVERIFY(dialog.isNull());
    }
  }

  void placedBesideTheConsole() {
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(712, 600);
    // Right of the console, top to top.
    QCOMPARE(placeBeside(QRect(10, 20, 700, 500), size, screen), QRect(QPoint(710, 20), size));
    // No room on the right: on the left.
    QCOMPARE(placeBeside(QRect(1000, 30, 800, 500), size, screen), QRect(QPoint(288, 30), size));
    // No room on either side: against the right edge; kept on the screen vertically.
    QCOMPARE(placeBeside(QRect(300, 900, 1400, 500), size, screen), QRect(QPoint(1208, 480), size));
    // A screen smaller than the dialog: its top left corner stays on the screen.
    QCOMPARE(placeBeside(QRect(0, 0, 100, 100), size, QRect(0, 0, 640, 480)),
             QRect(QPoint(0, 0), size));
  }

  // Each stop is answered once by the button pressed; the dialog is reused until closed
  // and made again at the next stop, beside its console.
  void eachStopIsAnsweredOnceAndTheDialogReusedUntilClosed() {
    QWidget console;
    console.setGeometry(0, 0, 200, 150);
    console.show();
    DebuggerStops stops(&console);
    Answers answers;
    Answers outside;
    stops.onAnswerOutsideStop = outside.recorder();

    stops.show(topLevelStop(), answers.recorder());
    QPointer<DebuggerDialog> first = stops.dialog();
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->geometry(), placeBeside(console.frameGeometry(), first->size(),
                                            console.screen()->availableGeometry()));
    QTest::mouseClick(first->stepButton(), Qt::LeftButton);
    QTest::mouseClick(first->stepButton(), Qt::LeftButton);  // no stop waits any more
    QCOMPARE(answers.list, std::vector{DebugCommand::kStep});
    QCOMPARE(outside.list, std::vector{DebugCommand::kStep});

    stops.show(functionStop(), answers.recorder());
    QCOMPARE(stops.dialog(), first.data());
    QTest::keyClick(first.data(), Qt::Key_Enter);
    stops.show(topLevelStop(), answers.recorder());
    QTest::mouseClick(first->haltButton(), Qt::LeftButton);
    QVERIFY(!first->isVisible());
    stops.show(topLevelStop(), answers.recorder());
    QVERIFY(first->isVisible());
    first->close();
    QCOMPARE(answers.list, (std::vector{DebugCommand::kStep, DebugCommand::kStep,
                                        DebugCommand::kHalt, DebugCommand::kClose}));
    flushDeletes();
    QVERIFY(first.isNull());
    QVERIFY(stops.dialog() == nullptr);
    QCOMPARE(outside.list.size(), size_t{1});  // the deletion answered nothing more

    stops.show(functionStop(), answers.recorder());
    QVERIFY(stops.dialog() != nullptr);
    QVERIFY(stops.dialog()->sourceControl() != nullptr);
    QTest::mouseClick(stops.dialog()->contButton(), Qt::LeftButton);
    QCOMPARE(answers.list.back(), DebugCommand::kContinue);
  }

  // An interrupted stop: the dialog goes out of sight and a later button answers no stop.
  void endStopHidesTheDialogAndDropsTheReply() {
    QWidget console;
    console.show();
    DebuggerStops stops(&console);
    Answers answers;
    Answers outside;
    stops.onAnswerOutsideStop = outside.recorder();
    stops.show(topLevelStop(), answers.recorder());
    stops.endStop();
    QVERIFY(!stops.dialog()->isVisible());
    QTest::mouseClick(stops.dialog()->contButton(), Qt::LeftButton);
    QVERIFY(answers.list.empty());
    QCOMPARE(outside.list, std::vector{DebugCommand::kContinue});
  }

  void aDialogDeletedWithoutAnAnswerAnswersClose() {
    QWidget console;
    console.show();
    DebuggerStops stops(&console);
    Answers answers;
    stops.show(topLevelStop(), answers.recorder());
    delete stops.dialog();
    QCOMPARE(answers.list, std::vector{DebugCommand::kClose});
    QVERIFY(stops.dialog() == nullptr);
  }
};

QTEST_MAIN(DebuggerDialogTest)
#include "debugger_dialog_test.moc"
