// The binary records shared by the session file, the history file, the path-list file and
// `qsave`/`qload`: the name record (32-bit length, the text, one zero byte) and the value
// record (count, rows, flags, type, then the elements or the list items). All integers are
// 32-bit little-endian. Readers trust nothing: every count and length is checked against
// the bytes left in the file and against fixed limits before anything is allocated.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zirbin::values {
class Value;
}

namespace zirbin::files {

// A name record longer than this is taken as the empty name (the end of the session file);
// nothing after it is trusted, so reading stops there.
inline constexpr std::int32_t kMaxNameLength = 100001;

// A value record with more elements than this keeps only the first ones; the rest of its
// stored elements are skipped.
inline constexpr std::int32_t kMaxReadElements = 6003000;

// Lists nest at most this deep in a record that is read; deeper nesting is a damaged file.
// Keeps the recursive reader far from the end of the stack.
inline constexpr int kMaxRecordNesting = 1000;

// Reads records from an open binary stream, knowing how many bytes are left in it. Once a
// read fails (end of file, a damaged record) every later read fails too.
class RecordReader {
 public:
  // `file` must be open for binary reading and stay open while the reader is used; the
  // reader does not close it.
  explicit RecordReader(std::FILE* file);
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;

  // Bytes left between the read position and the end of the file.
  std::uint64_t remaining() const { return remaining_; }
  bool failed() const { return failed_; }
  // Marks the reader as failed (a record found to be damaged).
  void fail() { failed_ = true; }

  // Each returns false (and marks the reader failed) when the bytes are not there.
  bool readInt32(std::int32_t& out);
  bool readBytes(void* destination, std::uint64_t count);
  bool skip(std::uint64_t count);

 private:
  std::FILE* file_;
  std::uint64_t remaining_ = 0;
  bool failed_ = false;
};

// Writes records to an open binary stream and remembers whether every write succeeded.
class RecordWriter {
 public:
  explicit RecordWriter(std::FILE* file) : file_(file) {}
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;

  bool ok() const { return ok_; }
  void writeInt32(std::int32_t value);
  void writeBytes(const void* source, std::uint64_t count);

 private:
  std::FILE* file_;
  bool ok_ = true;
};

// Writes a name record: the length, the text and one zero byte.
void writeName(RecordWriter& out, std::string_view text);

// Reads a name record. Returns nullopt when the record is not all there. A length above
// kMaxNameLength (or a negative one) gives the empty text and makes the reader stop (the
// rest is not trusted). The text is taken up to its first zero byte.
std::optional<std::string> readName(RecordReader& in);

// Writes a value record; a null value writes the record of "no value" (count -1).
// A list item without a value is written as "no value" as well.
void writeValue(RecordWriter& out, const values::Value* value);

// Reads a value record into `out`: a new value of the stored type with the stored shape
// and elements, or null for a record of "no value". Returns false when the record is
// damaged or truncated (a type code outside 0-3, a shape that does not fit the count, a
// count or list nesting beyond the limits, elements missing at the end of the file); `out`
// is then null and the reader is failed.
bool readValue(RecordReader& in, std::unique_ptr<values::Value>& out);

// Returns true iff the lists in `value` nest no deeper than a reader accepts (with `depth`
// levels above it). Deeper items are written as "no value".
bool nestingFits(const values::Value& value, int depth = 0);

}  // namespace zirbin::files
