#include "session/session_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/temp_dir.h"
#include "files/user_prompts.h"
#include "engine/workspace.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::session {
namespace {

using testing::TempDir;
using values::DoubleValue;
using values::IntValue;
using values::ListValue;
using values::Value;

// Answers the OK/Cancel question as told and records what was said.
class ScriptedPrompts : public files::HeadlessPrompts {
 public:
  void notify(const std::string& text, const std::string& title) override {
    said.push_back(title + ": " + text);
  }
  std::optional<bool> askOkCancel(const std::string& text, const std::string& title) override {
    said.push_back(title + "? " + text);
    return answer;
  }
  void printLine(const std::string& text) override { said.push_back(text); }
  std::optional<bool> answer;
  std::vector<std::string> said;
};

void putGlobal(Workspace& workspace, const std::string& name, std::unique_ptr<Value> value) {
  workspace.setVariable(name, value.release());
}

std::unique_ptr<Value> doubles(int n) {
  auto value = std::make_unique<DoubleValue>();
  value->setLayout(n, 1, 0);
  for (int i = 0; i < n; ++i) value->data[i] = i;
  return value;
}

std::unique_ptr<Value> text(const std::string& s) {
  auto value = std::make_unique<IntValue>();
  value->assignString(s);
  return value;
}

constexpr char kEndRecord[] = "\0\0\0\0\0";  // the empty name record: L = 0, one zero byte

TEST(SessionFile, RoundTripKeepsTypesStringsAndNestedLists) {
  TempDir temp;
  ScriptedPrompts prompts;
  {
    Workspace workspace;
    putGlobal(workspace, "x", doubles(3));
    putGlobal(workspace, "s", text("hello"));
    auto inner = std::make_unique<ListValue>();
    inner->setLayout(2, 1, values::JMAT_LIST);
    inner->data[0].value = text("in");
    inner->data[1].value = std::make_unique<IntValue>(7);
    auto outer = std::make_unique<ListValue>();
    outer->setLayout(4, 2, values::JMAT_LIST);
    outer->data[0].value = std::move(inner);
    putGlobal(workspace, "L", std::move(outer));
    EXPECT_EQ(saveSession(workspace, temp.path(), prompts), SaveSessionResult::kSaved);
  }
  Workspace restored;
  loadSession(restored, temp.path(), prompts);
  EXPECT_TRUE(prompts.said.empty());
  Value* x = restored.findGlobal("x");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->valueType(), values::DOUBLE_VAL);
  EXPECT_EQ(x->size, 3);
  Value* s = restored.findGlobal("s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->valueType(), values::INTEGER_VAL);
  EXPECT_TRUE(s->isChar());
  EXPECT_EQ(s->toString(), "hello");
  Value* list = restored.findGlobal("L");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->valueType(), values::LIST_VAL);
  EXPECT_EQ(list->nrow, 2);
  EXPECT_EQ(list->size, 4);
  auto& items = static_cast<ListValue&>(*list);
  ASSERT_EQ(items.data[0].value->valueType(), values::LIST_VAL);
  auto& nested = static_cast<ListValue&>(*items.data[0].value);
  EXPECT_EQ(nested.data[0].value->toString(), "in");
  EXPECT_EQ(nested.data[1].value->getInt(), 7);
  EXPECT_TRUE(items.data[3].isEmpty());
}

TEST(SessionFile, MissingFileIsSilent) {
  TempDir temp;
  ScriptedPrompts prompts;
  Workspace workspace;
  loadSession(workspace, temp.path(), prompts);
  EXPECT_TRUE(prompts.said.empty());
  EXPECT_TRUE(workspace.globalVariables().empty());
}

TEST(SessionFile, LargestSavedSizeIs9999WithoutAQuestion) {
  TempDir temp;
  ScriptedPrompts prompts;
  Workspace workspace;
  putGlobal(workspace, "v", doubles(9999));
  EXPECT_EQ(saveSession(workspace, temp.path(), prompts), SaveSessionResult::kSaved);
  EXPECT_TRUE(prompts.said.empty());
  Workspace restored;
  loadSession(restored, temp.path(), prompts);
  ASSERT_NE(restored.findGlobal("v"), nullptr);
  EXPECT_EQ(restored.findGlobal("v")->size, 9999);
}

TEST(SessionFile, LargeValueAsksAndOkWritesOnlyTheEndRecord) {
  TempDir temp;
  ScriptedPrompts prompts;
  prompts.answer = true;
  Workspace workspace;
  putGlobal(workspace, "big", doubles(10000));
  EXPECT_EQ(saveSession(workspace, temp.path(), prompts), SaveSessionResult::kSaved);
  EXPECT_EQ(prompts.said,
            std::vector<std::string>{"zirbin exit? Large matrices will not be saved: ok to exit?"});
  EXPECT_EQ(temp.read("zirbin_env.bin"), std::string(kEndRecord, 5));
}

TEST(SessionFile, CancelLeavesThePreviousFile) {
  TempDir temp;
  temp.write("zirbin_env.bin", "previous");
  ScriptedPrompts prompts;
  prompts.answer = false;
  Workspace workspace;
  putGlobal(workspace, "big", doubles(10000));
  putGlobal(workspace, "small", doubles(2));
  EXPECT_EQ(saveSession(workspace, temp.path(), prompts), SaveSessionResult::kCancelled);
  EXPECT_EQ(temp.read("zirbin_env.bin"), "previous");
}

