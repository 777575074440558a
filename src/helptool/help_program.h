// The ZirbinHelp program: its command line, its two files and its exit status.
#pragma once

#include <string>
#include <vector>

namespace zirbin::helptool {

// Returns the directory of the running executable (its path cut at the last '/'), found
// through /proc/self/exe; `argv0` is used only when that link cannot be read.
std::string programDirectory(const char* argv0);

// Returns the state directory: $ZIRBIN_HOME when set, else $XDG_STATE_HOME/zirbin, else
// ~/.local/state/zirbin; it is created when missing. Returns an empty string when it
// cannot be created. (The main program applies the same rule to find the output file.)
std::string stateDirectory();

// Runs the program for `args` (the arguments after the program name): reads
// programDir + "/funcref.txt" and writes the help text into stateDir + "/zirbinhelp.txt",
// with standard output (std::cout) redirected into that file for the whole lookup.
// With no argument the welcome entry is written, with one the entry's normal part, with
// two its continuation; further arguments are ignored with a warning on the real standard
// output. Returns the exit status: 0, or 1 when funcref.txt cannot be read, when it ends
// in the middle of a search, or when the output file cannot be created.
int runHelpTool(const std::vector<std::string>& args, const std::string& programDir,
                const std::string& stateDir);

// The program's entry: finds its directories and calls the form above.
int runHelpTool(int argc, char** argv);

}  // namespace zirbin::helptool
