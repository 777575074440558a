// The expression compiler: operator sequences, operands, names, unary operators, ranges,
// comparisons, the '%' and '//' divisions, typing and constant folding.
#include "compiler/expression_compiler.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "engine/registry.h"
#include "compiler/expression_sequence.h"
#include "engine/comparison_elements.h"
#include "engine/conversion_elements.h"
#include "engine/expressions.h"
#include "engine/indexing_elements.h"
#include "engine/leaf_elements.h"
#include "engine/operator_codes.h"
#include "engine/scalar_fast_elements.h"
#include "engine/unary_elements.h"
#include "base/errors.h"
#include "engine/workspace.h"
#include "values/value.h"

namespace zirbin::compiler {

using engine::Evaluatable;
using session::SymbolKind;
using session::SyntaxError;

namespace {

constexpr const char* kMalformed = "incorrectly formed statement or expression";

bool isConstant(const Evaluatable& node) { return node.nodeKind() == engine::kNumberLiteralNode; }

int levelOf(char op) {
  const int code = engine::translateOperator(op);
  return code == engine::kNoCode ? -1 : engine::level(code);
}

bool isComparison(char op) { return levelOf(op) == engine::kComparisonLevel; }

// The lexer codes that have no internal code ('>>' and '??' between two operands).
bool isUnassigned(char op) {
  return op != '%' && op != opcode::kFloorDivide && engine::translateOperator(op) == engine::kNoCode;
}

// Evaluates a constant node now and returns a number node holding the result.
EvaluatablePtr fold(Evaluatable& node) {
  std::unique_ptr<values::Value> scratch = values::newValue(node.resultType());
  const values::Value* result = node.pValue(*scratch);
  if (result != scratch.get()) scratch = values::newValueCopy(*result);
  return engine::makeConstant(std::move(scratch));
}

// A unary operator applied to `operand`: folded when the operand is a constant.
EvaluatablePtr applyUnary(EvaluatablePtr operand, char op) {
  const int type = operand->resultType();
  if (type == engine::kListType && (op == '-' || op == '!' || op == '~')) {
    throw SyntaxError("illegal unary operator for a list");
  }
  if (type == engine::kComplexType && (op == '!' || op == '~')) {
    throw SyntaxError("illegal unary operator for a complex value");
  }
  const bool constant = isConstant(*operand);
  EvaluatablePtr node = std::make_unique<engine::UnaryOpElement>(std::move(operand), op);
  return constant ? fold(*node) : std::move(node);
}

// Parses an integer literal; one beyond the 32-bit range is read as a double, which is
// what a user typing a large number means.
EvaluatablePtr integerLiteral(const std::string& text) {
  errno = 0;
  const long long n = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || n > INT_MAX || n < INT_MIN) {
    return engine::makeDoubleNumber(std::strtod(text.c_str(), nullptr));
  }
  return engine::makeIntNumber(static_cast<int>(n));
}

// Wraps operands of run-time type so that they can take part in a double sequence.
void checkRunTimeTypes(ExpressionItems& items) {
  for (ExpressionItem& item : items) {
    if (item.node->resultType() == engine::kUnknownType) {
      item.node = std::make_unique<engine::TypeCheckElement>(std::move(item.node));
    }
  }
}

// Comparisons take int and double operands ('===' any); a run-time type is checked then.
void checkComparable(std::vector<EvaluatablePtr>& parts, const std::vector<char>& comparisons) {
  for (const char c : comparisons) {
    if (c == opcode::kIdentical) return;
  }
  for (EvaluatablePtr& part : parts) {
    switch (part->resultType()) {
      case engine::kUnknownType:
        part = std::make_unique<engine::TypeCheckElement>(std::move(part));
        break;
      case engine::kComplexType:
        throw SyntaxError("invalid operation in a complex-number expression");
      case engine::kListType:
        throw SyntaxError("expression contains an illegal operation involving a list");
      default:
        break;
    }
  }
}

}  // namespace

std::string unknownNameMessage(const std::string& name) {
  const char* message =
      builtins::keywordCode(name) != builtins::Keyword::None ? "misplaced keyword" : "unrecognised name";
  return std::string(message) + " {g '" + name + "'";
}

ExpressionCompiler::ExpressionCompiler(session::Workspace& workspace,
                                       const builtins::BuiltinRegistry& registry)
    : workspace_(workspace), registry_(registry) {}

// expression -> { operand | binop | unop | separator | name ... }
EvaluatablePtr ExpressionCompiler::compileExpression(const TokenList& tokens, std::size_t first,
                                                    std::size_t end) {
  Sequence s;
  std::size_t i = first;
  while (i < end) i = compileToken(tokens, i, first, end, s);
  return finishSequence(s);
}

