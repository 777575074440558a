#include "files/open_files.h"

#include <gtest/gtest.h>

#include "files/path_list.h"
#include "files/temp_dir.h"
#include "base/errors.h"
#include "values/math_matrix.h"

namespace zirbin::files {
namespace {

using testing::TempDir;
using values::DoubleValue;
using values::IntValue;
using values::Value;

IntValue text(const std::string& s) {
  IntValue value;
  value.assignString(s);
  return value;
}

class OpenFilesTest : public ::testing::Test {
 protected:
  int open(const std::string& name, const std::optional<std::string>& mode = std::nullopt) {
    IntValue nameValue = text(name);
    IntValue modeValue = text(mode.value_or(""));
    return fopenFile(table_, paths_, nameValue, mode ? &modeValue : nullptr,
                     [this](const std::string& line) { console_.push_back(line); });
  }
  std::string failure(const std::function<void()>& action) {
    try {
      action();
    } catch (const session::RuntimeError& error) {
      return error.text;
    } catch (session::OperatorCode code) {
      return std::string("code ") + code;
    }
    return "(nothing thrown)";
  }
  TempDir temp_;
  PathList paths_{temp_.path()};
  OpenFileTable table_;
  std::vector<std::string> console_;
};

TEST_F(OpenFilesTest, TenthOpenFailsAndAClosedIdIsReused) {
  for (int i = 1; i <= 9; ++i) {
    std::string name = "f";
    name += std::to_string(i);
    EXPECT_EQ(open(name, "w"), i);
  }
  EXPECT_EQ(failure([&] { open("f10", "w"); }), "in fopen: max number of files already open");
  fcloseFile(table_, DoubleValue(4));
  EXPECT_EQ(open("again", "w"), 4);
  EXPECT_EQ(table_.count(), 10);
}

TEST_F(OpenFilesTest, CountWordFollowsTheLastEntry) {
  EXPECT_EQ(open("a", "w"), 1);
  EXPECT_EQ(open("b", "w"), 2);
  EXPECT_EQ(table_.count(), 3);
  fcloseFile(table_, DoubleValue(1));
  EXPECT_EQ(table_.count(), 3);
  fcloseFile(table_, DoubleValue(2));
  EXPECT_EQ(table_.count(), 2);
}

TEST_F(OpenFilesTest, CloseZeroClosesEverythingAndIdsStartAgainAtOne) {
  open("a", "w");
  open("b", "w");
  fcloseFile(table_, DoubleValue(0));
  EXPECT_EQ(table_.count(), 1);
  EXPECT_EQ(table_.stream(1), nullptr);
  EXPECT_EQ(open("c", "w"), 1);
}

TEST_F(OpenFilesTest, IdChecks) {
  EXPECT_EQ(failure([&] { fcloseFile(table_, DoubleValue(10)); }), "in fclose: illegal file id");
  EXPECT_EQ(failure([&] { fcloseFile(table_, DoubleValue(3)); }), "in fclose: file not open");
  EXPECT_EQ(failure([&] { feofFile(table_, DoubleValue(2)); }), "in feof: file not open");
  DoubleValue two;
  two.setLayout(2, 1, 0);
  DoubleValue result;
  EXPECT_EQ(failure([&] { freadFile(table_, two, nullptr, result); }), "code ]");
  EXPECT_EQ(failure([&] { fwriteFile(table_, DoubleValue(), nullptr); }), "code ]");
}

TEST_F(OpenFilesTest, ModeChecks) {
  EXPECT_EQ(failure([&] { open("x", "rw"); }), "in fopen: ambiguous read/write mode string");
  DoubleValue number(3);
  EXPECT_EQ(failure([&] {
              fopenFile(table_, paths_, number, nullptr, {});
            }),
            "in fopen: the file name must be a string");
  IntValue name = text("x");
  EXPECT_EQ(failure([&] {
              fopenFile(table_, paths_, name, &number, {});
            }),
            "in fopen: the mode argument must be a string");
}

TEST_F(OpenFilesTest, ExtensionAfterDotInMode) {
  int id = open("data", "w.csv");
  EXPECT_EQ(id, 1);
  fcloseFile(table_, DoubleValue(id));
  EXPECT_TRUE(std::filesystem::exists(temp_.file("data.csv")));
  open("plain", "w");
  EXPECT_TRUE(std::filesystem::exists(temp_.file("plain.txt")));
}

TEST_F(OpenFilesTest, MissingFileQuietOrMustSucceed) {
  EXPECT_EQ(open("missing", "rq"), 0);
  EXPECT_TRUE(console_.empty());
  EXPECT_EQ(open("missing", "r"), 0);
  EXPECT_EQ(console_, (std::vector<std::string>{temp_.file("missing.txt"),
                                                "fopen: file not found or can't be opened"}));
  console_.clear();
  EXPECT_EQ(failure([&] { open("missing", "r!"); }),
            "in fopen: file not found or can't be opened");
  EXPECT_EQ(console_.size(), 2u);
}

TEST_F(OpenFilesTest, FileThatCannotBeCreatedIsReportedAtOnce) {
  EXPECT_EQ(open("no/such/dir/file", "w"), 0);
  EXPECT_EQ(console_.size(), 2u);
  EXPECT_EQ(table_.stream(1), nullptr);
}

TEST_F(OpenFilesTest, BinaryReadCutsAtTheEndThenGivesEmpty) {
  temp_.write("bytes.bin", std::string("\x01\xff\x7f", 3));
  int id = open("bytes.bin", "rb");
  DoubleValue result;
  DoubleValue ten(10);
  freadFile(table_, DoubleValue(id), &ten, result);
  ASSERT_EQ(result.size, 3);
  EXPECT_EQ(result.nrow, 1);
  EXPECT_EQ(result.data[0], 1);
  EXPECT_EQ(result.data[1], 255);
  EXPECT_EQ(result.data[2], 127);
  EXPECT_TRUE(feofFile(table_, DoubleValue(id)));
  freadFile(table_, DoubleValue(id), nullptr, result);
  EXPECT_EQ(result.size, 0);
}

TEST_F(OpenFilesTest, TextReadGivesLinesWithoutNewline) {
  temp_.write("lines.txt", "first\nsecond");
  int id = open("lines");
  DoubleValue result;
  freadFile(table_, DoubleValue(id), nullptr, result);
  EXPECT_EQ(result.toString(), "first");
  EXPECT_TRUE(result.isChar());
  EXPECT_FALSE(feofFile(table_, DoubleValue(id)));
  freadFile(table_, DoubleValue(id), nullptr, result);
  EXPECT_EQ(result.toString(), "second");
  freadFile(table_, DoubleValue(id), nullptr, result);
  EXPECT_EQ(result.size, 0);
}

TEST_F(OpenFilesTest, ReadAndWriteDirectionsAreChecked) {
  temp_.write("in.txt", "x");
  int in = open("in");
  int out = open("out", "w");
  DoubleValue result;
  EXPECT_EQ(failure([&] { freadFile(table_, DoubleValue(out), nullptr, result); }),
            "in fread: can't read from output file");
  EXPECT_EQ(failure([&] { fwriteFile(table_, DoubleValue(in), nullptr); }),
            "in fwrite: can't write to input file");
  int binary = open("bin", "wb");
  EXPECT_EQ(failure([&] { fwriteFile(table_, DoubleValue(binary), nullptr); }),
            "in fwrite: missing value to write");
}

TEST_F(OpenFilesTest, TextWriteBackslashNewlineAndEmpty) {
  int id = open("out", "w");
  IntValue noNewline = text("abc\\");
  fwriteFile(table_, DoubleValue(id), &noNewline);
  IntValue line = text("def");
  fwriteFile(table_, DoubleValue(id), &line);
  fwriteFile(table_, DoubleValue(id), nullptr);
  DoubleValue empty;
  fwriteFile(table_, DoubleValue(id), &empty);
  fcloseFile(table_, DoubleValue(id));
  EXPECT_EQ(temp_.read("out.txt"), "abcdef\n\n\n");
}

TEST_F(OpenFilesTest, BinaryWriteTruncatesEachElementToOneByte) {
  int id = open("out.bin", "wb");
  DoubleValue bytes;
  bytes.setLayout(4, 1, 0);
  bytes.data[0] = 65.9;
  bytes.data[1] = 256 + 66;
  bytes.data[2] = -1;
  bytes.data[3] = 0;
  fwriteFile(table_, DoubleValue(id), &bytes);
  fcloseFile(table_, DoubleValue(id));
  EXPECT_EQ(temp_.read("out.bin"), std::string("AB\xff\0", 4));
}

TEST_F(OpenFilesTest, FeofOfAWriteStreamIsFalse) {
  int id = open("out", "w");
  EXPECT_FALSE(feofFile(table_, DoubleValue(id)));
}

TEST_F(OpenFilesTest, FeofIsTrueForAnEmptyFileBeforeAnyRead) {
  temp_.write("empty.txt", "");
  EXPECT_TRUE(feofFile(table_, DoubleValue(open("empty"))));
}

TEST_F(OpenFilesTest, AppendKeepsWhatWasThere) {
  temp_.write("log.txt", "one\n");
  int id = open("log", "a");
  IntValue two = text("two");
  fwriteFile(table_, DoubleValue(id), &two);
  fcloseFile(table_, DoubleValue(id));
  EXPECT_EQ(temp_.read("log.txt"), "one\ntwo\n");
}

}  // namespace
}  // namespace zirbin::files
