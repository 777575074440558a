// Assignments into indexed places (with growth by one), into lists, and erasure.
#include "engine/indexed_assign_statements.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "engine/indexing_elements.h"
#include "engine/run_state.h"
#include "base/errors.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::engine {

using session::RuntimeError;
using values::DoubleValue;
using values::IntValue;
using values::ListValue;

namespace {

// 1-based positions named by an index, with room for a few without allocating.
class IndexList {
 public:
  int count() const { return count_; }
  const int* data() const { return heap_.empty() ? inline_ : heap_.data(); }
  int operator[](int i) const { return data()[i]; }
  bool fromEmptyMask() const { return fromEmptyMask_; }
  void clear() {
    count_ = 0;
    heap_.clear();
    fromEmptyMask_ = false;
  }
  void push(int p) {
    if (heap_.empty() && count_ < kInline) {
      inline_[count_++] = p;
      return;
    }
    if (heap_.empty()) heap_.assign(inline_, inline_ + count_);
    heap_.push_back(p);
    ++count_;
  }
  void setFromEmptyMask() { fromEmptyMask_ = true; }
  int smallest() const { return *std::min_element(data(), data() + count_); }
  int largest() const { return *std::max_element(data(), data() + count_); }

 private:
  // Indices held without a heap block: the common single index and short lists.
  static constexpr int kInline = 4;
  int inline_[kInline];
  int count_ = 0;
  std::vector<int> heap_;
  bool fromEmptyMask_ = false;
};

// Evaluates an index into positions. A null index or a bare ':' names 1..extent; a boolean
// mask must have `extent` elements (else "invalid mask size" with `maskContext`) and names
// its non-zero positions; doubles are truncated.
// `scratch` receives the index's value: an IntValue for an int index, else a DoubleValue.
void evalPositions(Evaluatable* index, int extent, int line, const char* maskContext,
                   IndexList& out, Value& scratch) {
  out.clear();
  if (!index || index->nodeKind() == kOpenSequenceNode) {
    for (int i = 1; i <= extent; ++i) out.push(i);
    return;
  }
  const Value* v = index->pValue(scratch);
  if (v->isBoolean()) {
    if (v->size != extent) {
      reportLine(line);
      session::checkFailed(maskContext, "invalid mask size");
    }
    std::vector<int> positions;
    indexPositions(*v, positions);
    for (int p : positions) out.push(p);
    if (positions.empty()) out.setFromEmptyMask();
    return;
  }
  if (v->valueType() == values::INTEGER_VAL) {
    const int* d = static_cast<const IntValue*>(v)->data;
    for (int i = 0; i < v->size; ++i) out.push(d[i]);
  } else if (v->valueType() == values::DOUBLE_VAL) {
    const double* d = static_cast<const DoubleValue*>(v)->data;
    for (int i = 0; i < v->size; ++i) out.push(values::truncateToInt(d[i]));
  } else {
    throw RuntimeError("invalid type of index");
  }
}

int indexType(const Evaluatable* index) {
  return index && index->resultType() == values::INTEGER_VAL ? values::INTEGER_VAL
                                                               : values::DOUBLE_VAL;
}

void evalPositions(Evaluatable* index, int extent, int line, const char* maskContext,
                   IndexList& out) {
  std::unique_ptr<Value> scratch = values::newValue(indexType(index));
  evalPositions(index, extent, line, maskContext, out, *scratch);
}

// Extent of a value along a dimension code (0 elements, 1 rows, 2 columns, 3 pages).
int extentOf(const Value& v, int dimension) {
  switch (dimension) {
    case values::kElementMode:
      return v.size;
    case values::kRowMode:
      return v.nrow;
    case values::kColumnMode:
      return v.kind() == values::JMAT_3D ? v.ncol3D() : v.ncol();
    default:
      return v.kind() == values::JMAT_3D ? v.pages() : 1;
  }
}

// The dimension a negative code chooses for `v`.
int chooseDimension(const Value& v, int dimension) {
  if (dimension >= 0) return dimension;
  if (v.kind() == values::JMAT_3D) return values::kPageMode;
  return v.isVector() ? values::kElementMode : values::kColumnMode;
}

// Stores (op '=') or combines (op '+' or 'P', '-' or 'M', '*' or 'T', '/' or 'D') one
// right-side element into one place; any other operator leaves the place unchanged.
inline void combine(double& place, double x, char op) {
  switch (op) {
    case '=':
      place = x;
      break;
    case '+':
    case 'P':
      place += x;
      break;
    case '-':
    case 'M':
      place -= x;
      break;
    case '*':
    case 'T':
      place *= x;
      break;
    case '/':
    case 'D':
      place /= x;
      break;
    default:
      break;
  }
}

[[noreturn]] void failAt(int line, const char* context, const char* message) {
  reportLine(line);
  session::checkFailed(context, message);
}

// The right side as doubles (an int one converted into `converted`).
const DoubleValue& asDouble(const Value& v, DoubleValue& converted) {
  if (v.valueType() == values::DOUBLE_VAL) return static_cast<const DoubleValue&>(v);
  converted.assign(v);
  return converted;
}

// Adds one zero page to a double target; a matrix becomes a 3-D array of two pages.
void growByPage(DoubleValue& t) {
  const int rows = t.nrow;
  const int pages = t.kind() == values::JMAT_3D ? t.pages() : 1;
  const int old = t.size;
  const int64_t pageSize = int64_t{rows} * (t.kind() == values::JMAT_3D ? t.ncol3D() : t.ncol());
  // The page count lives in the flags word above the shape kind.
  constexpr int kMaxPages = INT_MAX >> values::kPageShift;
  if (pages >= kMaxPages) throw RuntimeError("too many pages");
  t.resizeKeep(values::checkedCount(old + pageSize, sizeof(double)));
  t.nrow = rows;
  t.flags = values::JMAT_3D | ((pages + 1) << values::kPageShift);
  std::fill(t.data + old, t.data + t.size, 0.0);
}

// Grows a double target by one element (dimension 0), one zero row (1), one zero column
// (2) or one zero page (3).
void growByOne(DoubleValue& t, int dimension) {
  if (dimension == values::kPageMode) {
    growByPage(t);
    return;
  }
  if (dimension == values::kElementMode) {
    const int n = t.size + 1;
    t.resizeKeep(n);
    t.data[n - 1] = 0.0;
    if (t.nrow == 0) t.nrow = 1;
    return;
  }
  if (dimension == values::kColumnMode && t.kind() == values::JMAT_3D) {
    // Every page takes a zero column.
    const int rows = t.nrow, columns = t.ncol3D(), pages = t.pages();
    const int64_t oldPage = int64_t{rows} * columns, newPage = oldPage + rows;
    DoubleValue grown;
    grown.setLayout(values::checkedCount(newPage * pages, sizeof(double)), rows, t.flags);
    for (int p = 0; p < pages; ++p) {
      std::memcpy(grown.data + p * newPage, t.data + p * oldPage, sizeof(double) * oldPage);
      std::fill(grown.data + p * newPage + oldPage, grown.data + (p + 1) * newPage, 0.0);
    }
    t = std::move(grown);
    return;
  }
  if (dimension == values::kColumnMode) {
    const int rows = t.nrow;
    const int old = t.size;
    t.resizeKeep(values::checkedCount(int64_t{old} + rows, sizeof(double)));
    t.nrow = rows;
    std::fill(t.data + old, t.data + t.size, 0.0);
    return;
  }
  const int columns = t.ncol();
  const int rows = t.nrow + 1;
  DoubleValue grown;
  grown.setLayout(values::checkedCount(int64_t{rows} * columns, sizeof(double)), rows, t.flags);
  for (int c = 0; c < columns; ++c) {
    std::memcpy(grown.data + c * rows, t.data + c * t.nrow, sizeof(double) * t.nrow);
    grown.data[c * rows + rows - 1] = 0.0;
  }
  t = std::move(grown);
}

// The shape rule of single-index assignments: one element, or as many elements (rows,
// columns) as indices with the target's other extent.
bool sizesMatch(const DoubleValue& rhs, const DoubleValue& t, int dimension, int count) {
  if (rhs.size == 1) return true;
  switch (dimension) {
    case values::kElementMode:
      return rhs.size == count;
    case values::kRowMode:
      return rhs.nrow == count && rhs.ncol() == t.ncol();
    case values::kColumnMode:
      return rhs.nrow == t.nrow && rhs.ncol() == count;
    default:
      return rhs.size == count * t.nrow * t.ncol3D();
  }
}

// Stores (op '=') or combines (op 'P', 'M', 'T', 'D' and their '+' '-' '*' '/' forms).
void storeInto(DoubleValue& t, int dimension, const IndexList& list, const DoubleValue& rhs,
               char op) {
  switch (op) {
    case '=':
      t.IndexedAssign(dimension, list.data(), list.count(), rhs);
      return;
    case '+':
      op = 'P';
      break;
    case '-':
      op = 'M';
      break;
    case '*':
      op = 'T';
      break;
    case '/':
      op = 'D';
      break;
    default:
      break;
  }
  t.mathIndexedAssign(dimension, list.data(), list.count(), rhs, op);
}

// Removes the listed pages of a 3-D value (duplicates count once). One page left makes
// a plain matrix; none left empties the value.
void erasePages(Value& t, const IndexList& list) {
  const int pages = t.pages();
  const int pageSize = t.nrow * t.ncol3D();
  std::vector<char> erased(pages, 0);
  for (int i = 0; i < list.count(); ++i) erased[list[i] - 1] = 1;
  std::vector<int> elements;
  for (int p = 0; p < pages; ++p) {
    if (!erased[p]) continue;
    for (int e = 1; e <= pageSize; ++e) elements.push_back(p * pageSize + e);
  }
  const int left = pages - static_cast<int>(std::count(erased.begin(), erased.end(), 1));
  const int rows = t.nrow;
  if (left == 0) {
    t.clear();
    t.flags = values::JMAT_PLAIN;
    return;
  }
  t.eraseItems(values::kElementMode, elements.data(), static_cast<int>(elements.size()));
  t.nrow = rows;
  t.flags = left == 1 ? values::JMAT_PLAIN : values::JMAT_3D | (left << values::kPageShift);
}

// Removes the listed columns from every page of a 3-D value.
void eraseColumnsOfPages(Value& t, const IndexList& list) {
  const int columns = t.ncol3D(), pages = t.pages();
  std::vector<int> all;
  for (int p = 0; p < pages; ++p) {
    for (int i = 0; i < list.count(); ++i) all.push_back(p * columns + list[i]);
  }
  const int flags = t.flags;
  t.eraseItems(values::kColumnMode, all.data(), static_cast<int>(all.size()));
  t.flags = t.size == 0 ? values::JMAT_PLAIN : flags;
}

}  // namespace

