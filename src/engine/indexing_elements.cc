// Reading indexed parts of values, list items, `end`, and arithmetic sequences.
#include "engine/indexing_elements.h"

#include <algorithm>
#include <cstdint>
#include <climits>
#include <cmath>
#include <cstring>

#include "base/errors.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::engine {

using session::check;
using session::RuntimeError;
using values::DoubleValue;
using values::IntValue;

namespace {

// The internal-check code reported as "index out of bounds".
constexpr const char* kOutOfBounds = "B";

int scratchType(const Evaluatable* node) {
  return node->resultType() == values::INTEGER_VAL ? values::INTEGER_VAL : values::DOUBLE_VAL;
}

// Evaluates a scalar part (start, step, stop) as a double; `ok` is false when it does not
// have exactly one element.
double scalarPart(Evaluatable* node, bool& ok) {
  DoubleValue d;
  IntValue i;
  Value& scratch = node->resultType() == values::INTEGER_VAL ? static_cast<Value&>(i) : d;
  const Value* v = node->pValue(scratch);
  if (v->size != 1) ok = false;
  return v->getDouble();
}

// Copies the listed pages of a 3-D numeric value into `workspace`, a 3-D value of as many
// pages.
const Value* selectPages(const Value& value, const std::vector<int>& pages, Value& workspace) {
  const int count = static_cast<int>(pages.size());
  if (count == 1) {
    value.getSlice(pages[0], workspace, values::kPageMode);
    return &workspace;
  }
  // Built apart when the destination is the value itself or of another class (which then
  // receives the result by widening).
  std::unique_ptr<Value> apart;
  Value* out = &workspace;
  if (out == &value || workspace.valueType() != value.valueType()) {
    apart = values::newValue(value.valueType());
    out = apart.get();
  }
  const int pageSize = value.nrow * value.ncol3D();
  const int bytes = pageSize * value.elementSize();
  out->setLayout(values::checkedCount(int64_t{count} * pageSize, value.elementSize()),
                 value.nrow, values::JMAT_3D | (count << values::kPageShift));
  for (int i = 0; i < count; ++i) {
    std::memcpy(out->elementPtr(i * pageSize), value.elementPtr((pages[i] - 1) * pageSize),
                bytes);
  }
  if (apart) workspace.assign(*apart);
  return &workspace;
}

// Empties `workspace` as an empty result of `value`'s kind.
void emptyResult(Value& workspace, const Value& value) {
  workspace.clear();
  workspace.flags = value.kind();
}

}  // namespace

int resolveMode(const Value& value, int mode) {
  if (mode >= 0) return mode;
  if (value.kind() == values::JMAT_3D) return values::kPageMode;
  return value.isVector() ? values::kElementMode : values::kColumnMode;
}

int indexExtent(const Value& value, int mode) {
  switch (mode) {
    case values::kElementMode:
      return value.size;
    case values::kRowMode:
      return value.nrow;
    case values::kColumnMode:
      return pageColumns(value);
    case values::kPageMode:
      return value.kind() == values::JMAT_3D ? value.pages() : 1;
    default:
      return value.isVector() ? value.size : value.ncol();
  }
}

void indexPositions(const Value& index, std::vector<int>& positions) {
  positions.clear();
  const bool mask = index.isBoolean();
  if (index.valueType() == values::INTEGER_VAL) {
    const int* d = static_cast<const IntValue&>(index).data;
    for (int i = 0; i < index.size; ++i) {
      if (!mask) positions.push_back(d[i]);
      else if (d[i] != 0) positions.push_back(i + 1);
    }
  } else if (index.valueType() == values::DOUBLE_VAL) {
    const double* d = static_cast<const DoubleValue&>(index).data;
    for (int i = 0; i < index.size; ++i) {
      if (!mask) positions.push_back(values::truncateToInt(d[i]));
      else if (d[i] != 0) positions.push_back(i + 1);
    }
  } else {
    throw RuntimeError("invalid type of index");
  }
}

