// The data-file built-ins are registered under their calling conventions and bounds, and
// their routines resolve names through the running session's path list.
#include "files/file_builtins.h"

#include <gtest/gtest.h>

#include <variant>

#include "base/errors.h"
#include "base/run_context.h"
#include "engine/registry.h"
#include "files/path_list.h"
#include "files/temp_dir.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::files {
namespace {

using builtins::BuiltinKind;
using builtins::BuiltinRegistry;
using testing::TempDir;

struct Expected {
  const char* name;
  BuiltinKind kind;
  int resultType;
  std::pair<int, int> bounds;
  bool takesAnyType;
};

constexpr int kAny = builtins::kNoUpperBound;
const Expected kEntries[] = {
    {"fclose", BuiltinKind::ElementWise, builtins::kIntResult, {1, 1}, false},
    {"feof", BuiltinKind::ElementWise, builtins::kIntResult, {1, 1}, false},
    {"fopen", BuiltinKind::TwoArg, builtins::kDoubleResult, {1, 2}, false},
    {"fread", BuiltinKind::TwoArg, builtins::kDoubleResult, {1, 2}, false},
    {"fwrite", BuiltinKind::TwoArg, builtins::kDoubleResult, {1, 2}, false},
    {"sysCommand", BuiltinKind::ValueToValue, builtins::kIntResult, {1, 1}, false},
    {"readtext", BuiltinKind::General, builtins::kListResult, {1, 1}, false},
    {"dispfile", BuiltinKind::General, builtins::kIntResult, {1, 2}, false},
    {"save", BuiltinKind::General, builtins::kIntResult, {2, kAny}, true},
    {"qsave", BuiltinKind::General, builtins::kIntResult, {2, 2}, true},
    {"writetext", BuiltinKind::General, builtins::kIntResult, {2, 2}, true},
    {"load", BuiltinKind::General, builtins::kDoubleResult, {1, 2}, false},
    {"qload", BuiltinKind::General, builtins::kDoubleResult, {1, 1}, false},
};

TEST(FileBuiltins, RegisteredWithTheirKindsAndBounds) {
  BuiltinRegistry registry;
  registerFileBuiltins(registry);
  for (const Expected& e : kEntries) {
    ASSERT_EQ(registry.lookup(e.name), e.kind) << e.name;
    EXPECT_EQ(registry.find(e.name)->resultType, e.resultType) << e.name;
    EXPECT_EQ(registry.find(e.name)->bounds(), e.bounds) << e.name;
    // qsave takes lists and complex values too, so that any value can be dumped.
    EXPECT_EQ(registry.find(e.name)->takesAnyType, e.takesAnyType) << e.name;
  }
}

// Calls the General built-in `name` with the given argument values.
void callGeneral(BuiltinRegistry& registry, const char* name, std::vector<values::Value*> values,
                 values::Value& result) {
  registry.lookup(name);
  auto routine = std::get<builtins::GeneralRoutine>(registry.find(name)->routine);
  std::vector<builtins::BuiltinArg> slots;
  for (values::Value* v : values) slots.push_back({v, nullptr});
  builtins::BuiltinArgs args(name, slots);
  routine(args, result, {});
}

values::IntValue text(const std::string& s) {
  values::IntValue value;
  value.assignString(s);
  return value;
}

TEST(FileBuiltins, NamesAreResolvedInTheSessionsCurrentDirectory) {
  TempDir temp;
  PathList paths(temp.path());
  session::runContext->pathList = &paths;
  BuiltinRegistry registry;
  registerFileBuiltins(registry);
  values::IntValue name = text("notes");
  values::ListValue lines;
  values::IntValue line = text("one line");
  lines.assignSame(line);  // a 1x1 list holding the string
  values::IntValue count;
  callGeneral(registry, "writetext", {&name, &lines}, count);
  EXPECT_EQ(count.getInt(), 1);
  EXPECT_EQ(temp.read("notes.txt"), "one line\n");
  values::ListValue back;
  callGeneral(registry, "readtext", {&name}, back);
  ASSERT_EQ(back.size, 1);
  EXPECT_EQ(back.data[0].value->toString(), "one line");
  session::runContext->pathList = nullptr;
}

TEST(FileBuiltins, WithoutASessionTheyFail) {
  session::runContext->pathList = nullptr;
  BuiltinRegistry registry;
  registerFileBuiltins(registry);
  values::IntValue name = text("notes");
  values::ListValue result;
  try {
    callGeneral(registry, "readtext", {&name}, result);
    FAIL() << "nothing thrown";
  } catch (const session::RuntimeError& error) {
    EXPECT_EQ(error.text, "no interpreter session is running");
  }
}

}  // namespace
}  // namespace zirbin::files