SingleIndexedAssignStm::SingleIndexedAssignStm(EvaluatablePtr rhs, int line, Value* target,
                                               EvaluatablePtr index, int dimension, char op)
    : AssignStm(std::move(rhs), line, target),
      index_(std::move(index)),
      dimension_(dimension),
      op_(op),
      indexScratch_(indexType(index_.get())) {}

bool SingleIndexedAssignStm::uses(const Value* value) const {
  return AssignStm::uses(value) || index_->refersTo(value);
}

void SingleIndexedAssignStm::exe() {
  auto& t = *static_cast<DoubleValue*>(target_);
  const int dimension = chooseDimension(t, dimension_);
  const int extent = extentOf(t, dimension);
  IndexList list;
  ScratchSlot::Lease indexLease(indexScratch_);
  evalPositions(index_.get(), extent, line_, "lhs", list, indexLease.value());
  if (list.count() == 0 || list.smallest() < 1 || list.largest() > extent + 1) {
    failAt(line_, "lhs", "index out of bounds");
  }
  if (list.largest() == extent + 1) growByOne(t, dimension);
  ScratchSlot::Lease lease(scratch_);
  DoubleValue converted;
  const DoubleValue& rhs = asDouble(*expression_->pValue(lease.value()), converted);
  if (!sizesMatch(rhs, t, dimension, list.count())) {
    failAt(line_, "assignment", "non-matching sizes");
  }
  storeInto(t, dimension, list, rhs, op_);
}