// ---- v[i]

IndexedElementSingle::IndexedElementSingle(EvaluatablePtr index, Value* value, int mode)
    : With2Evaluatable(std::move(index), nullptr),
      value_(value),
      mode_(mode),
      scratch_(scratchType(a_.get())) {}

int IndexedElementSingle::resultType() const { return value_->valueType(); }

bool IndexedElementSingle::refersTo(const Value* value) const {
  return value == value_ || With2Evaluatable::refersTo(value);
}

const Value* IndexedElementSingle::pValue(Value& workspace) {
  const int mode = resolveMode(*value_, mode_);
  const int extent = indexExtent(*value_, mode);
  if (a_->nodeKind() == kOpenSequenceNode) {
    std::vector<int> all(extent);
    for (int i = 0; i < extent; ++i) all[i] = i + 1;
    if (mode == values::kPageMode) return selectPages(*value_, all, workspace);
    value_->selectItems(all.data(), extent, workspace, mode);
    return &workspace;
  }
  ScratchSlot::Lease lease(scratch_);
  const Value* index = a_->pValue(lease.value());
  if (index->size == 1 && !index->isBoolean()) {
    const int i = index->getInt();
    check(i >= 1 && i <= extent, "", kOutOfBounds);
    value_->getSlice(i, workspace, mode);
    return &workspace;
  }
  if (index->isBoolean()) check(index->size == extent, "", "boolean mask has wrong size");
  std::vector<int> positions;
  indexPositions(*index, positions);
  if (positions.empty()) {
    emptyResult(workspace, *value_);
    return &workspace;
  }
  const auto [lo, hi] = std::minmax_element(positions.begin(), positions.end());
  check(*lo >= 1 && *hi <= extent, "", kOutOfBounds);
  if (mode == values::kPageMode) return selectPages(*value_, positions, workspace);
  value_->selectItems(positions.data(), static_cast<int>(positions.size()), workspace, mode);
  return &workspace;
}

// ---- v[i, j]

IndexedElementDouble::IndexedElementDouble(EvaluatablePtr rows, EvaluatablePtr columns,
                                           Value* value)
    : With2Evaluatable(std::move(rows), std::move(columns)),
      value_(value),
      rowScratch_(scratchType(a_.get())),
      columnScratch_(scratchType(b_.get())) {}

int IndexedElementDouble::resultType() const { return value_->valueType(); }

bool IndexedElementDouble::refersTo(const Value* value) const {
  return value == value_ || With2Evaluatable::refersTo(value);
}

namespace {

// The child of a double-to-integer conversion node, whose doubles a keyed lookup needs.
Evaluatable* conversionChild(Evaluatable* node) {
  if (node->nodeKind() != kDoubleToIntNode) return nullptr;
  auto* converter = dynamic_cast<With1Evaluatable*>(node);
  return converter ? converter->child() : nullptr;
}

// Evaluates a node (or, for a conversion node, its child) as doubles into `out`.
void evaluateDoubles(Evaluatable* node, DoubleValue& out) {
  if (Evaluatable* child = conversionChild(node)) node = child;
  IntValue i;
  DoubleValue d;
  Value& scratch = node->resultType() == values::INTEGER_VAL ? static_cast<Value&>(i) : d;
  const Value* v = node->pValue(scratch);
  if (v != &out) out.assign(*v);
}

// 1-based position of the first element of `table` equal to `key`, or 0.
template <class T>
int findElement(const T* table, int n, T key) {
  for (int i = 0; i < n; ++i) {
    if (table[i] == key) return i + 1;
  }
  return 0;
}

// Positions of an evaluated index along an extent; a null index (a bare ':') names every
// position. Boolean masks must have `extent` elements (`maskMessage`); other positions
// must lie in 1..extent (`boundsMessage`).
void positionsAlong(const Value* index, int extent, const char* maskMessage,
                    const char* boundsMessage, std::vector<int>& positions) {
  positions.clear();
  if (!index) {
    for (int i = 1; i <= extent; ++i) positions.push_back(i);
    return;
  }
  if (index->isBoolean()) check(index->size == extent, "", maskMessage);
  indexPositions(*index, positions);
  if (positions.empty()) return;
  const auto [lo, hi] = std::minmax_element(positions.begin(), positions.end());
  check(*lo >= 1 && *hi <= extent, "", boundsMessage);
}

}  // namespace

