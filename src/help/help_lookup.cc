// Help queries: deciding the kind of a "?" line, describing names from the workspace and
// the registry, and running ZirbinHelp for the documentation text.
#include "help/help_lookup.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string_view>

#include "builtins/registry.h"
#include "compiler/token.h"
#include "files/state_dir.h"
#include "session/console_output.h"
#include "session/process_state.h"
#include "session/workspace.h"
#include "values/value.h"

extern char** environ;

namespace zirbin::help {
namespace {

using compiler::Token;
using session::Workspace;

// Significant digits of the numbers in a description (the console's default precision).
constexpr int kDescriptionPrecision = 6;

std::string numberText(double x) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*g", kDescriptionPrecision, x);
  return buffer;
}

const char* typeName(int typeCode) {
  static constexpr const char* kNames[] = {"int", "double", "complex", "list"};
  return typeCode >= 0 && typeCode < 4 ? kNames[typeCode] : "unknown";
}

const char* kindName(builtins::BuiltinKind kind) {
  static constexpr const char* kNames[] = {
      "None",         "NoArgScalar", "ValueFunc",     "ElementWise", "ColumnWise",  "ValueToScalar",
      "ValueToValue", "TwoArg",      "FunctorTwoArg", "General",     "UserFunction"};
  const int code = static_cast<int>(kind);
  return code >= 0 && code <= 10 ? kNames[code] : "unknown";
}

// The shape word of a variable's description; empty for a single number.
std::string shapeWord(const values::Value& v) {
  if (v.kind() == values::JMAT_LIST || v.valueType() == 3) {
    if (v.nrow > 1 && v.ncol() > 1) return "array of items";
    return "list with " + std::to_string(v.size) + " items";
  }
  if (v.isChar() || v.kind() == values::JMAT_ZIPKEY) {
    return v.nrow > 1 ? "array of strings" : "string";
  }
  if (v.kind() == values::JMAT_3D || v.size <= 1) return "";
  if (v.nrow == 1) return "vector";
  if (v.ncol() == 1) return "column";
  return "matrix";
}

std::string describeVariable(const std::string& name, const values::Value& v) {
  std::string text = name + " is a variable, type (" + typeName(v.valueType()) +
                     "), size = " + std::to_string(v.nrow) + " x ";
  text += std::to_string(v.kind() == values::JMAT_3D ? v.ncol3D() : v.ncol());
  if (v.kind() == values::JMAT_3D) text += " x " + std::to_string(v.pages());
  const std::string shape = shapeWord(v);
  if (!shape.empty()) text += " " + shape;
  // Numbers only: strings and lists have no meaningful extremes, and complex numbers no
  // order.
  const bool numeric = v.valueType() <= 1 && !v.isChar() && v.kind() != values::JMAT_ZIPKEY;
  if (numeric && v.size > 0) {
    std::string low, high;
    v.stringItem(low, v.indexOfMin(), kDescriptionPrecision);
    v.stringItem(high, v.indexOfMax(), kDescriptionPrecision);
    text += ", min, max = " + low + ", " + high;
  }
  return text;
}

std::string describeBuiltin(const std::string& name) {
  builtins::BuiltinRegistry& registry = session::builtinRegistry();
  const builtins::BuiltinKind kind = registry.lookup(name);
  const auto [low, high] = registry.argumentBounds();
  return name + " is a built-in function of type " + std::to_string(static_cast<int>(kind)) + " (" +
         kindName(kind) + "). Takes " + std::to_string(low) + " to " +
         (high == builtins::kNoUpperBound ? std::string("any number of") : std::to_string(high)) +
         " arguments.";
}

// "?vars": one description per global variable.
std::string listVariables(const Workspace& workspace) {
  std::string text;
  for (const auto& [name, value] : workspace.globalVariables()) {
    text += describeVariable(name, *value) + "\n";
  }
  return text.empty() ? "no variables defined" : text;
}

// "?consts": the user constants, then the named constants, each with its value.
std::string listConstants(const Workspace& workspace) {
  std::string text;
  for (const auto& [name, value] : workspace.userConstants()) {
    text += name + " = " + numberText(value) + "\n";
  }
  for (const auto& [name, value] : session::namedConstants()) {
    if (workspace.userConstants().count(name) == 0) text += name + " = " + numberText(value) + "\n";
  }
  return text;
}

// "?syms": every name the workspace holds, by group, in the literal mode.
std::string listSymbols(const Workspace& workspace) {
  std::string text = "variables:";
  for (const auto& entry : workspace.globalVariables()) text += " " + entry.first;
  text += "\nconstants:";
  for (const auto& entry : workspace.userConstants()) text += " " + entry.first;
  for (const auto& entry : session::namedConstants()) text += " " + entry.first;
  return text;
}

// "?func c": the built-ins whose names begin with the letter, in table order.
std::string listBuiltins(std::string_view prefix) {
  std::string text;
  for (const std::string& name : session::builtinRegistry().names()) {
    if (name.compare(0, prefix.size(), prefix) == 0) text += name + "  ";
  }
  return text;
}

bool isKeyword(const std::string& name) {
  return builtins::keywordCode(name) != builtins::Keyword::None;
}

// The answer to "?" with a name: the description, and for built-ins and keywords the
// documentation text.
std::string answerName(const std::string& name, bool detailed, Workspace& workspace) {
  std::string text = describeName(workspace, name);
  const bool keyword = isKeyword(name);
  const bool builtin = session::builtinRegistry().lookup(name) != builtins::BuiltinKind::None;
  if (keyword || builtin || name == "syntax") text += fetchHelp(name, detailed);
  return text;
}

std::string answer(const std::vector<Token>& query, Workspace& workspace) {
  const bool detailed = query.front().code == compiler::opcode::kHelpDetail;
  if (query.size() < 2) return usageText();
  const Token& first = query[1];
  switch (first.kind) {
    case compiler::kNameToken:
      if (first.text == "vars") return listVariables(workspace);
      if (first.text == "consts") return listConstants(workspace);
      if (first.text == "funcs") {
        // TODO: list the user functions once the function table offers a listing.
        return "no listing of user functions is available";
      }
      if (first.text == "func" && query.size() >= 3 && query[2].kind == compiler::kNameToken) {
        return listBuiltins(std::string_view(query[2].text).substr(0, 1));
      }
      return answerName(first.text, detailed, workspace);
    case compiler::kBinaryOpToken:
    case compiler::kUnaryOpToken:
    case compiler::kAssignOpToken:
      return "an operator";
    case compiler::kSeparatorToken:
    case compiler::kImplicitSepToken:
      return "a separator";
    case compiler::kEmptySetToken:
      return "[] is used to indicate either a list or the empty set";
    case compiler::kBracketToken:
      if (first.children.empty()) return "[] is used to indicate either a list or the empty set";
      break;
    case compiler::kFunctionDefToken:
      if (first.code == ':') {
        return "f(x) := ... defines a user function. See {_function} for more information.";
      }
      break;
    default:
      break;
  }
  return "I have no information to offer";
}

}  // namespace

