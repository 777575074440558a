// Figure windows for the terminal front end: the window system runs on a thread of the
// module's own, while the terminal's thread runs the commands and owns the figure model,
// exactly as the desktop's interpreter thread does.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <QApplication>

#include "graphics/figure.h"
#include "platform/batch/desktop_loader.h"
#include "platform/qt/figure_events_queue.h"
#include "platform/qt/figure_view.h"
#include "platform/qt/interpreter_thread.h"

namespace zirbin::platform::qt {

namespace {

class TerminalFigureWindows : public FigureWindows {
 public:
  // The opening thread; returns once the window system is up (or has failed: ready()).
  explicit TerminalFigureWindows(std::function<void()> onEvent) : onEvent_(std::move(onEvent)) {
    gui_ = std::thread([this] { runWindowSystem(); });
    std::unique_lock lock(mutex_);
    started_.wait(lock, [this] { return state_ != State::kStarting; });
    if (state_ != State::kRunning) return;
    lock.unlock();
    std::shared_ptr<FigureEventQueue> queue = queue_;
    std::function<void()> arrived = onEvent_;
    graphics::FigureRegistry::setViewFactory([this, queue, arrived](graphics::Figure& figure) {
      FigureEventSink sink = [queue, arrived](const session::FigureEvent& event) {
        queue->push(event);
        if (arrived) arrived();
      };
      // Windows of their own: no console window to belong to.
      FigureWindowParent parent = [](QWidget*& window) {
        window = nullptr;
        return true;
      };
      return std::make_unique<QtFigureView>(figure, views_, std::move(parent), std::move(sink));
    });
  }

  // The opening thread, in the context of the session whose figures these are: the
  // figures close, then the window system ends.
  ~TerminalFigureWindows() override {
    if (state_ == State::kRunning) {
      graphics::FigureRegistry::setViewFactory(nullptr);
      views_.closeFigures();
      runOnGui([] {
        // The windows of figures closed just now wait for deletion: they go first.
        for (QWidget* w : QApplication::topLevelWidgets()) delete w;
        QCoreApplication::quit();
      });
    }
    if (gui_.joinable()) gui_.join();
  }

  bool ready() const { return state_ == State::kRunning; }

  std::optional<session::FigureEvent> poll() override {
    show();
    return queue_->poll();
  }
  std::optional<session::FigureEvent> wait(int timeoutMs) override {
    show();
    return queue_->wait(timeoutMs);
  }
  bool possible() const override { return !views_.empty() || queue_->size() > 0; }
  void show() override { views_.showChanged(); }
  void wake() override { queue_->wake(); }

 private:
  enum class State { kStarting, kRunning, kFailed };

  void runWindowSystem() {
    static int argc = 1;
    static char name[] = "zirbin2020";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QApplication> app;
    if (QApplication::instance() == nullptr) {
      app = std::make_unique<QApplication>(argc, argv);
      app->setQuitOnLastWindowClosed(false);
    }
    {
      std::lock_guard lock(mutex_);
      state_ = app ? State::kRunning : State::kFailed;
    }
    started_.notify_all();
    if (app) app->exec();
  }

  std::function<void()> onEvent_;
  std::shared_ptr<FigureEventQueue> queue_ = std::make_shared<FigureEventQueue>();
  FigureViews views_;  // the opening thread only
  std::thread gui_;
  std::mutex mutex_;
  std::condition_variable started_;
  State state_ = State::kStarting;
};

}  // namespace

}  // namespace zirbin::platform::qt

// The module's entry for the terminal (platform/batch/desktop_loader.h): null, with the
// reason, when no window system can be started.
extern "C" zirbin::platform::FigureWindows* zirbin_open_figure_windows(
    const std::function<void()>* onEvent, std::string* whyNot) {
  auto windows = std::make_unique<zirbin::platform::qt::TerminalFigureWindows>(*onEvent);
  if (!windows->ready()) {
    *whyNot = "the window system could not be started";
    return nullptr;
  }
  return windows.release();
}
