// Statements as a user meets them: program text in, variables, console lines and
// messages out.
#include "compiler/statement_compiler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "base/run_context.h"
#include "compiler/input_source.h"
#include "engine/run_state.h"
#include "engine/statement_test_support.h"
#include "engine/workspace.h"
#include "values/math_matrix.h"

namespace zirbin::compiler {
namespace {

using engine::testing::elements;
using engine::testing::RecordingConsole;
using session::RuntimeError;
using session::SyntaxError;

class StatementCompilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session::fillNamedConstants();
    session::runContext->console = &console_;
    session::runContext->keepRunning = true;
    engine::resetReportedLine();
  }
  void TearDown() override {
    session::runContext->console = nullptr;
    session::fillNamedConstants();
  }

  // Compiles `text` (lines separated by "\n") as a script and runs it. Returns the
  // message of the error that stopped it ("" when none) and keeps the console lines.
  std::string run(const std::string& text, char mode = 'p') {
    std::string source;
    for (char c : text) {
      if (c == '\n') source += "\r\n";
      else source += c;
    }
    UserInput input;
    input.load(source, mode);  // a typed line ('>') is line 0
    StatementCompiler compiler(workspace_, input, console_);
    session::runContext->keepRunning = true;
    try {
      std::unique_ptr<engine::Statement> program = compiler.compileCommand();
      if (program) program->exe();
    } catch (const SyntaxError& e) {
      return e.text;
    } catch (const RuntimeError& e) {
      return e.text;
    } catch (char c) {
      return std::string("code ") + c;
    }
    workspace_.releaseRetired();
    return "";
  }
  std::string typed(const std::string& line) { return run(line, '>'); }

  values::Value* var(const std::string& name) { return workspace_.findGlobal(name); }
  double number(const std::string& name) { return var(name)->getDouble(); }
  std::vector<double> numbers(const std::string& name) { return elements(*var(name)); }
  std::vector<std::string> lines() { return console_.all(); }

  RecordingConsole console_;
  session::Workspace workspace_;
};

TEST_F(StatementCompilerTest, ForLoopOverIndentedBlock) {
  EXPECT_EQ(run("s = 0\nfor i = 1:3\n    s = s + i\n    t = i\nu = 7"), "");
  EXPECT_EQ(number("s"), 6.0);
  EXPECT_EQ(number("t"), 3.0);
  EXPECT_EQ(number("u"), 7.0);
}

TEST_F(StatementCompilerTest, ForBodyOnTheSameLineAfterAColon) {
  EXPECT_EQ(run("s = 0.0\nfor i = 1:10: s = s + i*0.5"), "");
  EXPECT_EQ(number("s"), 27.5);
}

TEST_F(StatementCompilerTest, IfElseOnSeparateLines) {
  EXPECT_EQ(run("k = 0\nif k: y = 1\nelse\n    y = 2"), "");
  EXPECT_EQ(number("y"), 2.0);
  EXPECT_EQ(run("k = 1\nif k\n    y = 10\nelse y = 20"), "");
  EXPECT_EQ(number("y"), 10.0);
}

TEST_F(StatementCompilerTest, WhileWithIfElseCollatz) {
  EXPECT_EQ(run("n = 27\nsteps = 0\nwhile n ~= 1\n"
                "    if n mod 2 == 0\n        n = n / 2\n    else\n        n = 3*n + 1\n"
                "    steps += 1"),
            "");
  EXPECT_EQ(number("steps"), 111.0);
}

TEST_F(StatementCompilerTest, BracesOnOneLine) {
  EXPECT_EQ(run("s = 0\nfor i = 1:4 : {s += i; s += 1}"), "");
  EXPECT_EQ(number("s"), 14.0);
}

TEST_F(StatementCompilerTest, BreakAndContinue) {
  EXPECT_EQ(run("s = 0\nfor i = 1:10\n    if i == 3: continue\n    if i == 6: break\n"
                "    s += i"),
            "");
  EXPECT_EQ(number("s"), 1.0 + 2 + 4 + 5);
  EXPECT_EQ(run("s = 0\nbreak 1"), "extraneous characters or missing ; after break statement");
  EXPECT_EQ(run("continue x"), "extraneous characters or missing ; after continue");
}

