// Entry of zirbin2020: the command line, then the batch or the terminal front end.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/batch/front_end.h"
#include "platform/batch/desktop_loader.h"
#include "platform/term/terminal.h"
#include "session/version.h"

namespace {

constexpr const char* kUsage =
    "usage: zirbin2020 [--batch | --terminal] [--markup] [--echo] [--no-colour] [-e LINE]...\n"
    "                  [SCRIPT]\n"
    "       zirbin2020 --version | --help\n"
    "\n"
    "  --batch     run without a window or line editing: each -e LINE, then SCRIPT, then\n"
    "              each line of standard input is run as a typed line; the console\n"
    "              lines go to standard output as plain text\n"
    "  --terminal  run on the terminal even where a desktop could open\n"
    "  --markup    write the console lines with their raw markup\n"
    "  --echo      echo typed lines as the console does\n"
    "  --no-colour write the terminal's output without colours (as NO_COLOR=1 does)\n"
    "  -e LINE     run LINE as a typed line (repeatable, in order)\n"
    "  SCRIPT      a script to run at start-up, after a cd to its directory\n"
    "  --version   print the name and version\n"
    "  --help      print this text\n"
    "\n"
    "Without --batch the console window opens when a display is available and standard\n"
    "input is not redirected; otherwise (and with --terminal) the commands are read on\n"
    "the terminal: a line editor with history (Up/Down search by the typed prefix), Tab\n"
    "completion and continuation lines; Ctrl+C interrupts a command; Ctrl+D, quit or\n"
    "exit end the session.\n"
    "Exit status: the status given to exit, else 0 when no command reported an error, 1\n"
    "when one did, 2 for bad usage.\n";

// Exit status for a command line that cannot be understood.
constexpr int kUsageStatus = 2;

// True iff standard input comes from a pipe, a file or a socket (a terminal or /dev/null,
// as a desktop launcher gives, is not redirected).
bool inputRedirected() {
  struct stat info {};
  if (::fstat(STDIN_FILENO, &info) != 0) return false;
  return S_ISFIFO(info.st_mode) || S_ISREG(info.st_mode) || S_ISSOCK(info.st_mode);
}

int usageError(const char* what, const char* argument) {
  std::fprintf(stderr, "zirbin2020: %s: %s\n%s", what, argument, kUsage);
  return kUsageStatus;
}

}  // namespace

int main(int argc, char** argv) {
  using zirbin::platform::FrontEndOptions;
  FrontEndOptions options;
  bool noColour = false;
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
      } else if (std::strcmp(arg, "--terminal") == 0) {
        options.terminal = true;
      } else if (std::strcmp(arg, "--markup") == 0) {
        options.markup = true;
      } else if (std::strcmp(arg, "--echo") == 0) {
        options.echo = true;
      } else if (std::strcmp(arg, "--no-colour") == 0) {
        noColour = true;
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
  if (!options.terminal && zirbin::platform::displayAvailable() && !inputRedirected()) {
    zirbin::platform::DesktopRun desktop =
        zirbin::platform::runDesktopModule(argc, argv, options.lines, options.script);
    if (desktop.started) return desktop.status;
    // Without its module (or Qt's libraries) the desktop cannot open: work on the terminal.
    std::fprintf(stderr, "zirbin2020: the desktop could not be started (%s); running on the terminal\n",
                 desktop.whyNot.c_str());
  }
  return zirbin::platform::runTerminal(options, noColour);
}
