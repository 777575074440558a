// The helper programs beside zirbin2020 (the help text extractor, the property lookup):
// started with their words and waited for.
#pragma once

#include <string>
#include <vector>

namespace zirbin::files {

// How a run of a helper program ended.
enum class HelperRun { kSucceeded, kNotStarted, kFailed };

// Starts the program `name` of the program directory with the arguments `words` (its
// standard streams are this process's) and waits for it to end. kSucceeded iff it exited
// with status 0.
HelperRun runHelperProgram(const std::string& name, const std::vector<std::string>& words);

}  // namespace zirbin::files
