// Help queries: the description of names, the answers of each query form, the help
// program's failure, the help built-ins and the property result reader.
#include "help/help_lookup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "builtins/routine_support.h"
#include "compiler/token.h"
#include "engine/registry.h"
#include "engine/workspace.h"
#include "files/state_dir.h"
#include "help/help_builtins.h"
#include "values/math_matrix.h"

namespace zirbin::help {
namespace {

using compiler::Token;

// A console that keeps everything written to it as one text, lines ended by '\n', and
// the mode of each piece printed.
class TextConsole : public session::ConsoleOutput {
 public:
  void print(const std::string& piece, bool newLineFirst, int mode) override {
    if (newLineFirst && !text.empty() && text.back() != '\n') text += '\n';
    text += piece;
    modes.push_back(mode);
  }
  void newLine() override { text += '\n'; }
  std::string text;
  std::vector<int> modes;
};

Token token(int kind, char code, std::string text = {}) {
  Token t;
  t.kind = kind;
  t.code = code;
  t.text = std::move(text);
  return t;
}

Token name(const std::string& text) { return token(compiler::kNameToken, 0, text); }

std::string ask(std::vector<Token> rest, session::Workspace& workspace) {
  std::vector<Token> query{token(compiler::kUnaryOpToken, '?')};
  query.insert(query.end(), rest.begin(), rest.end());
  TextConsole console;
  answerQuery(query, workspace, console);
  return console.text;
}

// Points the program directory at an empty directory for one test, so that the help
// program cannot be found.
class WithoutHelpProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = files::programDirectory();
    empty_ = std::filesystem::temp_directory_path() / ("zirbin_nohelp_" + std::to_string(getpid()));
    std::filesystem::create_directories(empty_);
    files::setProgramDirectory(empty_.string());
  }
  void TearDown() override {
    files::setProgramDirectory(saved_);
    std::filesystem::remove_all(empty_);
  }
  session::Workspace workspace_;

 private:
  std::string saved_;
  std::filesystem::path empty_;
};

TEST(HelpDescription, NamesAKeyword) {
  session::Workspace workspace;
  EXPECT_EQ(describeName(workspace, "while"), "while is a keyword.");
}

TEST(HelpDescription, NamesABuiltinWithKindAndArgumentCounts) {
  session::Workspace workspace;
  EXPECT_EQ(describeName(workspace, "sqrt"),
            "sqrt is a built-in function of type 3 (ElementWise). Takes 1 to 1 arguments.");
  EXPECT_EQ(describeName(workspace, "integ"),
            "integ is a built-in function of type 9 (General). Takes 0 to any number of "
            "arguments.");
  EXPECT_EQ(describeName(workspace, "disp"),
            "disp is a built-in function of type 9 (General). Takes 1 to any number of "
            "arguments.");
}

TEST(HelpDescription, NamesAVariableWithTypeSizeAndExtremes) {
  session::Workspace workspace;
  values::Value* v = workspace.declareVariable("v", 1);
  double* d = builtins::shapeDoubles(*v, 1, 3);
  d[0] = 2;
  d[1] = -1.5;
  d[2] = 7;
  EXPECT_EQ(describeName(workspace, "v"),
            "v is a variable, type (double), size = 1 x 3 vector, min, max = -1.5, 7");
  auto* s = new values::IntValue;  // the workspace takes ownership
  s->assignString("abc");
  workspace.setVariable("s", s);
  EXPECT_EQ(describeName(workspace, "s").find("s is a variable, type ("), 0u);
  EXPECT_NE(describeName(workspace, "s").find("string"), std::string::npos);
  EXPECT_EQ(describeName(workspace, "s").find("min, max"), std::string::npos);
}

TEST(HelpDescription, NamesAConstantWithItsValue) {
  session::Workspace workspace;
  EXPECT_EQ(describeName(workspace, "pi"), "pi is a Zirbin constant, value: 3.14159");
}

TEST(HelpDescription, UnknownNameIsNotRecognized) {
  session::Workspace workspace;
  EXPECT_EQ(describeName(workspace, "nosuchname"), "nosuchname not recognized");
}

