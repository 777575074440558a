// The path list: completion of typed names, the file search, the current directory and
// the recent set, and the file "zirbin_cd.bin".
#include "files/path_list.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "files/atomic_file.h"
#include "files/records.h"
#include "files/state_dir.h"
#include "files/user_prompts.h"
#include "base/errors.h"

namespace zirbin::files {
namespace {

// Typed names may use either separator; "~" stands for the home directory as in a shell.
std::string typedName(std::string_view name) {
  std::string result(name);
  std::replace(result.begin(), result.end(), '\\', '/');
  if (result == "~" || result.starts_with("~/")) {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') result = std::string(home) + result.substr(1);
  }
  return result;
}

void appendDefaultExtension(std::string& name, std::string_view extension) {
  std::size_t slash = name.rfind('/');
  std::string_view last = std::string_view(name).substr(slash == std::string::npos ? 0 : slash + 1);
  if (!extension.empty() && last.find('.') == std::string_view::npos) {
    name += '.';
    name += extension;
  }
}

// Folds "." and ".." steps and doubled separators, and drops a '/' at the end.
std::string normalised(const std::string& path) {
  std::string result = std::filesystem::path(path).lexically_normal().string();
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

std::string joined(const std::string& directory, const std::string& name) {
  if (name.starts_with('/')) return normalised(name);
  return normalised(directory + "/" + name);
}

PathKind kindOf(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return PathKind::kMissing;
  return S_ISDIR(info.st_mode) ? PathKind::kDirectory : PathKind::kFile;
}

void checkLength(const std::string& path, const std::string& context) {
  if (path.size() >= kPathLengthLimit) {
    session::checkFailed(context, "path name is too long: " + path);
  }
}

std::string processDirectory() {
  std::error_code error;
  std::string cwd = std::filesystem::current_path(error).string();
  return error ? std::string("/") : cwd;
}

}  // namespace

PathList::PathList() : current_(processDirectory()) {}

PathList::PathList(std::string currentDirectory) : current_(normalised(currentDirectory)) {}

std::string PathList::completePath(std::string_view name,
                                   std::string_view defaultExtension) const {
  std::string result = typedName(name);
  appendDefaultExtension(result, defaultExtension);
  return joined(current_, result);
}

std::string PathList::resolveFile(std::string_view name, bool mustExist,
                                  std::string_view defaultExtension,
                                  const std::string& context) const {
  if (name.empty()) session::checkFailed(context, "missing or empty file name");
  std::string path = completePath(name, defaultExtension);
  checkLength(path, context);
  if (mustExist && kindOf(path) == PathKind::kMissing) {
    session::checkFailed(context, "file not found: " + std::string(name));
  }
  return path;
}

PathKind PathList::pathKind(std::string_view name, const std::string& context) const {
  std::string path = completePath(name, "");
  checkLength(path, context);
  return kindOf(path);
}

std::string PathList::findFile(std::string_view name, std::string_view defaultExtension) const {
  std::string relative = typedName(name);
  appendDefaultExtension(relative, defaultExtension);
  std::string inCurrent = joined(current_, relative);
  if (relative.starts_with('/') || kindOf(inCurrent) != PathKind::kMissing) return inCurrent;
  for (const char* subdirectory : kSearchSubdirectories) {
    std::string candidate = joined(programDirectory() + "/" + subdirectory, relative);
    if (kindOf(candidate) != PathKind::kMissing) return candidate;
  }
  return inCurrent;
}

void PathList::setDirectory(std::string_view path, const std::string& context) {
  std::string directory = completePath(path, "");
  if (::chdir(directory.c_str()) != 0) {
    session::checkFailed(context, "can't find directory " + directory);
  }
  current_ = directory;
  recent_.insert(directory);
}

std::string PathList::selectedRecent() const {
  auto first = recent_.lower_bound(current_);
  if (first == recent_.end() || !first->starts_with(current_)) return std::string();
  return *first;
}

bool savePathList(const PathList& list, const std::string& path) {
  AtomicFile file(path);
  if (file.stream() == nullptr) return false;
  RecordWriter out(file.stream());
  std::size_t count = std::min(list.recent().size(), kPathListFileEntries);
  out.writeInt32(static_cast<std::int32_t>(count));
  writeName(out, list.currentDirectory());
  auto entry = list.recent().begin();
  for (std::size_t i = 0; i < count; ++i, ++entry) writeName(out, *entry);
  return file.commit(out.ok());
}

namespace {

// Reads the stored entries into `list`; returns false at the first damage. The count is
// an upper bound only: each record is checked against the bytes left, so a hostile count
// cannot make the loop run past the end of the file.
bool readPathList(RecordReader& in, PathList& list, bool restoreCurrentDirectory) {
  std::int32_t stored = 0;
  if (!in.readInt32(stored)) return false;
  std::uint32_t count = static_cast<std::uint32_t>(stored);
  std::optional<std::string> current = readName(in);
  if (!current || in.failed()) return false;
  if (restoreCurrentDirectory && current->starts_with('/') &&
      kindOf(*current) == PathKind::kDirectory) {
    try {
      list.setDirectory(*current);
    } catch (const session::RuntimeError&) {
      // A directory that can no longer be entered: stay where the program started.
    }
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    std::optional<std::string> entry = readName(in);
    if (!entry || in.failed()) return false;
    if (!entry->empty()) list.addRecent(*entry);
  }
  return true;
}

}  // namespace

void loadPathList(PathList& list, const std::string& path, bool restoreCurrentDirectory,
                  UserPrompts& prompts) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  RecordReader in(file);
  bool ok = readPathList(in, list, restoreCurrentDirectory);
  std::fclose(file);
  if (!ok) prompts.notify("problem loading path list", "zirbin startup");
}

}  // namespace zirbin::files
