// Opening files for the data-file built-ins: regular files only, so that a FIFO, a device
// or a directory named by a user can neither block the program nor feed it without end.
#pragma once

#include <cstdio>
#include <string>

namespace zirbin::files {

// Opens `path` as std::fopen does with `mode` ("r", "w" or "a", optionally followed by
// "b" and "e", close-on-exec), but only when it is a regular file (for "w" and "a", a file
// that is missing is created). Nothing blocks: a FIFO without a writer is not waited for.
// Returns null when the file cannot be opened; then `*notRegular` (if given) tells whether
// it was because the path names something other than a regular file.
std::FILE* openRegularFile(const std::string& path, const std::string& mode,
                           bool* notRegular = nullptr);

}  // namespace zirbin::files
