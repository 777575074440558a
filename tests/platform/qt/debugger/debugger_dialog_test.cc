// The debugger dialog and its stops through the real widgets: layout, the buttons, Enter,
// Esc and closing, the source control, and the interpreter thread's wait for an answer.
#include <atomic>
#include <future>
#include <optional>
#include <thread>
#include <vector>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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

  // The interpreter thread waits in the stop; every button answers it, the dialog is
  // reused until closed and made again afterwards, beside its console.
  void interpreterThreadWaitsForEachAnswer() {
    QWidget console;
    console.setGeometry(0, 0, 200, 150);
    console.show();
    DebuggerStops stops(&console);
    auto never = [] { return false; };

    // The answer the waiting thread gets when `press` acts on the dialog showing `view`;
    // nullopt when the dialog never shows it or the wait never ends.
    // Each stop gets a caption of its own, so that the dialog is seen showing it.
    int stopCount = 0;
    auto answerWith = [&](DebugView view, auto press) -> std::optional<DebugCommand> {
      view.caption += " (" + std::to_string(++stopCount) + ")";
      auto result = std::async(std::launch::async, [&] { return stops.wait(view, never); });
      const bool shown = QTest::qWaitFor([&] {
        return stops.dialog() && stops.dialog()->isVisible() &&
               stops.dialog()->windowTitle() == QString::fromStdString(view.caption);
      });
      if (shown) press(stops.dialog());
      if (!QTest::qWaitFor([&] {
            return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
          })) {
        stops.wake();
        return std::nullopt;
      }
      return shown ? result.get() : std::nullopt;
    };

    auto click = [](QPushButton* (DebuggerDialog::*which)() const) {
      return [which](DebuggerDialog* dialog) {
        QTest::mouseClick((dialog->*which)(), Qt::LeftButton);
      };
    };
    QCOMPARE(answerWith(topLevelStop(), click(&DebuggerDialog::stepButton)),
             std::optional(DebugCommand::kStep));
    QPointer<DebuggerDialog> first = stops.dialog();
    QVERIFY(first->x() >= console.frameGeometry().right() ||
            first->geometry().right() < console.frameGeometry().left() ||
            first->geometry().right() == console.screen()->availableGeometry().right());
    QCOMPARE(answerWith(functionStop(), click(&DebuggerDialog::contButton)),
             std::optional(DebugCommand::kContinue));
    QCOMPARE(stops.dialog(), first.data());
    QVERIFY(!first->isVisible());
    QCOMPARE(answerWith(topLevelStop(), click(&DebuggerDialog::haltButton)),
             std::optional(DebugCommand::kHalt));
    QCOMPARE(
        answerWith(topLevelStop(), [](DebuggerDialog* d) { QTest::keyClick(d, Qt::Key_Enter); }),
        DebugCommand::kStep);
    QCOMPARE(answerWith(topLevelStop(), [](DebuggerDialog* d) { d->close(); }),
             DebugCommand::kClose);
    flushDeletes();
    QVERIFY(first.isNull());
    QVERIFY(stops.dialog() == nullptr);
    QCOMPARE(answerWith(functionStop(), click(&DebuggerDialog::contButton)),
             std::optional(DebugCommand::kContinue));
    QVERIFY(stops.dialog() != nullptr);
    QVERIFY(stops.dialog()->sourceControl() != nullptr);
  }

  void interruptEndsTheWaitAndHidesTheDialog() {
    QWidget console;
    console.show();
    DebuggerStops stops(&console);
    std::atomic<bool> interrupted = false;
    auto flag = [&] { return interrupted.load(); };
    auto result = std::async(std::launch::async, [&] { return stops.wait(topLevelStop(), flag); });
    QTRY_VERIFY(stops.dialog() && stops.dialog()->isVisible());
    interrupted = true;
    stops.wake();
    QTRY_VERIFY(result.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    QVERIFY(!result.get().has_value());
    QTRY_VERIFY(!stops.dialog()->isVisible());
    // Raised before the stop: no dialog at all comes up again for it.
    const QPointer<DebuggerDialog> dialog = stops.dialog();
    QVERIFY(!stops.wait(functionStop(), flag).has_value());
    QTest::qWait(20);
    QVERIFY(!dialog->isVisible());
  }

  void aDialogDeletedWithItsConsoleEndsTheWait() {
    auto* console = new QWidget;
    console->show();
    auto* stops = new DebuggerStops(console);
    auto result = std::async(std::launch::async,
                             [&] { return stops->wait(topLevelStop(), [] { return false; }); });
    QTRY_VERIFY(stops->dialog() && stops->dialog()->isVisible());
    delete stops->dialog();
    QTRY_VERIFY(result.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    QCOMPARE(result.get(), std::optional(DebugCommand::kClose));
    delete console;
  }

  // A stop on the GUI thread itself runs a local event loop: timers keep firing in it.
  void waitOnTheGuiThreadKeepsEventsFlowing() {
    QWidget console;
    console.show();
    DebuggerStops stops(&console);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    QTimer::singleShot(100,
                       [&] { QTest::mouseClick(stops.dialog()->contButton(), Qt::LeftButton); });
    QCOMPARE(stops.wait(topLevelStop(), [] { return false; }),
             std::optional(DebugCommand::kContinue));
    QVERIFY(ticks >= 3);
  }

  void buttonsBetweenStopsAreReportedApart() {
    QWidget console;
    console.show();
    DebuggerStops stops(&console);
    Answers outside;
    stops.onAnswerOutsideStop = outside.recorder();
    QTimer::singleShot(0, [&] { QTest::mouseClick(stops.dialog()->stepButton(), Qt::LeftButton); });
    QCOMPARE(stops.wait(topLevelStop(), [] { return false; }), std::optional(DebugCommand::kStep));
    QCOMPARE(outside.list.size(), 0);
    // Stepping keeps the dialog in sight while the command runs on; "Cont" then is no
    // answer to a stop but still ends stepping.
    QVERIFY(stops.dialog()->isVisible());
    QTest::mouseClick(stops.dialog()->contButton(), Qt::LeftButton);
    QCOMPARE(outside.list.size(), 1);
    QCOMPARE(outside.list.back(), DebugCommand::kContinue);
  }
};

QTEST_MAIN(DebuggerDialogTest)
#include "debugger_dialog_test.moc"
