// The operator sequence that the expression compiler builds: its items, the counts the
// end checks need, and the range a:b or a:s:b whose parts are still being collected.
// Private to the expression compiler's files.
#pragma once

#include "compiler/expression_compiler.h"
#include "engine/conversion_elements.h"
#include "engine/evaluatable.h"
#include "engine/indexing_elements.h"
#include "base/errors.h"

namespace zirbin::compiler {

inline constexpr const char* kMisplacedOperator =
    "Incorrectly placed operator in bracket or expression";

// An operator sequence under construction: the items, the counts that the end checks
// need, and a range a:b or a:s:b whose parts are still being collected.
class ExpressionCompiler::Sequence {
 public:
  ExpressionItems items;
  bool comparison = false;
  int queries = 0;
  int queryElses = 0;

  // Appends an operand; two operands without an operator between them multiply.
  void appendOperand(EvaluatablePtr node) {
    if (!items.empty() && items.back().op == ':') {
      addRangePart(std::move(node));
      return;
    }
    finishRange();
    if (!items.empty() && items.back().op == 0) items.back().op = '*';
    items.push_back({std::move(node), 0});
  }

  // Records a binary operator or separator after the last operand.
  void setOperator(char op) {
    if (items.empty() || items.back().op != 0) throw session::SyntaxError(kMisplacedOperator);
    if (op != ':') finishRange();
    items.back().op = op;
  }

  // A binary operator; comparisons mark the sequence and queries are counted.
  void binary(char op, bool isComparison) {
    setOperator(op);
    if (isComparison) comparison = true;
    if (op == '?') ++queries;
  }

  // A separator: ',' ';' ':' or '::', which needs an earlier '?'.
  void separator(char op) {
    if (op == opcode::kQueryElse) {
      if (queries == 0) throw session::SyntaxError("illegal :: without '?' operator");
      ++queryElses;
    }
    setOperator(op);
  }

  // The last operand, for postfix operators.
  ExpressionItem& last() {
    finishRange();
    if (items.empty() || items.back().op != 0) throw session::SyntaxError(kMisplacedOperator);
    return items.back();
  }

  // Builds the SequenceElement of a finished range into its item.
  void finishRange() {
    if (rangeParts_ == 0) return;
    int type = engine::kIntType;
    for (int k = 0; k < rangeParts_; ++k) {
      // The parts are read as numbers: a list or complex part would otherwise be evaluated
      // into a double and read as 0 (or fail inside the routine that makes it).
      switch (parts_[k]->resultType()) {
        case engine::kListType:
          throw session::SyntaxError("expression contains an illegal operation involving a list");
        case engine::kComplexType:
          throw session::SyntaxError("invalid operation in a complex-number expression");
        case engine::kUnknownType:
          parts_[k] = std::make_unique<engine::TypeCheckElement>(std::move(parts_[k]));
          break;
        default:
          break;
      }
      if (parts_[k]->resultType() != engine::kIntType) type = engine::kDoubleType;
    }
    if (rangeParts_ == 2) {
      items.back().node = std::make_unique<engine::SequenceElement>(
          std::move(parts_[0]), std::move(parts_[1]), nullptr, type);
    } else {
      items.back().node = std::make_unique<engine::SequenceElement>(
          std::move(parts_[0]), std::move(parts_[2]), std::move(parts_[1]), type);
    }
    rangeParts_ = 0;
  }

 private:
  // a:b collects start and stop; a third part turns them into start, step, stop.
  void addRangePart(EvaluatablePtr node) {
    if (rangeParts_ == 3) throw session::SyntaxError("a:b:c:d ??");
    if (rangeParts_ == 0) parts_[rangeParts_++] = std::move(items.back().node);
    parts_[rangeParts_++] = std::move(node);
    items.back().op = 0;
  }

  EvaluatablePtr parts_[3];
  int rangeParts_ = 0;
};

}  // namespace zirbin::compiler
