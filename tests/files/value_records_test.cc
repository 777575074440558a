#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "files/records.h"
#include "files/temp_dir.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::files {
namespace {

using testing::TempDir;
using values::ComplexValue;
using values::DoubleValue;
using values::IntValue;
using values::ListValue;
using values::Value;

// Writes `value` to a file and returns its bytes.
std::string recordBytes(const TempDir& temp, const Value* value) {
  std::FILE* file = std::fopen(temp.file("record.bin").c_str(), "wb");
  RecordWriter out(file);
  writeValue(out, value);
  EXPECT_TRUE(out.ok());
  std::fclose(file);
  return temp.read("record.bin");
}

// Reads one value record from `bytes`; returns whether the read succeeded.
bool readBack(const TempDir& temp, const std::string& bytes, std::unique_ptr<Value>& out,
              std::uint64_t* left = nullptr) {
  temp.write("in.bin", bytes);
  std::FILE* file = std::fopen(temp.file("in.bin").c_str(), "rb");
  RecordReader in(file);
  bool ok = readValue(in, out);
  if (left != nullptr) *left = in.remaining();
  std::fclose(file);
  return ok;
}

std::unique_ptr<Value> roundTrip(const TempDir& temp, const Value& value) {
  std::unique_ptr<Value> back;
  EXPECT_TRUE(readBack(temp, recordBytes(temp, &value), back));
  return back;
}

std::unique_ptr<Value> text(const std::string& s) {
  auto value = std::make_unique<IntValue>();
  value->assignString(s);
  return value;
}

std::string le32(std::int32_t v) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return bytes;
}

std::string header(std::int32_t n, std::int32_t rows, std::int32_t flags, std::int32_t type) {
  return le32(n) + le32(rows) + le32(flags) + le32(type);
}

TEST(ValueRecord, IntMatrixHasTheDocumentedBytes) {
  TempDir temp;
  IntValue m;
  m.setLayout(2, 2, 0);
  m.data[0] = 1;
  m.data[1] = -2;
  EXPECT_EQ(recordBytes(temp, &m), header(2, 2, 0, 0) + le32(1) + le32(-2));
}

TEST(ValueRecord, NumbersKeepShapeFlagsAndElements) {
  TempDir temp;
  DoubleValue d;
  d.setLayout(6, 2, 0);
  for (int i = 0; i < 6; ++i) d.data[i] = i * 0.5 - 1;
  auto back = roundTrip(temp, d);
  ASSERT_EQ(back->valueType(), values::DOUBLE_VAL);
  EXPECT_EQ(back->size, 6);
  EXPECT_EQ(back->nrow, 2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(static_cast<DoubleValue&>(*back).data[i], i * 0.5 - 1);

  ComplexValue c;
  c.setLayout(2, 1, values::JMAT_PAIRED);
  c.data[0] = {1, 2};
  c.data[1] = {-3, 4.5};
  back = roundTrip(temp, c);
  ASSERT_EQ(back->valueType(), values::COMPLEX_VAL);
  EXPECT_EQ(back->flags, values::JMAT_PAIRED);
  EXPECT_EQ(static_cast<ComplexValue&>(*back).data[1], std::complex<double>(-3, 4.5));
}

TEST(ValueRecord, StringComesBackWithItsKind) {
  TempDir temp;
  auto back = roundTrip(temp, *text("h\xe9llo"));
  EXPECT_EQ(back->valueType(), values::INTEGER_VAL);
  EXPECT_TRUE(back->isChar());
  EXPECT_EQ(back->toString(), "h\xe9llo");
}

TEST(ValueRecord, ThreeDimensionalArrayKeepsItsPages) {
  TempDir temp;
  IntValue cube;
  cube.setLayout(12, 2, values::JMAT_3D | (3 << values::kPageShift));
  for (int i = 0; i < 12; ++i) cube.data[i] = i;
  auto back = roundTrip(temp, cube);
  EXPECT_EQ(back->pages(), 3);
  EXPECT_EQ(back->ncol3D(), 2);
}

TEST(ValueRecord, ListOfListsKeepsNestingRowsFlagsAndEmptyItems) {
  TempDir temp;
  auto inner = std::make_unique<ListValue>();
  inner->setLayout(2, 2, values::JMAT_LIST);
  inner->data[0].value = text("ab");
  ListValue outer;
  outer.setLayout(3, 1, values::JMAT_LIST);
  outer.data[0].value = std::make_unique<DoubleValue>(2.5);
  outer.data[1].value = std::move(inner);
  auto back = roundTrip(temp, outer);
  ASSERT_EQ(back->valueType(), values::LIST_VAL);
  auto& list = static_cast<ListValue&>(*back);
  EXPECT_EQ(list.size, 3);
  EXPECT_EQ(list.flags, values::JMAT_LIST);
  EXPECT_EQ(list.data[0].value->getDouble(), 2.5);
  EXPECT_TRUE(list.data[2].isEmpty());
  auto& nested = static_cast<ListValue&>(*list.data[1].value);
  EXPECT_EQ(nested.nrow, 2);
  EXPECT_EQ(nested.data[0].value->toString(), "ab");
  EXPECT_TRUE(nested.data[0].value->isChar());
  EXPECT_TRUE(nested.data[1].isEmpty());
}

TEST(ValueRecord, NegativeCountIsNoValue) {
  TempDir temp;
  std::string bytes = recordBytes(temp, nullptr);
  EXPECT_EQ(bytes, header(-1, 0, 0, 0));
  std::unique_ptr<Value> back = std::make_unique<DoubleValue>(1.0);
  EXPECT_TRUE(readBack(temp, bytes, back));
  EXPECT_EQ(back, nullptr);
}

TEST(ValueRecord, EmptyValueRoundTrips) {
  TempDir temp;
  auto back = roundTrip(temp, DoubleValue());
  EXPECT_EQ(back->size, 0);
  EXPECT_EQ(back->valueType(), values::DOUBLE_VAL);
}

TEST(ValueRecord, EveryTruncationFailsCleanly) {
  TempDir temp;
  ListValue list;
  list.setLayout(2, 1, values::JMAT_LIST);
  list.data[0].value = text("abc");
  auto inner = std::make_unique<ListValue>();
  inner->setLayout(1, 1, values::JMAT_LIST);
  inner->data[0].value = std::make_unique<DoubleValue>(7.0);
  list.data[1].value = std::move(inner);
  std::string bytes = recordBytes(temp, &list);
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    std::unique_ptr<Value> back;
    EXPECT_FALSE(readBack(temp, bytes.substr(0, cut), back)) << "cut at " << cut;
    EXPECT_EQ(back, nullptr);
  }
}

