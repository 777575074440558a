// The workspace: named constants, classification order, declarations in both scopes,
// and clearing.
#include "engine/workspace.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <set>

#include "base/errors.h"
#include "values/math_matrix.h"
#include "values/value.h"

namespace zirbin::session {
namespace {

using values::Value;

// Collects the workspace's console lines.
struct Lines {
  std::vector<std::string> lines;
  ConsoleLine sink() {
    return [this](const std::string& text) { lines.push_back(text); };
  }
};

// A function being compiled: owns the locals handed to it.
struct FakeFunction : FunctionScopeOwner {
  std::vector<std::unique_ptr<Value>> locals;
  std::vector<std::string> names;
  int parameters = 0;
  int persistents = 0;
  void adoptLocal(const std::string& name, std::unique_ptr<Value> value) override {
    names.push_back(name);
    locals.push_back(std::move(value));
  }
  bool addPersistent() override {
    ++persistents;
    return static_cast<int>(locals.size()) == parameters + persistents;
  }
};

// A function table with a fixed set of user functions.
struct FakeTable : FunctionTableHook {
  std::set<std::string> functions;
  std::vector<std::string> removed;
  bool findFunction(const std::string& name) override { return functions.count(name) > 0; }
  bool removeFunction(const std::string& name) override {
    removed.push_back(name);
    return functions.erase(name) > 0;
  }
  void removeAll() override { functions.clear(); }
  bool refersTo(const Value*) override { return false; }
};

class WorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override { fillNamedConstants(); }
  void TearDown() override { fillNamedConstants(); }
  Lines console;
};

TEST_F(WorkspaceTest, NamedConstantsHaveExactValues) {
  Workspace ws(console.sink());
  EXPECT_EQ(namedConstants().size(), 28u);
  EXPECT_EQ(ws.classify("pi"), SymbolKind::kConstant);
  EXPECT_EQ(ws.lookup().constant, 3.141592653589793);
  ws.classify("Mpc");
  EXPECT_EQ(ws.lookup().constant, 3.08567758149137e+22);
  ws.classify("year");
  EXPECT_EQ(ws.lookup().constant, 31557600.0);
  ws.classify("inf");
  EXPECT_EQ(std::bit_cast<std::uint64_t>(ws.lookup().constant), 0x7FF0000000000000u);
  ws.classify("nan");
  EXPECT_EQ(std::bit_cast<std::uint64_t>(ws.lookup().constant), 0x7FF8000000000000u);
}

TEST_F(WorkspaceTest, UserConstantsCGAndLittleG) {
  Workspace ws(console.sink());
  ws.classify("c");
  EXPECT_EQ(ws.lookup().constant, 299792458.0);
  ws.classify("G");
  EXPECT_EQ(ws.lookup().constant, 6.674301e-11);
  ws.classify("g");
  EXPECT_EQ(ws.lookup().constant, 9.80665);
}

TEST_F(WorkspaceTest, UnknownNameIsKindZero) {
  Workspace ws(console.sink());
  ws.setBuiltinLookup([](const std::string&) { return false; });
  EXPECT_EQ(ws.classify("nosuchname"), SymbolKind::kUnknown);
}

TEST_F(WorkspaceTest, GlobalIntDeclarationGivesEmptyDouble) {
  Workspace ws(console.sink());
  Value* v = ws.declareVariable("x", values::INTEGER_VAL);
  EXPECT_EQ(v->valueType(), values::DOUBLE_VAL);
  EXPECT_EQ(v->size, 0);
  EXPECT_EQ(ws.declareVariable("u", 4)->valueType(), values::DOUBLE_VAL);
  EXPECT_EQ(ws.declareVariable("z", values::COMPLEX_VAL)->valueType(), values::COMPLEX_VAL);
  EXPECT_EQ(ws.declareVariable("L", values::LIST_VAL)->valueType(), values::LIST_VAL);
  EXPECT_EQ(ws.classify("x"), SymbolKind::kVariable);
  EXPECT_EQ(ws.lookup().value, v);
  EXPECT_EQ(ws.lookup().scopedValue, nullptr);
}

TEST_F(WorkspaceTest, VariableShadowsConstantsAndFunctions) {
  FakeTable table;  // outlives the workspace, whose destructor empties it
  Workspace ws(console.sink());
  table.functions = {"f"};
  ws.setFunctionTable(&table);
  EXPECT_EQ(ws.classify("f"), SymbolKind::kFunction);
  EXPECT_FALSE(ws.lookup().builtin);
  ws.declareVariable("f", 1);
  EXPECT_EQ(ws.classify("f"), SymbolKind::kVariable);
}

TEST_F(WorkspaceTest, ConstDefinedTwiceWithSameValueSucceeds) {
  Workspace ws(console.sink());
  EXPECT_EQ(ws.defineConst("x", 2), "");
  EXPECT_EQ(ws.defineConst("x", 2), "");
  EXPECT_EQ(ws.defineConst("x", 3), "attempt to change value of a const");
  EXPECT_EQ(ws.defineConst("n", NAN), "");
  EXPECT_EQ(ws.defineConst("n", NAN), "attempt to change value of a const");
  ws.declareVariable("v", 1);
  EXPECT_EQ(ws.defineConst("v", 1), "const name clash");
  EXPECT_EQ(ws.classify("x"), SymbolKind::kConstant);
  EXPECT_EQ(ws.lookup().constant, 2.0);
}

TEST_F(WorkspaceTest, GlobalAndPersistentRefusedAtGlobalScope) {
  Workspace ws(console.sink());
  EXPECT_EQ(ws.declareGlobal("x"), "invalid command at global scope");
  EXPECT_EQ(ws.declarePersistent("x", 0), "invalid command at global scope");
}

TEST_F(WorkspaceTest, FunctionScopeSearchOrder) {
  Workspace ws(console.sink());
  Value* global = ws.declareVariable("a", 1);
  FakeFunction f;
  ws.enterFunctionScope(&f);
  // A global reached without a declaration is found, but not through the scope.
  EXPECT_EQ(ws.classify("a"), SymbolKind::kVariable);
  EXPECT_EQ(ws.lookup().value, global);
  EXPECT_EQ(ws.lookup().scopedValue, nullptr);
  // A local of the same name wins.
  Value* local = ws.declareVariable("a", values::INTEGER_VAL);
  EXPECT_EQ(local->valueType(), values::DOUBLE_VAL);  // codes up to 1 give doubles
  EXPECT_EQ(ws.classify("a"), SymbolKind::kVariable);
  EXPECT_EQ(ws.lookup().value, local);
  EXPECT_EQ(ws.lookup().scopedValue, local);
  ASSERT_EQ(f.names.size(), 1u);
  EXPECT_EQ(f.names[0], "a");
  // Function constants are local to the body.
  EXPECT_EQ(ws.defineConst("k", 5), "");
  EXPECT_EQ(ws.classify("k"), SymbolKind::kConstant);
  ws.leaveFunctionScope();
  ws.setBuiltinLookup([](const std::string&) { return false; });
  EXPECT_EQ(ws.classify("k"), SymbolKind::kUnknown);
  EXPECT_EQ(ws.classify("a"), SymbolKind::kVariable);
  EXPECT_EQ(ws.lookup().value, global);
}

TEST_F(WorkspaceTest, DeclaredGlobalIsFoundThroughTheScope) {
  Workspace ws(console.sink());
  FakeFunction f;
  ws.enterFunctionScope(&f);
  EXPECT_EQ(ws.declareGlobal("gx"), "");
  Value* created = ws.findGlobal("gx");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->valueType(), values::DOUBLE_VAL);
  EXPECT_EQ(ws.classify("gx"), SymbolKind::kVariable);
  EXPECT_TRUE(ws.lookup().declaredGlobal);
  EXPECT_EQ(ws.lookup().scopedValue, created);
  ws.declareVariable("loc", 1);
  EXPECT_EQ(ws.declareGlobal("loc"), "misplaced declaration");
  ws.leaveFunctionScope();
}

