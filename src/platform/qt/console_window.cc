// The console window's menus, control bar and commands.
#include "platform/qt/console_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/desktop_app.h"
#include "base/errors.h"
#include "session/interpreter_session.h"
#include "session/version.h"

namespace zirbin::platform::qt {

namespace {

// The window's place and size: the primary console and a secondary one, offset so that
// both can be seen.
constexpr QPoint kPrimaryPosition(100, 30);
constexpr QPoint kSecondaryPosition(120, 50);
constexpr QSize kWindowSize(840, 600);
// The control bar's height (its black frame is 26 pixels high).
constexpr int kBarHeight = 26;

struct MenuEntry {
  const char* label;  // access key after '&', key hint after the tab
  int command;
};
constexpr MenuEntry kFileMenu[] = {
    {"&Restore", kCmdRestore}, {"&Save", kCmdSave}, {"&cd ?", kCmdBrowse},
    {"E&xit\tAlt-F4", kCmdExit}};
constexpr MenuEntry kRunMenu[] = {
    {"&Reset", kCmdReset},
    {"&Execute\t<ret>", kCmdExecute},
    {"&Abort", kCmdAbort},
    {"Run &clipboard\tF9", kCmdRunClipboard},
    {"C&lear clipboard", kCmdClearClipboard},
    {"&Launch zirbin", kCmdLaunch}};
constexpr MenuEntry kViewMenu[] = {{"Zoom &in\t<<", kCmdZoomIn}, {"Zoom &out\t>>", kCmdZoomOut}};
constexpr MenuEntry kHelpMenu[] = {
    {"&Basic help\t??", kCmdBasicHelp},
    {"&Functions\t?func", kCmdFunctions},
    {"&About zirbin", kCmdAboutMenu}};

}  // namespace

ConsoleWindow::ConsoleWindow(ConsoleSession& session) : session_(session) {
  setWindowTitle(session.secondary() ? "secondary Zirbin" : "Zirbin 5a");
  move(session.secondary() ? kSecondaryPosition : kPrimaryPosition);
  resize(kWindowSize);
  createMenus();

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(createControlBar());
  auto* row = new QHBoxLayout;
  row->setSpacing(0);
  scrollBar_ = new QScrollBar(Qt::Vertical, central);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  ConsoleWidget::Handlers handlers;
  handlers.lineCompleted = [this](const std::string& line) {
    session_.submit(line, session::kTypedMode);
  };
  handlers.command = [this](int id) { command(id); };
  console_ = new ConsoleWidget(session.output(), session.history(), *scrollBar_,
                               std::move(handlers), central);
  row->addWidget(console_, 1);
  row->addWidget(scrollBar_);
  column->addLayout(row, 1);
  setCentralWidget(central);
  console_->setFocus();
}

void ConsoleWindow::createMenus() {
  const auto addMenu = [this](const char* title, const auto& entries) {
    QMenu* menu = menuBar()->addMenu(title);
    for (const MenuEntry& entry : entries) {
      QAction* action = menu->addAction(entry.label);
      action->setData(entry.command);
      const int id = entry.command;
      connect(action, &QAction::triggered, this, [this, id] { command(id); });
    }
  };
  addMenu("&File", kFileMenu);
  addMenu("&Run", kRunMenu);
  addMenu("&View", kViewMenu);
  addMenu("&Help", kHelpMenu);
}

QWidget* ConsoleWindow::createControlBar() {
  auto* bar = new QFrame(this);
  bar->setObjectName("controlBar");
  bar->setFixedHeight(kBarHeight);
  bar->setStyleSheet("#controlBar { border: 1px solid black; background: black; }");
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(2);
  directories_ = new QComboBox(bar);
  directories_->setFocusPolicy(Qt::NoFocus);
  directories_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  connect(directories_, &QComboBox::activated, this, [this](int index) { chooseDirectory(index); });
  layout->addWidget(directories_, 1);
  const auto addButton = [&](const char* label, int id) {
    auto* button = new QPushButton(label, bar);
    button->setObjectName(label);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, id] { command(id); });
    layout->addWidget(button);
  };
  addButton("Exec", kCmdExecButton);
  addButton("Again", kCmdAgainButton);
  return bar;
}

