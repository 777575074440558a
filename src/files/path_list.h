// The path list of one interpreter instance: its current directory and the set of recently
// used directories, the completion of typed file names into full paths, the search for
// scripts, and the file "zirbin_cd.bin" that keeps both between runs.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

namespace zirbin::files {

class UserPrompts;

// A completed path must be shorter than this many characters (258 at most): the old
// platform's 260-character path buffer, less the terminating zero and one spare.
inline constexpr std::size_t kPathLengthLimit = 259;

// At most this many recent directories are written to "zirbin_cd.bin".
inline constexpr std::size_t kPathListFileEntries = 20;

// The subdirectories of the program directory searched by findFile, in search order.
inline constexpr const char* kSearchSubdirectories[] = {"toolbox", "teach", "demo"};

// What a completed name refers to. The numbers are those the built-ins report.
enum class PathKind : int { kMissing = 0, kFile = 1, kDirectory = 2 };

class PathList {
 public:
  // Starts in the process's working directory, with an empty recent set.
  PathList();
  // Starts in `currentDirectory` (an absolute path), with an empty recent set. Does not
  // change the process's working directory.
  explicit PathList(std::string currentDirectory);
  PathList(const PathList&) = delete;
  PathList& operator=(const PathList&) = delete;

  // The current directory: absolute, '/'-separated, no '/' at the end (except "/").
  const std::string& currentDirectory() const { return current_; }
  // The recent directories, sorted bytewise, without duplicates.
  const std::set<std::string>& recent() const { return recent_; }

  // Completes a typed name into a full path:
  // 1. '\' separators become '/'; a leading "~" alone or before '/' becomes $HOME.
  // 2. When the part after the last '/' holds no '.', "." + defaultExtension is appended
  //    (nothing when defaultExtension is empty).
  // 3. A name beginning with '/' is absolute; any other is joined to the current
  //    directory with '/'.
  // 4. "." and ".." steps are folded and a '/' at the end is dropped.
  // Never throws; the length rule is the caller's (resolveFile, pathKind).
  std::string completePath(std::string_view name, std::string_view defaultExtension) const;

  // Completes `name` and checks it. Throws RuntimeError (through session::checkFailed with
  // `context`, so "in " + context + ": " + message when context is not empty):
  // "missing or empty file name" for an empty name; "path name is too long: " + path when
  // the completed path has kPathLengthLimit characters or more; "file not found: " + name
  // when `mustExist` and nothing exists at the path. Returns the completed path.
  std::string resolveFile(std::string_view name, bool mustExist,
                          std::string_view defaultExtension,
                          const std::string& context = "") const;

  // Says what the completed `name` (no default extension) is. Throws "path name is too
  // long: " + path as resolveFile does.
  PathKind pathKind(std::string_view name, const std::string& context = "") const;

  // Finds a script or data file: completes the name; an absolute name is returned whether
  // it exists or not. Otherwise returns the first existing of: current directory + name,
  // then program directory + "/toolbox/", "/teach/", "/demo/" + name; when none exists,
  // the current-directory candidate (the caller reports the missing file).
  std::string findFile(std::string_view name, std::string_view defaultExtension) const;

  // Makes the completed `path` the current directory, changes the process's working
  // directory to it (so that shell commands and the working-directory query agree), and
  // adds it to the recent set. REQUIRES: the path names a directory. Throws
  // RuntimeError "can't find directory " + path (with `context`) when the process cannot
  // enter it; the current directory then stays as it was.
  void setDirectory(std::string_view path, const std::string& context = "");

  // Adds a directory to the recent set (used when the path-list file is read).
  void addRecent(std::string directory) { recent_.insert(std::move(directory)); }
  // Empties the recent set; the file keeps the old set until the next save.
  void clearRecent() { recent_.clear(); }

  // The entry the console's combo box selects for the current directory: the first recent
  // entry (in sorted order) that begins with the current directory, or empty.
  std::string selectedRecent() const;

 private:
  std::string current_;
  std::set<std::string> recent_;
};

// Writes `list` to the file at `path` (normally stateFilePath(kPathListFileName)): the
// count of stored recent entries (min(recent size, 20)), the current directory as a name
// record, then the first `count` recent entries in sorted order as name records. The file
// is written beside its final place and renamed over it, so a failed write leaves the
// previous file intact. Returns false when the file could not be written.
bool savePathList(const PathList& list, const std::string& path);

// Reads the file at `path` into `list`: every stored recent entry is added to the recent
// set, and, when `restoreCurrentDirectory` is set and the stored current directory still
// exists, it becomes the current directory (as setDirectory). A missing file changes
// nothing and says nothing. A damaged file (truncated, impossible counts or lengths)
// keeps what was read and makes `prompts` show "problem loading path list" under
// "zirbin startup".
void loadPathList(PathList& list, const std::string& path, bool restoreCurrentDirectory,
                  UserPrompts& prompts);

}  // namespace zirbin::files
