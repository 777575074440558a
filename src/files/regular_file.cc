// Opening regular files only, without blocking on FIFOs and devices.
#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zirbin::files {

std::FILE* openRegularFile(const std::string& path, const std::string& mode, bool* notRegular) {
  if (notRegular != nullptr) *notRegular = false;
  if (mode.empty()) return nullptr;
  int flags = O_NONBLOCK | O_NOCTTY;
  switch (mode[0]) {
    case 'r': flags |= O_RDONLY; break;
    case 'w': flags |= O_WRONLY | O_CREAT; break;
    case 'a': flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    default: return nullptr;
  }
  if (mode.find('e') != std::string::npos) flags |= O_CLOEXEC;
  const int descriptor = ::open(path.c_str(), flags, 0666);
  if (descriptor < 0) {
    // Opening a directory for writing fails before it can be looked at.
    struct stat info {};
    if (notRegular != nullptr && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      *notRegular = true;
    }
    return nullptr;
  }
  struct stat info {};
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (notRegular != nullptr) *notRegular = true;
    ::close(descriptor);
    return nullptr;
  }
  // Truncating waits until the file is known to be regular: a FIFO or device is never
  // touched.
  if (mode[0] == 'w' && ::ftruncate(descriptor, 0) != 0) {
    ::close(descriptor);
    return nullptr;
  }
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  std::string streamMode = mode;
  std::erase(streamMode, 'e');
  std::FILE* stream = ::fdopen(descriptor, streamMode.c_str());
  if (stream == nullptr) ::close(descriptor);
  return stream;
}

}  // namespace zirbin::files
