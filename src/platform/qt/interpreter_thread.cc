// The job queue of the interpreter thread.
#include "platform/qt/interpreter_thread.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace zirbin::platform::qt {

InterpreterThread::InterpreterThread() : thread_([this] { loop(); }) {}

InterpreterThread::~InterpreterThread() { finish(); }

void InterpreterThread::post(std::function<void()> job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ending_) return;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void InterpreterThread::finish() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

bool InterpreterThread::idle() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !running_ && jobs_.empty();
}

void InterpreterThread::loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // ending, and nothing left to run
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    running_ = true;
    lock.unlock();
    job();
    lock.lock();
    running_ = false;
  }
}

void runOnGui(std::function<void()> fn) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

}  // namespace zirbin::platform::qt
