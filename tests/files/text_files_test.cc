#include "files/text_files.h"

#include <gtest/gtest.h>

#include "files/path_list.h"
#include "files/temp_dir.h"
#include "files/value_files.h"
#include "base/errors.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::files {
namespace {

using testing::TempDir;
using values::DoubleValue;
using values::IntValue;
using values::ListValue;
using values::Value;

IntValue text(const std::string& s) {
  IntValue value;
  value.assignString(s);
  return value;
}

std::string failure(const std::function<void()>& action) {
  try {
    action();
  } catch (const session::RuntimeError& error) {
    return error.text;
  }
  return "(nothing thrown)";
}

class TextFilesTest : public ::testing::Test {
 protected:
  TempDir temp_;
  PathList paths_{temp_.path()};
  std::vector<std::string> console_;
  ConsoleLine console() {
    return [this](const std::string& line) { console_.push_back(line); };
  }
};

TEST_F(TextFilesTest, ReadTextGivesOneStringPerLine) {
  temp_.write("notes.txt", "alpha\r\nbeta\n\ngamma");
  auto lines = readTextFile(paths_, text("notes"));
  ASSERT_EQ(lines->valueType(), values::LIST_VAL);
  auto& list = static_cast<ListValue&>(*lines);
  ASSERT_EQ(list.size, 4);
  EXPECT_EQ(list.flags, values::JMAT_LIST);
  EXPECT_EQ(list.data[0].value->toString(), "alpha");
  EXPECT_TRUE(list.data[0].value->isChar());
  EXPECT_EQ(list.data[2].value->toString(), "");
  EXPECT_EQ(list.data[3].value->toString(), "gamma");
  EXPECT_EQ(failure([&] { readTextFile(paths_, text("none")); }),
            "in readtext: file not found: none");
}

TEST_F(TextFilesTest, WriteTextOfListAndOfStringMatrix) {
  ListValue list;
  list.setLayout(2, 1, values::JMAT_LIST);
  list.data[0].value = std::make_unique<IntValue>(text("one"));
  list.data[1].value = std::make_unique<IntValue>(text("two"));
  EXPECT_EQ(writeTextFile(paths_, text("out"), list), 2);
  EXPECT_EQ(temp_.read("out.txt"), "one\ntwo\n");

  IntValue matrix;  // rows "ab" and "cd", stored column by column
  matrix.setLayout(4, 2, values::JMAT_CHAR);
  matrix.data[0] = 'a';
  matrix.data[1] = 'c';
  matrix.data[2] = 'b';
  matrix.data[3] = 'd';
  EXPECT_EQ(writeTextFile(paths_, text("m.txt"), matrix), 2);
  EXPECT_EQ(temp_.read("m.txt"), "ab\ncd\n");
  EXPECT_EQ(writeTextFile(paths_, text("s"), text("single")), 1);
  EXPECT_EQ(temp_.read("s.txt"), "single\n");
  EXPECT_EQ(failure([&] { writeTextFile(paths_, text("no/dir/x"), list); }),
            "in writetext: cannot open " + temp_.file("no/dir/x.txt"));
}

TEST_F(TextFilesTest, DispFileAroundALine) {
  std::string content;
  for (int i = 1; i <= 20; ++i) {
    content += "line";
    content += std::to_string(i);
    content += "\n";
  }
  temp_.write("script.zrb", content);
  DoubleValue three(3);
  EXPECT_EQ(dispFile(paths_, text("script"), &three, console(), console()), 20);
  ASSERT_EQ(console_.size(), 9u);
  EXPECT_EQ(console_[0], "{*----script----------} ");
  EXPECT_EQ(console_[1], "1: line1");
  EXPECT_EQ(console_[8], "8: line8");
  console_.clear();
  EXPECT_EQ(dispFile(paths_, text("script"), nullptr, console(), console()), 20);
  EXPECT_EQ(console_.size(), 21u);
  EXPECT_EQ(failure([&] { dispFile(paths_, text("none"), nullptr, console(), console()); }),
            "in dispfile: file not found: none");
}

TEST_F(TextFilesTest, LoadSkipsHeaderAndReadsTable) {
  temp_.write("table.txt", "x y z\nsome header\n1 2 3\n4,5,6\n");
  DoubleValue result;
  loadTable(paths_, text("table"), result, {});
  ASSERT_EQ(result.size, 6);
  EXPECT_EQ(result.nrow, 2);
  const double expected[] = {1, 4, 2, 5, 3, 6};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(result.data[i], expected[i]);
}

TEST_F(TextFilesTest, LoadIntoSeveralOutputsTakesTheFirstColumns) {
  temp_.write("table.txt", "header\n1 2 3\n4,5,6\n");
  DoubleValue a, b;
  Value* extra[] = {&b};
  loadTable(paths_, text("table"), a, extra);
  ASSERT_EQ(a.size, 2);
  EXPECT_EQ(a.nrow, 2);
  EXPECT_EQ(a.data[1], 4);
  EXPECT_EQ(b.data[0], 2);
  EXPECT_EQ(b.data[1], 5);
  DoubleValue c, d;
  Value* tooMany[] = {&b, &c, &d};
  EXPECT_EQ(failure([&] { loadTable(paths_, text("table"), a, tooMany); }),
            "in load: not enough number columns in the file");
}

TEST_F(TextFilesTest, LoadRefusesIrregularAndInconsistentTables) {
  temp_.write("short.txt", "1 2 3\n4,5,6\n7 8\n");
  DoubleValue result;
  EXPECT_EQ(failure([&] { loadTable(paths_, text("short"), result, {}); }),
            "in load: irregularity in the table of data in the file");
  temp_.write("bad.txt", "1 2 3\n4 x 6\n");
  EXPECT_EQ(failure([&] { loadTable(paths_, text("bad"), result, {}); }),
            "in load: bad has inconsistent format at line 2");
}

TEST_F(TextFilesTest, LoadReadsExponentsAndNegativeNumbers) {
  temp_.write("e.txt", "-.5 1.5e3\n-2 3E-1 trailing text\n");
  DoubleValue result;
  loadTable(paths_, text("e"), result, {});
  ASSERT_EQ(result.size, 4);
  EXPECT_EQ(result.data[0], -0.5);
  EXPECT_EQ(result.data[2], 1500);
  EXPECT_EQ(result.data[3], 0.3);
}

TEST_F(TextFilesTest, LoadVectorReadsEveryNumber) {
  temp_.write("v.txt", "title\n1 2\n3\n4 5 6\n");
  DoubleValue result;
  loadVector(paths_, text("v"), result, {});
  ASSERT_EQ(result.size, 6);
  EXPECT_EQ(result.data[5], 6);
  DoubleValue other;
  Value* extra[] = {&other};
  EXPECT_EQ(failure([&] { loadVector(paths_, text("v"), result, extra); }),
            "in load: too many output arguments");
}

TEST_F(TextFilesTest, QsaveQloadRoundTripOfAListWithComplexAndString) {
  ListValue list;
  list.setLayout(2, 1, values::JMAT_LIST);
  auto complex = std::make_unique<values::ComplexValue>();
  complex->setLayout(2, 1, 0);
  complex->data[0] = {1, -1};
  complex->data[1] = {0.5, 2};
  list.data[0].value = std::move(complex);
  list.data[1].value = std::make_unique<IntValue>(text("name"));
  qsaveFile(paths_, text("dump"), list);
  EXPECT_TRUE(std::filesystem::exists(temp_.file("dump.jmt")));
  auto back = qloadFile(paths_, text("dump"));
  ASSERT_EQ(back->valueType(), values::LIST_VAL);
  auto& items = static_cast<ListValue&>(*back);
  EXPECT_EQ(static_cast<values::ComplexValue&>(*items.data[0].value).data[1],
            std::complex<double>(0.5, 2));
  EXPECT_EQ(items.data[1].value->toString(), "name");
}

TEST_F(TextFilesTest, StoredValueTypeReadsTheRecordHeadAndNeverThrows) {
  ListValue list;
  list.assignSame(DoubleValue(1));
  qsaveFile(paths_, text("list"), list);
  qsaveFile(paths_, text("number"), DoubleValue(2));
  EXPECT_EQ(storedValueType(paths_, "list"), values::LIST_VAL);
  EXPECT_EQ(storedValueType(paths_, "number.jmt"), values::DOUBLE_VAL);
  temp_.write("short.jmt", std::string("\x01\0\0\0\x01\0", 6));
  temp_.write("none.jmt", std::string("\xff\xff\xff\xff", 4));
  temp_.write("odd.jmt", std::string("\x01\0\0\0\x01\0\0\0\0\0\0\0\x07\0\0\0", 16));
  temp_.makeDirectory("folder.jmt");
  for (const char* name : {"short", "none", "odd", "folder", "missing", ""}) {
    EXPECT_EQ(storedValueType(paths_, name), std::nullopt) << name;
  }
}

TEST_F(TextFilesTest, QloadIntoAResultThatCannotHoldTheStoredValueFails) {
  ListValue list;
  list.assignSame(DoubleValue(1));
  qsaveFile(paths_, text("list"), list);
  DoubleValue result;
  EXPECT_EQ(failure([&] { qloadInto(paths_, text("list"), result); }),
            "in qload: the type of the stored value differs from the one this call was "
            "compiled for");
  ListValue listResult;
  qloadInto(paths_, text("list"), listResult);
  EXPECT_EQ(listResult.size, 1);
  IntValue word = text("word");
  qsaveFile(paths_, text("word"), word);
  qloadInto(paths_, text("word"), result);  // an int string widens into a double one
  EXPECT_TRUE(result.isChar());
  EXPECT_EQ(result.toString(), "word");
}

TEST_F(TextFilesTest, QloadOfEmptyOrDamagedFiles) {
  temp_.write("empty.jmt", "");
  auto value = qloadFile(paths_, text("empty"));
  EXPECT_EQ(value->valueType(), values::DOUBLE_VAL);
  EXPECT_EQ(value->size, 0);
  temp_.write("cut.jmt", std::string("\x05\0\0\0\x01\0\0\0\0\0\0\0\x01\0\0\0abc", 19));
  EXPECT_EQ(failure([&] { qloadFile(paths_, text("cut")); }), "in qload: damaged value file");
  EXPECT_EQ(failure([&] { qloadFile(paths_, text("none")); }), "in qload: file not found: none");
  EXPECT_EQ(failure([&] { qsaveFile(paths_, text("no/dir/x"), DoubleValue(1)); }),
            "in qsave: could not open output file");
}

TEST_F(TextFilesTest, SaveAlwaysRefuses) {
  EXPECT_EQ(failure([] { saveRefused(); }),
            "in save: built-in version of save is not yet implemented; sorry! (Maybe try "
            "savecsv or fwrite)");
}

}  // namespace
}  // namespace zirbin::files
