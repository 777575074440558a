// Drawing and input handling of the console's text area.
#include "platform/qt/console_widget.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include "graphics/colour_table.h"
#include "graphics/markup.h"
#include "graphics/text_metrics.h"
#include "graphics/text_writer.h"
#include "gui/plain_text.h"

namespace zirbin::platform::qt {

namespace {

// Pixels between the window's left edge and the text.
constexpr int kLeftMargin = 2;
// The console face: Liberation Mono has the metrics of "Courier New".
constexpr const char* kConsoleFace = "Liberation Mono";
const QColor kSelectionColour(173, 216, 230);
const QColor kBracketColour(255, 236, 139);

QColor qColour(graphics::Rgb colour) {
  return QColor(graphics::redOf(colour), graphics::greenOf(colour), graphics::blueOf(colour));
}

// Keys that reach the editor as key-down messages.
std::optional<gui::EditKey> editKey(int key) {
  switch (key) {
    case Qt::Key_Home: return gui::EditKey::kHome;
    case Qt::Key_End: return gui::EditKey::kEnd;
    case Qt::Key_Left: return gui::EditKey::kLeft;
    case Qt::Key_Right: return gui::EditKey::kRight;
    case Qt::Key_Delete: return gui::EditKey::kDelete;
    case Qt::Key_Up: return gui::EditKey::kUp;
    case Qt::Key_Down: return gui::EditKey::kDown;
    case Qt::Key_F5: return gui::EditKey::kF5;
    case Qt::Key_F9: return gui::EditKey::kF9;
    default: return std::nullopt;
  }
}

// The character code a key gives as a character message, or 0: editing keys as their
// control codes, Ctrl+letter as the letter's place in the alphabet, else the text's byte.
int charCode(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return gui::kCharEnter;
    case Qt::Key_Backspace: return gui::kCharBackspace;
    case Qt::Key_Tab: return gui::kCharTab;
    case Qt::Key_Escape: return gui::kCharEscape;
    default: break;
  }
  if (event.modifiers() & Qt::ControlModifier) {
    if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) return event.key() - Qt::Key_A + 1;
    if (event.key() == Qt::Key_BracketRight) return gui::kCharCtrlCloseBracket;
    return 0;
  }
  const QByteArray text = event.text().toUtf8();
  return text.size() == 1 ? static_cast<unsigned char>(text[0]) : 0;
}

}  // namespace

ConsoleWidget::ConsoleWidget(gui::SharedConsole& output, gui::CommandHistory& history,
                             QScrollBar& scrollBar, Handlers handlers, QWidget* parent)
    : QWidget(parent),
      output_(output),
      editor_(history),
      scrollBar_(scrollBar),
      handlers_(std::move(handlers)) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setCursor(Qt::IBeamCursor);
  rebuildFonts();
  connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
  timer_.start(kRefreshMilliseconds);
  connect(&scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
    if (first_ + value == view_.topLine()) return;
    view_.scrollTo(first_ + value);
    refresh();
  });
}

void ConsoleWidget::rebuildFonts() {
  plain_ = QFont(kConsoleFace);
  plain_.setStyleHint(QFont::Monospace);
  plain_.setPixelSize(view_.pixelSize());
  plain_.setKerning(false);
  bold_ = plain_;
  bold_.setBold(true);
  italic_ = plain_;
  italic_.setItalic(true);
  underlined_ = plain_;
  underlined_.setUnderline(true);
  small_ = plain_;
  small_.setPixelSize(std::max(1, view_.pixelSize() * 3 / 4));
}

const QFont& ConsoleWidget::fontOf(char kind) const {
  switch (kind) {
    case graphics::kFontBold: return bold_;
    case graphics::kFontItalic: return italic_;
    case graphics::kFontUnderlined: return underlined_;
    case graphics::kFontSuperscript:
    case graphics::kFontSubscript: return small_;
    default: return plain_;
  }
}

int ConsoleWidget::rows() const { return std::max(1, view_.usableLines(height())); }

int ConsoleWidget::baseline(int row) const {
  const int ascent = std::min(QFontMetrics(plain_).ascent(), view_.lineHeight());
  return row * view_.lineHeight() + ascent;
}