void answerQuery(const std::vector<Token>& query, Workspace& workspace,
                 session::ConsoleOutput& output) {
  if (query.size() >= 2 && query[1].kind == compiler::kNameToken && query[1].text == "syms") {
    output.print(listSymbols(workspace), true, session::kPrintLiteral);
    output.newLine();
    return;
  }
  std::string text = answer(query, workspace);
  if (!text.empty() && text.back() != '\n') text += '\n';
  output.print(text, true, session::kPrintLines);
}

std::string describeName(Workspace& workspace, const std::string& name) {
  if (isKeyword(name)) return name + " is a keyword.";
  switch (workspace.classify(name)) {
    case session::SymbolKind::kVariable: {
      const Workspace::Lookup& found = workspace.lookup();
      const values::Value* value = found.value ? found.value : found.scopedValue;
      if (value) return describeVariable(name, *value);
      return name + " is a variable";
    }
    case session::SymbolKind::kConstant:
      return name + " is a Zirbin constant, value: " + numberText(workspace.lookup().constant);
    case session::SymbolKind::kFunction:
      if (workspace.lookup().builtin) return describeBuiltin(name);
      return name + " is a user-defined function";
    default:
      return name + " not recognized";
  }
}

std::string fetchHelp(const std::string& topic, bool detailed) {
  static constexpr char kUnavailable[] = "\n (further help unavailable)";
  const std::string program = files::programDirectory() + "/" + kHelpProgramName;
  std::vector<char*> argv;
  std::string name = kHelpProgramName, topicArg = topic, detailArg = "??";
  argv.push_back(name.data());
  argv.push_back(topicArg.data());
  if (detailed) argv.push_back(detailArg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    return kUnavailable;
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return kUnavailable;
  }
  std::ifstream in(files::stateFilePath(files::kHelpTextFileName));
  if (!in) return kUnavailable;
  std::string text, line;
  while (std::getline(in, line)) text += "\n" + line;
  return text;
}

std::string usageText() {
  return "For info on item x, use '?x'. For example:\n"
         "  ?plot     help on the plot function\n"
         "  ?name     what name is: variable, constant, keyword or function\n"
         "  ??name    the detailed help text on name\n"
         "  ?vars     the list of variables\n"
         "  ?consts   the list of constants\n"
         "  ?func c   the built-in functions whose names begin with the letter c\n"
         "  ?funcs    the list of user functions\n"
         "For an introduction, type {g help}";
}

std::string introductionText() {
  return "{*Zirbin} is an interactive environment for numerical computing.\n"
         "Type a command and press Enter to run it, for example {g x = linspace(0, pi, 5)}\n"
         "or {g sqrt(2)}. Double-click a previous command to run it again, or press the\n"
         "up-arrow to bring back earlier commands for editing.\n"
         "Scripts are files with the extension \".zrb\"; run one with {g use [name]}.\n"
         "Click an underlined word for help on it. For help on an item, type a query:\n"
         "  {g ?pi}   {g ?cos}   {g ?syntax}   {g ?property}\n"
         "and {g ?} alone lists the other kinds of query.";
}

}  // namespace zirbin::help