const Value* IndexedElementDouble::keyedLookup(const DoubleValue& keys, Value& workspace) {
  DoubleValue other;
  evaluateDoubles(b_.get(), other);
  int position = 0;
  int mode = values::kRowMode;
  if (keys.size == 1 && other.isVector()) {
    position = findElement(other.data, other.size, keys.data[0]);
  } else if (keys.isVector() && other.size == 1) {
    position = findElement(keys.data, keys.size, other.data[0]);
    mode = values::kColumnMode;
  } else {
    throw RuntimeError("keyed indexing: only one row or col is allowed at a time");
  }
  check(position != 0, "", "key not recognized");
  check(position <= indexExtent(*value_, mode), "", kOutOfBounds);
  value_->getSlice(position, workspace, mode);
  return &workspace;
}

const Value* IndexedElementDouble::namedLookup(const Value& rows, const Value& columns,
                                               Value& workspace) {
  check(rows.kind() == values::JMAT_CHAR, "", "invalid index type");
  check(columns.kind() == rows.kind(), "", "keyed indexing with inconsistent types");
  std::vector<int> r, c;
  indexPositions(rows, r);
  indexPositions(columns, c);
  int position = 0;
  int mode = values::kRowMode;
  if (rows.size == 1 && columns.isVector()) {
    position = findElement(c.data(), static_cast<int>(c.size()), r[0]);
  } else if (rows.isVector() && columns.size == 1) {
    position = findElement(r.data(), static_cast<int>(r.size()), c[0]);
    mode = values::kColumnMode;
  } else {
    // One index is a name, the other a table with one name per row, padded with blanks.
    const bool columnIsName = columns.nrow < 2;
    const std::vector<int>& name = columnIsName ? c : r;
    const std::vector<int>& table = columnIsName ? r : c;
    const Value& tableValue = columnIsName ? rows : columns;
    mode = columnIsName ? values::kColumnMode : values::kRowMode;
    const int tableRows = tableValue.nrow;
    const int width = tableValue.ncol();
    const int length = static_cast<int>(name.size());
    for (int row = 0; row < tableRows && position == 0 && length <= width; ++row) {
      bool same = true;
      for (int k = 0; k < width && same; ++k) {
        const int ch = table[k * tableRows + row];
        same = k < length ? ch == name[k] : ch == ' ';
      }
      if (same) position = row + 1;
    }
  }
  check(position != 0, "", "key not recognized");
  check(position <= indexExtent(*value_, mode), "", kOutOfBounds);
  value_->getSlice(position, workspace, mode);
  return &workspace;
}

