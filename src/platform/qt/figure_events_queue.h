// The figure windows' events on their way from the GUI thread to the interpreter thread:
// each console has one queue for the windows of its figures.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "base/figure_event.h"

namespace zirbin::platform::qt {

// Shared by the windows that push (GUI thread) and the console's host that reads
// (interpreter thread); every call is safe from any thread.
class FigureEventQueue {
 public:
  FigureEventQueue() = default;
  FigureEventQueue(const FigureEventQueue&) = delete;
  FigureEventQueue& operator=(const FigureEventQueue&) = delete;

  // A window reports an event. A mouse move right behind another of the same figure
  // replaces it, so that a slow callback never falls behind the mouse.
  void push(const session::FigureEvent& event);
  // The oldest event, without waiting.
  std::optional<session::FigureEvent> poll();
  // The oldest event, waiting at most timeoutMs; nullopt after the time or a wake().
  std::optional<session::FigureEvent> wait(int timeoutMs);
  // Ends the running wait at once (an interrupt, the console closing).
  void wake();
  size_t size() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<session::FigureEvent> events_;
  bool woken_ = false;
};

}  // namespace zirbin::platform::qt
