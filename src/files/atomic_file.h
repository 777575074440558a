// Writing a file so that it is either completely replaced or left as it was: the data goes
// to a temporary file beside the target, which is renamed over the target only when every
// write and the close succeeded.
#pragma once

#include <cstdio>
#include <string>

namespace zirbin::files {

class AtomicFile {
 public:
  // Opens a new temporary file in the directory of `path` for binary writing.
  explicit AtomicFile(std::string path);
  // Discards the temporary file unless commit() succeeded.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // The stream to write to; null when the temporary file could not be made.
  std::FILE* stream() const { return stream_; }

  // Flushes, syncs and closes the temporary file and renames it to the target path.
  // Returns false (leaving the target untouched) when any step fails or `writesOk` is
  // false.
  bool commit(bool writesOk);

 private:
  void discard();

  std::string path_;
  std::string temporaryPath_;
  std::FILE* stream_ = nullptr;
};

}  // namespace zirbin::files
