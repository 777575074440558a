// Entry of zirbin2020: the command line, then the batch or the terminal front end.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/batch/front_end.h"
#include "platform/term/terminal.h"
#include "session/version.h"

namespace {

constexpr const char* kUsage =
    "usage: zirbin2020 [--batch] [--markup] [--echo] [-e LINE]... [SCRIPT]\n"
    "       zirbin2020 --version | --help\n"
    "\n"
    "  --batch     run without a window or line editing: each -e LINE, then SCRIPT, then\n"
    "              each line of standard input is run as a typed line; the console\n"
    "              lines go to standard output as plain text\n"
    "  --markup    write the console lines with their raw markup\n"
    "  --echo      echo typed lines as the console does\n"
    "  -e LINE     run LINE as a typed line (repeatable, in order)\n"
    "  SCRIPT      a script to run at start-up, after a cd to its directory\n"
    "  --version   print the name and version\n"
    "  --help      print this text\n"
    "\n"
    "Without --batch the same loop runs with a prompt and colours on a terminal.\n"
    "Exit status: 0 when no command reported an error, 1 when one did, 2 for bad usage.\n";

// Exit status for a command line that cannot be understood.
constexpr int kUsageStatus = 2;

int usageError(const char* what, const char* argument) {
  std::fprintf(stderr, "zirbin2020: %s: %s\n%s", what, argument, kUsage);
  return kUsageStatus;
}

}  // namespace

int main(int argc, char** argv) {
  using zirbin::platform::FrontEndOptions;
  FrontEndOptions options;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
      if (std::strcmp(arg, "--version") == 0) {
        std::printf("zirbin2020 %s\n", zirbin::session::kVersion);
        return 0;
      }
      if (std::strcmp(arg, "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
      }
      if (std::strcmp(arg, "--batch") == 0) {
        options.batch = true;
      } else if (std::strcmp(arg, "--markup") == 0) {
        options.markup = true;
      } else if (std::strcmp(arg, "--echo") == 0) {
        options.echo = true;
      } else if (std::strcmp(arg, "-e") == 0) {
        if (i + 1 >= argc) return usageError("missing line after", arg);
        options.lines.emplace_back(argv[++i]);
      } else if (std::strcmp(arg, "--") == 0) {
        optionsEnded = true;
      } else {
        return usageError("unknown option", arg);
      }
      continue;
    }
    if (options.script) return usageError("more than one script", arg);
    options.script = arg;
  }
  if (options.batch) return zirbin::platform::runFrontEnd(options, {});
  return zirbin::platform::runTerminal(options);
}
