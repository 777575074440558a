// The desktop front end of zirbin2020, callable without Qt in the caller. It is built into
// the module "libzirbin_desktop.so" beside the program, which zirbin2020 loads only when it
// opens the desktop (platform/batch/desktop_loader.h), so that batch and terminal runs do not
// load Qt; the desktop's tests link it directly.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zirbin::platform {

// Opens the primary console, types `lines` into it, runs `script` as a typed cd and a
// pasted use, and runs until the primary console is closed (or SIGTERM, SIGHUP, the
// session manager's logout, `quit` or `exit` typed in it). Returns the exit status:
// the status given to `exit` in the primary console, else 0.
int runDesktop(int argc, char** argv, const std::vector<std::string>& lines,
               const std::optional<std::string>& script);

}  // namespace zirbin::platform

// runDesktop with C linkage, the module's entry.
extern "C" int zirbin_run_desktop(int argc, char** argv, const std::vector<std::string>* lines,
                                  const std::optional<std::string>* script);