TEST(HelpQuery, AloneGivesTheUsageText) {
  session::Workspace workspace;
  const std::string text = ask({}, workspace);
  EXPECT_EQ(text.find("For info on item x, use '?x'. For example:"), 0u);
  for (const char* form : {"?plot", "?name", "??name", "?vars", "?consts", "?func c", "?funcs"}) {
    EXPECT_NE(text.find(form), std::string::npos) << form;
  }
  EXPECT_NE(text.find("{g help}"), std::string::npos);
}

TEST(HelpQuery, TheDisplayMarkerOfATypedLineIsNotPartOfTheQuestionFixed) {
  session::Workspace workspace;
  const Token marker = token(compiler::kDisplayMarkerToken, ';');
  EXPECT_EQ(ask({marker}, workspace).find("For info on item x, use '?x'. For example:"), 0u);
  EXPECT_EQ(ask({token(compiler::kSeparatorToken, ','), marker}, workspace), "a separator\n");
  EXPECT_EQ(ask({name("nosuchname"), marker}, workspace), "nosuchname not recognized\n");
}

TEST(HelpQuery, DescriptionsAndListingsArePlainTextTheUsageIsMarkup) {
  session::Workspace workspace;
  workspace.declareVariable("a_b", 1)->assignDouble(2);
  std::vector<Token> query{token(compiler::kUnaryOpToken, '?'), name("a_b")};
  TextConsole console;
  answerQuery(query, workspace, console);
  EXPECT_EQ(console.text, "a_b is a variable, type (double), size = 1 x 1, min, max = 2, 2\n");
  EXPECT_EQ(console.modes, std::vector<int>{session::kPrintText});
  TextConsole usage;
  answerQuery({token(compiler::kUnaryOpToken, '?')}, workspace, usage);
  EXPECT_EQ(usage.modes, std::vector<int>{session::kPrintLines});
}

TEST(HelpQuery, SymsListsEachGroupLiterallyOnALineOfItsOwn) {
  session::Workspace workspace;
  workspace.declareVariable("alpha", 1)->assignDouble(2);
  std::vector<Token> query{token(compiler::kUnaryOpToken, '?'), name("syms")};
  TextConsole console;
  answerQuery(query, workspace, console);
  EXPECT_EQ(console.text.find("variables: alpha\nconstants: "), 0u);
  EXPECT_NE(console.text.find(" pi "), std::string::npos);
  EXPECT_NE(console.text.find("\nfunctions:\n"), std::string::npos);
  EXPECT_EQ(console.modes, std::vector<int>(3, session::kPrintLiteral));
}

TEST(HelpQuery, FuncsWithoutUserFunctionsSaysSo) {
  session::Workspace workspace;
  EXPECT_EQ(ask({name("funcs")}, workspace), "no user functions defined\n");
}

TEST(HelpQuery, OperatorsSeparatorsBracketsAndDefinitions) {
  session::Workspace workspace;
  EXPECT_EQ(ask({token(compiler::kBinaryOpToken, '+')}, workspace), "an operator\n");
  EXPECT_EQ(ask({token(compiler::kSeparatorToken, ',')}, workspace), "a separator\n");
  EXPECT_EQ(ask({token(compiler::kEmptySetToken, 0)}, workspace),
            "[] is used to indicate either a list or the empty set\n");
  EXPECT_EQ(ask({token(compiler::kFunctionDefToken, ':', " x")}, workspace),
            "f(x) := ... defines a user function. See {_function} for more information.\n");
  EXPECT_EQ(ask({token(compiler::kStringToken, '\'', "abc")}, workspace),
            "I have no information to offer\n");
}

TEST(HelpQuery, FuncWithALetterListsTheBuiltinsInTableOrder) {
  session::Workspace workspace;
  const std::string text = ask({name("func"), name("q")}, workspace);
  EXPECT_NE(text.find("qfind  "), std::string::npos);
  EXPECT_NE(text.find("qinteg  "), std::string::npos);
  EXPECT_NE(text.find("qpop  "), std::string::npos);
  std::istringstream words(text);
  std::string word, previous;
  while (words >> word) {
    EXPECT_EQ(word[0], 'q') << word;
    EXPECT_LT(previous, word);
    previous = word;
  }
}

TEST(HelpQuery, VarsListsTheVariables) {
  session::Workspace workspace;
  workspace.declareVariable("alpha", 1)->assignDouble(2);
  EXPECT_NE(ask({name("vars")}, workspace).find("alpha is a variable, type (double)"),
            std::string::npos);
  EXPECT_NE(ask({name("consts")}, workspace).find("pi = 3.14159"), std::string::npos);
}