TEST_F(WorkspaceTest, SuspendedScopeComesBackWhole) {
  Workspace ws(console.sink());
  FakeFunction f;
  ws.enterFunctionScope(&f, "body");
  Value* local = ws.declareVariable("loc", 1);
  ws.defineConst("k", 2);
  ws.declareGlobal("gx");
  Workspace::SuspendedScope scope = ws.suspendFunctionScope();
  EXPECT_FALSE(ws.inFunctionScope());
  EXPECT_EQ(ws.classify("loc"), SymbolKind::kUnknown);
  ws.declareVariable("other", 1);  // a global now, not a local of the body
  EXPECT_EQ(f.locals.size(), 1u);
  ws.resumeFunctionScope(std::move(scope));
  EXPECT_EQ(ws.functionName(), "body");
  EXPECT_EQ(ws.classify("loc"), SymbolKind::kVariable);
  EXPECT_EQ(ws.lookup().value, local);
  EXPECT_EQ(ws.classify("k"), SymbolKind::kConstant);
  EXPECT_EQ(ws.classify("gx"), SymbolKind::kVariable);
  EXPECT_TRUE(ws.lookup().declaredGlobal);
  ws.leaveFunctionScope();
}

TEST_F(WorkspaceTest, InlineParameterHidesEveryOtherMeaningForAWhile) {
  Workspace ws(console.sink());
  values::DoubleValue parameter;
  // At global scope: a global of the same name is hidden, others stay visible.
  ws.declareVariable("x", 1);
  ws.declareVariable("a", 1);
  Workspace::SuspendedScope scope = ws.bindInlineParameter("x", &parameter);
  EXPECT_TRUE(ws.inFunctionScope());
  EXPECT_EQ(ws.classify("x"), SymbolKind::kVariable);
  EXPECT_EQ(ws.lookup().value, &parameter);
  EXPECT_EQ(ws.classify("a"), SymbolKind::kVariable);
  ws.resumeFunctionScope(std::move(scope));
  EXPECT_FALSE(ws.inFunctionScope());
  EXPECT_EQ(ws.classify("x"), SymbolKind::kVariable);
  EXPECT_NE(ws.lookup().value, &parameter);
  // In a body: a declared global and a function constant are hidden too.
  FakeFunction f;
  ws.enterFunctionScope(&f);
  Value* local = ws.declareVariable("loc", 1);
  ws.declareGlobal("x");
  ws.defineConst("t", 1);
  scope = ws.bindInlineParameter("x", &parameter);
  EXPECT_EQ(ws.classify("x"), SymbolKind::kVariable);
  EXPECT_EQ(ws.lookup().value, &parameter);
  EXPECT_EQ(ws.classify("loc"), SymbolKind::kVariable);
  EXPECT_EQ(ws.lookup().value, local);
  ws.resumeFunctionScope(std::move(scope));
  EXPECT_EQ(ws.classify("x"), SymbolKind::kVariable);
  EXPECT_TRUE(ws.lookup().declaredGlobal);
  scope = ws.bindInlineParameter("t", &parameter);
  EXPECT_EQ(ws.classify("t"), SymbolKind::kVariable);
  ws.resumeFunctionScope(std::move(scope));
  EXPECT_EQ(ws.classify("t"), SymbolKind::kConstant);
  ws.leaveFunctionScope();
}

