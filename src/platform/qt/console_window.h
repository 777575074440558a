// The console window of one interpreter session: the menus, the control bar (the recent
// directories, "Exec" and "Again") and the text area. Its commands are the numbered
// commands of the console's menu; menu entries that stand for commands type their text
// into the console so that it runs exactly as typed input.
#pragma once

#include <functional>
#include <string>

#include <QComboBox>
#include <QMainWindow>
#include <QScrollBar>

#include "platform/qt/console_widget.h"

namespace zirbin::platform::qt {

class ConsoleSession;
struct SessionState;

// Command numbers of the console's menu and control bar.
enum Command : int {
  kCmdAbout = 104,
  kCmdPaste = 106,
  kCmdCopy = 107,
  kCmdF5 = 116,
  kCmdRunClipboardKey = 120,
  kCmdExit = 201,
  kCmdRestore = 202,
  kCmdSave = 203,
  kCmdBrowse = 204,
  kCmdReset = 210,
  kCmdExecute = 211,
  kCmdAbort = 213,
  kCmdRunClipboard = 214,
  kCmdClearClipboard = 215,
  kCmdLaunch = 217,
  kCmdZoomIn = 220,
  kCmdZoomOut = 221,
  kCmdBasicHelp = 230,
  kCmdAboutMenu = 231,
  kCmdFunctions = 232,
  kCmdExecButton = 301,
  kCmdAgainButton = 304,
};

class ConsoleWindow : public QMainWindow {
 public:
  explicit ConsoleWindow(ConsoleSession& session);

  ConsoleWidget& console() { return *console_; }
  QComboBox& directories() { return *directories_; }

  // Carries out a numbered command (a menu entry, a button, a key of the editor).
  void command(int id);
  // Types `text` and Enter into the console.
  void typeText(const std::string& text) { console_->typeText(text); }

  // Called by the session (GUI thread).
  void showState(const SessionState& state);
  void commandsChanged();
  void beginReadLine(std::function<void(std::string)> reply);
  void beginReadKey(std::function<void(int)> reply);
  void cancelRead();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void createMenus();
  QWidget* createControlBar();
  void runClipboard();
  void showAbout();
  void chooseDirectory(int index);

  ConsoleSession& session_;
  QScrollBar* scrollBar_ = nullptr;
  ConsoleWidget* console_ = nullptr;
  QComboBox* directories_ = nullptr;
};

}  // namespace zirbin::platform::qt