TEST_F(WithoutHelpProgram, FetchHelpSaysFurtherHelpIsUnavailable) {
  EXPECT_EQ(fetchHelp("sqrt", false), "\n (further help unavailable)");
  EXPECT_EQ(fetchHelp("plot", true), "\n (further help unavailable)");
}

TEST_F(WithoutHelpProgram, ANameQueryStillGivesTheDescription) {
  EXPECT_EQ(ask({name("sqrt")}, workspace_),
            "sqrt is a built-in function of type 3 (ElementWise). Takes 1 to 1 arguments.\n"
            " (further help unavailable)\n");
  // A variable has no documentation text: the program is not asked.
  workspace_.declareVariable("x", 1)->assignDouble(3);
  EXPECT_EQ(ask({name("x")}, workspace_),
            "x is a variable, type (double), size = 1 x 1, min, max = 3, 3\n");
}

TEST(HelpQuery, AnUnknownNameThatIsAReferenceTopicShowsItsText) {
  session::Workspace workspace;
  const std::string saved = files::programDirectory();
  files::setProgramDirectory(ZIRBIN_BIN_DIR);
  const std::string topic = ask({name("operators")}, workspace);
  const std::string unknown = ask({name("nosuchtopic")}, workspace);
  files::setProgramDirectory(saved);
  EXPECT_EQ(topic.find("operators not recognized"), std::string::npos);
  EXPECT_NE(topic.find("See also:"), std::string::npos);
  EXPECT_EQ(unknown, "nosuchtopic not recognized\n");
}

TEST_F(WithoutHelpProgram, AnUnknownNameIsNotRecognizedWithoutFurtherWords) {
  EXPECT_EQ(ask({name("nosuchtopic")}, workspace_), "nosuchtopic not recognized\n");
}

// A stand-in ZirbinHelp that writes the arguments it got, so that the test sees how the
// main program calls it; and a state directory of the test's own.
class WithFakeHelpProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("zirbin_fakehelp_" + std::to_string(getpid()));
    std::filesystem::create_directories(root_ / "state");
    savedDir_ = files::programDirectory();
    const char* home = std::getenv("ZIRBIN_HOME");
    hadHome_ = home != nullptr;
    savedHome_ = hadHome_ ? home : "";
    setenv("ZIRBIN_HOME", (root_ / "state").c_str(), 1);
    files::setProgramDirectory(root_.string());
  }
  void TearDown() override {
    files::setProgramDirectory(savedDir_);
    if (hadHome_) {
      setenv("ZIRBIN_HOME", savedHome_.c_str(), 1);
    } else {
      unsetenv("ZIRBIN_HOME");
    }
    std::filesystem::remove_all(root_);
  }
  void fakeHelp(const std::string& body) {
    const std::filesystem::path program = root_ / kHelpProgramName;
    std::ofstream(program) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  }
  session::Workspace workspace_;

 private:
  std::filesystem::path root_;
  std::string savedDir_, savedHome_;
  bool hadHome_ = false;
};

constexpr char kEchoArguments[] =
    "printf 'topic %s\\nflag %s\\n' \"$1\" \"$2\" > \"$ZIRBIN_HOME/zirbinhelp.txt\"";

TEST_F(WithFakeHelpProgram, ADoubledQueryPassesTheDetailFlag) {
  fakeHelp(kEchoArguments);
  std::vector<Token> query{token(compiler::kBinaryOpToken, compiler::opcode::kHelpDetail),
                           name("plot")};
  TextConsole console;
  answerQuery(query, workspace_, console);
  EXPECT_NE(console.text.find("\ntopic plot\nflag ??\n"), std::string::npos) << console.text;
  EXPECT_EQ(fetchHelp("plot", false), "\ntopic plot\nflag ");
}

TEST_F(WithFakeHelpProgram, AFailingProgramMakesFurtherHelpUnavailable) {
  fakeHelp("exit 1");
  EXPECT_EQ(fetchHelp("plot", false), "\n (further help unavailable)");
}

