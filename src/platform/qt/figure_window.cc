// The figure window on the GUI thread.
#include "platform/qt/figure_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qpainter_surface.h"

namespace zirbin::platform::qt {

using session::FigureEvent;
using session::FigureEventKind;

namespace {

// Key codes as the figure callbacks know them: letters and digits by their upper-case
// character, the keys without a character by the codes of the window system they come
// from (cursor keys 37..40, Enter 13, Escape 27, ...).
struct KeyCode {
  int qtKey;
  int code;
};
constexpr KeyCode kKeyCodes[] = {
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},      {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},    {Qt::Key_Control, 17}, {Qt::Key_Alt, 18},    {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},    {Qt::Key_PageUp, 33},  {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},
    {Qt::Key_Home, 36},     {Qt::Key_Left, 37},    {Qt::Key_Up, 38},     {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},     {Qt::Key_Insert, 45},  {Qt::Key_Delete, 46}, {Qt::Key_F1, 112},
};

int keyCode(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return qtKey;  // Qt's codes of these are their characters
  if (qtKey > Qt::Key_F1 && qtKey <= Qt::Key_F12) return 112 + (qtKey - Qt::Key_F1);
  for (const KeyCode& k : kKeyCodes) {
    if (k.qtKey == qtKey) return k.code;
  }
  return 0;
}

}  // namespace

FigureCanvas::FigureCanvas(int figure, int width, int height, FigureEventSink sink, QWidget* parent)
    : QWidget(parent), figure_(figure), reported_(width, height), sink_(std::move(sink)) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void FigureCanvas::setDisplayList(std::shared_ptr<const graphics::DisplayList> list) {
  list_ = std::move(list);
  update();
}

void FigureCanvas::paintList(QPainter& painter) {
  painter.fillRect(rect(), Qt::white);
  if (!list_ || list_->width <= 0 || list_->height <= 0) return;
  painter.save();
  // The list for the new size is on its way: the old one is stretched meanwhile.
  if (list_->width != width() || list_->height != height())
    painter.scale(static_cast<double>(width()) / list_->width, static_cast<double>(height()) / list_->height);
  QPainterSurface surface(painter);
  list_->replay(surface);
  painter.restore();
}

void FigureCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintList(painter);
}

void FigureCanvas::send(FigureEventKind kind, int x, int y, int code) {
  FigureEvent e;
  e.kind = kind;
  e.figure = figure_;
  e.x = x;
  e.y = y;
  e.code = code;
  if (sink_) sink_(e);
}

void FigureCanvas::resizeEvent(QResizeEvent*) {
  if (size() == reported_) return;
  reported_ = size();
  send(FigureEventKind::kSize, width(), height());
}

void FigureCanvas::mousePressEvent(QMouseEvent* event) {
  QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton) send(FigureEventKind::kLeftDown, p.x(), p.y());
  if (event->button() == Qt::RightButton) send(FigureEventKind::kRightDown, p.x(), p.y());
}

void FigureCanvas::mouseReleaseEvent(QMouseEvent* event) {
  QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton) send(FigureEventKind::kLeftUp, p.x(), p.y());
  if (event->button() == Qt::RightButton) send(FigureEventKind::kRightUp, p.x(), p.y());
}

void FigureCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
  QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton) send(FigureEventKind::kLeftDouble, p.x(), p.y());
}

void FigureCanvas::mouseMoveEvent(QMouseEvent* event) {
  QPoint p = event->position().toPoint();
  send(FigureEventKind::kMouseMove, p.x(), p.y());
}

void FigureCanvas::keyPressEvent(QKeyEvent* event) {
  int code = keyCode(event->key());
  if (code != 0) send(FigureEventKind::kKeyDown, 0, 0, code);
  // The character, as the window system's character message would bring it (Enter,
  // Backspace, Tab and Escape have characters too).
  QString text = event->text();
  if (!text.isEmpty() && text[0].unicode() > 0 && text[0].unicode() < 256 && text[0].unicode() != 127)
    send(FigureEventKind::kChar, 0, 0, text[0].unicode());
}

