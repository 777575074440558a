// The debugger dialog: a modeless window beside the console showing one debugger stop
// (caption, the label and value columns, the source lines around the stop) with the
// buttons "Cont", "Step" and "Halt".
#pragma once

#include <functional>

#include <QDialog>
#include <QRect>
#include <QSize>

#include "base/host.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zirbin::platform::qt {

// Where a dialog of `size` goes beside a console whose window covers `console`, on a screen
// whose usable area is `screen`: right of the console when it fits there, else left of it,
// else against the screen's right edge; its top is the console's top, kept on the screen.
QRect placeBeside(const QRect& console, const QSize& size, const QRect& screen);

class DebuggerDialog : public QDialog {
 public:
  // The dialog's first size: 380 x 300 dialog units of its 10-point font, widened so
  // that the source control (300 + 400 pixels) fits.
  static constexpr int kWidth = 712;
  static constexpr int kHeight = 600;
  // The source control: a fixed place and size in pixels.
  static constexpr int kSourceLeft = 300;
  static constexpr int kSourceTop = 1;
  static constexpr int kSourceWidth = 400;
  static constexpr int kSourceHeight = 500;
  // The buttons along the bottom: their size, how far their tops are above the bottom
  // edge, and how far each one's left side is from the right edge.
  static constexpr int kButtonWidth = 37;
  static constexpr int kButtonHeight = 26;
  static constexpr int kButtonRise = 28;
  static constexpr int kHaltFromRight = 148;
  static constexpr int kStepFromRight = 105;
  static constexpr int kContFromRight = 64;

  // A hidden dialog; it deletes itself when closed. `parent` is the console's window.
  explicit DebuggerDialog(QWidget* parent);
  DebuggerDialog(const DebuggerDialog&) = delete;
  DebuggerDialog& operator=(const DebuggerDialog&) = delete;

  // Fills the dialog with `view`, shows it and gives it the focus. A view without source
  // lines leaves the source control as the last stop with source left it (a stepping stop
  // keeps the function's source in sight); until one comes there is no source control.
  void showStop(const session::DebugView& view);

  // The parts of the dialog, for the front end's tests.
  QLabel* labelColumn() const { return labels_; }
  QLabel* valueColumn() const { return values_; }
  QPlainTextEdit* sourceControl() const { return source_; }
  QPushButton* contButton() const { return cont_; }
  QPushButton* stepButton() const { return step_; }
  QPushButton* haltButton() const { return halt_; }

  // Called with the user's choice: a button, Enter (kStep), or Esc and closing (kClose).
  // After kContinue and kHalt the dialog hides; after kStep it stays in sight for the next
  // stop; after kClose it is deleted.
  std::function<void(session::DebugCommand)> onAnswer;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void createColumns();
  void createButtons();
  void placeButtons();
  void answer(session::DebugCommand command);

  QLabel* labels_ = nullptr;
  QLabel* values_ = nullptr;
  QPlainTextEdit* source_ = nullptr;  // made at the first stop with source lines
  QPushButton* cont_ = nullptr;
  QPushButton* step_ = nullptr;
  QPushButton* halt_ = nullptr;
};

}  // namespace zirbin::platform::qt
