// The statement compiler's statements that begin with a name or a bracket: the dispatch
// between keyword statements, assignments and expressions, and every assignment form with
// its statement class.
#include <string>

#include "base/errors.h"
#include "base/run_context.h"
#include "compiler/expression_compiler.h"
#include "compiler/statement_compiler.h"
#include "compiler/token.h"
#include "engine/assign_statements.h"
#include "engine/display_statements.h"
#include "engine/indexed_assign_statements.h"
#include "engine/indexing_elements.h"
#include "engine/registry.h"
#include "engine/workspace.h"
#include "values/value.h"

namespace zirbin::compiler {

using engine::EvaluatablePtr;
using engine::Statement;
using session::SymbolKind;
using session::SyntaxError;

namespace {

bool isAssignOp(const Token& t) { return t.kind == kAssignOpToken; }

bool isOpAssign(char op) {
  return op == opcode::kPlusAssign || op == opcode::kMinusAssign || op == opcode::kTimesAssign ||
         op == opcode::kDivideAssign;
}

bool isGrow(char op) {
  return op == opcode::kColumnAppendAssign || op == opcode::kRowAppendAssign;
}

// Removes a display marker at the end and returns its code (0 when none).
char takeMarker(TokenList& statement) {
  if (statement.empty() || statement.back().kind != kDisplayMarkerToken) return 0;
  const char marker = statement.back().code;
  statement.pop_back();
  return marker;
}

// The position of the assignment operator of an indexed or dot form (x[i] = ..., x.k = ...),
// or 0 when the statement is not one.
std::size_t indexedOperatorAt(const TokenList& statement) {
  if (statement.size() < 4) return 0;
  const Token& name = statement[0];
  if (name.code == '[' && statement[1].kind == kBracketToken && statement[1].code == ']') {
    return isAssignOp(statement[2]) ? 2 : 0;
  }
  if (name.code == '\\') return isWholeLineIndex(statement[1]) && isAssignOp(statement[2]) ? 2 : 0;
  if (name.code == '.') {
    std::size_t at = 1;
    if (statement[at].kind == kBinaryOpToken && statement[at].code == '.') ++at;
    ++at;  // the integer, name or bracket of the form
    return at < statement.size() && isAssignOp(statement[at]) ? at : 0;
  }
  return 0;
}

// The index bracket of an indexed or dot form; a dot form x.k reads as x[k].
Token indexBracket(const TokenList& statement, std::size_t opAt) {
  if (statement[0].code == '[' || statement[0].code == '\\') return statement[1];
  const Token& after = statement[opAt - 1];
  if (after.kind != kIntegerToken && after.kind != kNameToken && after.kind != kBracketToken) {
    throw SyntaxError("the dot must be followed by an integer or a name or a bracket");
  }
  Token bracket;
  bracket.kind = kBracketToken;
  bracket.code = ']';
  bracket.children.push_back(after);
  return bracket;
}

// Wraps a compiled assignment as its display marker asks.
std::unique_ptr<Statement> withMarker(std::unique_ptr<Statement> statement, char marker,
                                      values::Value* target, const std::string& name,
                                      const std::string& function) {
  if (marker == 0) return statement;
  if (marker == '!') {
    return std::make_unique<engine::BreakPointStm>(std::move(statement), target, function);
  }
  return std::make_unique<engine::AssignAndDisplayStm>(std::move(statement), target,
                                                       marker == '?' ? name : std::string());
}

// The arithmetic operator character of an op-assign code.
char arithmeticOf(char op) {
  switch (op) {
    case opcode::kPlusAssign:
      return '+';
    case opcode::kMinusAssign:
      return '-';
    case opcode::kTimesAssign:
      return '*';
    default:
      return '/';
  }
}

}  // namespace

// nameStm -> keyword ... | name assignOp rhs | name index assignOp rhs | expression
std::unique_ptr<Statement> StatementCompiler::compileNameStatement(TokenList& statement) {
  const Token& first = statement.front();
  const builtins::Keyword keyword = builtins::keywordCode(first.text);
  if (keyword != builtins::Keyword::None) return compileKeyword(statement, static_cast<int>(keyword));
  if (statement.size() >= 2 && isAssignOp(statement[1])) return compileAssignment(statement, 1);
  if (statement.size() >= 2 && statement[1].kind == kFunctionDefToken &&
      statement[1].code == opcode::kCross) {
    throw SyntaxError("can't vectorize a function with no arguments");
  }
  if (statement.size() >= 2 && statement[1].kind == kFunctionDefToken) {
    return compileOneLineFunction(statement);
  }
  if (statement.size() >= 3 && statement[1].kind == kBracketToken && statement[1].code == ')' &&
      statement[2].kind == kFunctionDefToken) {
    return compileOneLineFunction(statement);
  }
  if (const std::size_t opAt = indexedOperatorAt(statement)) {
    return compileAssignment(statement, opAt);
  }
  return compileExpressionStatement(statement);
}

// bracketStm -> '{' block '}' | '[' names ']' '=' rhs | expression
std::unique_ptr<Statement> StatementCompiler::compileBracketStatement(TokenList& statement) {
  const Token& first = statement.front();
  if (first.code == '}' || first.code == '{') return compileBlock(statement);
  if (first.code == ']' && statement.size() >= 2 && isAssignOp(statement[1])) {
    if (statement[1].code != '=') throw SyntaxError("invalid multiple assignment syntax");
    if (statement.size() < 3) throw SyntaxError("missing rhs");
    const Token& rhs = statement[2];
    if (rhs.kind != kNameToken && !(rhs.kind == kBracketToken && rhs.code == ']')) {
      throw SyntaxError("invalid or missing rhs");
    }
    return compileMultiAssign(statement);
  }
  return compileExpressionStatement(statement);
}

// assignment -> name [index] assignOp rhs [displayMarker]
std::unique_ptr<Statement> StatementCompiler::compileAssignment(TokenList& statement,
                                                               std::size_t opAt) {
  const std::string name = statement[0].text;
  const int line = currentLine();
  const bool indexed = opAt > 1;
  const SymbolKind kind = workspace_.classify(name);
  if (kind == SymbolKind::kConstant) throw SyntaxError("you can't assign to a constant");
  // Inside a function body a global reached without a `global` declaration is not the
  // target: the assignment declares a local.
  values::Value* target = nullptr;
  if (kind == SymbolKind::kVariable) {
    target = workspace_.inFunctionScope() ? workspace_.lookup().scopedValue
                                          : workspace_.lookup().value;
  }
  if (indexed && !target) throw SyntaxError("Indexing an undeclared variable on the lhs");
  // x.f with a function f reads as the call f(x): nothing there to assign to.
  if (indexed && statement[0].code == '.' && statement[opAt - 1].kind == kNameToken &&
      workspace_.classify(statement[opAt - 1].text) == SymbolKind::kFunction) {
    throw SyntaxError("you can't assign to a function call");
  }

  ExpressionCompiler expressions(workspace_, session::builtinRegistry());
  std::vector<EvaluatablePtr> indices;
  // m[:, k] and m[k, :] name whole columns and rows; m[:, j, k] and m[i, j, :] are three
  // ordinary indices.
  const bool pages = statement[0].code == '\\' && isPageIndex(statement[1]);
  const bool wholeLine = statement[0].code == '\\' && !pages;
  const int dimension = wholeLine ? wholeLineMode(statement[1]) : engine::kChooseDimension;
  if (indexed) {
    const Token bracket =
        pages ? pageIndexBracket(statement[1]) : indexBracket(statement, opAt);
    indices = expressions.compileIndexPieces(bracket, target, !wholeLine,
                                             wholeLine ? dimension : values::kAutoMode);
  }
  const char marker = takeMarker(statement);
  char op = statement[opAt].code;
  TokenList rhsTokens(statement.begin() + opAt + 1, statement.end());
  if (op == opcode::kProperty) {
    if (statement.size() < 3) throw SyntaxError("illegal operator with assignment");
    Token property;
    property.kind = kNameToken;
    property.text = "property";
    rhsTokens.insert(rhsTokens.begin(), property);
    op = '=';
  }
  if (op != '=' && !isOpAssign(op) && !isGrow(op)) {
    throw SyntaxError("illegal operator with assignment");
  }
  const bool erasure = op == '=' && rhsTokens.size() == 1 && rhsTokens[0].kind == kEmptySetToken;
  if (erasure && indices.size() > 1) throw SyntaxError("invalid erasure (more than one index)");

  EvaluatablePtr rhs;
  if (!erasure) {
    rhs = rhsTokens.size() == 1 ? expressions.compileOperand(rhsTokens[0])
                                : expressions.compileExpression(rhsTokens);
  }
  const int t = rhs ? rhs->resultType() : values::DOUBLE_VAL;

  // The target's type: an undeclared name takes the right side's; a declared one keeps
  // its own unless the right side is wider (or a plain list target meets a non-list), in
  // which case a top-level variable is declared again with the right side's type.
  int o = target ? target->valueType() : t;
  bool redeclare = !target;
  if (target && !erasure) {
    const bool skip = t == values::RUNTIME_TYPE_VAL ||
                      (o == values::LIST_VAL && (indexed || isGrow(op)));
    const bool accepted = t == o || (t < o && o <= values::COMPLEX_VAL);
    if (!skip && !accepted) {
      // Declaring the list again would drop its items before the operator saw them.
      if (o == values::LIST_VAL && isOpAssign(op)) {
        throw SyntaxError("illegal operator-assignment for a list");
      }
      if (workspace_.inFunctionScope()) throw SyntaxError("incompatible types in assignment");
      if (compiledStatementsUse(target)) {
        throw SyntaxError("variable in use, its base-type can't be changed here: " + name);
      }
      redeclare = true;
      o = t;
    }
  }
  // What declareVariable makes of the code: int and unknown types give doubles.
  if (redeclare && (o == values::INTEGER_VAL || o == values::RUNTIME_TYPE_VAL)) {
    o = values::DOUBLE_VAL;
  }

  // The statement class; every refusal comes before the workspace changes.
  std::unique_ptr<Statement> compiled;
  auto declared = [&]() -> values::Value* {
    if (redeclare) target = workspace_.declareVariable(name, t);
    return target;
  };
  if (erasure) {
    EvaluatablePtr index = indices.empty() ? nullptr : std::move(indices[0]);
    compiled = std::make_unique<engine::ErasureStm>(std::move(index), line, dimension,
                                                    declared());
  } else if (!indexed) {
    if (o == values::COMPLEX_VAL) {
      if (op != '=') throw SyntaxError("not yet implemented for complex type");
      compiled = std::make_unique<engine::ComplexAssignStm>(std::move(rhs), line, declared());
    } else if (o == values::LIST_VAL) {
      if (isOpAssign(op)) throw SyntaxError("illegal operator-assignment for a list");
      if (isGrow(op)) {
        compiled = std::make_unique<engine::GrowListStm>(std::move(rhs), line, declared(), op);
      } else {
        compiled = std::make_unique<engine::ListAssignStm>(std::move(rhs), line, declared());
      }
    } else if (op == '=') {
      if (t == values::RUNTIME_TYPE_VAL || o == values::INTEGER_VAL) {
        compiled = std::make_unique<engine::CheckedAssignStm>(std::move(rhs), line, declared());
      } else {
        compiled = std::make_unique<engine::FastAssignStm>(std::move(rhs), line, declared());
      }
    } else if (o == values::INTEGER_VAL) {
      // Int variables (parameters) take no op- or grow-assignment.
      throw SyntaxError("illegal operator with assignment");
    } else if (isGrow(op)) {
      compiled = std::make_unique<engine::GrowAssignDStm>(std::move(rhs), line, declared(), op);
    } else if (t == values::INTEGER_VAL) {
      compiled = std::make_unique<engine::OpAssignIntStm>(std::move(rhs), line, declared(),
                                                          arithmeticOf(op));
    } else if (op == opcode::kPlusAssign) {
      compiled = std::make_unique<engine::AssignPlusDStm>(std::move(rhs), line, declared());
    } else if (op == opcode::kMinusAssign) {
      compiled = std::make_unique<engine::AssignMinusDStm>(std::move(rhs), line, declared());
    } else if (op == opcode::kTimesAssign) {
      compiled = std::make_unique<engine::AssignTimesDStm>(std::move(rhs), line, declared());
    } else {
      compiled = std::make_unique<engine::AssignDivideDStm>(std::move(rhs), line, declared());
    }
  } else if (o == values::LIST_VAL) {
    if (op != '=') throw SyntaxError("indexed op-assign to list not yet implemented");
    if (indices.size() > 2) throw SyntaxError("too many indices assigning to list");
    EvaluatablePtr columns = indices.size() == 2 ? std::move(indices[1]) : nullptr;
    compiled = std::make_unique<engine::IndexedAnyAssignStm>(std::move(rhs), line, declared(),
                                                             std::move(indices[0]),
                                                             std::move(columns));
  } else if (o != values::DOUBLE_VAL) {
    throw SyntaxError("indexed assignment to non-double not yet implemented");
  } else if (op != '=' && !isOpAssign(op)) {
    throw SyntaxError("this op-assign not allowed for an indexed lhs");
  } else if (wholeLine && indices.size() != 1) {
    throw SyntaxError("too many indices");
  } else if (indices.size() == 3) {
    compiled = std::make_unique<engine::Indexed3DAssignStm>(
        std::move(rhs), line, declared(), std::move(indices[0]), std::move(indices[1]),
        std::move(indices[2]), op);
  } else if (indices.size() == 2) {
    compiled = std::make_unique<engine::IndexedAssignStm>(std::move(rhs), line, declared(),
                                                          std::move(indices[0]),
                                                          std::move(indices[1]), op);
  } else if (indices[0]->nodeKind() == engine::kSequenceNode) {
    if (op != '=') throw SyntaxError("op-assign with sequence lhs is not implemented");
    auto* sequence = static_cast<engine::SequenceElement*>(indices[0].get());
    compiled = std::make_unique<engine::SingleIndexed_SeqAssignStm>(
        std::move(rhs), line, declared(), sequence->releaseStart(), sequence->releaseStep(),
        sequence->releaseStop(), engine::kChooseDimension);
  } else {
    compiled = std::make_unique<engine::SingleIndexedAssignStm>(
        std::move(rhs), line, declared(), std::move(indices[0]), dimension, op);
  }
  return withMarker(std::move(compiled), marker, target, name, workspace_.functionName());
}

}  // namespace zirbin::compiler