TEST_F(WorkspaceTest, PersistentMustComeBeforeOtherLocals) {
  Workspace ws(console.sink());
  FakeFunction f;
  ws.enterFunctionScope(&f);
  EXPECT_EQ(ws.declarePersistent("p", 7), "");
  EXPECT_EQ(ws.classify("p"), SymbolKind::kVariable);
  EXPECT_EQ(ws.lookup().value->getDouble(), 7.0);
  EXPECT_EQ(ws.declarePersistent("p", 1), "misplaced declaration");
  ws.declareVariable("x", 1);
  try {
    ws.declarePersistent("q", 1);
    FAIL();
  } catch (const SyntaxError& e) {
    EXPECT_EQ(e.text, "misplaced persistent declaration");
  }
  ws.leaveFunctionScope();
}

TEST_F(WorkspaceTest, ClearConstantNeedsConstMode) {
  Workspace ws(console.sink());
  try {
    ws.clearSymbol("pi", false);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.text, "To clear a constant you must use 'clear (const) pi'");
  }
  EXPECT_EQ(ws.clearSymbol("pi", true), ClearResult::kConstantCleared);
  EXPECT_NE(ws.classify("pi"), SymbolKind::kConstant);
  EXPECT_EQ(ws.clearSymbol("g", true), ClearResult::kConstantCleared);
  EXPECT_NE(ws.classify("g"), SymbolKind::kConstant);
  // In const mode anything that is not a constant is left alone silently.
  ws.declareVariable("v", 1);
  EXPECT_EQ(ws.clearSymbol("v", true), ClearResult::kCleared);
  EXPECT_EQ(ws.classify("v"), SymbolKind::kVariable);
}