void ConsoleWindow::command(int id) {
  switch (id) {
    case kCmdExit:
      close();
      break;
    case kCmdRestore:
    case kCmdSave:
    case kCmdBrowse:
      typeText("cd ?");
      break;
    case kCmdReset:
      typeText("clear reset");
      break;
    case kCmdExecute:
      console_->typeChar(gui::kCharEnter);
      break;
    case kCmdAbort:
      session_.abort();
      break;
    case kCmdRunClipboard:
    case kCmdRunClipboardKey:
      runClipboard();
      break;
    case kCmdClearClipboard:
      QApplication::clipboard()->clear();
      break;
    case kCmdLaunch:
      if (session_.app().launchSecondary() == nullptr) {
        QMessageBox::information(nullptr, "info", "launch of secondary Zirbin failed");
      }
      break;
    case kCmdZoomIn:
    case kCmdZoomOut:
      console_->zoom(id == kCmdZoomIn);
      break;
    case kCmdBasicHelp:
      typeText("?");
      break;
    case kCmdFunctions:
      typeText("?func a");
      break;
    case kCmdAbout:
    case kCmdAboutMenu:
      showAbout();
      break;
    case kCmdPaste:
      console_->editor().insertText(QApplication::clipboard()->text().toStdString());
      console_->update();
      break;
    case kCmdCopy:
      if (console_->view().hasSelection()) {
        QApplication::clipboard()->setText(QString::fromStdString(console_->selectedText()));
      }
      break;
    case kCmdExecButton:
      if (!QApplication::clipboard()->text().isEmpty()) runClipboard();
      console_->setFocus();
      break;
    case kCmdAgainButton:
      console_->editor().onKey(gui::EditKey::kUp, false);
      console_->typeChar(gui::kCharEnter);
      console_->setFocus();
      break;
    default:  // F5 (116) and anything else: no action
      break;
  }
}

// The clipboard is read now, when the user asks, and runs as a pasted command.
void ConsoleWindow::runClipboard() {
  session_.submit(gui::clipboardLines(QApplication::clipboard()->text().toStdString()),
                  session::kClipboardMode, /*paste=*/true);
}

void ConsoleWindow::showAbout() {
  QMessageBox::about(this, "About zirbin",
                     QString("zirbin2020 %1\nan interactive numerical-computing environment")
                         .arg(session::kVersion));
}

void ConsoleWindow::chooseDirectory(int index) {
  if (index < 0) return;
  const std::string directory = directories_->itemText(index).toStdString();
  session_.post([directory](session::InterpreterSession& interpreter) {
    try {
      interpreter.pathList().setDirectory(directory);
    } catch (const session::RuntimeError& error) {
      interpreter.reportError(error.text);
    }
  });
  console_->setFocus();
}

void ConsoleWindow::showState(const SessionState& state) {
  const QSignalBlocker block(directories_);
  directories_->clear();
  for (const std::string& directory : state.recentDirectories) {
    directories_->addItem(QString::fromStdString(directory));
  }
  directories_->setCurrentIndex(
      directories_->findText(QString::fromStdString(state.selectedDirectory)));
  console_->setPrompt(state.prompt);
}

void ConsoleWindow::commandsChanged() { console_->setIdle(session_.pendingCommands() == 0); }

void ConsoleWindow::beginReadLine(std::function<void(std::string)> reply) {
  console_->beginReadLine(std::move(reply));
}

void ConsoleWindow::beginReadKey(std::function<void(int)> reply) {
  console_->beginReadKey(std::move(reply));
}

void ConsoleWindow::cancelRead() { console_->cancelRead(); }

void ConsoleWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  session_.app().closeConsole(session_);
}

void ConsoleWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    session_.app().setCurrent(&session_);
  }
  QMainWindow::changeEvent(event);
}

}  // namespace zirbin::platform::qt