TEST(SessionFile, WithoutAnyoneToAskSavesTheRestAndNamesTheLargeOnes) {
  TempDir temp;
  ScriptedPrompts prompts;
  Workspace workspace;
  putGlobal(workspace, "big", doubles(10000));
  putGlobal(workspace, "huge", doubles(20000));
  putGlobal(workspace, "small", doubles(2));
  EXPECT_EQ(saveSession(workspace, temp.path(), prompts), SaveSessionResult::kSaved);
  ASSERT_EQ(prompts.said.size(), 2u);
  EXPECT_EQ(prompts.said[1], "variables too large to be saved: big, huge");
  Workspace restored;
  loadSession(restored, temp.path(), prompts);
  EXPECT_NE(restored.findGlobal("small"), nullptr);
  EXPECT_EQ(restored.findGlobal("big"), nullptr);
}

TEST(SessionFile, UnwritableDirectoryIsNotSaved) {
  TempDir temp;
  ScriptedPrompts prompts;
  Workspace workspace;
  putGlobal(workspace, "x", doubles(1));
  EXPECT_EQ(saveSession(workspace, temp.file("no/such/dir"), prompts),
            SaveSessionResult::kNotSaved);
}

TEST(SessionFile, TruncatedFileKeepsEarlierVariablesAndSaysSo) {
  TempDir temp;
  ScriptedPrompts prompts;
  {
    Workspace workspace;
    putGlobal(workspace, "a", doubles(2));
    putGlobal(workspace, "b", doubles(50));
    ASSERT_EQ(saveSession(workspace, temp.path(), prompts), SaveSessionResult::kSaved);
  }
  std::string bytes = temp.read("zirbin_env.bin");
  // "a" takes 4 + 2 name bytes and 16 + 16 value bytes; cut "b" in the middle of its value.
  temp.write("zirbin_env.bin", bytes.substr(0, 6 + 32 + 6 + 16 + 100));
  Workspace restored;
  loadSession(restored, temp.path(), prompts);
  EXPECT_EQ(prompts.said,
            std::vector<std::string>{"zirbin startup: problem loading previous session"});
  EXPECT_NE(restored.findGlobal("a"), nullptr);
  EXPECT_EQ(restored.findGlobal("b"), nullptr);
}

TEST(SessionFile, EveryCutOfTheFileLoadsSafely) {
  TempDir temp;
  ScriptedPrompts prompts;
  {
    Workspace workspace;
    putGlobal(workspace, "a", text("xy"));
    auto list = std::make_unique<ListValue>();
    list->setLayout(1, 1, values::JMAT_LIST);
    list->data[0].value = doubles(3);
    putGlobal(workspace, "b", std::move(list));
    ASSERT_EQ(saveSession(workspace, temp.path(), prompts), SaveSessionResult::kSaved);
  }
  std::string bytes = temp.read("zirbin_env.bin");
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    temp.write("zirbin_env.bin", bytes.substr(0, cut));
    ScriptedPrompts quiet;
    Workspace restored;
    loadSession(restored, temp.path(), quiet);
    EXPECT_EQ(quiet.said.size(), 1u) << "cut at " << cut;
  }
}

TEST(SessionFile, NamesThatNoOneCouldTypeAreDamage) {
  TempDir temp;
  temp.write("zirbin_env.bin", std::string("\x03\0\0\0a+b\0", 8) + std::string(16, '\xff'));
  ScriptedPrompts prompts;
  Workspace workspace;
  loadSession(workspace, temp.path(), prompts);
  EXPECT_EQ(prompts.said.size(), 1u);
  EXPECT_TRUE(workspace.globalVariables().empty());
}

TEST(SessionFile, KeywordAndConstantNamesAreDamageFixed) {
  const std::string number = std::string("\1\0\0\0\1\0\0\0\0\0\0\0\1\0\0\0", 16) +
                             std::string("\0\0\0\0\0\0\x08\x40", 8);  // the double 3
  for (const char* name : {"for", "pi", "end"}) {
    TempDir temp;
    std::string record(4, '\0');
    record[0] = static_cast<char>(std::string(name).size());
    temp.write("zirbin_env.bin",
               record + name + std::string(1, '\0') + number + std::string(kEndRecord, 5));
    ScriptedPrompts prompts;
    Workspace workspace;
    loadSession(workspace, temp.path(), prompts);
    ASSERT_EQ(prompts.said.size(), 1u) << name;
    EXPECT_EQ(prompts.said[0], "zirbin startup: problem loading previous session");
    EXPECT_TRUE(workspace.globalVariables().empty()) << name;
  }
}

TEST(SessionFile, OverlongNameRecordIsDamageNotTheEndFixed) {
  TempDir temp;
  ScriptedPrompts prompts;
  {
    Workspace workspace;
    putGlobal(workspace, "a", doubles(2));
    ASSERT_EQ(saveSession(workspace, temp.path(), prompts), SaveSessionResult::kSaved);
  }
  std::string bytes = temp.read("zirbin_env.bin");
  bytes.resize(bytes.size() - 5);  // the end record goes; a name of 200000 characters follows
  bytes += std::string("\x40\x0d\x03\0", 4) + std::string(200001, 'b');
  temp.write("zirbin_env.bin", bytes);
  Workspace restored;
  loadSession(restored, temp.path(), prompts);
  ASSERT_EQ(prompts.said.size(), 1u);
  EXPECT_EQ(prompts.said[0], "zirbin startup: problem loading previous session");
  EXPECT_NE(restored.findGlobal("a"), nullptr);
}

}  // namespace
}  // namespace zirbin::session
