// The statement compiler's function definitions (name := expr, name(params) ::= expr,
// `function` ... `end`, `funcdec`), `return` inside a body, and multiple assignment.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "base/errors.h"
#include "base/run_context.h"
#include "compiler/expression_compiler.h"
#include "compiler/lexer.h"
#include "compiler/statement_compiler.h"
#include "compiler/token.h"
#include "engine/assign_statements.h"
#include "engine/registry.h"
#include "engine/user_func_elements.h"
#include "engine/user_function.h"
#include "engine/workspace.h"
#include "values/element_ops.h"
#include "values/value.h"

namespace zirbin::compiler {

using engine::FunctionDeclaration;
using engine::Statement;
using engine::UserFunc;
using session::SymbolKind;
using session::SyntaxError;

namespace {

// Parameters a definition may have.
constexpr int kMaxParameters = 32;
// Significant digits of a default value in a function's source text (a double's 17).
constexpr int kDefaultDigits = 17;
// The name of the result variable of a one-line definition.
constexpr const char* kResultName = "return";

bool isSeparator(const Token& t, char code) { return t.kind == kSeparatorToken && t.code == code; }

bool isParameterSeparator(const Token& t) { return isSeparator(t, ',') || isSeparator(t, ';'); }

engine::FunctionTable& tableOf(session::Workspace& workspace) {
  auto* table = dynamic_cast<engine::FunctionTable*>(workspace.functionTable());
  ZB_ASSERT(table != nullptr, "a workspace without its function table");
  return *table;
}

// A default value: a number with an optional leading '-'.
double defaultValue(const TokenList& tokens, std::size_t& at) {
  bool negative = false;
  if (at < tokens.size() && (tokens[at].kind == kBinaryOpToken || tokens[at].kind == kUnaryOpToken) &&
      tokens[at].code == '-') {
    negative = true;
    ++at;
  }
  if (at >= tokens.size() ||
      (tokens[at].kind != kIntegerToken && tokens[at].kind != kRealToken) || tokens[at].code == 'i') {
    throw SyntaxError("default value must be a number");
  }
  const double x = std::stod(tokens[at].text);
  ++at;
  return negative ? -x : x;
}

// params -> [param {(',' | ';') param}]
// param -> ['^'] name ['*' | '[]'] [':' number]
void readParameters(const TokenList& tokens, FunctionDeclaration& declaration) {
  if (tokens.empty()) return;
  int separators = 0;
  for (const Token& t : tokens) separators += isParameterSeparator(t) ? 1 : 0;
  if (separators + 1 > kMaxParameters) {
    throw SyntaxError("exceeded maximum permitted number of arguments");
  }
  std::size_t at = 0;
  while (at < tokens.size()) {
    const int index = static_cast<int>(declaration.parameters.size());
    if ((tokens[at].kind == kBinaryOpToken || tokens[at].kind == kUnaryOpToken) &&
        tokens[at].code == '^') {
      ++at;
      if (at >= tokens.size() || tokens[at].kind != kNameToken) {
        throw SyntaxError("unattached '^' in argument list");
      }
      declaration.referenceMask |= 1U << index;
    }
    if (tokens[at].kind != kNameToken) throw SyntaxError("invalid item in argument list");
    const Token& name = tokens[at++];
    int type = values::DOUBLE_VAL;
    if (name.code == '*') {
      if (at >= tokens.size() || tokens[at].kind != kBinaryOpToken || tokens[at].code != '*') {
        throw SyntaxError("incorrect use of '*' in parameter list");
      }
      ++at;
      type = values::COMPLEX_VAL;
    } else if (name.code == '[') {
      if (at >= tokens.size() || tokens[at].kind != kEmptySetToken) {
        throw SyntaxError("incorrect use of '['. Use [] to indicate a list");
      }
      ++at;
      type = values::LIST_VAL;
    }
    declaration.parameters.push_back(name.text);
    declaration.parameterTypes.push_back(type);
    if (at < tokens.size() && isSeparator(tokens[at], ':')) {
      ++at;
      declaration.defaults.push_back(defaultValue(tokens, at));
    } else if (!declaration.defaults.empty()) {
      throw SyntaxError("missing default value");
    }
    if (at < tokens.size()) {
      if (!isParameterSeparator(tokens[at])) throw SyntaxError("missing comma or semicolon");
      ++at;
      if (at >= tokens.size()) throw SyntaxError("invalid item in argument list");
    }
  }
}

// Checks that apply to every definition form, before the function is declared.
void checkDefinitionPlace(session::Workspace& workspace, int depth, const std::string& name) {
  if (depth > 0) throw SyntaxError("nested function definition");
  if (tableOf(workspace).compiling() || workspace.inFunctionScope()) {
    throw SyntaxError("nested functions not allowed");
  }
  const SymbolKind kind = workspace.classify(name);
  // Named constants are refused as well as user constants: classify finds a constant
  // before a function, so a function of that name could never be called.
  if (kind == SymbolKind::kVariable || kind == SymbolKind::kConstant) {
    throw SyntaxError("name clash with existing symbol. (Clear the symbol or use another name)");
  }
}

// Compiles a body for `declaration` with the workspace in the function's scope. On
// failure a new function is removed again and an existing one (which lost its body) is
// cleared with its dependants, so that no call can reach a function without a body.
// `file` and `headerLine` say where the definition was read (an empty file when typed).
void defineFunction(session::Workspace& workspace, FunctionDeclaration declaration,
                    std::string source, const std::string& file, int headerLine,
                    const std::function<std::unique_ptr<Statement>()>& compileBody) {
  engine::FunctionTable& table = tableOf(workspace);
  const std::string name = declaration.name;
  const UserFunc* previous = table.get(name);
  const bool existed = previous != nullptr;
  // Calls compiled after a funcdec expect the output type it declared.
  const int declaredType = previous && !previous->hasBody() ? previous->outputType() : -1;
  UserFunc* function = table.declareFunction(true, std::move(declaration));
  try {
    function->beginCompilation();
    function->setSource(std::move(source));
    // Absolute, so that a `cd` after the definition does not lose the file.
    std::error_code error;
    std::string place = file.empty() ? file : std::filesystem::absolute(file, error).string();
    function->setSourceFile(error ? file : place, headerLine);
    table.setCompiling(function);
    workspace.enterFunctionScope(function, name);
    const FunctionDeclaration& d = function->declaration();
    for (std::size_t i = 0; i < d.parameters.size(); ++i) {
      workspace.declareVariable(d.parameters[i], d.parameterTypes[i]);
    }
    std::unique_ptr<Statement> body = compileBody();
    if (!body) throw SyntaxError("empty function");
    function->finish(std::move(body));
    if (declaredType >= 0 && function->outputType() != declaredType) {
      throw SyntaxError("does not match existing declaration");
    }
  } catch (...) {
    workspace.leaveFunctionScope();
    table.setCompiling(nullptr);
    if (existed) {
      table.removeFunction(name);
    } else {
      table.discard(name);
    }
    throw;
  }
  workspace.leaveFunctionScope();
  table.setCompiling(nullptr);
}

// outputs -> [ (name | '[' name {',' name} ']') '=' ]
// Reads the output names of a `function` header into `declaration` ("return" when there
// are none) and returns the position of the function's name.
std::size_t readOutputNames(const TokenList& statement, std::size_t end,
                            FunctionDeclaration& declaration) {
  if (end < 4 || statement[2].kind != kAssignOpToken || statement[2].code != '=') {
    declaration.outputs = {kResultName};
    return 1;
  }
  if (statement[1].kind == kNameToken) {
    declaration.outputs = {statement[1].text};
  } else if (statement[1].kind == kBracketToken && statement[1].code == ']') {
    const TokenList& names = statement[1].children;
    for (std::size_t i = 0; i < names.size(); i += 2) {
      if (names[i].kind != kNameToken) throw SyntaxError("invalid list of names");
      if (i + 1 < names.size() && !isSeparator(names[i + 1], ',')) {
        throw SyntaxError("invalid list of names");
      }
      declaration.outputs.push_back(names[i].text);
    }
    if (declaration.outputs.empty()) throw SyntaxError("invalid list of names");
  } else {
    throw SyntaxError("invalid function declaration");
  }
  return 3;
}

// The header of a `function` definition as it would be written.
std::string headerText(const FunctionDeclaration& d) {
  std::string text = "function ";
  if (d.outputs.size() > 1) {
    text += "[";
    for (std::size_t k = 0; k < d.outputs.size(); ++k) {
      if (k > 0) text += ", ";
      text += d.outputs[k];
    }
    text += "] = ";
  } else if (d.outputs[0] != kResultName) {
    text += d.outputs[0];
    text += " = ";
  }
  text += d.name + "(";
  const std::size_t firstDefault = d.parameters.size() - d.defaults.size();
  for (std::size_t i = 0; i < d.parameters.size(); ++i) {
    if (i > 0) text += ", ";
    if ((d.referenceMask >> i) & 1U) text += "^";
    text += d.parameters[i];
    if (d.parameterTypes[i] == values::COMPLEX_VAL) text += "*";
    if (d.parameterTypes[i] == values::LIST_VAL) text += "[]";
    if (i >= firstDefault) {
      text += ':';
      text += values::detail::formatNumber(d.defaults[i - firstDefault], kDefaultDigits);
    }
  }
  return text + ")";
}

// The bracket after a function's name, or null when the name stands alone.
const Token* parameterBracket(const TokenList& tokens, std::size_t at) {
  if (at < tokens.size() && tokens[at].kind == kBracketToken && tokens[at].code == ')') {
    return &tokens[at];
  }
  return nullptr;
}

}  // namespace

// oneLineDef -> name ['(' params ')'] (':=' | '::=') body
std::unique_ptr<Statement> StatementCompiler::compileOneLineFunction(TokenList& statement) {
  FunctionDeclaration declaration;
  declaration.name = statement[0].text;
  declaration.outputs = {kResultName};
  declaration.outputTypes = {values::DOUBLE_VAL};
  std::size_t at = 1;
  if (const Token* bracket = parameterBracket(statement, at)) {
    readParameters(bracket->children, declaration);
    ++at;
  }
  const Token& op = statement[at];
  declaration.vectorised = op.code == 'v';
  if (declaration.vectorised && declaration.parameters.empty()) {
    throw SyntaxError("can't vectorize a function with no arguments");
  }
  std::string text = op.text;
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  text.erase(0, std::min(text.size(), text.find_first_not_of(" \t")));
  if (text.empty()) throw SyntaxError("function def requires a right hand side");
  checkDefinitionPlace(workspace_, depth_, declaration.name);
  TokenList body;
  int suchThat = -1;
  lex(text + " #", '#', input_, body, &suchThat);
  if (body.empty()) throw SyntaxError("function def requires a right hand side");
  if (body.back().kind == kDisplayMarkerToken) body.pop_back();
  if (body.back().kind == kBracketToken && body.back().code == '{') {
    throw SyntaxError("incomplete function body");
  }
  const std::string source = statement[0].text + (at > 1 ? "(...)" : "") +
                             (declaration.vectorised ? " ::= " : " := ") + text;
  const int line = currentLine();
  defineFunction(workspace_, std::move(declaration), source, input_.sourceName(), line,
                 [&]() -> std::unique_ptr<Statement> {
    if (body.size() == 1 && body[0].kind == kBracketToken && body[0].code == '}') {
      // A closed brace block: its statements form the body.
      TokenList block = body;
      return compileBlock(block);
    }
    ExpressionCompiler expressions(workspace_, session::builtinRegistry());
    engine::EvaluatablePtr expression = expressions.compileExpression(body);
    const int type = expression->resultType();
    values::Value* result =
        workspace_.declareVariable(kResultName, type == engine::kUnknownType ? values::DOUBLE_VAL : type);
    return std::make_unique<engine::ReturnStm>(std::move(expression), line, result);
  });
  return nullptr;
}

// functionDef -> ('function' | 'funcdec') [out '=' | '[' outs ']' '='] name '(' params ')'
std::unique_ptr<Statement> StatementCompiler::compileFunctionKeyword(TokenList& statement,
                                                                    bool definition) {
  std::size_t end = statement.size();
  if (end > 0 && statement[end - 1].kind == kDisplayMarkerToken) --end;
  if (end == 1) throw SyntaxError("incomplete statement");
  FunctionDeclaration declaration;
  std::size_t at = readOutputNames(statement, end, declaration);
  if (at >= end || statement[at].kind != kNameToken) {
    throw SyntaxError("invalid function declaration");
  }
  declaration.name = statement[at].text;
  declaration.outputTypes.assign(declaration.outputs.size(), values::DOUBLE_VAL);
  ++at;
  if (const Token* bracket = parameterBracket(statement, at)) {
    readParameters(bracket->children, declaration);
    ++at;
  }
  if (at < statement.size() && statement[at].kind == kFunctionDefToken) {
    throw SyntaxError("do not use ':=' with the keyword 'function'");
  }
  if (at != end) throw SyntaxError("invalid function declaration");
  if (!definition) {
    checkDefinitionPlace(workspace_, depth_, declaration.name);
    tableOf(workspace_).declareFunction(false, std::move(declaration));
    return nullptr;
  }
  checkDefinitionPlace(workspace_, depth_, declaration.name);
  const std::string name = declaration.name;
  std::string header = headerText(declaration);
  std::string lines;
  defineFunction(workspace_, std::move(declaration), header, input_.sourceName(), currentLine(),
                 [this, &lines]() {
    recordLines(&lines);
    std::unique_ptr<Statement> body;
    try {
      body = compileFunctionBody();
    } catch (...) {
      recordLines(nullptr);
      throw;
    }
    recordLines(nullptr);
    // A line read to see where an indented body ends belongs to the next statement.
    if (current_ < pending_.size() && !lines.empty()) {
      const std::size_t last = lines.rfind('\n');
      lines.erase(last == std::string::npos ? 0 : last);
    }
    return body;
  });
  if (!lines.empty()) tableOf(workspace_).get(name)->setSource(header + "\n" + lines);
  return nullptr;
}

std::unique_ptr<Statement> StatementCompiler::compileFunctionBody() {
  depth_ = 1;
  std::vector<std::unique_ptr<Statement>> statements;
  try {
    const TokenList* next = peekStatement();
    const bool indented = next && !next->empty() && next->front().kind == kBracketToken &&
                          next->front().code == '{';
    for (;;) {
      std::unique_ptr<Statement> s = compileStatement(true);
      if (!s) break;
      statements.push_back(std::move(s));
      if (indented) break;
    }
    // An indented body may still be closed by `end`.
    const TokenList* after = indented ? peekStatement() : nullptr;
    if (after && !after->empty() && after->front().kind == kNameToken &&
        after->front().text == "end") {
      compileStatement(false);
    }
  } catch (...) {
    depth_ = 0;
    closed_ = false;
    throw;
  }
  depth_ = 0;
  closed_ = false;
  if (statements.empty()) return nullptr;
  if (statements.size() == 1) {
    if (auto* block = dynamic_cast<engine::BlockStm*>(statements[0].get())) {
      // An indented body of declarations only compiles to nothing.
      if (block->statements().empty()) return nullptr;
      return std::move(statements[0]);
    }
  }
  return std::make_unique<engine::BlockStm>(std::move(statements));
}

// returnStm -> 'return' [value]
std::unique_ptr<Statement> StatementCompiler::compileReturn(TokenList& statement) {
  UserFunc* function = tableOf(workspace_).compiling();
  if (!function || !workspace_.inFunctionScope()) throw SyntaxError("stray 'return' keyword");
  std::size_t end = statement.size();
  if (end > 0 && statement[end - 1].kind == kDisplayMarkerToken) --end;
  values::Value* result = function->mainOutput();
  if (!result) {
    result = workspace_.declareVariable(function->declaration().outputs[0], values::DOUBLE_VAL);
  }
  const int line = currentLine();
  if (end == 1) return std::make_unique<engine::ReturnStm>(nullptr, line, nullptr);
  ExpressionCompiler expressions(workspace_, session::builtinRegistry());
  engine::EvaluatablePtr value;
  if (end == 2) {
    value = expressions.compileOperand(statement[1]);
  } else {
    TokenList tokens(statement.begin() + 1, statement.begin() + end);
    if (tokens[0].kind == kBinaryOpToken) {
      if (tokens[0].code != '-' && tokens[0].code != '~') {
        throw SyntaxError("binary operator with no lhs");
      }
      tokens[0].kind = kUnaryOpToken;
    }
    value = expressions.compileExpression(tokens);
  }
  if (result->valueType() != values::DOUBLE_VAL) {
    throw SyntaxError("wrong return type. double was expected");
  }
  return std::make_unique<engine::ReturnStm>(std::move(value), line, result);
}

// multiAssign -> '[' names ']' '=' (call | '[' values ']')
std::unique_ptr<Statement> StatementCompiler::compileMultiAssign(TokenList& statement) {
  std::size_t end = statement.size();
  if (end > 0 && statement[end - 1].kind == kDisplayMarkerToken) --end;
  if (end < 3) throw SyntaxError("missing rhs");
  const Token& rhs = statement[2];
  const bool bracket = rhs.kind == kBracketToken && rhs.code == ']';
  if (rhs.kind != kNameToken && !bracket) throw SyntaxError("invalid or missing rhs");
  ExpressionCompiler expressions(workspace_, session::builtinRegistry());
  engine::EvaluatablePtr call;
  if (bracket) {
    Token name;
    name.kind = kNameToken;
    name.code = '(';
    name.text = "$multiassign";
    Token arguments = statement[2];
    arguments.code = ')';
    call = expressions.compileExpression(TokenList{name, arguments});
  } else {
    call = expressions.compileExpression(statement, 2, end);
  }
  const int kind = call->nodeKind();
  if (kind != engine::kUserFuncNode && kind != engine::kGeneralFuncNode) {
    throw SyntaxError("invalid rhs for multiple assignment");
  }
  std::vector<std::string> names;
  const TokenList& items = statement[0].children;
  for (std::size_t i = 0; i < items.size(); i += 2) {
    if (items[i].kind != kNameToken) throw SyntaxError("invalid list of names");
    if (i + 1 < items.size() && !isSeparator(items[i + 1], ',')) {
      throw SyntaxError("invalid list of names");
    }
    names.push_back(items[i].text);
  }
  if (names.empty()) throw SyntaxError("invalid list of names");
  if (kind == engine::kUserFuncNode) {
    const UserFunc* f = static_cast<engine::UserFuncElement*>(call.get())->function();
    if (names.size() > f->declaration().outputs.size()) {
      throw SyntaxError("too many output arguments");
    }
  }
  std::vector<values::Value*> targets;
  for (const std::string& name : names) {
    const SymbolKind symbol = workspace_.classify(name);
    if (symbol == SymbolKind::kConstant) throw SyntaxError("you can't assign to a constant");
    if (symbol == SymbolKind::kFunction) {
      throw SyntaxError(
          "multiple assignment may not declare a variable name matching a built-in function");
    }
    values::Value* target = symbol == SymbolKind::kVariable
                                ? workspace_.lookup().value
                                : workspace_.declareVariable(name, values::DOUBLE_VAL);
    if (target->valueType() != values::DOUBLE_VAL) {
      throw SyntaxError("non-DOUBLE_VAL type not yet allowed in multi-assign");
    }
    targets.push_back(target);
  }
  return std::make_unique<engine::MultiAssignStm>(std::move(call), currentLine(),
                                                  std::move(targets));
}

}  // namespace zirbin::compiler
