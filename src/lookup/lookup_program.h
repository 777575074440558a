// The zirbin-lookup program: its command line, its result file and its exit status.
#pragma once

#include <string>
#include <vector>

namespace zirbin::lookup {

// The name of the result file in the state directory.
inline constexpr char kResultFileName[] = "property_result.txt";

// Returns the state directory: $ZIRBIN_HOME when set, else $XDG_STATE_HOME/zirbin, else
// ~/.local/state/zirbin; created when missing. Empty when it cannot be created. (The same
// rule as the main program's, repeated here because this program links nothing of it.)
std::string stateDirectory();

// Answers `args` (the arguments after the program name) and writes the result file into
// `stateDir`: the answer, or for a query without an answer the line saying why. Returns
// kAnswered, kNoAnswer, or kCannotWriteResult when the file cannot be written.
int runLookup(const std::vector<std::string>& args, const std::string& stateDir);

}  // namespace zirbin::lookup
