// The debugger dialog.
#include "platform/qt/debugger_dialog.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace zirbin::platform::qt {

namespace {
// The icon and the two text columns left of the source control.
constexpr int kMargin = 8;
constexpr int kIconSize = 32;
constexpr int kColumnsTop = kMargin + kIconSize + kMargin;
constexpr int kLabelWidth = 110;
constexpr int kValueLeft = kMargin + kLabelWidth + 4;
constexpr int kValueWidth = DebuggerDialog::kSourceLeft - 4 - kValueLeft;

QLabel* makeColumn(QWidget* parent, int left, int width) {
  auto* column = new QLabel(parent);
  column->setTextFormat(Qt::PlainText);  // values are the user's text, not markup
  column->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  column->setGeometry(left, kColumnsTop, width,
                      DebuggerDialog::kHeight - kColumnsTop - DebuggerDialog::kButtonRise - 4);
  return column;
}

// The source lines come joined with carriage return and line feed.
QString sourceText(const std::string& source) {
  QString text = QString::fromStdString(source);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}
}  // namespace

QRect placeBeside(const QRect& console, const QSize& size, const QRect& screen) {
  int left = console.right() + 1;
  if (left + size.width() > screen.right() + 1) {
    left = console.left() - size.width();
    if (left < screen.left()) left = screen.right() + 1 - size.width();
  }
  left = std::max(left, screen.left());
  int top = std::min(console.top(), screen.bottom() + 1 - size.height());
  top = std::max(top, screen.top());
  return QRect(QPoint(left, top), size);
}

DebuggerDialog::DebuggerDialog(QWidget* parent) : QDialog(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Breakpoint"));
  resize(kWidth, kHeight);
  createColumns();
  createButtons();
}

void DebuggerDialog::createColumns() {
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(kIconSize));
  icon->setGeometry(kMargin, kMargin, kIconSize, kIconSize);
  labels_ = makeColumn(this, kMargin, kLabelWidth);
  labels_->setText(QStringLiteral("expr value"));
  values_ = makeColumn(this, kValueLeft, kValueWidth);
}

void DebuggerDialog::createButtons() {
  auto make = [this](const char* text, session::DebugCommand command) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    // Enter means "Step" wherever the focus is, so no button takes it as its own.
    button->setAutoDefault(false);
    button->resize(kButtonWidth, kButtonHeight);
    connect(button, &QPushButton::clicked, this, [this, command] { answer(command); });
    return button;
  };
  cont_ = make("Cont", session::DebugCommand::kContinue);
  step_ = make("Step", session::DebugCommand::kStep);
  halt_ = make("Halt", session::DebugCommand::kHalt);
  placeButtons();
}

void DebuggerDialog::placeButtons() {
  const int top = height() - kButtonRise;
  halt_->move(width() - kHaltFromRight, top);
  step_->move(width() - kStepFromRight, top);
  cont_->move(width() - kContFromRight, top);
}

void DebuggerDialog::showStop(const session::DebugView& view) {
  setWindowTitle(QString::fromStdString(view.caption));
  labels_->setText(QString::fromStdString(view.labels));
  values_->setText(QString::fromStdString(view.values));
  values_->setToolTip(values_->text());  // a long summary is cut at the source control
  if (!view.source.empty()) {
    if (!source_) {
      source_ = new QPlainTextEdit(this);
      source_->setReadOnly(true);
      source_->setLineWrapMode(QPlainTextEdit::NoWrap);
      source_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      source_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
      source_->setGeometry(kSourceLeft, kSourceTop, kSourceWidth, kSourceHeight);
    }
    source_->setPlainText(sourceText(view.source));
    source_->show();
  }
  show();
  raise();
  activateWindow();
  setFocus();
}

void DebuggerDialog::answer(session::DebugCommand command) {
  if (command == session::DebugCommand::kContinue || command == session::DebugCommand::kHalt) {
    hide();
  }
  if (onAnswer) onAnswer(command);
}

void DebuggerDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  placeButtons();
}

void DebuggerDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      answer(session::DebugCommand::kStep);
      break;
    case Qt::Key_Escape:
      close();
      break;
    default:
      QDialog::keyPressEvent(event);
  }
}

void DebuggerDialog::reject() { close(); }

void DebuggerDialog::closeEvent(QCloseEvent* event) {
  event->accept();
  if (onAnswer) onAnswer(session::DebugCommand::kClose);
}

}  // namespace zirbin::platform::qt
