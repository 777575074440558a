// The statement compiler: turns the statement token lists that the lexer cuts from the
// input into Statement objects. Expression statements with their display markers are
// compiled here; the other statement forms are dispatched from the same table.
#pragma once

#include <memory>
#include <vector>

#include "engine/statement.h"

namespace zirbin::session {
class ConsoleOutput;
class Workspace;
}  // namespace zirbin::session

namespace zirbin::compiler {

struct Token;
class LexInput;
using TokenList = std::vector<Token>;

class StatementCompiler {
 public:
  // The compiler uses, and never owns, the session's workspace (to classify and declare
  // names), its input (the UserInput or a file source, to fetch lines) and its console output (handed to display
  // statements). `depth` is the nesting depth (0 at the top of a command).
  StatementCompiler(session::Workspace& workspace, LexInput& input,
                    session::ConsoleOutput& output, int depth = 0);
  StatementCompiler(const StatementCompiler&) = delete;
  StatementCompiler& operator=(const StatementCompiler&) = delete;
  ~StatementCompiler();

  // Compiles every statement the input yields, until it is exhausted, reading further
  // lines as needed. Returns one statement as itself, several as one BlockStm holding them
  // in order, and null when the input held no statement. Throws SyntaxError (and the
  // lexer's errors) on the first refusal; nothing compiled so far survives.
  std::unique_ptr<engine::Statement> compileCommand();

  // Returns the next statement, or null at the end of the input. When the pending lists
  // run out it fetches a line with `throwAtEnd`.
  std::unique_ptr<engine::Statement> compileStatement(bool throwAtEnd);

  // Empties the pending lists, reads the next line from the input, lexes it and cuts it
  // into statement lists. Returns true iff at least one statement list came out. While
  // this compiler or an enclosing one records (see recordLines), the line is appended to
  // the record.
  bool fetchLine(bool throwAtEnd);
  // Appends every line read from now on to `*record` (one line each, indented two spaces
  // per block level); null stops the recording. The source text of a function body.
  void recordLines(std::string* record) {
    record_ = record;
    recordLevel_ = 0;
  }

  void setDepth(int depth) { depth_ = depth; }
  int depth() const { return depth_; }
  session::Workspace& workspace() const { return workspace_; }
  session::ConsoleOutput& output() const { return output_; }

  // The line number to give the statement being compiled (the input's line counter).
  int currentLine() const;

  // True iff a statement compiled earlier in this command (by this compiler or by the
  // compilers of the enclosing blocks) refers to `value`.
  bool compiledStatementsUse(const engine::Value* value) const;

 private:
  using Handler = std::unique_ptr<engine::Statement> (StatementCompiler::*)(TokenList&);

  // The handler for a statement, chosen by its first token.
  Handler dispatch(const TokenList& statement) const;
  std::unique_ptr<engine::Statement> compileExpressionStatement(TokenList& statement);
  std::unique_ptr<engine::Statement> skipStatement(TokenList& statement);
  std::unique_ptr<engine::Statement> compileUnaryStart(TokenList& statement);
  std::unique_ptr<engine::Statement> compileBlockClose(TokenList& statement);

  // Statements that begin with a name: keyword statements, assignments, expressions
  // (assignment_compiler.cc).
  std::unique_ptr<engine::Statement> compileNameStatement(TokenList& statement);
  std::unique_ptr<engine::Statement> compileAssignment(TokenList& statement, std::size_t opAt);
  std::unique_ptr<engine::Statement> compileBracketStatement(TokenList& statement);

  // Function definitions, `return` and multiple assignment (function_compiler.cc).
  std::unique_ptr<engine::Statement> compileOneLineFunction(TokenList& statement);
  std::unique_ptr<engine::Statement> compileFunctionKeyword(TokenList& statement, bool definition);
  std::unique_ptr<engine::Statement> compileReturn(TokenList& statement);
  std::unique_ptr<engine::Statement> compileMultiAssign(TokenList& statement);
  // Compiles the body of a `function` definition from the following statements: an
  // indented block, or statements up to `end`.
  std::unique_ptr<engine::Statement> compileFunctionBody();

  // Keyword statements and blocks (keyword_statements.cc).
  std::unique_ptr<engine::Statement> compileKeyword(TokenList& statement, int keyword);
  std::unique_ptr<engine::Statement> compileConditional(TokenList& statement, int keyword);
  std::unique_ptr<engine::Statement> compileFor(TokenList& statement);
  std::unique_ptr<engine::Statement> compileClear(TokenList& statement);
  std::unique_ptr<engine::Statement> compileDeclaration(TokenList& statement, int keyword);
  std::unique_ptr<engine::Statement> compileBlock(TokenList& statement);
  // The body of a control statement: the next statement, compiled one level deeper.
  std::unique_ptr<engine::Statement> compileBody();
  // Compiles statement[first, end) up to the first top-level separator `separator`; what
  // follows the separator on the line becomes the next statement.
  engine::EvaluatablePtr compileUntil(TokenList& statement, std::size_t first, char separator);
  // The next statement list without consuming it (fetching a line when none is pending);
  // null at the end of the input.
  TokenList* peekStatement();
  // Makes `tokens` the next statement list.
  void pushStatement(TokenList tokens);

  session::Workspace& workspace_;
  LexInput& input_;
  session::ConsoleOutput& output_;
  int depth_;
  std::vector<TokenList> pending_;
  size_t current_ = 0;
  std::vector<std::unique_ptr<engine::Statement>> statements_;
  // The compiler of the enclosing block (null at the top of a command), and whether this
  // block compiler has met its block close.
  StatementCompiler* parent_ = nullptr;
  bool closed_ = false;
  std::string* record_ = nullptr;
  mutable int recordLevel_ = 0;  // block level of the lines recorded so far
  // A help query was answered: the rest of the command is not compiled.
  bool helpAnswered_ = false;
};

}  // namespace zirbin::compiler