TEST(ValueRecord, ImpossibleHeadersAreRefused) {
  TempDir temp;
  std::unique_ptr<Value> back;
  EXPECT_FALSE(readBack(temp, header(1, 1, 0, 7) + le32(0), back));            // type code
  EXPECT_FALSE(readBack(temp, header(3, 2, 0, 0) + std::string(12, 'x'), back));  // rows
  EXPECT_FALSE(readBack(temp, header(2, 0, 0, 0) + std::string(8, 'x'), back));   // no rows
  EXPECT_FALSE(readBack(temp, header(1, -1, 0, 0) + le32(0), back));           // rows < 0
  EXPECT_FALSE(readBack(temp, header(1, 1, 0, 3) + header(-1, 0, 0, 0), back));  // kind
  EXPECT_FALSE(readBack(temp, header(1, 1, values::JMAT_LIST, 0) + le32(0), back));
  EXPECT_FALSE(readBack(temp, header(4, 2, values::JMAT_3D | (3 << 4), 0) + std::string(16, 'x'),
                        back));  // pages do not divide the count
  EXPECT_FALSE(readBack(temp, header(4, 2, values::JMAT_3D | static_cast<int>(0x80000000u), 0) +
                                  std::string(16, 'x'),
                        back));  // negative page count
}

TEST(ValueRecord, EmptyThreeDimensionalValueWithHugePageCountComesBackPlainFixed) {
  TempDir temp;
  std::unique_ptr<Value> back;
  ASSERT_TRUE(readBack(temp, header(0, 0, values::JMAT_3D | (0x7ffffff << 4), 1), back));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->size, 0);
  EXPECT_EQ(back->kind(), values::JMAT_PLAIN);
  EXPECT_EQ(back->flags >> values::kPageShift, 0);
}

TEST(ValueRecord, HugeCountsAreCheckedAgainstTheFileBeforeAllocating) {
  TempDir temp;
  std::unique_ptr<Value> back;
  EXPECT_FALSE(readBack(temp, header(2000000000, 1, 0, 2), back));
  EXPECT_FALSE(readBack(temp, header(2000000000, 1, values::JMAT_LIST, 3), back));
  EXPECT_FALSE(readBack(temp, header(3, 1, values::JMAT_LIST, 3) + std::string(40, '\0'), back));
}

TEST(ValueRecord, NestingBeyondTheLimitIsDamage) {
  TempDir temp;
  std::string deep;
  for (int i = 0; i < kMaxRecordNesting + 1; ++i) deep += header(1, 1, values::JMAT_LIST, 3);
  deep += header(-1, 0, 0, 0);
  std::unique_ptr<Value> back;
  EXPECT_FALSE(readBack(temp, deep, back));
  std::string fits;
  for (int i = 0; i < kMaxRecordNesting; ++i) fits += header(1, 1, values::JMAT_LIST, 3);
  fits += header(-1, 0, 0, 0);
  EXPECT_TRUE(readBack(temp, fits, back));
}

TEST(ValueRecord, MoreThanTheReadLimitKeepsTheFirstElementsAndSkipsTheRest) {
  TempDir temp;
  std::int32_t n = kMaxReadElements + 5;
  std::string bytes = header(n, 1, 0, 0);
  bytes.resize(bytes.size() + static_cast<std::size_t>(n) * 4, '\x01');
  bytes += "tail";
  std::unique_ptr<Value> back;
  std::uint64_t left = 0;
  ASSERT_TRUE(readBack(temp, bytes, back, &left));
  EXPECT_EQ(back->size, kMaxReadElements);
  EXPECT_EQ(back->nrow, 1);
  EXPECT_EQ(left, 4u);
}

TEST(ValueRecord, RandomDamageNeverCrashes) {
  TempDir temp;
  ListValue list;
  list.setLayout(3, 1, values::JMAT_LIST);
  list.data[0].value = text("some text");
  list.data[1].value = std::make_unique<DoubleValue>(3.0);
  auto inner = std::make_unique<ListValue>();
  inner->setLayout(2, 2, values::JMAT_LIST);
  inner->data[1].value = std::make_unique<IntValue>(4);
  list.data[2].value = std::move(inner);
  std::string bytes = recordBytes(temp, &list);
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = bytes;
    int flips = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < flips; ++f) {
      damaged[random() % damaged.size()] = static_cast<char>(random() & 0xFF);
    }
    std::unique_ptr<Value> back;
    if (readBack(temp, damaged, back) && back != nullptr) {
      EXPECT_GE(back->size, 0);
      EXPECT_TRUE(back->size == 0 || (back->nrow > 0 && back->size % back->nrow == 0));
    }
  }
}

}  // namespace
}  // namespace zirbin::files
