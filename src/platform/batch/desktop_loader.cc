#include "platform/batch/desktop_loader.h"

#include <dlfcn.h>

#include <cstdlib>

#include "files/state_dir.h"

namespace zirbin::platform {

namespace {

constexpr char kModuleName[] = "libzirbin_desktop.so";
constexpr char kEntryName[] = "zirbin_run_desktop";

using DesktopEntry = int (*)(int, char**, const std::vector<std::string>*,
                             const std::optional<std::string>*);

}  // namespace

bool displayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

DesktopRun runDesktopModule(int argc, char** argv, const std::vector<std::string>& lines,
                            const std::optional<std::string>& script) {
  DesktopRun run;
  const std::string path = files::programDirectory() + "/" + kModuleName;
  // The module resolves the core's symbols against this program, so it is never unloaded
  // while anything of it may run; it stays until the process ends.
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* error = ::dlerror();
    run.whyNot = error != nullptr ? error : path;
    return run;
  }
  auto entry = reinterpret_cast<DesktopEntry>(::dlsym(module, kEntryName));
  if (entry == nullptr) {
    run.whyNot = path + ": no entry " + kEntryName;
    return run;
  }
  run.started = true;
  run.status = entry(argc, argv, &lines, &script);
  return run;
}

}  // namespace zirbin::platform