TEST_F(WorkspaceTest, ClearResultsForUnknownBuiltinAndVariable) {
  Workspace ws(console.sink());
  ws.setBuiltinLookup([](const std::string& name) { return name == "sin"; });
  EXPECT_EQ(ws.clearSymbol("nothing", false), ClearResult::kNoSuchSymbol);
  EXPECT_EQ(ws.clearSymbol("sin", false), ClearResult::kBuiltin);
  ws.declareVariable("x", 1);
  EXPECT_EQ(ws.clearSymbol("x", false), ClearResult::kCleared);
  EXPECT_EQ(ws.classify("x"), SymbolKind::kUnknown);
}

TEST_F(WorkspaceTest, ClearUserFunctionGoesThroughTheTable) {
  FakeTable table;  // outlives the workspace, whose destructor empties it
  Workspace ws(console.sink());
  table.functions = {"f"};
  ws.setFunctionTable(&table);
  EXPECT_EQ(ws.clearSymbol("f", false), ClearResult::kCleared);
  ASSERT_EQ(table.removed.size(), 1u);
  EXPECT_EQ(table.removed[0], "f");
}

TEST_F(WorkspaceTest, ClearEverythingLeavesNoConstants) {
  Workspace ws(console.sink());
  ws.declareVariable("x", 1);
  ws.defineConst("k", 1);
  EXPECT_EQ(ws.clearSymbol("everything", false), ClearResult::kCleared);
  ws.setBuiltinLookup([](const std::string&) { return false; });
  EXPECT_EQ(ws.classify("pi"), SymbolKind::kUnknown);
  EXPECT_EQ(ws.classify("c"), SymbolKind::kUnknown);
  EXPECT_EQ(ws.classify("x"), SymbolKind::kUnknown);
  EXPECT_EQ(ws.classify("k"), SymbolKind::kUnknown);
  EXPECT_TRUE(namedConstants().empty());
  EXPECT_EQ(ws.clearSymbol("reset", false), ClearResult::kCleared);
  EXPECT_EQ(namedConstants().size(), 28u);
  EXPECT_EQ(ws.classify("pi"), SymbolKind::kConstant);
  EXPECT_EQ(ws.classify("c"), SymbolKind::kConstant);
  EXPECT_EQ(ws.classify("g"), SymbolKind::kConstant);
  EXPECT_EQ(ws.classify("G"), SymbolKind::kConstant);
}

TEST_F(WorkspaceTest, ClearedVariableStaysReadableUntilReleased) {
  // A statement compiled before "clear" in the same command may still point at it.
  Workspace ws(console.sink());
  Value* x = ws.declareVariable("x", 1);
  x->assignDouble(4);
  ws.clearSymbol("everything", false);
  EXPECT_EQ(x->getDouble(), 4.0);
  ws.releaseRetired();
  fillNamedConstants();
}

TEST_F(WorkspaceTest, RedeclarationKeepsTheOldValueAliveForTheCommand) {
  Workspace ws(console.sink());
  Value* x = ws.declareVariable("x", 1);
  x->assignDouble(1.5);
  Value* z = ws.declareVariable("x", values::COMPLEX_VAL);
  EXPECT_NE(x, z);
  EXPECT_EQ(x->getDouble(), 1.5);  // a right side compiled against the old x still reads it
  EXPECT_EQ(ws.findGlobal("x"), z);
  ws.releaseRetired();
}

}  // namespace
}  // namespace zirbin::session
