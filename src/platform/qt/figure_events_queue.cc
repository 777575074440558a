// The figure event queue between the GUI thread and the interpreter thread.
#include "platform/qt/figure_events_queue.h"

#include <chrono>

namespace zirbin::platform::qt {

using session::FigureEvent;
using session::FigureEventKind;

void FigureEventQueue::push(const FigureEvent& event) {
  {
    std::lock_guard lock(mutex_);
    if (event.kind == FigureEventKind::kMouseMove && !events_.empty() &&
        events_.back().kind == FigureEventKind::kMouseMove && events_.back().figure == event.figure) {
      events_.back() = event;
    } else {
      events_.push_back(event);
    }
  }
  arrived_.notify_all();
}

std::optional<FigureEvent> FigureEventQueue::poll() {
  std::lock_guard lock(mutex_);
  if (events_.empty()) return std::nullopt;
  FigureEvent e = std::move(events_.front());
  events_.pop_front();
  return e;
}

std::optional<FigureEvent> FigureEventQueue::wait(int timeoutMs) {
  std::unique_lock lock(mutex_);
  arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [this] { return !events_.empty() || woken_; });
  woken_ = false;
  if (events_.empty()) return std::nullopt;
  FigureEvent e = std::move(events_.front());
  events_.pop_front();
  return e;
}

void FigureEventQueue::wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  arrived_.notify_all();
}

size_t FigureEventQueue::size() const {
  std::lock_guard lock(mutex_);
  return events_.size();
}

}  // namespace zirbin::platform::qt