const std::string& ConsoleWidget::shown(int64_t line) const {
  static const std::string kNone;
  const int64_t i = line - top_;
  return i >= 0 && i < static_cast<int64_t>(cache_.size()) ? cache_[i] : kNone;
}

void ConsoleWidget::updateRow(int64_t line) {
  const int64_t row = line - top_;
  if (row < 0 || row >= rows()) return;
  const int h = view_.lineHeight();
  // The row below too: a line continued by a "-" group draws into it.
  update(QRect(0, static_cast<int>(row) * h, width(), 2 * h));
}

int64_t ConsoleWidget::inputLine() const {
  return mode_ != Mode::kCommand || shown(last_).empty() ? last_ : last_ + 1;
}

void ConsoleWidget::refresh() {
  const uint64_t generation = output_.generation();
  const gui::ConsoleSnapshot range = output_.snapshot(INT64_MAX, 1);
  const bool ownRow = mode_ == Mode::kCommand && !range.lines.empty() && !range.lines[0].empty();
  view_.setRange(range.first, range.last + (ownRow ? 1 : 0), rows());
  const int64_t top = view_.topLine();
  if (generation == generation_ && top == top_ && static_cast<int>(cache_.size()) ==
                                                      std::min<int64_t>(rows(), range.last - top + 1)) {
    return;
  }
  const gui::ConsoleSnapshot snap = output_.snapshot(top, rows());
  std::vector<std::string> old = std::move(cache_);
  const int64_t oldTop = top_;
  const int64_t oldLast = last_;
  cache_ = snap.lines;
  generation_ = snap.generation;
  first_ = snap.first;
  last_ = snap.last;
  const int64_t shift = top - oldTop;
  top_ = snap.from;
  if (shift != 0 && std::abs(shift) < rows()) {
    scroll(0, static_cast<int>(-shift * view_.lineHeight()));  // one scroll, not a repaint
  } else if (shift != 0) {
    update();
  }
  for (int64_t line = top_; line < top_ + rows(); ++line) {
    const int64_t i = line - oldTop;
    const bool same = i >= 0 && i < static_cast<int64_t>(old.size()) && old[i] == shown(line);
    if (!same || line >= last_ || line >= oldLast) updateRow(line);
  }
  updateScrollBar();
}

void ConsoleWidget::updateScrollBar() {
  const QSignalBlocker block(scrollBar_);
  const int64_t maxTop = std::max(first_, inputLine() - rows() + 1);
  scrollBar_.setRange(0, static_cast<int>(maxTop - first_));
  scrollBar_.setPageStep(rows());
  scrollBar_.setSingleStep(1);
  scrollBar_.setValue(static_cast<int>(view_.topLine() - first_));
}

void ConsoleWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), Qt::white);
  const int h = view_.lineHeight();
  const int firstRow = std::max(0, event->rect().top() / h - 1);
  const int lastRow = std::min(rows() - 1, event->rect().bottom() / h);
  for (int row = firstRow; row <= lastRow; ++row) {
    const int64_t line = top_ + row;
    if (line > inputLine()) break;
    drawSelection(painter, row, line);
    if (line == inputLine()) {
      drawInput(painter, row);
    } else {
      drawLine(painter, row, shown(line));
    }
  }
}

void ConsoleWidget::drawLine(QPainter& painter, int row, const std::string& markup) {
  if (markup.empty()) return;
  graphics::TextWriter writer("Courier New",
                              graphics::headlessMetrics(graphics::FontFace::kMonospace));
  writer.setSize(view_.pixelSize());
  writer.setMargins(kLeftMargin, width());
  const graphics::TextRun run = writer.layout(kLeftMargin, baseline(row), markup, 10, 0);
  for (const graphics::TextPiece& piece : run.pieces) {
    if (piece.text == graphics::kEllipsis) {
      painter.fillRect(piece.x, row * view_.lineHeight(), width() - piece.x, view_.lineHeight(),
                       Qt::white);
    }
    painter.setFont(fontOf(piece.kind));
    painter.setPen(qColour(piece.colour));
    painter.drawText(piece.x, piece.y, QString::fromStdString(piece.text));
  }
}