const Value* IndexedElementDouble::pValue(Value& workspace) {
  ScratchSlot::Lease rowLease(rowScratch_), columnLease(columnScratch_);
  DoubleValue key;
  const Value* rows = nullptr;  // null: a bare ':'
  if (Evaluatable* child = conversionChild(a_.get())) {
    evaluateDoubles(child, key);
    if (key.kind() == values::JMAT_ZIPKEY) return keyedLookup(key, workspace);
    rows = &key;  // truncated to integers below
  } else if (a_->nodeKind() != kOpenSequenceNode) {
    rows = a_->pValue(rowLease.value());
  }
  check(value_->kind() < 5, "", "two indices but it is not a matrix");
  const Value* columns =
      b_->nodeKind() == kOpenSequenceNode ? nullptr : b_->pValue(columnLease.value());
  if (rows && rows->kind() != values::JMAT_PLAIN && rows->kind() != values::JMAT_BOOL) {
    check(columns != nullptr, "", "keyed indexing with inconsistent types");
    return namedLookup(*rows, *columns, workspace);
  }
  // The common case of one element each: no index lists.
  if (rows && columns && rows->size == 1 && columns->size == 1 && !rows->isBoolean() &&
      !columns->isBoolean()) {
    const int r = rows->valueType() == values::DOUBLE_VAL
                      ? values::truncateToInt(static_cast<const DoubleValue*>(rows)->data[0])
                      : rows->getInt();
    const int c = columns->valueType() == values::DOUBLE_VAL
                      ? values::truncateToInt(static_cast<const DoubleValue*>(columns)->data[0])
                      : columns->getInt();
    check(r >= 1 && r <= value_->nrow, "", "row index out of bounds");
    check(c >= 1 && c <= value_->ncol(), "", "column index out of bounds");
    value_->subMatrix(&r, 1, &c, 1, workspace);
    return &workspace;
  }
  std::vector<int> rowList, columnList;
  positionsAlong(rows, value_->nrow, "boolean mask has wrong size for rows",
                 "row index out of bounds", rowList);
  positionsAlong(columns, value_->ncol(), "boolean mask has wrong size for columns",
                 "column index out of bounds", columnList);
  value_->subMatrix(rowList.data(), static_cast<int>(rowList.size()), columnList.data(),
                    static_cast<int>(columnList.size()), workspace);
  return &workspace;
}

// ---- v[i, j, k]

int pageRows(const Value& value) { return value.nrow; }

int pageColumns(const Value& value) {
  return value.kind() == values::JMAT_3D ? value.ncol3D() : value.ncol();
}

int pageCount(const Value& value) {
  return value.kind() == values::JMAT_3D ? value.pages() : 1;
}

IndexedElementTriple::IndexedElementTriple(EvaluatablePtr rows, EvaluatablePtr columns,
                                           EvaluatablePtr pages, Value* value)
    : With3Evaluatable(std::move(rows), std::move(columns), std::move(pages)),
      value_(value),
      rowScratch_(scratchType(a_.get())),
      columnScratch_(scratchType(b_.get())),
      pageScratch_(scratchType(c_.get())) {}

int IndexedElementTriple::resultType() const { return value_->valueType(); }

bool IndexedElementTriple::refersTo(const Value* value) const {
  return value == value_ || With3Evaluatable::refersTo(value);
}

const Value* IndexedElementTriple::pValue(Value& workspace) {
  const Value& v = *value_;
  check(v.kind() < 5 || v.kind() == values::JMAT_3D, "", "three indices but it is not a matrix");
  ScratchSlot::Lease rowLease(rowScratch_), columnLease(columnScratch_), pageLease(pageScratch_);
  auto evaluate = [](Evaluatable* node, ScratchSlot::Lease& lease) -> const Value* {
    return node->nodeKind() == kOpenSequenceNode ? nullptr : node->pValue(lease.value());
  };
  const int nrow = pageRows(v), ncol = pageColumns(v), npage = pageCount(v);
  std::vector<int> rows, columns, pages;
  positionsAlong(evaluate(a_.get(), rowLease), nrow, "boolean mask has wrong size for rows",
                 "row index out of bounds", rows);
  positionsAlong(evaluate(b_.get(), columnLease), ncol,
                 "boolean mask has wrong size for columns", "column index out of bounds",
                 columns);
  positionsAlong(evaluate(c_.get(), pageLease), npage, "boolean mask has wrong size for pages",
                 "page index out of bounds", pages);
  const int64_t count = int64_t{1} * rows.size() * columns.size() * pages.size();
  // The result is built apart when the destination is the indexed value itself or of
  // another class (it then receives the result by widening).
  std::unique_ptr<Value> apart;
  Value* out = &workspace;
  if (out == value_ || workspace.valueType() != v.valueType()) {
    apart = values::newValue(v.valueType());
    out = apart.get();
  }
  if (count == 0) {
    out->clear();
    out->flags = v.kind() == values::JMAT_3D ? values::JMAT_PLAIN : v.kind();
  } else {
    const int flags = pages.size() > 1
                          ? values::JMAT_3D | (static_cast<int>(pages.size()) << values::kPageShift)
                          : (v.kind() == values::JMAT_3D ? values::JMAT_PLAIN : v.flags);
    out->setLayout(values::checkedCount(count, v.elementSize()), static_cast<int>(rows.size()),
                   flags);
    const int bytes = v.elementSize();
    const int64_t pageSize = int64_t{nrow} * ncol;
    int k = 0;
    for (int p : pages) {
      for (int c : columns) {
        const int64_t base = (p - 1) * pageSize + int64_t{c - 1} * nrow - 1;
        for (int r : rows) {
          std::memcpy(out->elementPtr(k++), v.elementPtr(static_cast<int>(base + r)), bytes);
        }
      }
    }
  }
  if (apart) workspace.assign(*apart);
  return &workspace;
}