// One token (with those it takes along: a call's arguments, an index, a prefix's run) into
// the sequence. Returns the position after them.
std::size_t ExpressionCompiler::compileToken(const TokenList& tokens, std::size_t i,
                                             std::size_t first, std::size_t end, Sequence& s) {
  const Token& token = tokens[i];
  switch (token.kind) {
    case kIntegerToken:
    case kRealToken:
    case kStringToken:
    case kBracketToken:
    case kEmptySetToken:
      s.appendOperand(compileOperand(token));
      return i + 1;
    case kBinaryOpToken:
      if (isUnassigned(token.code)) throw SyntaxError("unrecognised operator");
      s.binary(token.code, isComparison(token.code));
      return i + 1;
    case kUnaryOpToken:
      return compileUnary(tokens, i, end, s);
    case kSeparatorToken:
      if (token.code == opcode::kSuchThat) throw SyntaxError(kMalformed);
      s.separator(token.code);
      return i + 1;
    case kImplicitSepToken:
      s.setOperator(',');
      return i + 1;
    case kRowBreakToken:
      s.setOperator(';');
      return i + 1;
    case kNameToken:
      if (token.text == "end") {
        s.appendOperand(endIndex());
        return i + 1;
      }
      switch (workspace_.classify(token.text)) {
        case SymbolKind::kVariable:
          return compileVariable(tokens, i, end, s);
        case SymbolKind::kFunction:
          return compileCall(tokens, i, end, s);
        default:
          s.appendOperand(compileName(token));
          return i + 1;
      }
    case kBracketDotToken:
      return compileDotCall(tokens, i, end, s);
    case kBackslashToken:
      // A function reference is an argument on its own; it has no value to compute with.
      if (end - first > 1) throw SyntaxError("incorrect use of backslash");
      s.appendOperand(functionReference(token));
      return i + 1;
    case kAssignOpToken:
      if (token.code != opcode::kProperty || i != first) throw SyntaxError(kMalformed);
      s.appendOperand(propertyCall(tokens, i + 1, end));
      return end;
    default:
      throw SyntaxError(kMalformed);
  }
}

// The checks at the end of a sequence, then comparisons or divisions, typing and folding.
EvaluatablePtr ExpressionCompiler::finishSequence(Sequence& s) {
  if (s.items.empty()) throw SyntaxError("empty expression");
  if (s.items.back().op != 0) throw SyntaxError("dangling operator");
  s.finishRange();
  if (s.queries > 0) {
    if (s.queries > 1 || s.queryElses > 1) throw SyntaxError("multiple '?' or '::' operators");
    if (s.queryElses == 0) throw SyntaxError("missing :: after '?' operator");
  }
  if (s.comparison) return formComparisons(std::move(s.items));
  return rewriteDivisions(std::move(s.items));
}

// operand -> integer | real | string | bracket | '[]' | ':' | name
EvaluatablePtr ExpressionCompiler::compileOperand(const Token& token) {
  switch (token.kind) {
    case kIntegerToken:
      return integerLiteral(token.text);
    case kRealToken: {
      const double x = std::strtod(token.text.c_str(), nullptr);
      if (token.code == 'i') return engine::makeComplexNumber({0.0, x});
      return engine::makeDoubleNumber(x);
    }
    case kStringToken:
      return std::make_unique<engine::StringLiteralElement>(token.text);
    case kBracketToken:
    case kBracketDotToken:
      return compileExpression(token.children);
    case kEmptySetToken:
      return std::make_unique<engine::EmptySetElement>();
    case kSeparatorToken:
      if (token.code == ':') return std::make_unique<engine::OpenSequenceElement>();
      throw SyntaxError("incorrectly placed comma or similar");
    case kNameToken: {
      if (token.text == "end") return endIndex();
      const SymbolKind kind = workspace_.classify(token.text);
      if (kind == SymbolKind::kVariable) {
        return std::make_unique<engine::ValueElement>(workspace_.lookup().value);
      }
      if (kind == SymbolKind::kFunction) return makeCall(token.text, {});
      return compileName(token);
    }
    default:
      throw SyntaxError("incorrect use of operator or similar");
  }
}

// A name that is neither a variable nor a function: a constant, or an error.
EvaluatablePtr ExpressionCompiler::compileName(const Token& token) {
  if (workspace_.classify(token.text) == SymbolKind::kConstant) {
    return engine::makeDoubleNumber(workspace_.lookup().constant);
  }
  throw SyntaxError(unknownNameMessage(token.text));
}