SingleIndexed_SeqAssignStm::SingleIndexed_SeqAssignStm(EvaluatablePtr rhs, int line,
                                                       Value* target, EvaluatablePtr start,
                                                       EvaluatablePtr step, EvaluatablePtr stop,
                                                       int dimension)
    : AssignStm(std::move(rhs), line, target),
      start_(std::move(start)),
      step_(std::move(step)),
      stop_(std::move(stop)),
      dimension_(dimension) {}

bool SingleIndexed_SeqAssignStm::uses(const Value* value) const {
  return AssignStm::uses(value) || start_->refersTo(value) || stop_->refersTo(value) ||
         (step_ && step_->refersTo(value));
}

namespace {
int scalarInt(Evaluatable* node) {
  std::unique_ptr<Value> scratch = values::newValue(
      node->resultType() == values::INTEGER_VAL ? values::INTEGER_VAL : values::DOUBLE_VAL);
  const Value* v = node->pValue(*scratch);
  return v->getInt();
}
}  // namespace

void SingleIndexed_SeqAssignStm::exe() {
  auto& t = *static_cast<DoubleValue*>(target_);
  const int dimension = chooseDimension(t, dimension_);
  const int extent = extentOf(t, dimension);
  const int start = scalarInt(start_.get());
  const int step = step_ ? scalarInt(step_.get()) : 1;
  const int stop = scalarInt(stop_.get());
  session::check(step != 0, "", "sequence with zero step");
  // In 64 bits: ends and steps near the int limits (x[1:2e10:7]) must not wrap around.
  const int64_t reached = std::max<int64_t>(0, (int64_t{stop} - start) / step) + 1;
  const int64_t last = start + (reached - 1) * step;
  // Both ends are checked, so that a falling sequence cannot start beyond the extent.
  if (start < 1 || stop > extent || start > extent || last < 1 || last > extent) {
    failAt(line_, "assignment", "lhs index out of bounds");
  }
  const int count = static_cast<int>(reached);  // at most the extent, by the check above
  IndexList list;
  for (int i = 0; i < count; ++i) list.push(static_cast<int>(start + int64_t{i} * step));
  ScratchSlot::Lease lease(scratch_);
  DoubleValue converted;
  const DoubleValue& rhs = asDouble(*expression_->pValue(lease.value()), converted);
  if (!sizesMatch(rhs, t, dimension, count)) failAt(line_, "assignment", "non-matching sizes");
  storeInto(t, dimension, list, rhs, '=');
}

