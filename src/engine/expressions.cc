// Evaluation of the operator sequences. Scratch values live in the nodes, so that once
// they have their size a scalar sequence evaluates without touching the heap.
#include "engine/expressions.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "engine/operator_codes.h"
#include "base/errors.h"
#include "values/math_kernels.h"

namespace zirbin::engine {

using session::RuntimeError;
using values::ComplexValue;
using values::DoubleValue;
using values::IntValue;

namespace {

// Results at or below minus this bound are refused as an integer overflow: the integer
// sequences compute in 31 bits plus sign and wrap silently beyond them.
constexpr std::int64_t kOverflowBound = 1073741823;

constexpr const char* kMixedWorkspaceBug =
    "!! Zirbin failure. Invoked with non-DOUBLE_VAL workspace. Please report this bug.";

// Copies `source` into `dest` unless it is `dest` already. One element is copied in
// place, the common case of scalar code.
template <class V>
void copyIfNotSelf(V& dest, const Value& source) {
  if (&source == &dest) return;
  if (dest.size == 1 && source.size == 1) {
    dest.data[0] = static_cast<const V&>(source).data[0];
    dest.nrow = source.nrow;
    dest.flags = source.flags;
    return;
  }
  dest.assignSame(source);
}

// target op= operand. Two single doubles under the four simple operators are combined
// here, without the general kernel's shape checks; everything else goes to the kernel.
template <class V>
void applySimple(V& target, const V& operand, int code) {
  if constexpr (std::is_same_v<V, DoubleValue>) {
    if (target.size == 1 && operand.size == 1) {
      double& a = target.data[0];
      const double b = operand.data[0];
      switch (code) {
        case kPlus:
          a += b;
          return;
        case kMinus:
          a -= b;
          return;
        case kTimes:
          a *= b;
          return;
        case kDivide:
          a /= b;
          return;
        default:
          break;
      }
    }
  }
  values::apply(target, operand, code);
}

// Element-wise and product-level operators of levels 0 to 2.
template <class V>
void arithmetic(V& target, const V& operand, int code) {
  switch (code) {
    case kMatrixProduct:
      values::matrixProduct(target, operand);
      return;
    case kKronecker:
      values::kroneckerProduct(target, operand);
      return;
    case kCross:
      values::crossProduct(target, operand);
      return;
    case kMatrixPower:
      if constexpr (std::is_same_v<V, DoubleValue>) {
        if (operand.size != 1) throw '^';
        values::matrixPower(target, operand.data[0]);
        return;
      }
      throw '?';
    case kAddBroadcast:
    case kSubtractBroadcast:
      if constexpr (std::is_same_v<V, DoubleValue>) {
        values::addToEach(target, operand, code);
        return;
      }
      throw '?';
    case 2:  // unassigned: the left operand stays as it is
      return;
    default:
      if (subCode(code) <= 1 || code == kFloorDivide || code == kRemainder) {
        applySimple(target, operand, code);
        return;
      }
      throw '?';
  }
}

// Appends the columns (horizontal) or rows (vertical) of `right` to `left`. An empty
// right side leaves left; an empty left becomes right with left's flags.
template <class V>
void join(V& left, const V& right, bool horizontal) {
  if (right.size == 0) return;
  if (left.size == 0) {
    const int flags = left.flags;
    left.assignSame(right);
    left.flags = flags;
    return;
  }
  using T = std::remove_pointer_t<decltype(left.data)>;
  if (horizontal) {
    if (left.nrow != right.nrow) throw ',';
    const int rows = left.nrow;
    const int oldSize = left.size;
    left.resizeKeep(values::checkedCount(std::int64_t{oldSize} + right.size, sizeof(T)));
    left.nrow = rows;
    std::copy(right.data, right.data + right.size, left.data + oldSize);
    return;
  }
  const int cols = left.ncol();
  if (cols != right.ncol()) throw ';';
  const int rows = left.nrow + right.nrow;
  const int size = values::checkedCount(std::int64_t{rows} * cols, sizeof(T));
  T* joined = values::JMatrix<T>::allocate(size);
  for (int c = 0; c < cols; ++c) {
    T* column = joined + std::int64_t{c} * rows;
    std::copy(left.data + c * left.nrow, left.data + (c + 1) * left.nrow, column);
    std::copy(right.data + c * right.nrow, right.data + (c + 1) * right.nrow, column + left.nrow);
  }
  left.adopt(joined, size, rows, left.flags);
}

// top := top ; parts[0] ; parts[1] ; ..., as join does it row block by row block, but
// moving each element once: joining the blocks one at a time would move the whole matrix
// for every row, which makes a literal of N rows cost N^2.
template <class V>
void joinRows(V& top, const std::vector<std::unique_ptr<V>>& parts) {
  std::size_t next = 0;
  if (top.size == 0) {
    while (next < parts.size() && parts[next]->size == 0) ++next;
    if (next == parts.size()) return;
    join(top, *parts[next++], false);
  }
  const int cols = top.ncol();
  std::int64_t rows = top.nrow;
  for (std::size_t k = next; k < parts.size(); ++k) {
    if (parts[k]->size == 0) continue;
    if (parts[k]->ncol() != cols) throw ';';
    rows += parts[k]->nrow;
  }
  if (rows == top.nrow) return;
  using T = std::remove_pointer_t<decltype(top.data)>;
  const int size = values::checkedCount(rows * cols, sizeof(T));
  T* joined = values::JMatrix<T>::allocate(size);
  for (int c = 0; c < cols; ++c) {
    T* column = joined + std::int64_t{c} * rows;
    column = std::copy(top.data + std::int64_t{c} * top.nrow,
                       top.data + std::int64_t{c + 1} * top.nrow, column);
    for (std::size_t k = next; k < parts.size(); ++k) {
      const V& part = *parts[k];
      if (part.size == 0) continue;
      column = std::copy(part.data + std::int64_t{c} * part.nrow,
                         part.data + std::int64_t{c + 1} * part.nrow, column);
    }
  }
  top.adopt(joined, size, static_cast<int>(rows), top.flags);
}

template <class V>
bool scalarIsTrue(const V& value) {
  if constexpr (std::is_same_v<V, ComplexValue>) {
    return value.data[0].real() != 0;
  } else {
    return value.data[0] != 0;
  }
}

}  // namespace

void checkIntegerOverflow(const Value& result) {
  if (result.size == 0) return;
  const auto& v = static_cast<const IntValue&>(result);
  // In 64 bits, so that the most negative integer is refused as well.
  if (-std::int64_t{v.data[v.indexOfMin()]} > kOverflowBound) {
    throw RuntimeError("integer overflow");
  }
}

// ---- Expression

Expression::Expression(std::vector<ExpressionTerm> items, int resultType)
    : items_(std::move(items)), resultType_(resultType) {
  ZB_ASSERT(!items_.empty(), "an expression without items");
  items_.back().code = kEnd;
}

bool Expression::refersTo(const Value* value) const {
  return std::any_of(items_.begin(), items_.end(),
                     [value](const ExpressionTerm& t) { return t.node->refersTo(value); });
}

Value& Expression::scratch(std::unique_ptr<Value>& slot, int type) {
  if (!slot) slot = values::newValue(type);
  return *slot;
}

// ---- SimpleExpression

const Value* SimpleExpression::pValue(Value& workspace) {
  switch (resultType_) {
    case kIntType:
      evaluate(static_cast<IntValue&>(workspace));
      checkIntegerOverflow(workspace);
      return &workspace;
    case kDoubleType:
      evaluate(static_cast<DoubleValue&>(workspace));
      return &workspace;
    case kComplexType:
      evaluate(static_cast<ComplexValue&>(workspace));
      return &workspace;
    default:
      throw RuntimeError("!Zirbin bug: SimpleExpression::pValue with invalid type");
  }
}

// The first term goes straight into the result; every later term is formed in the term
// scratch and then added or subtracted.
template <class V>
void SimpleExpression::evaluate(V& result) {
  std::size_t i = 0;
  term(i, result);
  while (items_[i].code != kEnd) {
    const int code = items_[i].code;
    ++i;
    auto& t = static_cast<V&>(scratch(term_, resultType_));
    term(i, t);
    applySimple(result, t, code);
  }
}

// A term: the operand at i and the products and quotients after it. Leaves i at the
// term's last operand.
template <class V>
void SimpleExpression::term(std::size_t& i, V& dest) {
  copyIfNotSelf(dest, *items_[i].node->pValue(dest));
  while (level(items_[i].code) == kProductLevel) {
    const int code = items_[i].code;
    ++i;
    Value& o = scratch(operand_, resultType_);
    applySimple(dest, static_cast<const V&>(*items_[i].node->pValue(o)), code);
  }
}

// ---- SimpleMixedTypeExpression

SimpleMixedTypeExpression::SimpleMixedTypeExpression(std::vector<ExpressionTerm> items)
    : Expression(std::move(items), kDoubleType) {
  for (const ExpressionTerm& t : items_) isInt_.push_back(t.node->resultType() == kIntType);
}

const Value* SimpleMixedTypeExpression::pValue(Value& workspace) {
  if (workspace.valueType() != kDoubleType) {
    session::checkFailed("SimpleMixedTypeExpression::pValue", kMixedWorkspaceBug);
  }
  auto& result = static_cast<DoubleValue&>(workspace);
  std::size_t i = 0;
  term(i, result);
  while (items_[i].code != kEnd) {
    const int code = items_[i].code;
    ++i;
    Value& t = scratch(term_, kDoubleType);
    term(i, t);
    applySimple(result, static_cast<DoubleValue&>(t), code);
  }
  return &workspace;
}

// The operand at i as doubles: its own result, or its integers converted into `dest`.
const Value& SimpleMixedTypeExpression::operand(std::size_t i, Value& dest) {
  if (!isInt_[i]) return *items_[i].node->pValue(dest);
  const Value* n = items_[i].node->pValue(scratch(intScratch_, kIntType));
  values::intToDouble(static_cast<const IntValue&>(*n), static_cast<DoubleValue&>(dest));
  return dest;
}

void SimpleMixedTypeExpression::term(std::size_t& i, Value& dest) {
  auto& d = static_cast<DoubleValue&>(dest);
  copyIfNotSelf(d, operand(i, dest));
  while (level(items_[i].code) == kProductLevel) {
    const int code = items_[i].code;
    ++i;
    const Value& o = operand(i, scratch(operand_, kDoubleType));
    applySimple(d, static_cast<const DoubleValue&>(o), code);
  }
}

// ---- GeneralExpression

GeneralExpression::GeneralExpression(std::vector<ExpressionTerm> items, int resultType)
    : Expression(std::move(items), resultType) {
  for (std::size_t k = 0; k + 1 < items_.size(); ++k) {
    minLevel_ = std::min(minLevel_, level(items_[k].code));
    maxLevel_ = std::max(maxLevel_, level(items_[k].code));
  }
  for (const ExpressionTerm& t : items_) isInt_.push_back(t.node->resultType() == kIntType);
}

template <class V>
void GeneralExpression::evaluateAll(V& result) {
  std::size_t cursor = 0;
  evaluateLevel(maxLevel_ + 1, cursor, result);
}

// Evaluates the operand at the cursor and every operator below `lvl` after it into dest.
// Leaves the cursor at the last item consumed, whose code is the next operator.
template <class V>
void GeneralExpression::evaluateLevel(int lvl, std::size_t& cursor, V& dest) {
  // An operand followed by an operator of this level or looser is just the operand: the
  // levels below would combine nothing.
  if (lvl <= minLevel_ || level(items_[cursor].code) >= lvl) {
    copyIfNotSelf(dest, load(cursor, dest));
    return;
  }
  const int below = lvl - 1;
  if (!combineFirst(below, cursor, dest)) evaluateLevel(below, cursor, dest);
  if (below == kVerticalJoinLevel && level(items_[cursor].code) == below) {
    std::vector<std::unique_ptr<V>> parts;
    while (level(items_[cursor].code) == below) {
      ++cursor;
      parts.push_back(std::make_unique<V>(operand<V>(below, cursor)));
    }
    joinRows(dest, parts);
    return;
  }
  while (level(items_[cursor].code) == below) {
    const int code = items_[cursor].code;
    ++cursor;
    combine(code, below, cursor, dest);
  }
}

// A double sequence whose first operand at `lvl` is a single child followed by an
// element-wise operator of that level computes operand (op) right operand straight into
// dest: no copy of the operand first, and a single number meets an array without being
// spread out. Returns false, evaluating nothing, where that does not apply.
template <class V>
bool GeneralExpression::combineFirst(int lvl, std::size_t& cursor, V& dest) {
  if constexpr (!std::is_same_v<V, DoubleValue>) {
    return false;
  } else {
    const int code = items_[cursor].code;
    const bool plain = lvl <= minLevel_ || level(code) >= lvl;
    if (!plain || level(code) != lvl || lvl > kSumLevel) return false;
    if (code != kPower && code != kTimes && code != kDivide && code != kPlus && code != kMinus) {
      return false;
    }
    // A scratch of this level's own: the right operand's levels use their own.
    const auto& left = load(cursor, static_cast<V&>(scratch(first_[lvl], kDoubleType)));
    ++cursor;
    const V& right = operand<V>(lvl, cursor);
    if (&left == &dest || &right == &dest) {
      // The workspace is one of the operands (a child that computes into it): in place.
      V copy;
      copy.assignSame(right);
      copyIfNotSelf(dest, left);
      arithmetic(dest, copy, code);
      return true;
    }
    values::applyInto(dest, left, right, code);
    return true;
  }
}

// The right operand of an operator of level `lvl`, starting at the cursor.
template <class V>
const V& GeneralExpression::operand(int lvl, std::size_t& cursor) {
  auto& s = static_cast<V&>(scratch(scratch_[lvl], resultType_));
  if (lvl <= minLevel_ || level(items_[cursor].code) >= lvl) return load(cursor, s);
  evaluateLevel(lvl, cursor, s);
  return s;
}

// The child at the cursor, evaluated with `dest` as its workspace (integers converted
// into dest in a double sequence). The result may be the child's own value.
template <class V>
const V& GeneralExpression::load(std::size_t cursor, V& dest) {
  if constexpr (std::is_same_v<V, DoubleValue>) {
    if (isInt_[cursor]) {
      const Value* n = items_[cursor].node->pValue(scratch(intScratch_, kIntType));
      values::intToDouble(static_cast<const IntValue&>(*n), dest);
      return dest;
    }
  }
  return static_cast<const V&>(*items_[cursor].node->pValue(dest));
}

// dest += a * b or dest -= a * b for a right operand that is exactly two children joined
// by '*', in one pass without forming the product (y = x^2 + 3*x). Returns false,
// evaluating nothing, for any other right operand; a product that does not fit dest is
// formed and added as usual.
bool GeneralExpression::addProductTerm(int code, std::size_t& cursor, DoubleValue& dest) {
  if (code != kPlus && code != kMinus) return false;
  if (cursor + 1 >= items_.size() || items_[cursor].code != kTimes ||
      level(items_[cursor + 1].code) < kSumLevel) {
    return false;
  }
  const auto& a = load(cursor, static_cast<DoubleValue&>(scratch(productLeft_, kDoubleType)));
  const auto& b = load(cursor + 1, static_cast<DoubleValue&>(scratch(productRight_, kDoubleType)));
  cursor += 1;
  if (&a == &dest || &b == &dest || !values::addProduct(dest, a, b, code)) {
    auto& product = static_cast<DoubleValue&>(scratch(scratch_[kSumLevel], kDoubleType));
    if (&a == &dest || &b == &dest || !values::applyInto(product, a, b, kTimes)) {
      product.assignSame(a);
      arithmetic(product, b, kTimes);
    }
    arithmetic(dest, product, code);
  }
  return true;
}

// Moves the cursor over the right operand of an operator of level `lvl` unevaluated.
void GeneralExpression::skipOperand(int lvl, std::size_t& cursor) const {
  while (level(items_[cursor].code) < lvl) ++cursor;
}

// dest := dest (code) right operand, for an operator of level `lvl`; the cursor is at the
// right operand's first item.
template <class V>
void GeneralExpression::combine(int code, int lvl, std::size_t& cursor, V& dest) {
  constexpr bool kComplex = std::is_same_v<V, ComplexValue>;
  if (lvl <= kSumLevel) {
    if constexpr (std::is_same_v<V, DoubleValue>) {
      if (lvl == kSumLevel && addProductTerm(code, cursor, dest)) return;
    }
    arithmetic(dest, operand<V>(lvl, cursor), code);
    return;
  }
  if (lvl == kHorizontalJoinLevel || lvl == kVerticalJoinLevel) {
    join(dest, operand<V>(lvl, cursor), lvl == kHorizontalJoinLevel);
    return;
  }
  if constexpr (kComplex) {
    throw RuntimeError("invalid operation in a complex-number expression");
  } else {
    if (code == kShortAnd || code == kShortOr) {
      if (dest.size != 1) session::checkFailed("logical operator", "non-scalar condition");
      const bool left = scalarIsTrue(dest);
      if (left == (code == kShortOr)) {
        skipOperand(lvl, cursor);
        dest.assignInt(left ? 1 : 0);
        return;
      }
      const V& right = operand<V>(lvl, cursor);
      if (right.size != 1) session::checkFailed("logical operator", "non-scalar condition");
      dest.assignInt(scalarIsTrue(right) ? 1 : 0);
      return;
    }
    if (code == kQuery) {
      if (dest.size != 1) session::checkFailed("query", "non-scalar condition");
      if (scalarIsTrue(dest)) {
        evaluateLevel(lvl, cursor, dest);
        ++cursor;  // past the '::' item
        skipOperand(kQueryLevel, cursor);
      } else {
        while (items_[cursor].code != kQueryElse) ++cursor;
        ++cursor;
        evaluateLevel(lvl, cursor, dest);
      }
      return;
    }
    if (code == kQueryElse) throw '?';
    values::apply(dest, operand<V>(lvl, cursor), code);
  }
}

// ---- The three typed kinds

const Value* GeneralIntegerExpression::pValue(Value& workspace) {
  evaluateAll(static_cast<IntValue&>(workspace));
  checkIntegerOverflow(workspace);
  return &workspace;
}

const Value* GeneralComplexExpression::pValue(Value& workspace) {
  evaluateAll(static_cast<ComplexValue&>(workspace));
  return &workspace;
}

const Value* GeneralMixedTypeExpression::pValue(Value& workspace) {
  if (workspace.valueType() != kDoubleType) {
    session::checkFailed("GeneralMixedTypeExpression::pValue", kMixedWorkspaceBug);
  }
  evaluateAll(static_cast<DoubleValue&>(workspace));
  return &workspace;
}

}  // namespace zirbin::engine
