// The shell escape: the command's process, the pipe of its output and the wait for it.
#include "files/shell_command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "base/sandbox.h"

// The process environment, handed to the shell.
extern char** environ;

namespace zirbin::files {

namespace {

// How long one wait for output lasts before the interrupt and the shell's end are looked
// at: short enough that an interrupt ends the command well within 20 ms.
constexpr int kWaitSliceMs = 5;
// How long an interrupted command gets to end on SIGTERM before it is killed.
constexpr auto kTermGrace = std::chrono::milliseconds(100);

// Cuts the command's output into lines and shows each on the running session's console.
class OutputLines {
 public:
  void add(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] == '\n') {
        show();
      } else {
        line_ += data[i];
      }
    }
  }
  // Shows a last line that had no line end.
  void finish() {
    if (!line_.empty()) show();
  }

 private:
  void show() {
    if (session::ConsoleOutput* console = session::runContext->console) {
      console->print(line_, true, session::kPrintText);
      console->newLine();
    } else {
      std::fwrite(line_.data(), 1, line_.size(), stdout);
      std::fputc('\n', stdout);
    }
    line_.clear();
  }

  std::string line_;
};

// Starts "/bin/sh -c command" in a process group of its own, standard input /dev/null,
// standard output and error the pipe's end `out`. Returns its process id, or -1.
pid_t startShell(const std::string& command, int out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out, STDERR_FILENO);
  // The command gets the default handling of SIGPIPE back, whatever the front end chose
  // for itself (a pipeline in the command must end when its reader does).
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                        const_cast<char*>(command.c_str()), nullptr};
  pid_t child = -1;
  if (::posix_spawn(&child, "/bin/sh", &actions, &attributes, argv, environ) != 0) child = -1;
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

// True iff the child has ended (and is reaped).
bool reaped(pid_t child) {
  int status = 0;
  pid_t r;
  while ((r = ::waitpid(child, &status, WNOHANG)) < 0 && errno == EINTR) {
  }
  return r == child || r < 0;
}

// Ends the command's process group: SIGTERM, then SIGKILL when it has not ended soon.
void endProcessGroup(pid_t child) {
  ::kill(-child, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kTermGrace;
  while (!reaped(child)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(-child, SIGKILL);
      int status = 0;
      while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kWaitSliceMs));
  }
}

// Reads what `in` holds now without waiting. Returns false at the end of the pipe.
bool readAvailable(int in, OutputLines& lines) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n > 0) {
      lines.add(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && errno == EAGAIN;
  }
}

// Shows the command's output until the pipe ends or the shell has exited, then waits for
// the shell. An interrupt ends the process group and the command.
void relayUntilDone(pid_t child, int in) {
  OutputLines lines;
  bool exited = false;
  for (;;) {
    if (session::interruptPending()) {
      lines.finish();
      endProcessGroup(child);
      session::throwInterrupted();
    }
    pollfd ready{in, POLLIN, 0};
    const int r = ::poll(&ready, 1, kWaitSliceMs);
    if (r > 0) {
      if (!readAvailable(in, lines)) break;
    } else if (r == 0 || errno == EINTR) {
      // Nothing to read for a while: a shell that has exited is done, even when a program
      // it left running in the background still holds the pipe.
      if (!exited && reaped(child)) exited = true;
      if (exited) {
        readAvailable(in, lines);
        break;
      }
    } else {
      break;
    }
  }
  lines.finish();
  // The pipe ended: the shell ends too, unless it closed its output and goes on.
  while (!exited && !reaped(child)) {
    if (session::interruptPending()) {
      endProcessGroup(child);
      session::throwInterrupted();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kWaitSliceMs));
  }
}

// Closes a descriptor when the scope ends.
struct FileDescriptor {
  int fd = -1;
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

int runShellCommand(const std::string& command) {
  if (session::sandboxed) session::checkFailed("sysCommand", "not available in a sandboxed run");
  // What the program printed so far must come before the command's own output.
  std::fflush(nullptr);
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return 1;
  FileDescriptor in{ends[0]};
  pid_t child = -1;
  {
    FileDescriptor out{ends[1]};
    child = startShell(command, out.fd);
  }
  if (child < 0) return 1;
  ::fcntl(in.fd, F_SETFL, ::fcntl(in.fd, F_GETFL) | O_NONBLOCK);
  relayUntilDone(child, in.fd);
  return 1;
}

}  // namespace zirbin::files