TEST_F(StatementCompilerTest, UnlessAndElseRefusal) {
  EXPECT_EQ(run("x = 0\nunless x: y = 5"), "");
  EXPECT_EQ(number("y"), 5.0);
  EXPECT_EQ(run("unless x: y = 5\nelse y = 6"), "'else' not allowed after unless");
  EXPECT_EQ(run("else"), "stray 'else' keyword");
  EXPECT_EQ(run("while"), "incomplete statement");
}

TEST_F(StatementCompilerTest, ForInWithCounter) {
  EXPECT_EQ(run("v = [5 6 7]\ns = 0\nfor k, x in v\n    s += k*x"), "");
  EXPECT_EQ(number("s"), 5.0 + 12 + 21);
  EXPECT_EQ(run("for i, v = L"), "in the 'for i,x' form you must use 'in' not '='");
  EXPECT_EQ(run("for i, 3 in v"), "missing name after comma");
  EXPECT_EQ(run("for 3 = v"), "incomplete 'for' statement");
  EXPECT_EQ(run("for i v"), "'for' expression missing = or 'in'");
  EXPECT_EQ(run("for x in"), "after 'in' you must put a name");
  EXPECT_EQ(run("for x in 3"), "incorrect variable name after 'in'");
  EXPECT_EQ(run("for pi = 1:3\n  x = 1"), "you can't use a constant as a loop variable");
}

TEST_F(StatementCompilerTest, AssignmentForms) {
  EXPECT_EQ(run("x = [1 2 3]\nx[2] = 9\nx[4] = 10\nx += 1\nx ,= 0"), "");
  EXPECT_EQ(numbers("x"), (std::vector<double>{2, 10, 4, 11, 0}));
  EXPECT_EQ(run("m = [1 2; 3 4]\nm[2, 1] = 7\nm[:, 2] = 0"), "");
  EXPECT_EQ(numbers("m"), (std::vector<double>{1, 7, 0, 0}));
  EXPECT_EQ(run("v = [1 2 3 4 5]\nv[2:3] = 0\nv[1] = []"), "");
  EXPECT_EQ(numbers("v"), (std::vector<double>{0, 0, 4, 5}));
  EXPECT_EQ(run("w = [1 2 3]\nw[end] = 8\nw[end + 1] = 9"), "");
  EXPECT_EQ(numbers("w"), (std::vector<double>{1, 2, 8, 9}));
}

TEST_F(StatementCompilerTest, AssignmentRefusals) {
  EXPECT_EQ(run("pi = 3"), "you can't assign to a constant");
  EXPECT_EQ(run("undeclared[2] = 5"), "Indexing an undeclared variable on the lhs");
  EXPECT_EQ(run("m = [1 2; 3 4]\nm[1, 2] = []"), "invalid erasure (more than one index)");
  EXPECT_EQ(run("z = 1i\nz += 1"), "not yet implemented for complex type");
  EXPECT_EQ(run("z = 1i\nz[1] = 2"), "indexed assignment to non-double not yet implemented");
  EXPECT_EQ(run("x = [1 2]\nx[1] ,= 2"), "this op-assign not allowed for an indexed lhs");
  EXPECT_EQ(run("x = [1 2 3]\nx[1:2] += 2"), "op-assign with sequence lhs is not implemented");
  EXPECT_EQ(run("[a, b] += 3"), "invalid multiple assignment syntax");
  EXPECT_EQ(run("[a, b] = 3"), "invalid or missing rhs");
}

TEST_F(StatementCompilerTest, TopLevelTypeRedeclaration) {
  // Each typed line is a command of its own.
  EXPECT_EQ(typed("x = 1;"), "");
  EXPECT_EQ(typed("x = 1.5;"), "");
  EXPECT_EQ(number("x"), 1.5);
  EXPECT_EQ(typed("x = x + 1i;"), "");
  EXPECT_EQ(var("x")->valueType(), values::COMPLEX_VAL);
  EXPECT_EQ(elements(*var("x")).size(), 0u);  // complex elements are not listed by elements()
  // Within one command an earlier statement still uses the old variable.
  EXPECT_EQ(run("r = 2\ns = r\nr = 1i"),
            "variable in use, its base-type can't be changed here: r");
  EXPECT_EQ(var("r")->valueType(), values::DOUBLE_VAL);
}

