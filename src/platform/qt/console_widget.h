// The console's text area: draws the scroll-back buffer in markup and the edit line with
// its caret, feeds keys to the line editor, scrolls, zooms, selects and reacts to clicks
// on previous commands and help links. Output from the interpreter thread is picked up by
// a timer at screen rate, so any amount of output costs at most one repaint per frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QFont>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include "gui/console_view.h"
#include "gui/line_editor.h"
#include "gui/shared_console.h"

namespace zirbin::platform::qt {

// How often the output is looked at, in milliseconds (about the screen's rate).
inline constexpr int kRefreshMilliseconds = 16;

class ConsoleWidget : public QWidget {
 public:
  // What the widget asks of its window.
  struct Handlers {
    std::function<void(const std::string& line)> lineCompleted;  // Enter in command mode
    std::function<void(int command)> command;                    // window commands
  };

  ConsoleWidget(gui::SharedConsole& output, gui::CommandHistory& history, QScrollBar& scrollBar,
                Handlers handlers, QWidget* parent = nullptr);

  gui::LineEditor& editor() { return editor_; }
  gui::ConsoleView& view() { return view_; }

  // Types `text` and Enter, as keys typed by the user would.
  void typeText(const std::string& text);
  // Feeds one character message to the editor and acts on the result.
  void typeChar(int code);

  // Reading a line (getline) or a key (getch) for the interpreter; cancelRead ends either.
  void beginReadLine(std::function<void(std::string)> reply);
  void beginReadKey(std::function<void(int)> reply);
  void cancelRead();
  bool reading() const { return mode_ != Mode::kCommand; }

  // Whether the prompt is shown before the edit line (no command is running).
  void setIdle(bool idle);
  void setPrompt(const std::string& prompt);

  void zoom(bool in);
  // The selection as text (lines joined by "\n").
  std::string selectedText() const;
  // Takes the output written since the last look and repaints what changed.
  void refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  enum class Mode { kCommand, kLine, kKey };

  void handle(gui::EditResult result);
  void completeLine();
  void rebuildFonts();
  int rows() const;
  void updateScrollBar();
  void updateRow(int64_t line);
  void updateInputRow() { updateRow(inputLine()); }
  // The row of the edit line: the current line while it is empty or shows a getline
  // prompt, else the row below it.
  int64_t inputLine() const;
  const std::string& shown(int64_t line) const;  // cached text of a visible line
  void drawLine(QPainter& painter, int row, const std::string& markup);
  void drawInput(QPainter& painter, int row);
  void drawSelection(QPainter& painter, int row, int64_t line);
  const QFont& fontOf(char kind) const;
  int baseline(int row) const;

  gui::SharedConsole& output_;
  gui::LineEditor editor_;
  gui::ConsoleView view_;
  QScrollBar& scrollBar_;
  Handlers handlers_;
  QTimer timer_;

  // The visible lines as last drawn: lines top_ .. top_ + cache_.size() - 1.
  std::vector<std::string> cache_;
  int64_t top_ = 0;
  int64_t first_ = 0;
  int64_t last_ = 0;
  uint64_t generation_ = UINT64_MAX;
  bool idle_ = true;
  bool selecting_ = false;
  bool dragged_ = false;
  Mode mode_ = Mode::kCommand;
  std::function<void(std::string)> lineReply_;
  std::function<void(int)> keyReply_;

  QFont plain_, bold_, italic_, underlined_, small_;
};

}  // namespace zirbin::platform::qt
