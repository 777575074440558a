// Where the program keeps its state files (session, history, path list, help text) and
// where it finds its data files (funcref.txt, resource/, toolbox/, teach/, demo/).
#pragma once

#include <string>
#include <string_view>

namespace zirbin::files {

// The state files, each in the state directory.
inline constexpr char kSessionFileName[] = "zirbin_env.bin";
inline constexpr char kHistoryFileName[] = "zirbin_comm.bin";
inline constexpr char kPathListFileName[] = "zirbin_cd.bin";
inline constexpr char kHelpTextFileName[] = "zirbinhelp.txt";

// Returns the state directory: $ZIRBIN_HOME when set and not empty, else
// $XDG_STATE_HOME/zirbin when XDG_STATE_HOME is set and not empty, else
// $HOME/.local/state/zirbin. The environment is read on every call. The directory (and its
// missing parents) is created when missing; when that fails the path is still returned
// and the writes into it fail quietly later. Never throws. No separator at the end.
std::string stateDirectory();

// Returns stateDirectory() + "/" + fileName.
std::string stateFilePath(std::string_view fileName);

// Returns the program directory: the directory of the running executable (the target of
// /proc/self/exe cut before its last '/'), worked out once on first use; no separator at
// the end. Falls back to the process's working directory when the executable cannot be
// found.
const std::string& programDirectory();

// Replaces the program directory for the rest of the run (tests; front ends started from
// an unusual place). A trailing '/' is dropped.
void setProgramDirectory(std::string directory);

}  // namespace zirbin::files
