// Opening the desktop from zirbin2020 without linking Qt into it: the desktop lives in the
// module "libzirbin_desktop.so" beside the program, loaded only when a console window opens.
// Batch and terminal runs never load Qt, which halves their start-up time.
#pragma once

#include <optional>
#include <string>
#include <vector>

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

}  // namespace zirbin::platform
