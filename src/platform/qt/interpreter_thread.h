// The desktop's one interpreter thread: every command of every console runs on it, one
// job after another, while the GUI thread owns the windows.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zirbin::platform::qt {

class InterpreterThread {
 public:
  InterpreterThread();
  // Runs the jobs still queued, then ends the thread (see finish()).
  ~InterpreterThread();
  InterpreterThread(const InterpreterThread&) = delete;
  InterpreterThread& operator=(const InterpreterThread&) = delete;

  // Queues `job` to run on the interpreter thread after every job posted before it. From
  // any thread. A job may touch interpreter state (sessions, workspaces, figures' models)
  // and must reach windows only through runOnGui().
  void post(std::function<void()> job);
  // Runs the queued jobs, then ends the thread and waits for it. Idempotent. REQUIRES: not
  // called on the interpreter thread.
  void finish();
  // True iff the caller is the interpreter thread.
  bool onThread() const { return std::this_thread::get_id() == thread_.get_id(); }
  // True iff no job is running or queued.
  bool idle() const;

 private:
  void loop();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> jobs_;
  bool running_ = false;  // a job is running
  bool ending_ = false;
  std::thread thread_;
};

// Runs `fn` on the GUI thread, queued behind the events already posted; from any thread.
// Does not wait. `fn` is dropped when the application has already ended.
void runOnGui(std::function<void()> fn);

}  // namespace zirbin::platform::qt