TEST_F(StatementCompilerTest, ConstDeclarations) {
  EXPECT_EQ(run("const k = 2\nconst k = 2\ny = k"), "");
  EXPECT_EQ(number("y"), 2.0);
  EXPECT_EQ(run("const k = 3"), "attempt to change value of a const");
  EXPECT_EQ(run("const a, b, d\nz = d"), "");
  EXPECT_EQ(number("z"), 3.0);
  EXPECT_EQ(run("x = 1\nconst x = 1"), "const name clash");
  EXPECT_EQ(run("const q = x"), "invalid const expression");
  EXPECT_EQ(run("global g1"), "invalid command at global scope");
  EXPECT_EQ(run("global g1 = 2"), "invalid global declaration");
  EXPECT_EQ(run("persistent p"), "invalid command at global scope");
  EXPECT_EQ(run("const 3"), "invalid list of names");
}

TEST_F(StatementCompilerTest, ClearStatement) {
  EXPECT_EQ(typed("x = 1;"), "");
  EXPECT_EQ(typed("clear x"), "");
  EXPECT_EQ(var("x"), nullptr);
  EXPECT_EQ(run("clear nothing"), "");
  EXPECT_EQ(lines().back(), "clear nothing: no such symbol");
  EXPECT_EQ(run("clear pi"), "To clear a constant you must use 'clear (const) pi'");
  EXPECT_EQ(run("clear (const) pi"), "");
  EXPECT_EQ(lines().back(),
            "pi warning: clearing a global constant may lead to instability if it is used in a "
            "user function which has already been compiled");
  EXPECT_EQ(run("clear (const_) ee\nclear (const_) nothing"), "");
  EXPECT_EQ(lines().size(), 2u);
  EXPECT_EQ(run("clear (x) nothing"), "");
  EXPECT_EQ(lines()[2], "bracket not recognised after clear keyword");
  EXPECT_EQ(run("z = 1\nw = z\nclear z"), "variable in use, can't be cleared here: z");
  EXPECT_EQ(run("for i = 1:2\n    clear i"),
            "the 'clear' keyword can only be invoked at zero depth");
  workspace_.setBuiltinLookup([](const std::string& name) { return name == "sin"; });
  EXPECT_EQ(run("clear sin"), "attempt to clear built-in function sin");
  EXPECT_EQ(run("clear everything\nq = pi"), "unrecognised name {g 'pi'");
  EXPECT_EQ(run("clear reset\nq = pi"), "");
}

TEST_F(StatementCompilerTest, RunTimeErrorInNestedBlocksTracesDistinctLines) {
  EXPECT_EQ(run("a = [1 2]\nb = [1 2 3]\nfor i = 1:2\n    z = i\n    if i == 2\n"
                "        w = 1\n        y = a + b"),
            "code +");
  EXPECT_EQ(lines(), (std::vector<std::string>{"at line 7", "at line 5", "at line 3"}));
}

TEST_F(StatementCompilerTest, ConditionsMustBeScalar) {
  EXPECT_EQ(run("if [1 1]: x = 1"), "non-scalar condition in if clause");
  EXPECT_EQ(run("unless [1 1]: x = 1"), "non-scalar condition in while clause");
  EXPECT_EQ(run("while [1 1]: x = 1"), "non-scalar condition in while clause");
}

TEST_F(StatementCompilerTest, IndexingErrorsAtRunTime) {
  EXPECT_EQ(run("v = [1 2 3]\nv[5] = 1"), "in lhs: index out of bounds");
  EXPECT_EQ(run("v = [1 2 3]\nv[0] = 1"), "in lhs: index out of bounds");
  EXPECT_EQ(run("v = [1 2 3]\ny = v[4]"), "index out of bounds");
  EXPECT_EQ(run("v = [1 2 3]\ny = v[0:2]"), "in sequenced index: index out of bounds");
}

TEST_F(StatementCompilerTest, TypedAssignmentDisplaysItsValue) {
  EXPECT_EQ(typed("x = 5"), "");
  EXPECT_FALSE(lines().empty());
  EXPECT_EQ(typed("x = 5;"), "");
}

TEST_F(StatementCompilerTest, BreakpointWritesTheStopAsConsoleLines) {
  EXPECT_EQ(typed("x = [1 2 3];!"), "");
  const std::vector<std::string> shown = lines();
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[0], "Breakpoint at line 0");
  EXPECT_EQ(shown[1], "expr value  (1x3) 1 2 3");
}

}  // namespace
}  // namespace zirbin::compiler