void FigureCanvas::keyReleaseEvent(QKeyEvent*) { send(FigureEventKind::kKeyUp); }

void FigureCanvas::focusInEvent(QFocusEvent*) { send(FigureEventKind::kFocus); }

FigureWindow::FigureWindow(int number, int width, int height, FigureEventSink sink, QWidget* owner)
    : QWidget(owner, Qt::Window), number_(number), sink_(sink) {
  setWindowTitle(QString("Figure %1").arg(number));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setAttribute(Qt::WA_ShowWithoutActivating, true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  menuBar_ = new QMenuBar(this);
  menuBar_->hide();
  layout->setMenuBar(menuBar_);
  canvas_ = new FigureCanvas(number, width, height, std::move(sink), this);
  canvas_->setMinimumSize(1, 1);
  layout->addWidget(canvas_);
  resize(width, height);
}

FigureWindow::~FigureWindow() = default;

void FigureWindow::setMenus(const std::vector<graphics::FigureMenu>& menus) {
  menuBar_->clear();
  int command = graphics::kFirstMenuCommand;
  for (const graphics::FigureMenu& m : menus) {
    QMenu* menu = menuBar_->addMenu(QString::fromStdString(m.heading));
    for (const std::string& entry : m.entries) {
      QAction* action = menu->addAction(QString::fromStdString(entry));
      // The entry acts on its own figure, as when its window took the focus on the way.
      connect(action, &QAction::triggered, this, [this, command] {
        focused();
        this->command(command, 0, "");
      });
      ++command;
    }
  }
  menuBar_->setVisible(!menus.empty());
}

void FigureWindow::focused() {
  FigureEvent e;
  e.kind = FigureEventKind::kFocus;
  e.figure = number_;
  if (sink_) sink_(e);
}

void FigureWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) focused();
  QWidget::changeEvent(event);
}

void FigureWindow::command(int number, double value, const std::string& text) {
  FigureEvent e;
  e.kind = FigureEventKind::kCommand;
  e.figure = number_;
  e.code = number;
  e.value = value;
  e.text = text;
  if (sink_) sink_(e);
}

void FigureWindow::addControl(int number, graphics::ControlKind kind, const std::string& text,
                              const std::vector<std::string>& entries) {
  QString label = QString::fromStdString(text);
  QWidget* w = nullptr;
  switch (kind) {
    case graphics::ControlKind::kPushButton: {
      auto* b = new QPushButton(label, canvas_);
      connect(b, &QPushButton::clicked, this, [this, number] { command(number, 0, ""); });
      w = b;
      break;
    }
    case graphics::ControlKind::kEditBox: {
      auto* e = new QLineEdit(label, canvas_);
      connect(e, &QLineEdit::editingFinished, this,
              [this, number, e] { command(number, 0, e->text().toStdString()); });
      w = e;
      break;
    }
    case graphics::ControlKind::kStaticText:
      w = new QLabel(label, canvas_);
      break;
    case graphics::ControlKind::kComboBox: {
      auto* c = new QComboBox(canvas_);
      for (const std::string& s : entries) c->addItem(QString::fromStdString(s));
      c->setCurrentIndex(-1);
      connect(c, &QComboBox::activated, this, [this, number, c](int index) {
        command(number, index + 1, c->itemText(index).toStdString());
      });
      w = c;
      break;
    }
  }
  controls_[number] = w;
  w->show();
}

void FigureWindow::placeControl(int number, const graphics::PixelRect& r) {
  if (QWidget* w = control(number)) w->setGeometry(r.left, r.top, r.width(), r.height());
}

QWidget* FigureWindow::control(int number) const {
  auto it = controls_.find(number);
  return it == controls_.end() ? nullptr : it->second;
}

void FigureWindow::closeQuietly() {
  quiet_ = true;
  close();
}

void FigureWindow::closeEvent(QCloseEvent* event) {
  // The interpreter removes the figure and then this window; until then it only hides.
  if (!quiet_) {
    FigureEvent e;
    e.kind = FigureEventKind::kClose;
    e.figure = number_;
    if (sink_) sink_(e);
  }
  event->accept();
}

}  // namespace zirbin::platform::qt
