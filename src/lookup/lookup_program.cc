// The zirbin-lookup program: where the result file goes, writing it, the exit status.
#include "lookup/lookup_program.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "files/state_dir.h"
#include "lookup/lookup_query.h"

namespace zirbin::lookup {
std::string stateDirectory() {
  std::string dir = files::stateDirectory();
  std::error_code error;
  return std::filesystem::is_directory(dir, error) ? dir : std::string();
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
