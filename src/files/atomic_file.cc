// Whole-or-nothing file replacement through a temporary file and a rename.
#include "files/atomic_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

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

}  // namespace zirbin::files
