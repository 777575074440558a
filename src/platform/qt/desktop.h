// The desktop front end of zirbin2020, callable without Qt in the caller.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zirbin::platform {

// True iff a window system can be reached: DISPLAY or WAYLAND_DISPLAY is set, or a Qt
// platform is named by QT_QPA_PLATFORM.
bool displayAvailable();

// Opens the primary console, types `lines` into it, runs `script` as a typed cd and a
// pasted use, and runs until the primary console is closed (or SIGTERM, SIGHUP, the
// session manager's logout). Returns the exit status (0).
int runDesktop(int argc, char** argv, const std::vector<std::string>& lines,
               const std::optional<std::string>& script);

}  // namespace zirbin::platform