// ---- v[a:s:b]

IndexedWithSequenceElement::IndexedWithSequenceElement(Value* value, int mode,
                                                       EvaluatablePtr start, EvaluatablePtr step,
                                                       EvaluatablePtr stop)
    : value_(value),
      mode_(mode),
      start_(std::move(start)),
      step_(std::move(step)),
      stop_(std::move(stop)) {}

int IndexedWithSequenceElement::resultType() const { return value_->valueType(); }

bool IndexedWithSequenceElement::refersTo(const Value* value) const {
  return value == value_ || start_->refersTo(value) || stop_->refersTo(value) ||
         (step_ && step_->refersTo(value));
}

const Value* IndexedWithSequenceElement::pValue(Value& workspace) {
  const int mode = resolveMode(*value_, mode_);
  const int extent = indexExtent(*value_, mode);
  bool scalar = true;  // the parts' element counts are not checked here, only their first
  const int start = values::truncateToInt(scalarPart(start_.get(), scalar));
  const int step = step_ ? values::truncateToInt(scalarPart(step_.get(), scalar)) : 1;
  const int stop = values::truncateToInt(scalarPart(stop_.get(), scalar));
  check(step != 0, "", "sequence with zero step");
  // In 64 bits: ends and steps near the int limits (1:2e10:7) must not wrap around.
  const int64_t reached = std::max<int64_t>(0, (int64_t{stop} - start) / step + 1);
  if (reached > 0) {
    const int64_t last = start + (reached - 1) * step;
    check(std::min<int64_t>(start, last) >= 1 && std::max<int64_t>(start, last) <= extent,
          "sequenced index", kOutOfBounds);
  }
  if (reached == 0) {
    emptyResult(workspace, *value_);
    return &workspace;
  }
  const int count = static_cast<int>(reached);  // at most the extent, by the check above
  std::vector<int> positions(count);
  for (int i = 0; i < count; ++i) positions[i] = static_cast<int>(start + int64_t{i} * step);
  if (mode == values::kPageMode) return selectPages(*value_, positions, workspace);
  value_->selectItems(positions.data(), count, workspace, mode);
  if (mode == values::kElementMode) {
    // A row gives a row and anything else a column, whatever the count.
    const bool row = value_->nrow == 1 && value_->size > 1;
    workspace.nrow = row ? 1 : count;
  }
  return &workspace;
}

// ---- v[k]

int ConstIndexElement::resultType() const { return value_->valueType(); }

const Value* ConstIndexElement::pValue(Value& workspace) {
  check(k_ >= 1 && k_ <= value_->size, "", "index exceeds array size");
  value_->getSlice(k_, workspace, values::kElementMode);
  return &workspace;
}

// ---- list items

ListItemElement::ListItemElement(EvaluatablePtr index, Value* list, int resultType)
    : With1Evaluatable(std::move(index)),
      list_(list),
      resultType_(resultType),
      scratch_(scratchType(a_.get())) {}

