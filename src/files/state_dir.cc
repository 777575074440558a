// The state directory and the program directory.
#include "files/state_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zirbin::files {
namespace {

std::string environment(const char* name) {
  const char* text = std::getenv(name);
  return text == nullptr ? std::string() : std::string(text);
}

std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string workingDirectory() {
  std::error_code error;
  std::string cwd = std::filesystem::current_path(error).string();
  return error ? std::string(".") : cwd;
}

std::string executableDirectory() {
  std::error_code error;
  std::string exe = std::filesystem::read_symlink("/proc/self/exe", error).string();
  std::size_t slash = exe.rfind('/');
  if (error || slash == std::string::npos) return workingDirectory();
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

std::string& programDirectoryStore() {
  static std::string directory = executableDirectory();
  return directory;
}

}  // namespace

std::string stateDirectory() {
  std::string directory = environment("ZIRBIN_HOME");
  if (directory.empty()) {
    std::string xdg = environment("XDG_STATE_HOME");
    if (!xdg.empty()) {
      directory = xdg + "/zirbin";
    } else {
      std::string home = environment("HOME");
      directory = (home.empty() ? workingDirectory() : home) + "/.local/state/zirbin";
    }
  }
  directory = withoutTrailingSlash(std::move(directory));
  std::error_code ignored;  // a directory that cannot be made shows up as failed writes
  std::filesystem::create_directories(directory, ignored);
  return directory;
}

std::string stateFilePath(std::string_view fileName) {
  return stateDirectory() + "/" + std::string(fileName);
}

const std::string& programDirectory() { return programDirectoryStore(); }

void setProgramDirectory(std::string directory) {
  programDirectoryStore() = withoutTrailingSlash(std::move(directory));
}

}  // namespace zirbin::files
