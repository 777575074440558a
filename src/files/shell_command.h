// The shell escape of `sysCommand`: a command run by the shell, its output shown on the
// running session's console.
#pragma once

#include <string>

namespace zirbin::files {

// `sysCommand(cmd)`: runs `command` as "/bin/sh -c command" in the current directory, with
// standard input from /dev/null and standard output and error through a pipe, and waits
// for it (its exit status is not reported). Each line it writes becomes a console line of
// the running session, shown as it is (without a console it goes to the process's standard
// output). The wait ends when the shell has exited, even if a program it started in the
// background keeps the pipe open. An interrupt of the session ends the command's process
// group and then the command with "execution interrupted". Returns 1 once the shell has
// returned, also when it could not be started.
int runShellCommand(const std::string& command);

}  // namespace zirbin::files
