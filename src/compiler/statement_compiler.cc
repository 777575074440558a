// The statement compiler: the dispatch on a statement's first token, and the expression
// statements with their display markers.
#include "compiler/statement_compiler.h"

#include <algorithm>
#include <array>

#include "base/run_context.h"
#include "compiler/expression_compiler.h"
#include "compiler/lexer.h"
#include "compiler/token.h"
#include "engine/display_statements.h"
#include "engine/registry.h"
#include "engine/workspace.h"

namespace zirbin::compiler {

using engine::Statement;

namespace {

// The token kinds run from 1 to 18.
constexpr int kTokenKinds = 19;

// Passes lines through from an input and appends each to a record, with the block braces
// that indentation became turned back into two spaces per level.
class LineRecorder : public LexInput {
 public:
  // `level` is the block level the recorded lines have reached.
  LineRecorder(LexInput& input, std::string& record, int& level)
      : input_(input), record_(record), level_(level) {}
  bool getLine(std::string& line, bool throwAtEnd, bool raw) override {
    if (!input_.getLine(line, throwAtEnd, raw)) return false;
    std::size_t text = 0;
    for (; !raw && text < line.size() && (line[text] == '{' || line[text] == '}'); ++text) {
      level_ += line[text] == '{' ? 1 : -1;
    }
    if (!raw) text = std::min(line.size(), line.find_first_not_of(" \t", text));
    if (!record_.empty()) record_ += '\n';
    record_.append(static_cast<std::size_t>(std::max(level_, 0)) * 2, ' ');
    record_.append(line, text);
    return true;
  }
  bool isTyped() const override { return input_.isTyped(); }
  int lineNumber() const override { return input_.lineNumber(); }
  std::string sourceName() const override { return input_.sourceName(); }
  int blockStartLine() const override { return input_.blockStartLine(); }

 private:
  LexInput& input_;
  std::string& record_;
  int& level_;
};

}  // namespace

StatementCompiler::StatementCompiler(session::Workspace& workspace, LexInput& input,
                                     session::ConsoleOutput& output, int depth)
    : workspace_(workspace), input_(input), output_(output), depth_(depth) {}

StatementCompiler::~StatementCompiler() = default;

int StatementCompiler::currentLine() const { return input_.lineNumber(); }

bool StatementCompiler::compiledStatementsUse(const engine::Value* value) const {
  for (const StatementCompiler* c = this; c; c = c->parent_) {
    if (std::any_of(c->statements_.begin(), c->statements_.end(),
                    [value](const std::unique_ptr<Statement>& s) { return s->uses(value); })) {
      return true;
    }
  }
  return false;
}

std::unique_ptr<Statement> StatementCompiler::compileCommand() {
  statements_.clear();
  pending_.clear();
  current_ = 0;
  helpAnswered_ = false;
  try {
    while (std::unique_ptr<Statement> statement = compileStatement(false)) {
      statements_.push_back(std::move(statement));
    }
  } catch (...) {
    statements_.clear();
    pending_.clear();
    throw;
  }
  std::vector<std::unique_ptr<Statement>> compiled = std::move(statements_);
  statements_.clear();
  if (compiled.empty()) return nullptr;
  if (compiled.size() == 1) return std::move(compiled[0]);
  return std::make_unique<engine::BlockStm>(std::move(compiled));
}

bool StatementCompiler::fetchLine(bool throwAtEnd) {
  current_ = 0;
  for (const StatementCompiler* c = this; c; c = c->parent_) {
    if (c->record_) {
      LineRecorder recorder(input_, *c->record_, c->recordLevel_);
      return lexNextLine(recorder, throwAtEnd, pending_);
    }
  }
  return lexNextLine(input_, throwAtEnd, pending_);
}

// statement -> keyword ... | name ... | '}' | '{' block '}' | expression
std::unique_ptr<Statement> StatementCompiler::compileStatement(bool throwAtEnd) {
  for (;;) {
    if (closed_ || helpAnswered_) return nullptr;
    while (current_ >= pending_.size()) {
      if (!fetchLine(throwAtEnd)) return nullptr;
    }
    TokenList& statement = pending_[current_++];
    if (statement.empty()) continue;
    if (std::unique_ptr<Statement> compiled = (this->*dispatch(statement))(statement)) {
      return compiled;
    }
  }
}

// The handler for each kind of first token.
StatementCompiler::Handler StatementCompiler::dispatch(const TokenList& statement) const {
  static constexpr std::array<Handler, kTokenKinds> kHandlers = [] {
    std::array<Handler, kTokenKinds> table{};
    table.fill(&StatementCompiler::compileExpressionStatement);
    table[kNameToken] = &StatementCompiler::compileNameStatement;
    table[kBracketToken] = &StatementCompiler::compileBracketStatement;
    table[kBlockCloseToken] = &StatementCompiler::compileBlockClose;
    table[kUnaryOpToken] = &StatementCompiler::compileUnaryStart;
    // A display marker left alone (after a block that ended its statement) shows nothing.
    table[kDisplayMarkerToken] = &StatementCompiler::skipStatement;
    return table;
  }();
  const int kind = statement.front().kind;
  return kind > 0 && kind < kTokenKinds ? kHandlers[kind]
                                        : &StatementCompiler::compileExpressionStatement;
}

// A block close ends the block being compiled; at the top of a command it is skipped.
std::unique_ptr<Statement> StatementCompiler::compileBlockClose(TokenList&) {
  if (parent_) closed_ = true;
  return nullptr;
}

// A statement that starts with a unary operator: a help query for '?' and '??', which is
// answered at once and ends the compilation of the command; otherwise an expression.
std::unique_ptr<Statement> StatementCompiler::compileUnaryStart(TokenList& statement) {
  const char code = statement.front().code;
  if (code != '?' && code != opcode::kHelpDetail) return compileExpressionStatement(statement);
  if (auto respond = session::builtinRegistry().helpResponder()) {
    respond(statement, workspace_, output_);
  }
  helpAnswered_ = true;
  return nullptr;
}

// A statement that yields nothing to run (the compiler goes on with the next one).
std::unique_ptr<Statement> StatementCompiler::skipStatement(TokenList&) { return nullptr; }

// expressionStm -> expression [displayMarker]
std::unique_ptr<Statement> StatementCompiler::compileExpressionStatement(TokenList& statement) {
  char marker = 0;
  if (statement.back().kind == kDisplayMarkerToken) {
    marker = statement.back().code;
    statement.pop_back();
  }
  const int line = currentLine();
  ExpressionCompiler compiler(workspace_, session::builtinRegistry());
  engine::EvaluatablePtr expression = compiler.compileExpression(statement);
  if (marker == 0) return std::make_unique<engine::EvalStm>(std::move(expression), line);
  if (marker == '!') {
    return std::make_unique<engine::BreakPointStm>(
        std::make_unique<engine::EvalStm>(std::move(expression), line), nullptr,
        workspace_.functionName());
  }
  return std::make_unique<engine::EvalAndDisplayStm>(std::move(expression), line, output_,
                                                     marker);
}

}  // namespace zirbin::compiler
