// Helpers shared by the plot and figure built-in families: the figure and frame they act
// on, reading arguments as numbers or style text, and the frame's `fix` flag kept for the
// length of one call.
#pragma once

#include <string>
#include <vector>

#include "engine/registry.h"
#include "graphics/figure.h"
#include "values/value.h"

namespace zirbin::builtins {

// The current figure, created on demand (figure(-1)).
graphics::Figure& figureOnDemand();
// The current frame of the current figure, created on demand.
graphics::Frame& frameOnDemand();

// `axis` with numbers: 1 number is a mode, 2 the y limits, 3 the axis mode words and a
// mode, 4 all limits (figure_commands.cc). Fails for "axis" with "invalid axis limits" for
// limits that are not finite and increasing, "does not take N arguments" for other counts.
void axisNumbers(const std::vector<double>& limits);

// Shows data x, y as points and the line y = a + b x over their x range in the current
// frame (created on demand), titled "Data and fitted line y = a + b x", with `lines`
// written one under another in the upper left corner of the plot area (plot_commands.cc).
void showLineFit(const std::vector<double>& x, const std::vector<double>& y, double a, double b,
                 const std::vector<std::string>& lines);

// Handles the figure events pending at the host with the running session's callbacks
// (mouse_commands.cc); nothing without a host or outside a command.
void pumpFigureEvents();

// Writes the ids of new items as the result: one int, or a row of ints.
void assignIds(Value& result, const std::vector<int>& ids);

// Keeps a frame's `fix` flag and puts it back when the call ends, however it ends. The
// frame is found again by figure number and index, since a function evaluated meanwhile
// may have closed its figure.
class FixGuard {
 public:
  explicit FixGuard(graphics::Frame& frame)
      : figure_(frame.figure().number()), frame_(frame.number()), saved_(frame.fix) {}
  ~FixGuard() {
    graphics::Figure* fig = graphics::figures().find(figure_);
    if (fig != nullptr && static_cast<size_t>(frame_) < fig->frameCount())
      fig->frame(static_cast<size_t>(frame_)).fix = saved_;
  }
  FixGuard(const FixGuard&) = delete;
  FixGuard& operator=(const FixGuard&) = delete;

 private:
  int figure_;
  int frame_;
  bool saved_;
};

}  // namespace zirbin::builtins
