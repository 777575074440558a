// Whole-or-nothing file replacement through a temporary file and a rename.
#include "files/atomic_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace zirbin::files {

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  std::string pattern = path_ + ".tmp.XXXXXX";
  int descriptor = ::mkstemp(pattern.data());
  if (descriptor < 0) return;
  temporaryPath_ = pattern;
  stream_ = ::fdopen(descriptor, "wb");
  if (stream_ == nullptr) {
    ::close(descriptor);
    discard();
  }
}

AtomicFile::~AtomicFile() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  discard();
}

void AtomicFile::takeDataFileMode() {
  if (stream_ == nullptr) return;
  struct stat existing {};
  mode_t mode;
  if (::stat(path_.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(::fileno(stream_), mode);
}

void AtomicFile::discard() {
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}

bool AtomicFile::commit(bool writesOk) {
  if (stream_ == nullptr) return false;
  bool ok = writesOk && std::fflush(stream_) == 0 && ::fsync(::fileno(stream_)) == 0;
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  // mkstemp makes the file readable by its owner only; the state files are the owner's.
  if (ok && std::rename(temporaryPath_.c_str(), path_.c_str()) == 0) {
    temporaryPath_.clear();
    return true;
  }
  discard();
  return false;
}

int removeStaleTemporaries(const std::string& directory, const std::string& prefix,
                           std::chrono::seconds age) {
  namespace fs = std::filesystem;
  // The suffix mkstemp gives the pattern NAME.tmp.XXXXXX.
  constexpr std::string_view kMarker = ".tmp.";
  constexpr std::size_t kRandomPart = 6;
  std::error_code error;
  const auto now = fs::file_time_type::clock::now();
  int removed = 0;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    const std::size_t marker = name.rfind(kMarker);
    if (!name.starts_with(prefix) || marker == std::string::npos ||
        name.size() != marker + kMarker.size() + kRandomPart) {
      continue;
    }
    std::error_code statError;
    if (!it->is_regular_file(statError) || statError) continue;
    const auto changed = fs::last_write_time(it->path(), statError);
    if (statError || now - changed < age) continue;
    if (fs::remove(it->path(), statError)) ++removed;
  }
  return removed;
}

}  // namespace zirbin::files
