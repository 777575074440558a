// Expression nodes that read part of a variable's value: v[i], v[i, j], v[i, j, k],
// v[a:s:b], v[k]
// with a literal k, list items, `end` inside an index, and the arithmetic sequences a:b
// and a:s:b (as values and as a bare ":" inside an index).
#pragma once

#include <vector>

#include "engine/evaluatable.h"
#include "engine/scratch_slot.h"

namespace zirbin::values {
class DoubleValue;
}

namespace zirbin::engine {

// Index modes are those of the values (values::kElementMode, kRowMode, kColumnMode,
// kPageMode; values::kAutoMode is resolved when the node is evaluated: pages for a 3-D
// value, elements for a vector, columns otherwise).

// The largest valid index of `value` along `mode` (modes as above).
int indexExtent(const Value& value, int mode);
// kAutoMode resolved for `value`; other modes are returned unchanged.
int resolveMode(const Value& value, int mode);

// Turns an integer index value into 1-based positions: a boolean mask (kind JMAT_BOOL)
// gives the positions of its non-zero elements, any other value its elements.
void indexPositions(const Value& index, std::vector<int>& positions);

// v[i] with one index expression. The value belongs to a variable (not owned). The second
// child slot is unused.
class IndexedElementSingle : public With2Evaluatable {
 public:
  IndexedElementSingle(EvaluatablePtr index, Value* value, int mode);
  const Value* pValue(Value& workspace) override;
  int resultType() const override;
  int nodeKind() const override { return kIndexedNode; }
  bool refersTo(const Value* value) const override;

 private:
  Value* value_;
  int mode_;
  ScratchSlot scratch_;  // the index's value
};

// v[i, j]: rows and columns (with masks, keys and named rows/columns).
class IndexedElementDouble : public With2Evaluatable {
 public:
  IndexedElementDouble(EvaluatablePtr rows, EvaluatablePtr columns, Value* value);
  const Value* pValue(Value& workspace) override;
  int resultType() const override;
  int nodeKind() const override { return kIndexedNode; }
  bool refersTo(const Value* value) const override;

 private:
  const Value* keyedLookup(const values::DoubleValue& keys, Value& workspace);
  const Value* namedLookup(const Value& rows, const Value& columns, Value& workspace);
  Value* value_;
  ScratchSlot rowScratch_;
  ScratchSlot columnScratch_;
};

// v[i, j, k]: rows, columns and pages of a 3-D value; a matrix counts as a value of one
// page. One page gives a plain matrix, several pages a 3-D value. Bare ':' indices name
// every row, column or page.
class IndexedElementTriple : public With3Evaluatable {
 public:
  IndexedElementTriple(EvaluatablePtr rows, EvaluatablePtr columns, EvaluatablePtr pages,
                       Value* value);
  const Value* pValue(Value& workspace) override;
  int resultType() const override;
  int nodeKind() const override { return kIndexedNode; }
  bool refersTo(const Value* value) const override;

 private:
  Value* value_;
  ScratchSlot rowScratch_;
  ScratchSlot columnScratch_;
  ScratchSlot pageScratch_;
};

// Rows, columns (of one page) and pages of a value indexed with three indices: a matrix
// is a value of one page.
int pageRows(const Value& value);
int pageColumns(const Value& value);
int pageCount(const Value& value);

// v[a:s:b] without building the index list. `step` may be null (step 1).
class IndexedWithSequenceElement : public Evaluatable {
 public:
  IndexedWithSequenceElement(Value* value, int mode, EvaluatablePtr start, EvaluatablePtr step,
                             EvaluatablePtr stop);
  const Value* pValue(Value& workspace) override;
  int resultType() const override;
  int nodeKind() const override { return kIndexedNode; }
  bool refersTo(const Value* value) const override;

 private:
  Value* value_;
  int mode_;
  EvaluatablePtr start_, step_, stop_;
};

// v[k] with a literal k (1-based).
class ConstIndexElement : public Evaluatable {
 public:
  ConstIndexElement(Value* value, int k) : value_(value), k_(k) {}
  const Value* pValue(Value& workspace) override;
  int resultType() const override;
  int nodeKind() const override { return kValueNode; }
  bool refersTo(const Value* value) const override { return value == value_; }

 private:
  Value* value_;
  int k_;
};

// One item of a list variable. `resultType` is the type the compiler expects of the item
// (kUnknownType when only evaluation can tell).
class ListItemElement : public With1Evaluatable {
 public:
  ListItemElement(EvaluatablePtr index, Value* list, int resultType);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return resultType_; }
  int nodeKind() const override { return kListItemNode; }
  bool refersTo(const Value* value) const override;
  // The item the index selects, checked; the list keeps owning it. Never null: an empty
  // item gives the process-wide empty value.
  const Value* item();

 private:
  Value* list_;
  int resultType_;
  ScratchSlot scratch_;
};

// a:b and a:s:b as a value (`step` may be null: 1). Integer sequences truncate start and
// step; double ones add the step repeatedly, so 0:0.1:0.3 has three elements.
// resultType is kIntType or kDoubleType.
class SequenceElement : public With3Evaluatable {
 public:
  SequenceElement(EvaluatablePtr start, EvaluatablePtr stop, EvaluatablePtr step, int resultType);
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return resultType_; }
  int nodeKind() const override { return kSequenceNode; }

  // The parts, for loops and indexing that walk a sequence without building it.
  Evaluatable* start() const { return a_.get(); }
  Evaluatable* stop() const { return b_.get(); }
  Evaluatable* step() const { return c_.get(); }  // may be null
  // Hand the parts over to a node that walks the sequence itself; the element is left
  // unusable.
  EvaluatablePtr releaseStart() { return std::move(a_); }
  EvaluatablePtr releaseStop() { return std::move(b_); }
  EvaluatablePtr releaseStep() { return std::move(c_); }
  // Evaluates the three parts as doubles (step 1.0 when absent) and returns the element
  // count; throws "sequence must have scalar start, step, stop".
  int bounds(double& start, double& step, double& stop);

 private:
  int resultType_;
};

// A bare ":" inside an index (the whole range). Never evaluated: indexing nodes recognise
// it by its node kind; evaluating it is "incorrect use of ':'".
class OpenSequenceElement : public Evaluatable {
 public:
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kIntType; }
  int nodeKind() const override { return kOpenSequenceNode; }
};

// `end` inside an index: the extent of the indexed value along `mode`.
class EndIndexElement : public Evaluatable {
 public:
  EndIndexElement(Value* value, int mode) : value_(value), mode_(mode) {}
  const Value* pValue(Value& workspace) override;
  int resultType() const override { return kIntType; }
  int nodeKind() const override { return kEndIndexNode; }
  // True for every value: `end` depends on the indexed value's shape.
  bool refersTo(const Value*) const override { return true; }

 private:
  Value* value_;
  int mode_;
};

}  // namespace zirbin::engine