void ConsoleWidget::drawInput(QPainter& painter, int row) {
  const std::string& current = inputLine() == last_ ? shown(last_) : std::string();
  graphics::TextWriter writer("Courier New",
                              graphics::headlessMetrics(graphics::FontFace::kMonospace));
  writer.setSize(view_.pixelSize());
  const double start = kLeftMargin + writer.textWidth(current);
  const bool prompt = idle_ && mode_ == Mode::kCommand;
  const std::size_t promptColumns = prompt ? gui::characterCount(editor_.prompt()) + 1 : 0;
  const double cw = view_.charWidth();
  const int h = view_.lineHeight();
  const auto columnX = [&](std::size_t column) {
    return static_cast<int>(std::lround(start + (promptColumns + column) * cw));
  };
  if (std::optional<std::size_t> match = editor_.caretBracketMatch()) {
    const std::string& line = editor_.line();
    for (std::size_t at : {editor_.caret(), *match}) {
      const std::size_t column = gui::characterCount(std::string_view(line).substr(0, at));
      painter.fillRect(columnX(column), row * h, static_cast<int>(std::ceil(cw)), h, kBracketColour);
    }
  }
  std::string markup = current;
  markup += prompt ? "{g " + editor_.prompt() + " {b:" + editor_.line() : "{b:" + editor_.line();
  drawLine(painter, row, markup);
  if (mode_ != Mode::kKey) {
    painter.fillRect(columnX(editor_.caretColumn()), row * h + 1, 2, h - 2, Qt::black);
  }
}

void ConsoleWidget::drawSelection(QPainter& painter, int row, int64_t line) {
  if (!view_.hasSelection()) return;
  const gui::TextPosition start = view_.selectionStart();
  const gui::TextPosition end = view_.selectionEnd();
  if (line < start.line || line > end.line) return;
  const double cw = view_.charWidth();
  const std::size_t from = line == start.line ? start.column : 0;
  const std::size_t to =
      line == end.line ? end.column : gui::characterCount(gui::plainText(shown(line))) + 1;
  if (to <= from) return;
  const int x = kLeftMargin + static_cast<int>(std::lround(from * cw));
  const int w = static_cast<int>(std::lround((to - from) * cw));
  painter.fillRect(x, row * view_.lineHeight(), w, view_.lineHeight(), kSelectionColour);
}

void ConsoleWidget::resizeEvent(QResizeEvent*) {
  cache_.clear();
  generation_ = UINT64_MAX;
  refresh();
  update();
}

void ConsoleWidget::setIdle(bool idle) {
  if (idle == idle_) return;
  idle_ = idle;
  updateInputRow();
}

void ConsoleWidget::setPrompt(const std::string& prompt) {
  if (prompt == editor_.prompt()) return;
  editor_.setPrompt(prompt);
  updateInputRow();
}

void ConsoleWidget::zoom(bool in) {
  view_.zoom(in);
  rebuildFonts();
  cache_.clear();
  generation_ = UINT64_MAX;
  refresh();
  update();
}

std::string ConsoleWidget::selectedText() const {
  return view_.selectedText(
      [this](int64_t line) { return gui::plainText(output_.line(line)); });
}

void ConsoleWidget::typeChar(int code) { handle(editor_.onChar(code)); }

void ConsoleWidget::typeText(const std::string& text) {
  for (char c : text) typeChar(static_cast<unsigned char>(c));
  typeChar(gui::kCharEnter);
}

void ConsoleWidget::handle(gui::EditResult result) {
  switch (result) {
    case gui::EditResult::kIgnored:
      return;
    case gui::EditResult::kEdited:
      if (!view_.following()) {
        view_.scrollTo(INT64_MAX);  // typing brings the edit line back into view
        refresh();
      }
      updateInputRow();
      return;
    case gui::EditResult::kComplete:
      completeLine();
      return;
    case gui::EditResult::kCommand:
      if (handlers_.command) handlers_.command(editor_.command());
      return;
  }
}