TEST_F(WithFakeHelpProgram, AnEmptyTextAddsNothing) {
  fakeHelp(": > \"$ZIRBIN_HOME/zirbinhelp.txt\"");
  EXPECT_EQ(fetchHelp("plot", false), "");
  EXPECT_EQ(ask({name("sqrt")}, workspace_),
            "sqrt is a built-in function of type 3 (ElementWise). Takes 1 to 1 arguments.\n");
}

// Calls the built-in `name` of kind ValueToScalar int on `argument`.
int callScalarBuiltin(const char* builtinName, const values::Value& argument) {
  const builtins::BuiltinRegistry& registry = session::builtinRegistry();
  EXPECT_EQ(registry.lookup(builtinName), builtins::BuiltinKind::ValueToScalar);
  return std::get<builtins::ValueToIntRoutine>(registry.find(builtinName)->routine)(argument);
}

TEST(HelpBuiltins, IsdefinedSaysItIsNotImplementedAndGivesMinusOne) {
  TextConsole console;
  session::runContext->console = &console;
  values::DoubleValue x;
  EXPECT_EQ(callScalarBuiltin("isdefined", x), -1);
  session::runContext->console = nullptr;
  EXPECT_EQ(console.text, "function isdefined is not yet implemented: sorry!\n");
}

TEST(HelpBuiltins, TypeinfoGivesTheShapeKind) {
  values::IntValue s;
  s.assignString("abc");
  EXPECT_EQ(callScalarBuiltin("typeinfo", s), values::JMAT_CHAR);
  values::DoubleValue d;
  d.assignDouble(1);
  EXPECT_EQ(callScalarBuiltin("typeinfo", d), values::JMAT_PLAIN);
}

TEST(HelpBuiltins, RegisteredWithTheirKinds) {
  const builtins::BuiltinRegistry& registry = session::builtinRegistry();
  EXPECT_EQ(registry.lookup("help"), builtins::BuiltinKind::NoArgScalar);
  EXPECT_EQ(registry.lookup("whatis"), builtins::BuiltinKind::ValueToValue);
  EXPECT_EQ(registry.find("whatis")->resultType, builtins::kIntResult);
  EXPECT_EQ(registry.lookup("property"), builtins::BuiltinKind::General);
  EXPECT_EQ(registry.find("property")->bounds(), std::make_pair(2, 3));
}

TEST(PropertyResult, ANumberAfterTheFirstLine) {
  std::istringstream in("density of iron\n7874\n");
  values::DoubleValue result;
  readPropertyResult(in, result);
  ASSERT_EQ(result.size, 1);
  EXPECT_DOUBLE_EQ(result.getDouble(), 7874);
}

TEST(PropertyResult, ATableBecomesAnNByTwoMatrix) {
  std::istringstream in("vapour pressure of water\n\\table 3 kPa\n20 2.34\n50 12.35\n100 101.3\n");
  values::DoubleValue result;
  readPropertyResult(in, result);
  ASSERT_EQ(result.nrow, 3);
  ASSERT_EQ(result.size, 6);
  const double* d = static_cast<const double*>(result.rawData());
  EXPECT_DOUBLE_EQ(d[0], 20);
  EXPECT_DOUBLE_EQ(d[2], 100);
  EXPECT_DOUBLE_EQ(d[3], 2.34);
  EXPECT_DOUBLE_EQ(d[5], 101.3);
}

TEST(PropertyResult, OtherKeywordsGiveOneStringPerLine) {
  std::istringstream in("names\n\\names 2\niron\nFe\n");
  values::DoubleValue result;
  readPropertyResult(in, result);
  EXPECT_TRUE(result.isChar());
  EXPECT_EQ(result.nrow, 2);
  EXPECT_EQ(result.ncol(), 4);
}

TEST(PropertyResult, ABrokenFileIsRefusedNotReadPastItsEnd) {
  values::DoubleValue result;
  std::istringstream cut("table\n\\table 3\n1 2\n");
  EXPECT_THROW(readPropertyResult(cut, result), session::RuntimeError);
  std::istringstream huge("table\n\\table 2000000000\n");
  EXPECT_THROW(readPropertyResult(huge, result), session::RuntimeError);
  std::istringstream empty("");
  EXPECT_THROW(readPropertyResult(empty, result), session::RuntimeError);
}

}  // namespace
}  // namespace zirbin::help
