// The property built-in: starting the lookup program, every message of a failed lookup,
// and the answers of the shipped zirbin-lookup read back as numbers, tables and text.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/console_output.h"
#include "base/run_context.h"
#include "builtins/builtin_call.h"
#include "files/state_dir.h"
#include "help/help_builtins.h"

namespace zirbin::help {
namespace {

namespace fs = std::filesystem;
using builtins::testing::general;
using builtins::testing::text;

class TextConsole : public session::ConsoleOutput {
 public:
  void print(const std::string& piece, bool newLineFirst, int) override {
    if (newLineFirst && !text.empty() && text.back() != '\n') text += '\n';
    text += piece;
  }
  void newLine() override { text += '\n'; }
  std::string text;
};

// A program directory and a state directory of the test's own, with the console caught.
class Property : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("zirbin_property_" + std::to_string(getpid()));
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "state");
    savedProgramDir_ = files::programDirectory();
    const char* home = std::getenv("ZIRBIN_HOME");
    savedHome_ = home ? home : "";
    hadHome_ = home != nullptr;
    setenv("ZIRBIN_HOME", (root_ / "state").c_str(), 1);
    files::setProgramDirectory((root_ / "bin").string());
    session::runContext->console = &console_;
  }
  void TearDown() override {
    session::runContext->console = nullptr;
    files::setProgramDirectory(savedProgramDir_);
    if (hadHome_) {
      setenv("ZIRBIN_HOME", savedHome_.c_str(), 1);
    } else {
      unsetenv("ZIRBIN_HOME");
    }
    fs::remove_all(root_);
  }
  // Installs a stand-in lookup program: a shell script with `body`.
  void fakeLookup(const std::string& body) {
    const fs::path program = root_ / "bin" / kLookupProgramName;
    std::ofstream(program) << "#!/bin/sh\n" << body << "\n";
    chmod(program.c_str(), 0755);
  }
  // Uses the zirbin-lookup built beside the test programs.
  void realLookup() { files::setProgramDirectory(ZIRBIN_BIN_DIR); }
  std::string resultPath() const { return (root_ / "state" / kPropertyResultFileName).string(); }
  std::unique_ptr<values::Value> ask(const std::string& a, const std::string& b) {
    values::IntValue first = text(a), second = text(b);
    return general("property", {&first, &second});
  }

  TextConsole console_;
  fs::path root_;

 private:
  std::string savedProgramDir_, savedHome_;
  bool hadHome_ = false;
};

TEST_F(Property, AMissingProgramIsAProblemWithTheLookupAndGivesAnEmptyResult) {
  EXPECT_EQ(ask("Fe", "density")->size, 0);
  EXPECT_EQ(console_.text, "problem with database lookup\nproperty lookup is unavailable: no "
                           "program \"zirbin-lookup\" in " +
                               (root_ / "bin").string() + "\n");
}

TEST_F(Property, AFailingProgramIsAProblemWithTheLookup) {
  fakeLookup("exit 3");
  EXPECT_EQ(ask("Fe", "density")->size, 0);
  EXPECT_EQ(console_.text, "problem with database lookup\n");
}

TEST_F(Property, AFailingProgramsReasonFollowsTheMessage) {
  fakeLookup("echo \"no such substance\" > \"$ZIRBIN_HOME/property_result.txt\"; exit 2");
  EXPECT_EQ(ask("x", "y")->size, 0);
  EXPECT_EQ(console_.text, "problem with database lookup\nno such substance\n");
}

TEST_F(Property, AMissingResultFileIsReported) {
  fakeLookup("exit 0");
  EXPECT_EQ(ask("Fe", "density")->size, 0);
  EXPECT_EQ(console_.text, "zirbin can't find the database result\n");
}

TEST_F(Property, AResultLeftByAnEarlierQueryIsNeverReadAgain) {
  std::ofstream(resultPath()) << "old answer\n42\n";
  fakeLookup("exit 0");
  EXPECT_EQ(ask("Fe", "density")->size, 0);
  EXPECT_EQ(console_.text, "zirbin can't find the database result\n");
}

TEST_F(Property, TheArgumentsArePassedAsWords) {
  values::IntValue substance = text("water");
  values::DoubleValue name, temperature;
  name.assignString("vapourpressure");
  temperature.assignDouble(37.5);
  // The third word is the number as written: the lookup reads it back as 37.5.
  fakeLookup("printf 'echo\\n%s\\n' \"$3\" > \"$ZIRBIN_HOME/property_result.txt\"");
  auto result = general("property", {&substance, &name, &temperature});
  ASSERT_EQ(result->size, 1);
  EXPECT_DOUBLE_EQ(result->getDouble(), 37.5);
}

TEST_F(Property, ShippedLookupAnswersANumber) {
  realLookup();
  auto result = ask("iron", "density");
  ASSERT_EQ(result->size, 1);
  EXPECT_DOUBLE_EQ(result->getDouble(), 7.874);
  EXPECT_EQ(console_.text, "");
}

TEST_F(Property, ShippedLookupAnswersATable) {
  realLookup();
  auto result = ask("water", "vapourpressure");
  ASSERT_EQ(result->nrow, 11);
  ASSERT_EQ(result->size, 22);
  const double* d = static_cast<const double*>(result->rawData());
  EXPECT_DOUBLE_EQ(d[10], 100);
  EXPECT_DOUBLE_EQ(d[21], 101.325);
}

TEST_F(Property, ShippedLookupAnswersText) {
  realLookup();
  auto result = ask("26", "symbol");
  EXPECT_TRUE(result->isChar());
  EXPECT_EQ(result->toString(), "Fe");
}

TEST_F(Property, ShippedLookupSaysWhyItHasNoAnswer) {
  realLookup();
  EXPECT_EQ(ask("Fe", "colour")->size, 0);
  EXPECT_EQ(console_.text,
            "problem with database lookup\nunknown property of an element: colour\n");
}

}  // namespace
}  // namespace zirbin::help
