// The logic of the built-ins `cd` and `dir` and the directory listing behind `dir`, as
// plain functions over the path list, ready to be registered as built-ins.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zirbin::builtins {
class BuiltinRegistry;
}  // namespace zirbin::builtins

namespace zirbin::files {

class PathList;
class UserPrompts;

// Results of listDirectory.
enum class ListResult : int { kFound = 0, kNothingFound = 1, kListingError = 2 };

// Lists the entries of the directory part of `pattern` (an absolute path whose last part
// may hold the wildcards '*' and '?') whose names match the last part, in byte order.
// A directory is reported as its name + " <DIR>  ", a file as its name; with
// `directoriesOnly` files are left out. The entries "." and ".." are listed as any other.
ListResult listDirectory(const std::string& pattern, bool directoriesOnly,
                         std::vector<std::string>& names);

// The built-in `cd` with its optional argument (nullopt: no argument):
// - none: returns the current directory;
// - "?": lets the user choose a folder with the folder browser and changes to it
//   (cancelling changes nothing); without a folder browser fails with
//   "in cd: no folder browser is available";
// - "clear": asks "The recent path list will be cleared. Are you sure?"; Yes (or no one
//   to answer) empties the recent set;
// - any other text: a directory becomes the current directory and is returned; a file
//   fails with "in cd: attempt to cd to file " + path, a missing directory with
//   "in cd: can't find directory " + path. When the current directory itself has vanished
//   and a relative name is given: "in cd: something wrong: try using 'clear path' to reset
//   zirbin path".
// Returns the text that `cd` gives as its result.
std::string cdCommand(PathList& paths, const std::optional<std::string>& argument,
                      UserPrompts& prompts);

// The built-in `dir` with its optional pattern (nullopt or empty: "."): a pattern ending
// in "*." lists directories only; the completed pattern must be shorter than 259
// characters ("in dir: path name is too long: " + path); a pattern naming a directory
// lists its contents. Fails with "in dir: file not found" when nothing matches and
// "in dir: FindNextFile error in Dir::dir" when the listing fails. Returns the names.
std::vector<std::string> dirCommand(const PathList& paths,
                                    const std::optional<std::string>& pattern);

// Adds `cd` and `dir` to the registry. They act on the running session's path list and
// prompts; without a running session they fail with "no interpreter session is running".
void registerDirectoryCommands(builtins::BuiltinRegistry& registry);

}  // namespace zirbin::files