void ConsoleWidget::completeLine() {
  std::string line = editor_.takeLine();
  updateInputRow();
  if (mode_ == Mode::kLine) {
    mode_ = Mode::kCommand;
    generation_ = UINT64_MAX;
    std::function<void(std::string)> reply = std::move(lineReply_);
    lineReply_ = nullptr;
    if (reply) reply(std::move(line));
    return;
  }
  if (handlers_.lineCompleted) handlers_.lineCompleted(line);
}

void ConsoleWidget::beginReadLine(std::function<void(std::string)> reply) {
  generation_ = UINT64_MAX;  // the edit line may move to another row
  update();
  mode_ = Mode::kLine;
  lineReply_ = std::move(reply);
  editor_.clear();
  refresh();
  updateInputRow();
}

void ConsoleWidget::beginReadKey(std::function<void(int)> reply) {
  generation_ = UINT64_MAX;  // the edit line may move to another row
  update();
  mode_ = Mode::kKey;
  keyReply_ = std::move(reply);
  updateInputRow();
}

void ConsoleWidget::cancelRead() {
  generation_ = UINT64_MAX;  // the edit line may move to another row
  update();
  mode_ = Mode::kCommand;
  lineReply_ = nullptr;
  keyReply_ = nullptr;
  updateInputRow();
}

bool ConsoleWidget::focusNextPrevChild(bool) { return false; }  // Tab is the editor's

void ConsoleWidget::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  if (mode_ == Mode::kKey) {
    const int code = charCode(*event);
    if (code == 0) return;
    mode_ = Mode::kCommand;
    std::function<void(int)> reply = std::move(keyReply_);
    keyReply_ = nullptr;
    updateInputRow();
    if (reply) reply(code);
    return;
  }
  if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
    view_.scrollBy(event->key() == Qt::Key_PageUp ? -rows() : rows());
    refresh();
    return;
  }
  if (std::optional<gui::EditKey> key = editKey(event->key())) {
    handle(editor_.onKey(*key, ctrl));
    return;
  }
  if (const int code = charCode(*event)) {
    typeChar(code);
    return;
  }
  const QByteArray text = event->text().toUtf8();
  if (!ctrl && !text.isEmpty() && static_cast<unsigned char>(text[0]) >= 0x80) {
    editor_.insertText(text.toStdString());  // one character of several bytes
    handle(gui::EditResult::kEdited);
    return;
  }
  QWidget::keyPressEvent(event);
}

void ConsoleWidget::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  window()->raise();
  window()->activateWindow();
  if (event->button() != Qt::LeftButton) return;
  view_.beginSelection(view_.positionAt(event->position().x() - kLeftMargin, event->position().y()));
  selecting_ = true;
  dragged_ = false;
  update();
}

void ConsoleWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_) return;
  view_.extendSelection(view_.positionAt(event->position().x() - kLeftMargin, event->position().y()));
  dragged_ = dragged_ || view_.hasSelection();
  update();
}

void ConsoleWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !selecting_) return;
  selecting_ = false;
  if (dragged_) return;
  view_.clearSelection();
  update();
  // A click on an underlined word asks for help on it.
  const int64_t line = view_.positionAt(0, event->position().y()).line;
  const double x = event->position().x() - kLeftMargin;
  if (x < 0 || line >= last_) return;
  const auto column = static_cast<std::size_t>(x / view_.charWidth());
  if (std::optional<std::string> word = gui::linkAt(shown(line), column)) typeText("?" + *word);
}

void ConsoleWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int64_t line = view_.positionAt(0, event->position().y()).line;
  view_.clearSelection();
  selecting_ = false;
  update();
  if (line >= last_) return;
  if (std::optional<std::string> command = gui::echoedCommand(shown(line))) {
    editor_.clear();
    editor_.insertText(*command);
    typeChar(gui::kCharEnter);
  }
}

void ConsoleWidget::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  if (event->modifiers() & Qt::ControlModifier) {
    zoom(delta > 0);  // turned away from the user: zoom in
    return;
  }
  const int notches = std::abs(delta) >= 120 ? delta / 120 : (delta > 0 ? 1 : -1);
  view_.scrollBy(-notches * gui::kWheelLines);
  refresh();
}

}  // namespace zirbin::platform::qt