IndexedAssignStm::IndexedAssignStm(EvaluatablePtr rhs, int line, Value* target,
                                   EvaluatablePtr rows, EvaluatablePtr columns, char op)
    : AssignStm(std::move(rhs), line, target),
      rows_(std::move(rows)),
      columns_(std::move(columns)),
      op_(op) {}

bool IndexedAssignStm::uses(const Value* value) const {
  return AssignStm::uses(value) || (rows_ && rows_->refersTo(value)) ||
         (columns_ && columns_->refersTo(value));
}

namespace {

// The per-index checks of two-index assignments. Returns false for an empty list that a
// mask produced (allowed only with an empty right side, checked by the caller).
bool checkIndex(const IndexList& list, int extent, int line) {
  if (list.fromEmptyMask()) return false;
  if (list.count() == 0 || list.smallest() < 1 || list.largest() > extent) {
    failAt(line, "lhs", "lhs index out of bounds");
  }
  return true;
}

}  // namespace

void IndexedAssignStm::exe() {
  auto& t = *static_cast<DoubleValue*>(target_);
  IndexList rows, columns;
  evalPositions(rows_.get(), t.nrow, line_, "lhs", rows);
  const bool rowsGiven = checkIndex(rows, t.nrow, line_);
  evalPositions(columns_.get(), t.ncol(), line_, "lhs", columns);
  const bool columnsGiven = checkIndex(columns, t.ncol(), line_);
  ScratchSlot::Lease lease(scratch_);
  DoubleValue converted;
  const DoubleValue& rhs = asDouble(*expression_->pValue(lease.value()), converted);
  if (!rowsGiven || !columnsGiven) {
    if (rhs.size != 0) failAt(line_, "assignment", "empty lhs index with non-empty rhs");
    return;
  }
  if (rhs.size != 1 && (rhs.nrow != rows.count() || rhs.ncol() != columns.count())) {
    failAt(line_, "assignment", "non-matching sizes");
  }
  int k = 0;
  const int step = rhs.size == 1 ? 0 : 1;
  for (int c = 0; c < columns.count(); ++c) {
    double* column = t.data + int64_t{columns[c] - 1} * t.nrow;
    for (int r = 0; r < rows.count(); ++r, k += step) combine(column[rows[r] - 1], rhs.data[k], op_);
  }
}

