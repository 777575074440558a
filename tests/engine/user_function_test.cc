// Tests of the function table: declarations, matching, removal of dependants, listings.
#include "engine/user_function.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace zirbin::engine {
namespace {

FunctionDeclaration declaration(const std::string& name, int parameters) {
  FunctionDeclaration d;
  d.name = name;
  d.outputs = {"return"};
  d.outputTypes = {1};
  for (int i = 0; i < parameters; ++i) {
    std::string parameter = "p";
    parameter += std::to_string(i);
    d.parameters.push_back(parameter);
    d.parameterTypes.push_back(1);
  }
  return d;
}

TEST(FunctionTable, NameEndingInUnderlineIsRefused) {
  FunctionTable table({});
  try {
    table.declareFunction(true, declaration("f_", 1));
    FAIL();
  } catch (const session::SyntaxError& e) {
    EXPECT_EQ(e.text, "user function names may not end with underline");
  }
}

TEST(FunctionTable, DefinitionThatDoesNotMatchIsRefusedAndFuncdecReplacesTheFunction) {
  std::vector<std::string> lines;
  FunctionTable table([&](const std::string& s) { lines.push_back(s); });
  UserFunc* f = table.declareFunction(true, declaration("f", 1));
  EXPECT_EQ(table.declareFunction(true, declaration("f", 1)), f);
  try {
    table.declareFunction(true, declaration("f", 2));
    FAIL();
  } catch (const session::SyntaxError& e) {
    EXPECT_EQ(e.text, "does not match existing declaration");
  }
  // Calls compiled for the old declaration keep the old function until the command ends.
  UserFunc* g = table.declareFunction(false, declaration("f", 2));
  EXPECT_NE(g, f);
  EXPECT_EQ(table.get("f"), g);
  EXPECT_EQ(g->parameterCount(), 2);
  EXPECT_FALSE(g->hasBody());
  EXPECT_EQ(table.pendingFunctions(), std::vector<std::string>{"f"});
  EXPECT_EQ(f->parameterCount(), 1);
  table.releaseRetired();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "does not match existing declaration");
}

TEST(FunctionTable, LookupWhileCompilingKeepsDependencyBits) {
  FunctionTable table({});
  UserFunc* g = table.declareFunction(true, declaration("g", 1));
  UserFunc* f = table.declareFunction(true, declaration("f", 1));
  f->beginCompilation();
  g->beginCompilation();
  table.setCompiling(f);
  EXPECT_TRUE(table.findFunction("f"));
  EXPECT_TRUE(f->flags() & kRecursive);
  EXPECT_TRUE(f->flags() & kSelfContained);
  EXPECT_TRUE(table.findFunction("g"));
  EXPECT_FALSE(f->flags() & kSelfContained);
  table.setCompiling(nullptr);
  EXPECT_FALSE(table.findFunction("h"));
}

TEST(FunctionTable, ClearingRemovesEveryFunctionThatCallsAnother) {
  std::vector<std::string> lines;
  FunctionTable table([&](const std::string& s) { lines.push_back(s); });
  table.declareFunction(true, declaration("a", 1))->beginCompilation();
  UserFunc* b = table.declareFunction(true, declaration("b", 1));
  b->beginCompilation();
  b->removeFlags(kSelfContained);
  table.declareFunction(true, declaration("c", 1))->beginCompilation();
  EXPECT_TRUE(table.removeFunction("a"));
  EXPECT_EQ(lines, (std::vector<std::string>{"b removed", "1 functions removed"}));
  EXPECT_NE(table.get("c"), nullptr);
  EXPECT_EQ(table.get("b"), nullptr);
}

TEST(FunctionTable, ResourceListingNamesResourceFunctionsOnly) {
  FunctionTable table({});
  EXPECT_EQ(table.listFunctions('r'), "");
  table.setResourceLoader([&](const std::string& name) {
    table.declareFunction(true, declaration(name, 1));
    return true;
  });
  EXPECT_TRUE(table.findFunction("sind"));
  table.setResourceLoader({});
  table.declareFunction(true, declaration("mine", 1));
  EXPECT_EQ(table.listFunctions('r'), "Resources:\nsind  ");
}

TEST(FunctionTable, ResourceDefinitionsAreCheckedAgainstExistingFunctions) {
  FunctionTable table({});
  table.declareFunction(true, declaration("mine", 1));
  // The file of `clash` also defines `mine`, a function of the user's.
  table.setResourceLoader([&](const std::string& name) {
    if (name == "clash") table.declareFunction(true, declaration("mine", 1));
    if (name == "other") table.declareFunction(true, declaration("res", 2));
    if (name == "res") table.declareFunction(true, declaration("res", 1));
    return true;
  });
  try {
    table.findFunction("clash");
    FAIL();
  } catch (const session::SyntaxError& e) {
    EXPECT_EQ(e.text, "name clash with resource function mine");
  }
  EXPECT_TRUE(table.findFunction("res"));
  EXPECT_TRUE(table.get("res")->flags() & kResourceFunction);
  try {
    table.findFunction("other");
    FAIL();
  } catch (const session::SyntaxError& e) {
    EXPECT_EQ(e.text, "zirbin resource defs do not match");
  }
  EXPECT_FALSE(table.loadingResource());
}

TEST(FunctionTable, ResourceFileThatNamesItselfIsReadOnce) {
  FunctionTable table({});
  int reads = 0;
  table.setResourceLoader([&](const std::string& name) {
    ++reads;
    EXPECT_FALSE(table.findFunction(name));
    return true;
  });
  EXPECT_FALSE(table.findFunction("loop"));
  EXPECT_EQ(reads, 1);
}

}  // namespace
}  // namespace zirbin::engine
