#include "platform/batch/desktop_loader.h"

#include <dlfcn.h>

#include <cstdlib>

#include "files/state_dir.h"

namespace zirbin::platform {

namespace {

constexpr char kModuleName[] = "libzirbin_desktop.so";
constexpr char kEntryName[] = "zirbin_run_desktop";
constexpr char kFiguresEntryName[] = "zirbin_open_figure_windows";

using DesktopEntry = int (*)(int, char**, const std::vector<std::string>*,
                             const std::optional<std::string>*);
using FiguresEntry = FigureWindows* (*)(const std::function<void()>*, std::string*);

// The module, loaded once. It resolves the core's symbols against this program, so it is
// never unloaded while anything of it may run; it stays until the process ends.
void* loadModule(std::string& whyNot) {
  const std::string path = files::programDirectory() + "/" + kModuleName;
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* error = ::dlerror();
    whyNot = error != nullptr ? error : path;
  }
  return module;
}

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
  void* module = loadModule(run.whyNot);
  if (module == nullptr) return run;
  auto entry = reinterpret_cast<DesktopEntry>(::dlsym(module, kEntryName));
  if (entry == nullptr) {
    run.whyNot = std::string(kModuleName) + ": no entry " + kEntryName;
    return run;
  }
  run.started = true;
  run.status = entry(argc, argv, &lines, &script);
  return run;
}

std::unique_ptr<FigureWindows> openFigureWindows(std::function<void()> onEvent, std::string& whyNot) {
  void* module = loadModule(whyNot);
  if (module == nullptr) return nullptr;
  auto entry = reinterpret_cast<FiguresEntry>(::dlsym(module, kFiguresEntryName));
  if (entry == nullptr) {
    whyNot = std::string(kModuleName) + ": no entry " + kFiguresEntryName;
    return nullptr;
  }
  return std::unique_ptr<FigureWindows>(entry(&onEvent, &whyNot));
}

}  // namespace zirbin::platform
