// The session file "zirbin_env.bin": the global variables of the primary session, written
// when the program ends and declared again when it starts.
#pragma once

#include <cstddef>
#include <string>

namespace zirbin::files {
class UserPrompts;
}

namespace zirbin::session {

class Workspace;

// A variable whose value has this many elements or more is "large" and is not saved.
inline constexpr std::size_t kLargeValueElements = 10000;

// Results of saveSession.
enum class SaveSessionResult : int {
  kSaved = 0,              // every variable with a value was saved
  kSavedSkippingEmpty = 1, // saved; some variable had no value object and was skipped
  kNotSaved = 2,           // nothing written: the file could not be written
  kCancelled = 3,          // nothing written: the user cancelled at the large-value question
};

// Writes the global variables of `workspace` to `directory` + "/zirbin_env.bin", in name
// order, each as a name record and a value record, ended by the empty name record. Values
// with kLargeValueElements or more elements are left out: at the first one `prompts` asks
// "Large matrices will not be saved: ok to exit?" under "zirbin exit"; Cancel writes
// nothing. When no one can answer, the rest is saved and the console says which variables
// were too large. The file is written beside its place and renamed over it, so a failed
// write leaves the previous session file intact.
SaveSessionResult saveSession(const Workspace& workspace, const std::string& directory,
                              files::UserPrompts& prompts);

// Reads `directory` + "/zirbin_env.bin" (if it exists) and declares each stored variable
// as a global of the stored value's own type holding the stored value. A damaged file
// keeps the variables read before the damage and makes `prompts` show "problem loading
// previous session" under "zirbin startup".
// REQUIRES: called at global scope, once, after the workspace is built.
void loadSession(Workspace& workspace, const std::string& directory,
                 files::UserPrompts& prompts);

}  // namespace zirbin::session
