// Fuzz target for the readers of the state files and value dumps: the bytes are read as a
// session file (name and value records until the end record), as a history file and as a
// path-list file. Any crash, leak, sanitizer report or absurd allocation is a finding.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "files/path_list.h"
#include "files/records.h"
#include "files/user_prompts.h"
#include "gui/command_history.h"
#include "values/value.h"

namespace {

void readAsSessionFile(std::FILE* file) {
  zirbin::files::RecordReader in(file);
  for (;;) {
    std::optional<std::string> name = zirbin::files::readName(in);
    if (!name || name->empty()) return;
    std::unique_ptr<zirbin::values::Value> value;
    if (!zirbin::files::readValue(in, value)) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int descriptor = ::memfd_create("records_fuzz", 0);
  if (descriptor < 0) return 0;
  if (::write(descriptor, data, size) != static_cast<ssize_t>(size)) {
    ::close(descriptor);
    return 0;
  }
  std::string path = "/proc/self/fd/" + std::to_string(descriptor);
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    readAsSessionFile(file);
    std::fclose(file);
  }
  zirbin::gui::CommandHistory history;
  zirbin::gui::loadHistory(history, path);
  zirbin::files::PathList paths("/");
  zirbin::files::HeadlessPrompts prompts;
  zirbin::files::loadPathList(paths, path, false, prompts);
  ::close(descriptor);
  return 0;
}
