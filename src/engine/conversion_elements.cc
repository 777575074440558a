// Conversion nodes.
#include "engine/conversion_elements.h"

#include "engine/indexing_elements.h"
#include "base/errors.h"
#include "values/math_kernels.h"

namespace zirbin::engine {

using values::DoubleValue;
using values::IntValue;

namespace {

Value& scratchOf(std::unique_ptr<Value>& slot, int type) {
  if (!slot || slot->valueType() != type) slot = values::newValue(type);
  return *slot;
}

// Truncates the child's doubles into the integer workspace.
const Value* truncateInto(Evaluatable& child, std::unique_ptr<Value>& slot, Value& workspace) {
  const int type = child.resultType() == kIntType ? kIntType : kDoubleType;
  const Value* d = child.pValue(scratchOf(slot, type));
  if (d->valueType() == kIntType) {
    workspace.assignSame(*d);
  } else {
    values::doubleToInt(static_cast<const DoubleValue&>(*d), static_cast<IntValue&>(workspace));
  }
  return &workspace;
}

}  // namespace

const Value* IntToDoubleElement::pValue(Value& workspace) {
  const Value* n = a_->pValue(scratchOf(scratch_, kIntType));
  if (workspace.valueType() == n->valueType()) {
    workspace.assignSame(*n);
  } else if (n->valueType() != kIntType || workspace.valueType() != kDoubleType) {
    throw '=';
  } else {
    values::intToDouble(static_cast<const IntValue&>(*n), static_cast<DoubleValue&>(workspace));
  }
  return &workspace;
}

const Value* DoubleToIntElement::pValue(Value& workspace) {
  if (workspace.valueType() != kIntType) return a_->pValue(workspace);
  return truncateInto(*a_, scratch_, workspace);
}

const Value* TypeCheckElement::pValue(Value& workspace) {
  switch (workspace.valueType()) {
    case kIntType:
      return truncateInto(*a_, scratch_, workspace);
    case kDoubleType:
      if (a_->nodeKind() == kListItemNode) {
        // An item of integers (a string cut from a line by split) widens into the double
        // argument, as an assignment would widen it.
        const Value* item = static_cast<ListItemElement&>(*a_).item();
        if (item->valueType() == kIntType) {
          workspace.assignPromoting(*item);
          return &workspace;
        }
      }
      return a_->pValue(workspace);
    default:
      throw session::RuntimeError("invalid argument type");
  }
}

const Value* ToComplexElement::pValue(Value& workspace) {
  const int type = a_->resultType() == kIntType ? kIntType : kDoubleType;
  const Value* v = a_->pValue(scratchOf(scratch_, type));
  workspace.assignPromoting(*v);
  return &workspace;
}

}  // namespace zirbin::engine
