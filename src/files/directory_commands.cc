// The built-ins `cd` and `dir`, and the directory listing behind `dir`.
#include "files/directory_commands.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <unistd.h>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/registry.h"
#include "files/path_list.h"
#include "files/user_prompts.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::files {
namespace {

// Wildcard match as the old file system's enumeration does it: '*' any run of characters,
// '?' any one character, everything else literally (no bracket expressions, no escapes).
bool wildcardMatch(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t starPattern = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
    } else if (starPattern != std::string_view::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool isDirectoryEntry(const std::string& directory, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
  struct stat info;  // follows links, so a link to a directory lists as a directory
  std::string path = directory + "/" + entry.d_name;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

ListResult listDirectory(const std::string& pattern, bool directoriesOnly,
                         std::vector<std::string>& names) {
  std::size_t slash = pattern.rfind('/');
  std::string directory = slash == std::string::npos ? std::string(".")
                          : slash == 0                ? std::string("/")
                                                      : pattern.substr(0, slash);
  std::string_view namePattern = pattern;
  if (slash != std::string::npos) namePattern.remove_prefix(slash + 1);
  // "*.*" matches every name, as it always has; "*." asks for directories, and directory
  // names on this system may hold dots, so it lists every directory.
  if (namePattern == "*.*" || (directoriesOnly && namePattern == "*.")) namePattern = "*";

  DIR* stream = ::opendir(directory.c_str());
  if (stream == nullptr) {
    return errno == ENOENT || errno == ENOTDIR ? ListResult::kNothingFound
                                               : ListResult::kListingError;
  }
  std::vector<std::pair<std::string, bool>> found;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(stream);
    if (entry == nullptr) break;
    if (!wildcardMatch(namePattern, entry->d_name)) continue;
    bool isDirectory = isDirectoryEntry(directory, *entry);
    if (directoriesOnly && !isDirectory) continue;
    found.emplace_back(entry->d_name, isDirectory);
  }
  int error = errno;
  ::closedir(stream);
  if (error != 0) return ListResult::kListingError;
  if (found.empty()) return ListResult::kNothingFound;
  // readdir's order is the file system's whim; a sorted listing reads better.
  std::sort(found.begin(), found.end());
  for (const auto& [name, isDirectory] : found) {
    names.push_back(isDirectory ? name + " <DIR>  " : name);
  }
  return ListResult::kFound;
}

namespace {

std::string changeTo(PathList& paths, const std::string& name) {
  bool relative = !name.starts_with('/') && !name.starts_with('\\') && !name.starts_with('~');
  if (relative && paths.pathKind(".") != PathKind::kDirectory) {
    session::checkFailed("cd", "something wrong: try using 'clear path' to reset zirbin path");
  }
  switch (paths.pathKind(name, "cd")) {
    case PathKind::kDirectory:
      paths.setDirectory(name, "cd");
      return paths.currentDirectory();
    case PathKind::kFile:
      session::checkFailed("cd", "attempt to cd to file " + paths.completePath(name, ""));
    case PathKind::kMissing:
      break;
  }
  session::checkFailed("cd", "can't find directory " + paths.completePath(name, ""));
}

}  // namespace

std::string cdCommand(PathList& paths, const std::optional<std::string>& argument,
                      UserPrompts& prompts) {
  // The current directory comes back as a plain string: strings display literally, so a
  // wrapping markup prefix would show as text.
  if (!argument) return paths.currentDirectory();
  if (*argument == "?") {
    std::optional<std::string> chosen = prompts.browseFolder(paths.currentDirectory());
    if (!chosen) session::checkFailed("cd", "no folder browser is available");
    if (chosen->empty()) return paths.currentDirectory();
    return changeTo(paths, *chosen);
  }
  if (*argument == "clear") {
    // Typed by the user: when no one can answer the question, the command stands.
    std::optional<bool> yes =
        prompts.askYesNo("The recent path list will be cleared. Are you sure?", "cd");
    if (yes.value_or(true)) paths.clearRecent();
    return paths.currentDirectory();
  }
  return changeTo(paths, *argument);
}

std::vector<std::string> dirCommand(const PathList& paths,
                                    const std::optional<std::string>& pattern) {
  std::string typed = pattern && !pattern->empty() ? *pattern : std::string(".");
  bool directoriesOnly = typed.ends_with("*.");
  std::string path = paths.completePath(typed, "");
  if (path.size() >= kPathLengthLimit) {
    session::checkFailed("dir", "path name is too long: " + path);
  }
  if (path.find('*') == std::string::npos &&
      paths.pathKind(path) == PathKind::kDirectory) {
    path += path.ends_with('/') ? "*" : "/*";
  }
  std::vector<std::string> names;
  switch (listDirectory(path, directoriesOnly, names)) {
    case ListResult::kFound:
      break;
    case ListResult::kNothingFound:
      session::checkFailed("dir", "file not found");
    case ListResult::kListingError:
      session::checkFailed("dir", "FindNextFile error in Dir::dir");
  }
  return names;
}

namespace {

using builtins::BuiltinArgs;
using builtins::BuiltinKind;
using values::Value;

// The running session's path list and prompts.
PathList& runningPaths() {
  if (!session::runContext->pathList || !session::runContext->prompts) {
    throw session::RuntimeError("no interpreter session is running");
  }
  return *session::runContext->pathList;
}

std::optional<std::string> optionalText(const BuiltinArgs& args) {
  if (args.count() == 0) return std::nullopt;
  return args.text(0);
}

// cd [name]: see cdCommand. The process's working directory follows, so that system
// commands and the current directory agree.
void cd(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  PathList& paths = runningPaths();
  const std::string text = cdCommand(paths, optionalText(args), *session::runContext->prompts);
  const std::string& current = paths.currentDirectory();
  if (!current.empty() && ::chdir(current.c_str()) != 0) {
    // The path list accepted the directory; a failing chdir leaves the process where it
    // was and is not the user's error.
  }
  result.assignString(text);
}

// dir [pattern]: the names as a list of strings.
void dir(BuiltinArgs& args, Value& result, std::span<Value* const>) {
  const std::vector<std::string> names = dirCommand(runningPaths(), optionalText(args));
  auto& out = static_cast<values::ListValue&>(result);
  out.clear();
  out.resize(static_cast<int>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto item = std::make_unique<values::IntValue>();
    item->assignString(names[i]);
    out.data[i].value = std::move(item);
  }
  out.nrow = names.empty() ? 0 : 1;
  out.flags = names.empty() ? 0 : values::JMAT_LIST;
}

constexpr builtins::BuiltinEntry kEntries[] = {
    {"cd", BuiltinKind::General, builtins::kIntResult, cd, 0, 1},
    {"dir", BuiltinKind::General, builtins::kListResult, dir, 0, 1},
};

}  // namespace

void registerDirectoryCommands(builtins::BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::files
