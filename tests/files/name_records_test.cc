#include <gtest/gtest.h>

#include <cstdio>

#include "files/records.h"
#include "files/temp_dir.h"

namespace zirbin::files {
namespace {

using testing::TempDir;

std::string le32(std::int32_t v) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) {
    bytes[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  }
  return bytes;
}

// Reads name records from `bytes` until one fails; returns the texts read.
std::vector<std::optional<std::string>> readNames(const TempDir& temp, const std::string& bytes,
                                                  int count) {
  temp.write("n.bin", bytes);
  std::FILE* file = std::fopen(temp.file("n.bin").c_str(), "rb");
  RecordReader in(file);
  std::vector<std::optional<std::string>> names;
  for (int i = 0; i < count; ++i) names.push_back(readName(in));
  std::fclose(file);
  return names;
}

TEST(NameRecord, LengthTextAndZeroByte) {
  TempDir temp;
  std::FILE* file = std::fopen(temp.file("n.bin").c_str(), "wb");
  RecordWriter out(file);
  writeName(out, "abc");
  writeName(out, "");
  EXPECT_TRUE(out.ok());
  std::fclose(file);
  EXPECT_EQ(temp.read("n.bin"), le32(3) + std::string("abc\0", 4) + le32(0) + std::string(1, '\0'));
}

TEST(NameRecord, RoundTripsAndTextEndsAtFirstZeroByte) {
  TempDir temp;
  auto names = readNames(temp, le32(2) + std::string("hi\0", 3) + le32(3) + std::string("a\0b\0", 4), 3);
  EXPECT_EQ(names[0], "hi");
  EXPECT_EQ(names[1], "a");
  EXPECT_EQ(names[2], std::nullopt);
}

TEST(NameRecord, MissingFinalZeroByteDoesNotCountAsText) {
  TempDir temp;
  auto names = readNames(temp, le32(0) + "~" + le32(2) + "abc", 2);
  EXPECT_EQ(names[0], "");
  EXPECT_EQ(names[1], "ab");
}

TEST(NameRecord, OverlongOrNegativeLengthGivesEmptyNameAndStops) {
  TempDir temp;
  auto names = readNames(temp, le32(kMaxNameLength + 1) + "whatever" + le32(1) + "x", 2);
  EXPECT_EQ(names[0], "");
  EXPECT_EQ(names[1], std::nullopt);
  names = readNames(temp, le32(-5) + le32(1) + std::string("x\0", 2), 2);
  EXPECT_EQ(names[0], "");
  EXPECT_EQ(names[1], std::nullopt);
}

TEST(NameRecord, LengthBeyondTheFileFailsWithoutReading) {
  TempDir temp;
  auto names = readNames(temp, le32(kMaxNameLength) + "short", 1);
  EXPECT_EQ(names[0], std::nullopt);
}

TEST(NameRecord, WriterCutsTextsNoReaderWouldAccept) {
  TempDir temp;
  std::FILE* file = std::fopen(temp.file("n.bin").c_str(), "wb");
  RecordWriter out(file);
  writeName(out, std::string(kMaxNameLength + 10, 'x'));
  std::fclose(file);
  auto names = readNames(temp, temp.read("n.bin"), 1);
  ASSERT_TRUE(names[0].has_value());
  EXPECT_EQ(names[0]->size(), static_cast<std::size_t>(kMaxNameLength));
}

}  // namespace
}  // namespace zirbin::files
