// The callbacks the figure windows of one interpreter session call: user functions named
// by the event, menu commands typed into its console, and its focus.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "graphics/figure_interaction.h"

namespace zirbin::session {

class InterpreterSession;

class SessionFigureCallbacks : public graphics::FigureCallbacks {
 public:
  explicit SessionFigureCallbacks(InterpreterSession& session) : session_(session) {}
  SessionFigureCallbacks(const SessionFigureCallbacks&) = delete;
  SessionFigureCallbacks& operator=(const SessionFigureCallbacks&) = delete;

  void call(const std::string& name, double x, double y,
            const std::vector<double>& second) override;
  // A front end that types into its console sets onTyped; otherwise the line is queued
  // and runs after the command or event that typed it (handleFigureEvents).
  void typeCommand(const std::string& text) override {
    if (onTyped) {
      onTyped(text);
    } else {
      typed_.push_back(text);
    }
  }
  void takeFocus() override {
    if (onFocus) onFocus();
  }
  void note(const std::string& line) override;
  bool inCallback() const override { return depth_ > 0; }

  // Takes the lines typed so far, oldest first.
  std::deque<std::string> takeTyped() { return std::exchange(typed_, {}); }
  // Set by a front end with several instances: the instance becomes the current one.
  std::function<void()> onFocus;
  std::function<void(const std::string&)> onTyped;

 private:
  InterpreterSession& session_;
  std::deque<std::string> typed_;
  int depth_ = 0;  // callbacks running
};

}  // namespace zirbin::session