// variable -> name [ '[' indices ']' ]
std::size_t ExpressionCompiler::compileVariable(const TokenList& tokens, std::size_t at,
                                                std::size_t end, Sequence& sequence) {
  const Token& name = tokens[at];
  values::Value* value = workspace_.lookup().value;
  if (name.code == '.' || name.code == '\\') return compileVariableForm(tokens, at, end, sequence);
  if (name.code == '[' && at + 1 < end && tokens[at + 1].kind == kEmptySetToken) {
    throw SyntaxError("empty index list");
  }
  if (name.code == '[' && at + 1 < end && tokens[at + 1].kind == kBracketToken &&
      tokens[at + 1].code == ']') {
    sequence.appendOperand(compileIndex(tokens[at + 1], value));
    return at + 2;
  }
  sequence.appendOperand(std::make_unique<engine::ValueElement>(value));
  return at + 1;
}

// unop -> postfix ('!' | "'" | '"') | ('-' | '~') run | ('++' | '--') name | '<<' property
std::size_t ExpressionCompiler::compileUnary(const TokenList& tokens, std::size_t at,
                                             std::size_t end, Sequence& sequence) {
  const char op = tokens[at].code;
  if (op == '!' || op == '\'' || op == '"') {
    ExpressionItem& last = sequence.last();
    last.node = applyUnary(std::move(last.node), op);
    return at + 1;
  }
  if (op == opcode::kIncrement || op == opcode::kDecrement) {
    sequence.appendOperand(incrementOf(tokens, at + 1, end, op));
    return at + 2;
  }
  if (op == '^') throw SyntaxError("misplaced '^' operator");
  if (op == opcode::kProperty && sequence.items.empty()) {
    // '<<' at the start: the rest of the expression is a property query.
    sequence.appendOperand(propertyCall(tokens, at + 1, end));
    return end;
  }
  if (op != '-' && op != '~') throw SyntaxError("illegal use of unary operator");

  // The prefix binds the run up to the next unary operator, separator or operator of
  // group 2 and above: -a*b^2 + c is -(a*b^2) + c.
  const std::size_t first = at + 1;
  if (first >= end || tokens[first].kind == kBinaryOpToken ||
      tokens[first].kind == kUnaryOpToken || tokens[first].kind == kAssignOpToken) {
    throw SyntaxError("illegal use of unary operator");
  }
  std::size_t stop = first;
  while (stop < end) {
    const Token& t = tokens[stop];
    if (t.kind == kUnaryOpToken || t.kind == kSeparatorToken || t.kind == kImplicitSepToken ||
        t.kind == kRowBreakToken || t.kind == kAssignOpToken || t.kind == kDisplayMarkerToken) {
      break;
    }
    if (t.kind == kBinaryOpToken && levelOf(t.code) != engine::kPowerLevel &&
        levelOf(t.code) != engine::kProductLevel) {
      break;
    }
    ++stop;
  }
  sequence.appendOperand(applyUnary(compileExpression(tokens, first, stop), op));
  return stop;
}

// '++' or '--' and the plain variable after it.
EvaluatablePtr ExpressionCompiler::incrementOf(const TokenList& tokens, std::size_t at,
                                               std::size_t end, char op) {
  if (at >= end || tokens[at].kind != kNameToken || tokens[at].code == '[' ||
      tokens[at].code == '.' || tokens[at].code == '\\' ||
      workspace_.classify(tokens[at].text) != SymbolKind::kVariable) {
    throw SyntaxError("item cannot be incremented/decremented");
  }
  values::Value* value = workspace_.lookup().value;
  const int type = value->valueType();
  if (type != engine::kIntType && type != engine::kDoubleType) {
    throw SyntaxError("variable has wrong type for increment or decement");
  }
  return engine::makeIncDec(value, op);
}

// Comparisons: the items are cut at the operators of group 6 and above; each run holding
// comparisons becomes a comparison node of at most three parts.
EvaluatablePtr ExpressionCompiler::formComparisons(ExpressionItems items) {
  ExpressionItems outer;
  ExpressionItems run;
  for (ExpressionItem& item : items) {
    const char op = item.op;
    run.push_back(std::move(item));
    if (op != 0 && levelOf(op) < engine::kShortAndLevel) continue;
    run.back().op = 0;
    outer.push_back({comparisonOf(std::move(run)), op});
    run.clear();
  }
  return finishExpression(std::move(outer));
}

