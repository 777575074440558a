// The expression compiler: turns one token list (a right-hand side, an argument, a
// bracket's contents) into a tree of expression nodes, resolving names against the
// workspace and the built-in registry, choosing the typed Expression class for each
// operator sequence and folding constant expressions.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "compiler/token.h"
#include "engine/evaluatable.h"
#include "values/value.h"

namespace zirbin::session {
class Workspace;
}  // namespace zirbin::session
namespace zirbin::engine {
class UserFunc;
}  // namespace zirbin::engine
namespace zirbin::builtins {
class BuiltinRegistry;
struct FunctionInfo;
}  // namespace zirbin::builtins
namespace zirbin::values {
class Value;
}  // namespace zirbin::values

namespace zirbin::compiler {

using engine::EvaluatablePtr;

// One operand of an operator sequence under construction and the lexer operator code that
// follows it (0 while none has been read; the end of the sequence is 0 as well).
struct ExpressionItem {
  EvaluatablePtr node;
  char op = 0;
};
using ExpressionItems = std::vector<ExpressionItem>;

class ExpressionCompiler {
 public:
  // Names are classified by `workspace` and functions found in `registry`; neither is
  // owned.
  ExpressionCompiler(session::Workspace& workspace, const builtins::BuiltinRegistry& registry);
  ExpressionCompiler(const ExpressionCompiler&) = delete;
  ExpressionCompiler& operator=(const ExpressionCompiler&) = delete;

  // Compiles tokens[first, end). Throws SyntaxError with the compiler's messages (and,
  // while folding constants, whatever their evaluation throws).
  EvaluatablePtr compileExpression(const TokenList& tokens, std::size_t first, std::size_t end);
  EvaluatablePtr compileExpression(const TokenList& tokens) {
    return compileExpression(tokens, 0, tokens.size());
  }

  // Compiles one token that stands alone (a literal, a bracket, a name, a lone ':').
  EvaluatablePtr compileOperand(const Token& token);

  // Compiles the indices of `bracket` for indexing `value` (rvalue or assignment target):
  // one node per top-level piece, each an int node, a bare ':' (OpenSequenceElement) or,
  // when `keepSequences`, a sequence (SequenceElement) left unconverted. `end` inside a
  // piece is the extent of `value` along that piece's mode (a single index: chosen at run
  // time; two: rows, then columns). Throws "empty index list", "too many indices",
  // "stray comma or empty argument", "invalid type of index".
  // `singleMode` is the mode of a single piece (automatic unless a whole-row or
  // whole-column form fixes it).
  std::vector<EvaluatablePtr> compileIndexPieces(const Token& bracket, values::Value* value,
                                                 bool keepSequences,
                                                 int singleMode = values::kAutoMode);

  // Types, classifies and folds a finished operator sequence (operators in lexer form,
  // '%' and '//' already rewritten). REQUIRES: no comparison operators.
  EvaluatablePtr finishExpression(ExpressionItems items);

 private:
  class Sequence;
  friend class Sequence;

  std::size_t compileToken(const TokenList& tokens, std::size_t i, std::size_t first,
                           std::size_t end, Sequence& sequence);
  EvaluatablePtr finishSequence(Sequence& sequence);
  EvaluatablePtr compileName(const Token& token);
  std::size_t compileVariable(const TokenList& tokens, std::size_t at, std::size_t end,
                              Sequence& sequence);
  std::size_t compileVariableForm(const TokenList& tokens, std::size_t at, std::size_t end,
                                  Sequence& sequence);
  EvaluatablePtr compileIndex(const Token& bracket, values::Value* value);
  std::size_t compileUnary(const TokenList& tokens, std::size_t at, std::size_t end,
                           Sequence& sequence);
  EvaluatablePtr incrementOf(const TokenList& tokens, std::size_t at, std::size_t end, char op);
  std::size_t compileCall(const TokenList& tokens, std::size_t at, std::size_t end,
                          Sequence& sequence);
  std::size_t compileDotCall(const TokenList& tokens, std::size_t at, std::size_t end,
                             Sequence& sequence);
  std::vector<EvaluatablePtr> compileArguments(const Token& bracket);
  std::vector<EvaluatablePtr> callArguments(const std::string& name, const Token& bracket);
  EvaluatablePtr functionReference(const Token& token);
  // The inline function of the first argument '(expr; x, ...)': `expression` as a quick
  // function of the parameter `parameter`, wrapped as a function reference.
  EvaluatablePtr inlineFunction(const TokenList& expression, const Token& parameter);
  EvaluatablePtr propertyCall(const TokenList& tokens, std::size_t first, std::size_t end);
  std::vector<EvaluatablePtr> propertyWords(const TokenList& tokens, std::size_t first,
                                            std::size_t end);
  // The call of `name` with `arguments` after the count check: too few arguments is
  // "function requires a parameter" for a name written without a bracket and none at all,
  // else name + "(...) has too few arguments" (so also for `name()`).
  EvaluatablePtr makeCall(const std::string& name, std::vector<EvaluatablePtr> arguments,
                          bool bracketed = false);
  EvaluatablePtr elementWiseCall(const std::string& name, const builtins::FunctionInfo& info,
                                 EvaluatablePtr argument, bool complexArgument);
  EvaluatablePtr callNode(const builtins::FunctionInfo& info,
                          std::vector<EvaluatablePtr> arguments);
  EvaluatablePtr makeUserCall(engine::UserFunc& function, std::vector<EvaluatablePtr> arguments,
                              bool bracketed);
  EvaluatablePtr formComparisons(ExpressionItems items);
  EvaluatablePtr comparisonOf(ExpressionItems run);
  EvaluatablePtr rewriteDivisions(ExpressionItems items);

  // The value being indexed and the mode of the index being compiled, for `end`; null
  // outside an index.
  struct IndexContext {
    values::Value* value;
    int mode;
  };
  EvaluatablePtr endIndex();

  session::Workspace& workspace_;
  const builtins::BuiltinRegistry& registry_;
  const IndexContext* index_ = nullptr;
};

// The lexer's whole-row and whole-column index forms, m[k, :] and m[:, k]: a kind-14
// token whose children are the index k. wholeLineMode gives its index mode.
bool isWholeLineIndex(const Token& token);
int wholeLineMode(const Token& token);
// True iff `token` is a whole-line bracket that held three indices (m[:, j, k],
// m[i, j, :]): the lexer took one ':' away. pageIndexBracket gives it back as an ordinary
// '[' bracket of three indices.
bool isPageIndex(const Token& token);
Token pageIndexBracket(const Token& token);

// "unrecognised name {g 'z'" (or "misplaced keyword ..." for a keyword): the message for a
// name that is nothing the workspace knows.
std::string unknownNameMessage(const std::string& name);

}  // namespace zirbin::compiler
