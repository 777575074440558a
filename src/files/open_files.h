// The open-file table behind `fopen`, `fclose`, `feof`, `fread` and `fwrite`, and those
// built-ins as plain functions over values, ready to be registered.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace zirbin::values {
class Value;
}

namespace zirbin::files {

class PathList;

// Writes one console line of the instance that runs the built-in.
using ConsoleLine = std::function<void(const std::string& text)>;

// File ids run from 1 to this; entry 0 is never used.
inline constexpr int kMaxFileId = 9;

// A text line read by `fread` must be shorter than this many characters.
inline constexpr long kMaxTextLine = 6003000;

// The mode byte of an entry: the bit values of text and write.
inline constexpr unsigned char kTextMode = 1;
inline constexpr unsigned char kWriteMode = 2;

// One process-wide table of open C streams. The count word marks the end of the used part:
// opening into the entry equal to the count raises it; closing the entry just below it
// lowers it; closing any other entry leaves it.
class OpenFileTable {
 public:
  OpenFileTable() = default;
  // Closes every open stream.
  ~OpenFileTable();
  OpenFileTable(const OpenFileTable&) = delete;
  OpenFileTable& operator=(const OpenFileTable&) = delete;

  int count() const { return count_; }
  // The stream of entry `id`, or null when the entry is free. REQUIRES: 0 <= id <= 9.
  std::FILE* stream(int id) const { return entries_[id].stream; }
  unsigned char mode(int id) const { return entries_[id].mode; }

  // Takes the lowest free entry below the count, else the entry equal to the count (then
  // cleared, and the count raised). Fails with "in fopen: max number of files already
  // open" when that entry would be beyond 9.
  int reserve();
  // Stores an opened stream in a reserved entry.
  void store(int id, std::FILE* stream, unsigned char mode);
  // Closes entry `id` (validated as below) and lowers the count if it was the last entry.
  void close(int id, const char* context);
  // Closes every open stream and resets the count to 1.
  void closeAll();
  // Returns the id if it names an open entry; fails with "illegal file id" above 9 (and
  // below 1) and with "file not open" for a free entry, both for `context`.
  int validate(int id, const char* context) const;

 private:
  struct Entry {
    std::FILE* stream = nullptr;
    unsigned char mode = 0;
  };
  Entry entries_[kMaxFileId + 1];
  int count_ = 1;
};

// The process's table (shared by every interpreter instance). Written by the file
// built-ins only.
OpenFileTable& openFiles();

// `fopen(name, mode)`: opens the file named by the string `name` (resolved by `paths`,
// default extension "txt" or the one given after a '.' in the mode) and returns its id,
// or 0 when it could not be opened and the result is to be empty. Mode letters, each by
// presence: 'w' write, 'a' append, 'r' read, 'b' binary, 'q' quiet, '!' must succeed; no
// mode reads text. A file that cannot be opened prints the resolved path and
// "fopen: file not found or can't be opened" (unless quiet without '!'); with '!' the call
// then fails with "in fopen: file not found or can't be opened".
// Other failures: "the file name must be a string", "the mode argument must be a string",
// "ambiguous read/write mode string", "max number of files already open".
int fopenFile(OpenFileTable& table, const PathList& paths, const values::Value& name,
              const values::Value* mode, const ConsoleLine& console);

// `fclose(id)`: an id below 1 closes every file; otherwise closes that one.
void fcloseFile(OpenFileTable& table, const values::Value& id);

// `feof(id)`: true when the stream is at its end.
bool feofFile(OpenFileTable& table, const values::Value& id);

// `fread(id, n)`: reads into `result` (REQUIRES: a DoubleValue): from a binary stream a
// 1 x n row of byte values 0-255 (n defaults to 1; fewer at the end of the file), from a
// text stream one line as a string without its newline; an empty value at end of file.
// The id must hold one element (else the operator code ']'). Fails with "can't read from
// output file" and "line too long".
void freadFile(OpenFileTable& table, const values::Value& id, const values::Value* count,
               values::Value& result);

// `fwrite(id, v)`: to a binary stream each element of v (truncated to an integer) as one
// byte; to a text stream v's string form and a newline, or the text without its final
// '\' and without a newline, or only a newline when v is absent or empty. The id must hold
// one element (else ']'). Fails with "can't write to input file" and "missing value to
// write".
void fwriteFile(OpenFileTable& table, const values::Value& id, const values::Value* value);

}  // namespace zirbin::files
