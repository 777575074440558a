// The zirbin-lookup program: where the result file goes, writing it, the exit status.
#include "lookup/lookup_program.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "lookup/lookup_query.h"

namespace zirbin::lookup {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string stateDirectory() {
  std::filesystem::path dir;
  if (std::string home = environment("ZIRBIN_HOME"); !home.empty()) {
    dir = home;
  } else if (std::string xdg = environment("XDG_STATE_HOME"); !xdg.empty()) {
    dir = std::filesystem::path(xdg) / "zirbin";
  } else if (std::string userHome = environment("HOME"); !userHome.empty()) {
    dir = std::filesystem::path(userHome) / ".local" / "state" / "zirbin";
  } else {
    return "";
  }
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (!std::filesystem::is_directory(dir, error)) return "";
  return dir.string();
}

int runLookup(const std::vector<std::string>& args, const std::string& stateDir) {
  const LookupAnswer result = answer(args);
  if (stateDir.empty()) return kCannotWriteResult;
  std::ofstream out(stateDir + "/" + kResultFileName, std::ios::binary | std::ios::trunc);
  out << result.text;
  out.close();
  if (!out) return kCannotWriteResult;
  return result.status;
}

}  // namespace zirbin::lookup
