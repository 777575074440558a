// Opening the desktop from zirbin2020 without linking Qt into it: the desktop lives in the
// module "libzirbin_desktop.so" beside the program, loaded only when a console window opens.
// Batch and terminal runs never load Qt, which halves their start-up time.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/figure_event.h"

namespace zirbin::platform {

// True iff a window system can be reached: DISPLAY or WAYLAND_DISPLAY is set, or a Qt
// platform is named by QT_QPA_PLATFORM.
bool displayAvailable();

// The desktop's result: its exit status, or the reason it could not be started (the module
// is missing or does not load, e.g. because Qt's libraries are not installed).
struct DesktopRun {
  bool started = false;
  int status = 0;
  std::string whyNot;
};

// Loads the module and runs the desktop with the primary console (see platform/qt/desktop.h)
// until it ends.
DesktopRun runDesktopModule(int argc, char** argv, const std::vector<std::string>& lines,
                            const std::optional<std::string>& script);

// Figure windows for a front end other than the desktop (the terminal): the module runs the
// window system on a thread of its own and shows the figures of the thread that opened
// them, which reads their events through this object. Implemented in the module.
class FigureWindows {
 public:
  virtual ~FigureWindows() = default;
  // The calls of Host (base/host.h) that a host with figure windows answers. The opening
  // thread only.
  virtual std::optional<session::FigureEvent> poll() = 0;
  virtual std::optional<session::FigureEvent> wait(int timeoutMs) = 0;
  virtual bool possible() const = 0;
  virtual void show() = 0;
  // Any thread: ends a wait at once.
  virtual void wake() = 0;
};

// Loads the module and opens figure windows for the calling thread's figures: from now on
// each new figure gets a window, and `onEvent` runs (on the module's thread) whenever an
// event is queued. Null, with the reason in `whyNot`, when the module cannot be loaded or
// the window system cannot be reached. Destroying the result closes every figure (on the
// opening thread) and ends the module's thread.
std::unique_ptr<FigureWindows> openFigureWindows(std::function<void()> onEvent, std::string& whyNot);

}  // namespace zirbin::platform