Indexed3DAssignStm::Indexed3DAssignStm(EvaluatablePtr rhs, int line, Value* target,
                                       EvaluatablePtr rows, EvaluatablePtr columns,
                                       EvaluatablePtr pages, char op)
    : AssignStm(std::move(rhs), line, target),
      rows_(std::move(rows)),
      columns_(std::move(columns)),
      pages_(std::move(pages)),
      op_(op) {}

bool Indexed3DAssignStm::uses(const Value* value) const {
  return AssignStm::uses(value) || (rows_ && rows_->refersTo(value)) ||
         (columns_ && columns_->refersTo(value)) || (pages_ && pages_->refersTo(value));
}

void Indexed3DAssignStm::exe() {
  auto& t = *static_cast<DoubleValue*>(target_);
  const int nrow = pageRows(t), ncol = pageColumns(t), npage = pageCount(t);
  IndexList rows, columns, pages;
  evalPositions(rows_.get(), nrow, line_, "lhs", rows);
  const bool rowsGiven = checkIndex(rows, nrow, line_);
  evalPositions(columns_.get(), ncol, line_, "lhs", columns);
  const bool columnsGiven = checkIndex(columns, ncol, line_);
  evalPositions(pages_.get(), npage, line_, "lhs", pages);
  // One page beyond the last is allowed: the target grows by a zero page below.
  const bool pagesGiven = checkIndex(pages, npage + 1, line_);
  ScratchSlot::Lease lease(scratch_);
  DoubleValue converted;
  const Value* result = expression_->pValue(lease.value());
  // Growth reallocates the target: a right side that is the target itself is copied first.
  if (result == target_) result = &converted.assign(*result);
  const DoubleValue& rhs = asDouble(*result, converted);
  if (!rowsGiven || !columnsGiven || !pagesGiven) {
    if (rhs.size != 0) failAt(line_, "assignment", "empty lhs index with non-empty rhs");
    return;
  }
  const int64_t count = int64_t{rows.count()} * columns.count() * pages.count();
  if (rhs.size != 1 && (rhs.nrow != rows.count() || rhs.size != count)) {
    failAt(line_, "assignment", "non-matching sizes");
  }
  if (pages.largest() > npage) growByPage(t);
  const int64_t pageSize = int64_t{nrow} * ncol;
  int64_t k = 0;
  const int step = rhs.size == 1 ? 0 : 1;
  for (int p = 0; p < pages.count(); ++p) {
    for (int c = 0; c < columns.count(); ++c) {
      double* column = t.data + (pages[p] - 1) * pageSize + int64_t{columns[c] - 1} * nrow;
      for (int r = 0; r < rows.count(); ++r, k += step) {
        combine(column[rows[r] - 1], rhs.data[k], op_);
      }
    }
  }
}

IndexedAnyAssignStm::IndexedAnyAssignStm(EvaluatablePtr rhs, int line, Value* target,
                                         EvaluatablePtr rows, EvaluatablePtr columns)
    : WithAnyValueStm(std::move(rhs), line, target),
      rows_(std::move(rows)),
      columns_(std::move(columns)) {}

