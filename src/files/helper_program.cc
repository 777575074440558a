#include "files/helper_program.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "files/state_dir.h"

extern char** environ;

namespace zirbin::files {

HelperRun runHelperProgram(const std::string& name, const std::vector<std::string>& words) {
  const std::string program = programDirectory() + "/" + name;
  std::vector<std::string> storage{name};
  storage.insert(storage.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (std::string& word : storage) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    return HelperRun::kNotStarted;
  }
  int status = 0;
  pid_t ended;
  // A signal that comes meanwhile (a resize, the end signals) does not end the wait.
  while ((ended = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
  }
  const bool exitedWell = ended == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return exitedWell ? HelperRun::kSucceeded : HelperRun::kFailed;
}

}  // namespace zirbin::files