// One run below group 6: its parts between comparison operators, compared.
EvaluatablePtr ExpressionCompiler::comparisonOf(ExpressionItems run) {
  std::vector<EvaluatablePtr> parts;
  std::vector<char> comparisons;
  ExpressionItems part;
  for (ExpressionItem& item : run) {
    const char op = item.op;
    part.push_back(std::move(item));
    if (!isComparison(op)) continue;
    part.back().op = 0;
    parts.push_back(rewriteDivisions(std::move(part)));
    comparisons.push_back(op);
    part.clear();
  }
  parts.push_back(rewriteDivisions(std::move(part)));
  if (parts.size() == 1) return std::move(parts[0]);
  checkComparable(parts, comparisons);
  if (parts.size() > 3) throw SyntaxError("illegal form of comparison (more than 3 parts)");
  const bool identity = comparisons[0] == opcode::kIdentical ||
                        (comparisons.size() > 1 && comparisons[1] == opcode::kIdentical);
  if (identity) {
    if (parts.size() > 2) {
      throw SyntaxError("illegal combination of === with a further comparison");
    }
    return std::make_unique<engine::FullyCompareElement>(std::move(parts[0]), std::move(parts[1]));
  }
  return engine::makeComparison(std::move(parts), comparisons);
}

// '%' splits the whole sequence at its last occurrence into (left)/(right); '//' divides
// its left operand by everything after it: x + a // b + c is x + a/(b + c).
EvaluatablePtr ExpressionCompiler::rewriteDivisions(ExpressionItems items) {
  for (std::size_t k = items.size(); k-- > 0;) {
    if (items[k].op != '%') continue;
    ExpressionItems right(std::make_move_iterator(items.begin() + k + 1),
                          std::make_move_iterator(items.end()));
    items.resize(k + 1);
    items.back().op = 0;
    ExpressionItems whole;
    whole.push_back({rewriteDivisions(std::move(items)), '/'});
    whole.push_back({rewriteDivisions(std::move(right)), 0});
    return finishExpression(std::move(whole));
  }
  for (std::size_t k = items.size(); k-- > 0;) {
    if (items[k].op != opcode::kFloorDivide) continue;
    ExpressionItems rest(std::make_move_iterator(items.begin() + k + 1),
                         std::make_move_iterator(items.end()));
    items.resize(k + 1);
    items.back().op = '/';
    items.push_back({finishExpression(std::move(rest)), 0});
  }
  return finishExpression(std::move(items));
}

// Types the sequence, chooses its Expression class and folds it when every operand is a
// constant.
EvaluatablePtr ExpressionCompiler::finishExpression(ExpressionItems items) {
  if (items.empty()) throw SyntaxError("an empty expression is not allowed");
  if (items.size() == 1) return std::move(items[0].node);

  checkRunTimeTypes(items);
  int type = engine::kIntType;
  bool simple = true;
  bool constant = true;
  // An int sequence with '/' or '^' is computed in doubles. One with '^^' stays an int
  // sequence, whose evaluation refuses the matrix power with '?' (it exists for doubles).
  bool widens = false;
  for (const ExpressionItem& item : items) {
    type = std::max(type, item.node->resultType());
    if (item.op == '/' || item.op == '^') widens = true;
    constant = constant && isConstant(*item.node);
  }
  if (type == engine::kListType) {
    throw SyntaxError("expression contains an illegal operation involving a list");
  }
  if (type == engine::kIntType && widens) type = engine::kDoubleType;

  std::vector<engine::ExpressionTerm> terms;
  terms.reserve(items.size());
  for (ExpressionItem& item : items) {
    const int code = engine::translateOperator(item.op);
    simple = simple && engine::isSimpleOperator(code);
    if (type == engine::kComplexType && item.node->resultType() != engine::kComplexType) {
      item.node = std::make_unique<engine::ToComplexElement>(std::move(item.node));
    }
    terms.push_back({std::move(item.node), code});
  }
  bool allOfType = true;
  for (const engine::ExpressionTerm& t : terms) allOfType = allOfType && t.node->resultType() == type;
  EvaluatablePtr expression;
  if (simple) {
    if (allOfType) {
      expression = std::make_unique<engine::SimpleExpression>(std::move(terms), type);
    } else {
      expression = std::make_unique<engine::SimpleMixedTypeExpression>(std::move(terms));
    }
  } else if (type == engine::kIntType) {
    expression = std::make_unique<engine::GeneralIntegerExpression>(std::move(terms));
  } else if (type == engine::kComplexType) {
    expression = std::make_unique<engine::GeneralComplexExpression>(std::move(terms));
  } else {
    expression = std::make_unique<engine::GeneralMixedTypeExpression>(std::move(terms));
  }
  return constant ? fold(*expression) : engine::withScalarFastPath(std::move(expression));
}

}  // namespace zirbin::compiler