bool ListItemElement::refersTo(const Value* value) const {
  return value == list_ || With1Evaluatable::refersTo(value);
}

const Value* ListItemElement::item() {
  ScratchSlot::Lease lease(scratch_);
  const Value* index = a_->pValue(lease.value());
  int i = 0;
  if (index->isBoolean()) {
    std::vector<int> positions;
    indexPositions(*index, positions);
    check(positions.size() == 1, "", "list item with a non-scalar index");
    i = positions[0];
  } else {
    check(index->size == 1, "", "list item with a non-scalar index");
    i = index->getInt();
  }
  check(i >= 1 && i <= list_->size, "list item", kOutOfBounds);
  ZB_ASSERT(list_->valueType() == values::LIST_VAL, "list items are read from lists only");
  const values::ListItem& entry = static_cast<values::ListValue*>(list_)->data[i - 1];
  return entry.isEmpty() ? &values::emptyPlaceholder() : entry.value.get();
}

const Value* ListItemElement::pValue(Value& workspace) {
  const Value* value = item();
  check(value->valueType() == workspace.valueType(), "", "list item has incompatible data type");
  workspace.assignSame(*value);
  return &workspace;
}

// ---- sequences

SequenceElement::SequenceElement(EvaluatablePtr start, EvaluatablePtr stop, EvaluatablePtr step,
                                 int resultType)
    : With3Evaluatable(std::move(start), std::move(stop), std::move(step)),
      resultType_(resultType) {}

int SequenceElement::bounds(double& start, double& step, double& stop) {
  bool scalar = true;
  start = scalarPart(a_.get(), scalar);
  step = c_ ? scalarPart(c_.get(), scalar) : 1.0;
  stop = scalarPart(b_.get(), scalar);
  if (!scalar) throw RuntimeError("sequence must have scalar start, step, stop");
  const double n = std::trunc((stop - start) / step) + 1;
  if (!(n >= 1)) return 0;  // also a NaN count (0:0:0)
  // The refusal names the count asked for (capped where a double stops counting exactly).
  if (n > INT_MAX) {
    values::checkedCount(static_cast<std::int64_t>(std::min(n, 0x1p62)), sizeof(double));
  }
  return static_cast<int>(n);
}

const Value* SequenceElement::pValue(Value& workspace) {
  double start, step, stop;
  const int n = bounds(start, step, stop);
  if (n < 1) {
    workspace.clear();
    workspace.flags = 0;
    return &workspace;
  }
  values::checkedCount(n, workspace.elementSize());
  workspace.setLayout(n, 1, 0);
  if (workspace.valueType() == values::INTEGER_VAL) {
    int* d = static_cast<IntValue&>(workspace).data;
    const int intStep = values::truncateToInt(step);
    d[0] = values::truncateToInt(start);
    for (int i = 1; i < n; ++i) d[i] = d[i - 1] + intStep;
  } else if (workspace.valueType() == values::DOUBLE_VAL) {
    double* d = static_cast<DoubleValue&>(workspace).data;
    d[0] = start;
    for (int i = 1; i < n; ++i) d[i] = d[i - 1] + step;  // repeated addition, as documented
  } else {
    ZB_UNREACHABLE();
  }
  return &workspace;
}

const Value* OpenSequenceElement::pValue(Value&) { throw RuntimeError("incorrect use of ':'"); }

// ---- end

const Value* EndIndexElement::pValue(Value& workspace) {
  const int extent = indexExtent(*value_, resolveMode(*value_, mode_));
  if (workspace.valueType() == values::INTEGER_VAL) {
    workspace.assignInt(extent);
  } else if (workspace.valueType() == values::DOUBLE_VAL) {
    workspace.assignDouble(extent);
  } else {
    throw RuntimeError("use of 'end' with invalid type");
  }
  return &workspace;
}

}  // namespace zirbin::engine
