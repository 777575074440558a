// Writing a file so that it is either completely replaced or left as it was: the data goes
// to a temporary file beside the target, which is renamed over the target only when every
// write and the close succeeded.
#pragma once

#include <chrono>
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

  // Gives the temporary file the permissions of the file it will replace or, when there
  // is none, those of a newly created file (0666 less the umask), instead of owner-only:
  // for a user's data file, which others may be meant to read.
  void takeDataFileMode();

 private:
  void discard();

  std::string path_;
  std::string temporaryPath_;
  std::FILE* stream_ = nullptr;
};

// Removes from `directory` the temporary files of saves that never finished (the process
// was killed between writing and renaming): names "NAME.tmp.XXXXXX" whose NAME starts
// with `prefix`, last changed at least `age` ago (a younger one may be another
// instance's save in progress). Returns how many were removed; never throws.
int removeStaleTemporaries(const std::string& directory, const std::string& prefix,
                           std::chrono::seconds age);

}  // namespace zirbin::files
