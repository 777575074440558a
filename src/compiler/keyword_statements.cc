// The statement compiler's keyword statements (while, if, unless, else, for, clear,
// const, global, persistent, break, continue, end, return, use) and blocks.
#include <string>

#include "base/errors.h"
#include "base/run_context.h"
#include "compiler/expression_compiler.h"
#include "compiler/lexer.h"
#include "compiler/statement_compiler.h"
#include "compiler/token.h"
#include "engine/control_statements.h"
#include "engine/conversion_elements.h"
#include "engine/evaluatable.h"
#include "engine/registry.h"
#include "engine/workspace.h"
#include "values/value.h"

namespace zirbin::compiler {

using builtins::Keyword;
using engine::EvaluatablePtr;
using engine::Statement;
using session::SymbolKind;
using session::SyntaxError;

namespace {

// Raises the compiler's depth for the time of one body.
class DeeperScope {
 public:
  explicit DeeperScope(StatementCompiler& compiler) : compiler_(compiler) {
    compiler_.setDepth(compiler_.depth() + 1);
  }
  ~DeeperScope() { compiler_.setDepth(compiler_.depth() - 1); }
  DeeperScope(const DeeperScope&) = delete;
  DeeperScope& operator=(const DeeperScope&) = delete;

 private:
  StatementCompiler& compiler_;
};

bool isName(const Token& t, const char* text) { return t.kind == kNameToken && t.text == text; }

bool isSeparator(const Token& t, char code) { return t.kind == kSeparatorToken && t.code == code; }

// The statement without a display marker at its end.
std::size_t endWithoutMarker(const TokenList& statement) {
  return !statement.empty() && statement.back().kind == kDisplayMarkerToken
             ? statement.size() - 1
             : statement.size();
}

EvaluatablePtr compilePiece(ExpressionCompiler& expressions, const TokenList& tokens,
                            std::size_t first, std::size_t end) {
  return end - first == 1 ? expressions.compileOperand(tokens[first])
                          : expressions.compileExpression(tokens, first, end);
}

// Reads `names` separated by commas from statement[first, end).
std::vector<std::string> nameList(const TokenList& statement, std::size_t first,
                                  std::size_t end) {
  std::vector<std::string> names;
  for (std::size_t i = first; i < end; i += 2) {
    if (statement[i].kind != kNameToken) throw SyntaxError("invalid list of names");
    names.push_back(statement[i].text);
    if (i + 1 < end && !isSeparator(statement[i + 1], ',')) {
      throw SyntaxError("invalid list of names");
    }
    if (i + 1 == end - 1) throw SyntaxError("invalid list of names");  // a trailing comma
  }
  return names;
}

// The value of a constant declaration, evaluated once now: a number, else
// "invalid const expression".
double constantValue(EvaluatablePtr expression) {
  const int type = expression->resultType();
  if (expression->nodeKind() != engine::kNumberLiteralNode ||
      (type != values::INTEGER_VAL && type != values::DOUBLE_VAL)) {
    throw SyntaxError("invalid const expression");
  }
  std::unique_ptr<values::Value> scratch = values::newValue(type);
  const values::Value* v = expression->pValue(*scratch);
  if (v->size != 1) throw SyntaxError("invalid const expression");
  return v->getDouble();
}

}  // namespace

// keywordStm -> while | if | unless | for | else | clear | const | global | persistent |
//               break | continue | end | return | use | function | funcdec
std::unique_ptr<Statement> StatementCompiler::compileKeyword(TokenList& statement, int code) {
  const auto keyword = static_cast<Keyword>(code);
  const std::size_t end = endWithoutMarker(statement);
  const bool alone = end == 1;
  switch (keyword) {
    case Keyword::Else:
      throw SyntaxError("stray 'else' keyword");
    case Keyword::Break:
    case Keyword::Continue: {
      if (!alone) {
        throw SyntaxError(keyword == Keyword::Break
                              ? "extraneous characters or missing ; after break statement"
                              : "extraneous characters or missing ; after continue");
      }
      if (keyword == Keyword::Break) return std::make_unique<engine::BreakStm>(currentLine());
      return std::make_unique<engine::ContinueStm>(currentLine());
    }
    case Keyword::End:
      if (depth_ != 1 || !workspace_.inFunctionScope()) throw SyntaxError("stray 'end' keyword");
      if (!alone) throw SyntaxError("continuation after 'end' is not allowed");
      closed_ = true;
      return nullptr;
    case Keyword::Return:
      return compileReturn(statement);
    case Keyword::Use:
      throw SyntaxError("'use' keyword must be at the beginning of a line");
    case Keyword::Function:
    case Keyword::Funcdec:
      return compileFunctionKeyword(statement, keyword == Keyword::Function);
    default:
      break;
  }
  if (alone) throw SyntaxError("incomplete statement");
  switch (keyword) {
    case Keyword::While:
    case Keyword::If:
    case Keyword::Unless:
      return compileConditional(statement, code);
    case Keyword::For:
      return compileFor(statement);
    case Keyword::Clear:
      return compileClear(statement);
    default:
      return compileDeclaration(statement, code);
  }
}

// conditional -> ('while' | 'if' | 'unless') condition [':' [body]] body ['else' body]
std::unique_ptr<Statement> StatementCompiler::compileConditional(TokenList& statement,
                                                                 int code) {
  const auto keyword = static_cast<Keyword>(code);
  const int line = currentLine();
  EvaluatablePtr condition = compileUntil(statement, 1, ':');
  if (condition->resultType() == values::DOUBLE_VAL) {
    condition = std::make_unique<engine::DoubleToIntElement>(std::move(condition));
  }
  std::unique_ptr<Statement> body = compileBody();
  if (keyword == Keyword::While) {
    return std::make_unique<engine::WhileStm>(std::move(condition), line, std::move(body));
  }
  TokenList* next = peekStatement();
  if (next && !next->empty() && isName(next->front(), "else")) {
    if (keyword == Keyword::Unless) throw SyntaxError("'else' not allowed after unless");
    next->erase(next->begin());
    // What follows "else" on its line is the else body; nothing there: the next statement.
    if (next->empty() || (next->size() == 1 && next->front().kind == kDisplayMarkerToken)) {
      ++current_;
    }
    std::unique_ptr<Statement> elseBody = compileBody();
    return std::make_unique<engine::IfElseStm>(std::move(condition), line, std::move(body),
                                               std::move(elseBody));
  }
  if (keyword == Keyword::Unless) {
    return std::make_unique<engine::UnlessStm>(std::move(condition), line, std::move(body));
  }
  return std::make_unique<engine::IfStm>(std::move(condition), line, std::move(body));
}

// forStm -> 'for' name '=' range body | 'for' name [',' name] 'in' name body
std::unique_ptr<Statement> StatementCompiler::compileFor(TokenList& statement) {
  const int line = currentLine();
  const std::size_t end = endWithoutMarker(statement);
  if (statement[1].kind != kNameToken) throw SyntaxError("incomplete 'for' statement");
  std::size_t at = 2;
  std::string counterName;
  std::string loopName = statement[1].text;
  if (at < end && isSeparator(statement[at], ',')) {
    if (at + 1 >= end || statement[at + 1].kind != kNameToken) {
      throw SyntaxError("missing name after comma");
    }
    counterName = loopName;
    loopName = statement[at + 1].text;
    at += 2;
  }
  const bool equals = at < end && statement[at].kind == kAssignOpToken && statement[at].code == '=';
  const bool in = at < end && isName(statement[at], "in");
  if (equals && !counterName.empty()) {
    throw SyntaxError("in the 'for i,x' form you must use 'in' not '='");
  }
  if (!equals && !in) {
    if (at >= end) throw SyntaxError("incomplete 'for' statement");
    throw SyntaxError("'for' expression missing = or 'in'");
  }
  // The loop variables: neither constants nor functions; undeclared ones become doubles.
  auto loopVariable = [this](const std::string& name) {
    switch (workspace_.classify(name)) {
      case SymbolKind::kConstant:
        throw SyntaxError("you can't use a constant as a loop variable");
      case SymbolKind::kFunction:
        throw SyntaxError("you can't use a function name as a loop variable");
      case SymbolKind::kVariable:
        if (values::Value* v = workspace_.inFunctionScope() ? workspace_.lookup().scopedValue
                                                            : workspace_.lookup().value) {
          return v;
        }
        [[fallthrough]];
      default:
        return workspace_.declareVariable(name, values::DOUBLE_VAL);
    }
  };
  if (in) {
    if (at + 1 >= end) throw SyntaxError("after 'in' you must put a name");
    const Token& collectionName = statement[at + 1];
    if (collectionName.kind != kNameToken ||
        workspace_.classify(collectionName.text) != SymbolKind::kVariable ||
        (at + 2 != end && !isSeparator(statement[at + 2], ':'))) {
      throw SyntaxError("incorrect variable name after 'in'");
    }
    values::Value* collection = workspace_.lookup().value;
    values::Value* counter = counterName.empty() ? nullptr : loopVariable(counterName);
    values::Value* variable = loopVariable(loopName);
    if (at + 3 < end) pushStatement(TokenList(statement.begin() + at + 3, statement.end()));
    std::unique_ptr<Statement> body = compileBody();
    return std::make_unique<engine::ForInStm>(line, std::move(body), counter, variable,
                                              collection);
  }
  // The range runs to the end of the statement. A body may follow on the same line after
  // a ':' when it is plainly a statement (an assignment, a keyword or a block).
  std::size_t rangeEnd = end;
  for (std::size_t i = at + 1; i < end; ++i) {
    if (!isSeparator(statement[i], ':') || i + 1 >= end) continue;
    const Token& next = statement[i + 1];
    // A block, a keyword statement, or an assignment (name [index] assignOp ...).
    bool statementFollows = next.kind == kBracketToken && (next.code == '}' || next.code == '{');
    if (next.kind == kNameToken) {
      std::size_t op = i + 2;
      if (next.code == '[' && op < end && statement[op].kind == kBracketToken) ++op;
      statementFollows = builtins::keywordCode(next.text) != Keyword::None ||
                         (op < end && statement[op].kind == kAssignOpToken);
    }
    if (statementFollows) {
      rangeEnd = i;
      break;
    }
  }
  if (rangeEnd <= at + 1) throw SyntaxError("incomplete 'for' statement");
  values::Value* variable = loopVariable(loopName);
  ExpressionCompiler expressions(workspace_, session::builtinRegistry());
  EvaluatablePtr range = compilePiece(expressions, statement, at + 1, rangeEnd);
  if (rangeEnd < end) pushStatement(TokenList(statement.begin() + rangeEnd + 1, statement.end()));
  std::unique_ptr<Statement> body = compileBody();
  return std::make_unique<engine::ForStm>(std::move(range), line, std::move(body), variable);
}

// clearStm -> 'clear' { name | '(' 'const' ')' | '(' 'const_' ')' | ',' }
// Runs at once while the command compiles; yields no statement.
std::unique_ptr<Statement> StatementCompiler::compileClear(TokenList& statement) {
  if (depth_ != 0) throw SyntaxError("the 'clear' keyword can only be invoked at zero depth");
  const std::size_t end = endWithoutMarker(statement);
  enum class Mode { kNone, kConstWithWarning, kConstSilent } mode = Mode::kNone;
  for (std::size_t i = 1; i < end; ++i) {
    const Token& t = statement[i];
    if (t.kind == kBracketToken) {
      const bool single = t.children.size() == 1 && t.children[0].kind == kNameToken;
      if (single && t.children[0].text == "const") {
        mode = Mode::kConstWithWarning;
      } else if (single && t.children[0].text == "const_") {
        mode = Mode::kConstSilent;
      } else {
        workspace_.print("bracket not recognised after clear keyword");
      }
      continue;
    }
    if (isSeparator(t, ',')) continue;
    const std::string& name = t.text;
    if (workspace_.classify(name) == SymbolKind::kVariable &&
        compiledStatementsUse(workspace_.lookup().value)) {
      throw SyntaxError("variable in use, can't be cleared here: " + name);
    }
    switch (workspace_.clearSymbol(name, mode != Mode::kNone)) {
      case session::ClearResult::kNoSuchSymbol:
        workspace_.print("clear " + name + ": no such symbol");
        break;
      case session::ClearResult::kBuiltin:
        throw SyntaxError("attempt to clear built-in function " + name);
      case session::ClearResult::kFailed:
        throw SyntaxError("failed to clear" + name);
      case session::ClearResult::kConstantCleared:
        if (mode == Mode::kConstWithWarning) {
          workspace_.print(name +
                           " warning: clearing a global constant may lead to instability if it "
                           "is used in a user function which has already been compiled");
        }
        break;
      case session::ClearResult::kCleared:
        break;
    }
  }
  return nullptr;
}

// declaration -> ('const' | 'global' | 'persistent') (name '=' expr | name {',' name})
std::unique_ptr<Statement> StatementCompiler::compileDeclaration(TokenList& statement,
                                                                 int code) {
  const auto keyword = static_cast<Keyword>(code);
  const std::size_t end = endWithoutMarker(statement);
  std::string message;
  if (end >= 3 && statement[1].kind == kNameToken && statement[2].kind == kAssignOpToken &&
      statement[2].code == '=') {
    if (keyword == Keyword::Global) throw SyntaxError("invalid global declaration");
    if (end == 3) throw SyntaxError("invalid const expression");
    ExpressionCompiler expressions(workspace_, session::builtinRegistry());
    const double x = constantValue(compilePiece(expressions, statement, 3, end));
    message = keyword == Keyword::Const ? workspace_.defineConst(statement[1].text, x)
                                        : workspace_.declarePersistent(statement[1].text, x);
    if (!message.empty()) throw SyntaxError(message);
    return nullptr;
  }
  const std::vector<std::string> names = nameList(statement, 1, end);
  for (std::size_t i = 0; i < names.size(); ++i) {
    switch (keyword) {
      case Keyword::Const:
        message = workspace_.defineConst(names[i], static_cast<double>(i + 1));
        break;
      case Keyword::Global:
        message = workspace_.declareGlobal(names[i]);
        break;
      default:
        message = workspace_.declarePersistent(names[i], 0.0);
        break;
    }
    if (!message.empty()) throw SyntaxError(message);
  }
  return nullptr;
}

// block -> '{' statements '}' (on one line, or opened by indentation and closed by the
// block close that the indentation produces)
std::unique_ptr<Statement> StatementCompiler::compileBlock(TokenList& statement) {
  const Token& bracket = statement.front();
  const int line = currentLine();
  StatementCompiler nested(workspace_, input_, output_, depth_ + 1);
  nested.parent_ = this;
  nested.pending_ = splitStatements(bracket.children, -1, false);
  if (bracket.code == '}') {
    Token close;
    close.kind = kBlockCloseToken;
    close.code = '}';
    nested.pending_.push_back(TokenList{close});
  }
  if (statement.size() > 1) {
    // Tokens after a closed block on its statement (such as a display marker) follow it.
    TokenList rest(statement.begin() + 1, statement.end());
    if (rest.size() > 1 || rest.front().kind != kDisplayMarkerToken) {
      pushStatement(std::move(rest));
    }
  }
  std::vector<std::unique_ptr<Statement>> statements;
  try {
    while (std::unique_ptr<Statement> s = nested.compileStatement(false)) {
      nested.statements_.push_back(std::move(s));
    }
  } catch (...) {
    nested.statements_.clear();
    throw;
  }
  statements = std::move(nested.statements_);
  // Statement lists after the block close on the same line go back to this compiler.
  if (nested.current_ < nested.pending_.size()) {
    pending_.insert(pending_.begin() + current_,
                    std::make_move_iterator(nested.pending_.begin() + nested.current_),
                    std::make_move_iterator(nested.pending_.end()));
  }
  if (statements.size() == 1) return std::move(statements[0]);
  return std::make_unique<engine::BlockStm>(std::move(statements), line);
}

std::unique_ptr<Statement> StatementCompiler::compileBody() {
  DeeperScope deeper(*this);
  std::unique_ptr<Statement> body = compileStatement(true);
  if (!body) throw SyntaxError("incomplete statement");
  return body;
}

EvaluatablePtr StatementCompiler::compileUntil(TokenList& statement, std::size_t first,
                                               char separator) {
  std::size_t end = endWithoutMarker(statement);
  std::size_t stop = first;
  while (stop < end && !isSeparator(statement[stop], separator)) ++stop;
  if (stop == first) throw SyntaxError("incomplete statement");
  ExpressionCompiler expressions(workspace_, session::builtinRegistry());
  EvaluatablePtr compiled = compilePiece(expressions, statement, first, stop);
  // A body on the same line: the rest of the list is the next statement (with the
  // display marker, which belongs to it).
  if (stop + 1 < end) {
    pushStatement(TokenList(statement.begin() + stop + 1, statement.end()));
  }
  return compiled;
}

TokenList* StatementCompiler::peekStatement() {
  if (closed_) return nullptr;
  while (current_ >= pending_.size()) {
    if (!fetchLine(false)) return nullptr;
  }
  return &pending_[current_];
}

void StatementCompiler::pushStatement(TokenList tokens) {
  pending_.insert(pending_.begin() + current_, std::move(tokens));
}

}  // namespace zirbin::compiler
