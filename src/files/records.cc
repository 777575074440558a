// The record reader and writer, and the name record: 32-bit little-endian counts, strings
// with their length and a zero byte.
#include "files/records.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>

namespace zirbin::files {

static_assert(std::endian::native == std::endian::little,
              "element blocks are written and read as they lie in memory");

RecordReader::RecordReader(std::FILE* file) : file_(file) {
  struct stat info;
  long position = std::ftell(file_);
  if (::fstat(::fileno(file_), &info) != 0 || position < 0 || info.st_size < position) {
    failed_ = true;
    return;
  }
  remaining_ = static_cast<std::uint64_t>(info.st_size - position);
}

bool RecordReader::readBytes(void* destination, std::uint64_t count) {
  if (count == 0) return !failed_;
  if (failed_ || count > remaining_ ||
      std::fread(destination, 1, count, file_) != count) {
    failed_ = true;
    return false;
  }
  remaining_ -= count;
  return true;
}

bool RecordReader::readInt32(std::int32_t& out) {
  unsigned char bytes[4];
  if (!readBytes(bytes, sizeof bytes)) return false;
  std::uint32_t value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                        (static_cast<std::uint32_t>(bytes[3]) << 24);
  out = static_cast<std::int32_t>(value);
  return true;
}

bool RecordReader::skip(std::uint64_t count) {
  if (failed_ || count > remaining_ ||
      std::fseek(file_, static_cast<long>(count), SEEK_CUR) != 0) {
    failed_ = true;
    return false;
  }
  remaining_ -= count;
  return true;
}

void RecordWriter::writeBytes(const void* source, std::uint64_t count) {
  if (ok_ && count > 0 && std::fwrite(source, 1, count, file_) != count) ok_ = false;
}

void RecordWriter::writeInt32(std::int32_t value) {
  std::uint32_t bits = static_cast<std::uint32_t>(value);
  unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                            static_cast<unsigned char>(bits >> 16),
                            static_cast<unsigned char>(bits >> 24)};
  writeBytes(bytes, sizeof bytes);
}

void writeName(RecordWriter& out, std::string_view text) {
  // A text longer than a reader accepts would end the file early for every reader; such
  // a text is cut to the limit.
  if (text.size() > static_cast<std::size_t>(kMaxNameLength)) text = text.substr(0, kMaxNameLength);
  out.writeInt32(static_cast<std::int32_t>(text.size()));
  out.writeBytes(text.data(), text.size());
  out.writeBytes("", 1);
}

std::optional<std::string> readName(RecordReader& in) {
  std::int32_t length = 0;
  if (!in.readInt32(length)) return std::nullopt;
  if (length < 0 || length > kMaxNameLength) {
    in.fail();
    return std::string();
  }
  std::uint64_t size = static_cast<std::uint64_t>(length) + 1;
  if (in.remaining() < size) {
    in.fail();
    return std::nullopt;
  }
  std::string text(size, '\0');
  if (!in.readBytes(text.data(), size)) return std::nullopt;
  // Up to the first zero byte; the last byte, which should be that zero, never counts.
  text.resize(std::min<std::size_t>(text.find('\0'), static_cast<std::size_t>(length)));
  return text;
}

}  // namespace zirbin::files
