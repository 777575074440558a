// Help queries: deciding the kind of a "?" line, describing names from the workspace and
// the registry, and running ZirbinHelp for the documentation text.
#include "help/help_lookup.h"

#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "base/sandbox.h"
#include "compiler/token.h"
#include "engine/registry.h"
#include "engine/user_function.h"
#include "engine/workspace.h"
#include "files/helper_program.h"
#include "files/state_dir.h"
#include "values/value.h"


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
  const std::optional<builtins::FunctionInfo> info = session::builtinRegistry().find(name);
  const builtins::BuiltinKind kind = info ? info->kind : builtins::BuiltinKind::None;
  const int low = info ? info->minArgs : 0;
  const int high = info ? info->maxArgs : 0;
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

// The session's user-function table; null where none is installed (unit tests).
const engine::FunctionTable* functionTable(const Workspace& workspace) {
  return dynamic_cast<const engine::FunctionTable*>(workspace.functionTable());
}

// "?funcs": the quick and other user functions with their descriptions, then the names of
// the resource functions loaded so far.
std::string listUserFunctions(const Workspace& workspace) {
  const engine::FunctionTable* table = functionTable(workspace);
  if (table == nullptr) return "no user functions defined";
  std::string text = table->listFunctions('f');
  const std::string resources = table->listFunctions('r');
  if (!resources.empty()) text += (text.empty() ? "" : "\n") + resources;
  return text.empty() ? "no user functions defined" : text;
}

// "?syms": every name the workspace holds, by group, in the literal mode.
std::string listSymbols(const Workspace& workspace) {
  std::string text = "variables:";
  for (const auto& entry : workspace.globalVariables()) text += " " + entry.first;
  text += "\nconstants:";
  for (const auto& entry : workspace.userConstants()) text += " " + entry.first;
  for (const auto& entry : session::namedConstants()) {
    if (workspace.userConstants().count(entry.first) == 0) text += " " + entry.first;
  }
  text += "\nfunctions:";
  if (const engine::FunctionTable* table = functionTable(workspace)) {
    for (const auto& entry : table->functions()) text += " " + entry.first;
  }
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

// An answer in two parts: plain text from the program's tables (names, descriptions and
// source lines, shown as they stand) and markup text (the usage text, help texts).
struct Answer {
  std::string plain;
  std::string markup;
};

constexpr char kUnavailable[] = "\n (further help unavailable)";

// The answer to "?" with a name: the description, and for built-ins and keywords the
// documentation text. A name the tables do not know may be a topic of the reference text
// ("operators", "welcome"): its text stands alone when there is one.
Answer answerName(const std::string& name, bool detailed, Workspace& workspace) {
  Answer a{describeName(workspace, name), ""};
  const bool keyword = isKeyword(name);
  const bool builtin = session::builtinRegistry().lookup(name) != builtins::BuiltinKind::None;
  if (keyword || builtin) {
    a.markup = fetchHelp(name, detailed);
  } else if (workspace.classify(name) == session::SymbolKind::kUnknown) {
    std::string text = fetchHelp(name, detailed);
    if (!text.empty() && text != kUnavailable) a = {"", text};
  }
  return a;
}

Answer answer(const std::vector<Token>& query, Workspace& workspace) {
  const bool detailed = query.front().code == compiler::opcode::kHelpDetail;
  if (query.size() < 2) return {"", usageText()};
  const Token& first = query[1];
  switch (first.kind) {
    case compiler::kNameToken:
      if (first.text == "vars") return {listVariables(workspace), ""};
      if (first.text == "consts") return {listConstants(workspace), ""};
      if (first.text == "funcs") return {listUserFunctions(workspace), ""};
      if (first.text == "func" && query.size() >= 3 && query[2].kind == compiler::kNameToken) {
        return {listBuiltins(std::string_view(query[2].text).substr(0, 1)), ""};
      }
      return answerName(first.text, detailed, workspace);
    case compiler::kBinaryOpToken:
    case compiler::kUnaryOpToken:
    case compiler::kAssignOpToken:
      return {"an operator", ""};
    case compiler::kSeparatorToken:
    case compiler::kImplicitSepToken:
      return {"a separator", ""};
    case compiler::kEmptySetToken:
      return {"[] is used to indicate either a list or the empty set", ""};
    case compiler::kBracketToken:
      if (first.children.empty())
        return {"[] is used to indicate either a list or the empty set", ""};
      break;
    case compiler::kFunctionDefToken:
      if (first.code == ':') {
        return {"", "f(x) := ... defines a user function. See {_function} for more information."};
      }
      break;
    default:
      break;
  }
  return {"I have no information to offer", ""};
}

// Writes `text` line by line in `mode` (kPrintText or kPrintLiteral), so that names and
// source lines holding markup characters ("a_b", "x^2") show as they stand.
void printPlain(const std::string& text, int mode, session::ConsoleOutput& output) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    output.print(text.substr(start, end - start), true, mode);
    output.newLine();
    start = end + 1;
  }
}

}  // namespace

void answerQuery(const std::vector<Token>& line, Workspace& workspace,
                 session::ConsoleOutput& output) {
  // The display marker that a typed line gets at its end is not part of the question.
  std::vector<Token> query = line;
  while (query.size() > 1 && query.back().kind == compiler::kDisplayMarkerToken) query.pop_back();
  if (query.size() >= 2 && query[1].kind == compiler::kNameToken && query[1].text == "syms") {
    printPlain(listSymbols(workspace), session::kPrintLiteral, output);
    return;
  }
  const Answer a = answer(query, workspace);
  printPlain(a.plain, session::kPrintText, output);
  // Help texts begin with a line end (each line is joined with one before it).
  std::string markup = a.markup.substr(a.markup.compare(0, 1, "\n") == 0 ? 1 : 0);
  if (markup.empty()) return;
  if (markup.back() != '\n') markup += '\n';
  output.print(markup, true, session::kPrintLines);
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
    case session::SymbolKind::kFunction: {
      if (workspace.lookup().builtin) return describeBuiltin(name);
      const engine::FunctionTable* table = functionTable(workspace);
      const engine::UserFunc* function = table ? table->get(name) : nullptr;
      if (function == nullptr) return name + " is a user-defined function";
      return name + " is a " + engine::describeFunction(*function);
    }
    default:
      return name + " not recognized";
  }
}

std::string fetchHelp(const std::string& topic, bool detailed) {
  if (session::sandboxed) session::checkFailed("help", "not available in a sandboxed run");
  std::vector<std::string> words{topic};
  if (detailed) words.emplace_back("??");
  if (files::runHelperProgram(kHelpProgramName, words) != files::HelperRun::kSucceeded) {
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
