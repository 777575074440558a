// Input sources: line reading, comments and '##' blocks, indentation into braces, and the
// session input's `use` lines, suspended sources and abandoning after an error.
#include "compiler/input_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "compiler/lexer_test_util.h"
#include "base/errors.h"

namespace zirbin::compiler {
namespace {

std::vector<std::string> linesOf(LexInput& input) {
  std::vector<std::string> lines;
  std::string line;
  while (input.getLine(line, false, false)) lines.push_back(line);
  return lines;
}

// A scratch directory holding script files, made the current directory for the test.
class ScriptDirectory {
 public:
  ScriptDirectory() : saved_(std::filesystem::current_path()) {
    dir_ = std::filesystem::temp_directory_path() /
           ("zirbin_input_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
  }
  ~ScriptDirectory() {
    std::filesystem::current_path(saved_);
    std::filesystem::remove_all(dir_);
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name) << text;
  }

 private:
  std::filesystem::path saved_;
  std::filesystem::path dir_;
};

TEST(InputSource, TextLinesEndAtCarriageReturns) {
  InputSource source("a\rb\r\nc", 'c');
  EXPECT_EQ(linesOf(source), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(source.lineNumber(), 3);
}

TEST(InputSource, TypedSourceCountsFromZero) {
  UserInput input;
  input.load("x", '>');
  std::string line;
  ASSERT_TRUE(input.getLine(line, false, false));
  EXPECT_EQ(input.lineNumber(), 0);
  EXPECT_TRUE(input.isTyped());
}

TEST(InputSource, DropsBlankAndCommentLines) {
  InputSource source("\r  \r# note\rx = 1\r\t# more\ry", 'c');
  EXPECT_EQ(linesOf(source), (std::vector<std::string>{"x = 1", "y"}));
}

TEST(InputSource, DoubleHashBlockComment) {
  InputSource source("a\r## start\rhidden\r  ## end\rb", 'c');
  EXPECT_EQ(linesOf(source), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(source.blockStartLine(), 2);
}

TEST(InputSource, EndInputClosesAFile) {
  ScriptDirectory dir;
  dir.write("s.zrb", "a\n##end_input\nb\n");
  InputSource source = InputSource::fromFile("s.zrb");
  EXPECT_EQ(linesOf(source), (std::vector<std::string>{"a"}));
  InputSource text("a\r##end_input\rb", 'c');
  EXPECT_EQ(linesOf(text), (std::vector<std::string>{"a", "b"}));
}

TEST(InputSource, IndentationBecomesBraces) {
  InputSource source("if c:\r   y = 1\rz = 2", 'c');
  // The braces go in front of the blanks, which the lexer skips.
  EXPECT_EQ(linesOf(source), (std::vector<std::string>{"if c:", "{   y = 1", "}z = 2"}));
}

TEST(InputSource, IndentationLevels) {
  InputSource source("a\r b\r  c\r\t\td\r      e\r\tf\rg", 'c');
  // Widths 0, 1, 2, 8, 6, 4, 0 give levels 0, 0, 1, 2, 2, 1, 0.
  EXPECT_EQ(linesOf(source),
            (std::vector<std::string>{"a", "b", "{  c", "{\t\td", "e", "}\tf", "}g"}));
}

TEST(InputSource, RawLinesKeepIndentationLevel) {
  InputSource source("   a\rb", 'c');
  std::string line;
  ASSERT_TRUE(source.getLine(line, false, true));
  EXPECT_EQ(line, "a");
  ASSERT_TRUE(source.getLine(line, false, false));
  EXPECT_EQ(line, "b");
}

TEST(InputSource, EndOfInputThrowsWhenAsked) {
  InputSource source("", 'c');
  std::string line;
  EXPECT_FALSE(source.getLine(line, false, false));
  try {
    source.getLine(line, true, false);
    FAIL();
  } catch (session::OperatorCode code) {
    EXPECT_EQ(code, 'e');
  }
}

TEST(InputSource, FileLinesDropCarriageReturn) {
  ScriptDirectory dir;
  dir.write("w.zrb", "a = 1\r\nb = 2\r\n");
  InputSource source = InputSource::fromFile("w.zrb");
  EXPECT_EQ(linesOf(source), (std::vector<std::string>{"a = 1", "b = 2"}));
  EXPECT_EQ(source.text(), "b = 2");
}

TEST(InputSource, MissingFileIsExhausted) {
  InputSource source = InputSource::fromFile("/nonexistent/zirbin/file.zrb");
  EXPECT_FALSE(source.isOpen());
  std::string line;
  EXPECT_FALSE(source.getLine(line, false, false));
}

TEST(UserInput, LineFeedInPastedTextIsRefused) {
  UserInput input;
  input.load("a = 1\nb = 2", 'c');
  std::string line;
  try {
    input.getLine(line, false, false);
    FAIL();
  } catch (const session::SyntaxError& e) {
    EXPECT_EQ(e.text, "unexpected newline found when reading input");
  }
}

TEST(UserInput, UseReadsTheFileThenResumes) {
  ScriptDirectory dir;
  dir.write("inc.zrb", "b = 2\nc = 3\n");
  UserInput input;
  input.load("a = 1\ruse inc\rd = 4", 'c');
  std::string seenDir = "unset";
  input.setScriptDirectoryListener([&](const std::string& d) { seenDir = d; });
  EXPECT_EQ(linesOf(input), (std::vector<std::string>{"a = 1", "b = 2", "c = 3", "d = 4"}));
  EXPECT_EQ(seenDir, std::filesystem::current_path().string());
}

TEST(UserInput, UseWithQuotesAndRestOfLine) {
  ScriptDirectory dir;
  dir.write("my script.zrb", "b = 2\n");
  UserInput input;
  input.load("use 'my script.zrb'; x = 5", '>');
  EXPECT_EQ(linesOf(input), (std::vector<std::string>{"b = 2", "x = 5"}));
}

TEST(UserInput, UseNotFoundAndMissingQuote) {
  ScriptDirectory dir;
  UserInput input;
  std::string line;
  input.load("use nothing_here", '>');
  try {
    input.getLine(line, false, false);
    FAIL();
  } catch (session::OperatorCode code) {
    EXPECT_EQ(code, 'f');
  }
  input.abandonInput();
  input.load("use 'open", '>');
  try {
    input.getLine(line, false, false);
    FAIL();
  } catch (const std::string& text) {
    EXPECT_EQ(text, "missing closing inverted comma after 'use'");
  }
}

TEST(UserInput, UseFileTellsItsDirectory) {
  ScriptDirectory dir;
  std::filesystem::create_directory("sub");
  dir.write("sub/s.zrb", "x\n");
  UserInput input;
  std::string seenDir;
  input.setScriptDirectoryListener([&](const std::string& d) { seenDir = d; });
  input.load("use sub/s", '>');
  std::string line;
  ASSERT_TRUE(input.getLine(line, false, false));
  EXPECT_EQ(seenDir, (std::filesystem::current_path() / "sub").string());
  EXPECT_EQ(input.sourceName(), (std::filesystem::current_path() / "sub/s.zrb").string());
}

TEST(UserInput, NestedUseFiles) {
  ScriptDirectory dir;
  dir.write("outer.zrb", "a\nuse inner\nd\n");
  dir.write("inner.zrb", "b\nc\n");
  UserInput input;
  input.load("use outer", '>');
  EXPECT_EQ(linesOf(input), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(input.suspendedCount(), 0u);
  EXPECT_TRUE(input.isTyped());
}

TEST(UserInput, AbandonDropsEverySource) {
  ScriptDirectory dir;
  dir.write("f.zrb", "a\nb\nc\n");
  UserInput input;
  input.load("use f\rafter", 'c');
  std::string line;
  ASSERT_TRUE(input.getLine(line, false, false));
  ASSERT_TRUE(input.getLine(line, false, false));
  input.abandonInput();
  EXPECT_EQ(input.errorLineNumber(), 2);
  EXPECT_EQ(input.errorSourceText(), "b");
  EXPECT_EQ(input.suspendedCount(), 0u);
  EXPECT_TRUE(input.isTyped());
  EXPECT_FALSE(input.getLine(line, false, false));
  input.load("typed", '>');
  ASSERT_TRUE(input.getLine(line, false, false));
  EXPECT_EQ(line, "typed");
  EXPECT_EQ(input.lineNumber(), 0);
}

TEST(UserInput, TypedLoadReplacesTypedText) {
  UserInput input;
  input.load("one", '>');
  input.load("two", '>');
  EXPECT_EQ(linesOf(input), (std::vector<std::string>{"two"}));
  EXPECT_EQ(input.suspendedCount(), 0u);
}

TEST(UserInput, PastedTextCountsFromOne) {
  UserInput input;
  input.load("a\rb\rc", 'c');
  std::string line;
  input.getLine(line, false, false);
  EXPECT_EQ(input.lineNumber(), 1);
  EXPECT_FALSE(input.isTyped());
}

}  // namespace
}  // namespace zirbin::compiler