bool IndexedAnyAssignStm::uses(const Value* value) const {
  return WithAnyValueStm::uses(value) || (rows_ && rows_->refersTo(value)) ||
         (columns_ && columns_->refersTo(value));
}

void IndexedAnyAssignStm::exe() {
  if (target_->valueType() != values::LIST_VAL) {
    throw RuntimeError("?zirbin bug: IndexedAnyAssignStm called on non-list");
  }
  auto& list = *static_cast<ListValue*>(target_);
  // The positions, as 0-based element numbers.
  std::vector<int> places;
  IndexList rows, columns;
  if (!columns_) {
    evalPositions(rows_.get(), list.size, line_, "lhs", rows);
    if (!checkIndex(rows, list.size, line_)) return;
    for (int i = 0; i < rows.count(); ++i) places.push_back(rows[i] - 1);
  } else {
    evalPositions(rows_.get(), list.nrow, line_, "lhs", rows);
    const bool rowsGiven = checkIndex(rows, list.nrow, line_);
    evalPositions(columns_.get(), list.ncol(), line_, "lhs", columns);
    const bool columnsGiven = checkIndex(columns, list.ncol(), line_);
    if (!rowsGiven || !columnsGiven) return;
    for (int c = 0; c < columns.count(); ++c) {
      for (int r = 0; r < rows.count(); ++r) {
        places.push_back((columns[c] - 1) * list.nrow + rows[r] - 1);
      }
    }
  }
  // The right side is copied before the list changes: it may be one of the list's items.
  std::unique_ptr<Value> value;
  const int t = expression_->resultType();
  if (t == values::RUNTIME_TYPE_VAL) {
    if (expression_->nodeKind() != kListItemNode) {
      throw RuntimeError("rhs of unknown type could not be handled");
    }
    value = values::newValueCopy(*static_cast<ListItemElement*>(expression_.get())->item());
  } else {
    value = values::newValue(t);
    const Value* result = expression_->pValue(*value);
    if (result != value.get()) value = values::newValueCopy(*result);
  }
  const int count = static_cast<int>(places.size());
  if (value->valueType() == values::LIST_VAL && value->size == count && count != 1) {
    auto& items = static_cast<ListValue&>(*value);
    for (int i = 0; i < count; ++i) list.data[places[i]] = std::move(items.data[i]);
    return;
  }
  if (count != 1) {
    if (value->valueType() == values::LIST_VAL) failAt(line_, "lhs", "non-matching sizes");
    throw RuntimeError("indexed assignment to list using non-scalar index");
  }
  list.data[places[0]].value = std::move(value);
}

bool ErasureStm::uses(const Value* value) const {
  return value == target_ || Statement::uses(value);
}

void ErasureStm::exe() {
  if (!expression_) {
    target_->clear();
    target_->flags = 0;
    return;
  }
  const int dimension = chooseDimension(*target_, dimension_);
  const int extent = extentOf(*target_, dimension);
  IndexList list;
  evalPositions(expression_.get(), extent, line_, "lhs", list);
  if (list.count() == 0) return;
  if (list.smallest() < 1 || list.largest() > extent) {
    failAt(line_, "erasure", "lhs index out of bounds");
  }
  if (dimension == values::kElementMode && !target_->isVector()) {
    throw RuntimeError("can't erase single elements from a non-vector");
  }
  if (dimension == values::kPageMode) {
    erasePages(*target_, list);
    return;
  }
  if (dimension == values::kColumnMode && target_->kind() == values::JMAT_3D) {
    eraseColumnsOfPages(*target_, list);
    return;
  }
  target_->eraseItems(dimension, list.data(), list.count());
  // Rows go from every page of a 3-D value; with none left it is a plain empty value.
  if (target_->size == 0 && target_->kind() == values::JMAT_3D) target_->flags = values::JMAT_PLAIN;
}

}  // namespace zirbin::engine
