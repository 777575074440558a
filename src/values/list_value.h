// Lists: ListItem (one owning pointer to a nested value of any class) and ListValue, the
// matrix of items.
#pragma once

#include <memory>

#include "values/jmatrix.h"

namespace zirbin::values {

// One list element: owns its value, or holds none (an empty item).
class ListItem {
 public:
  ListItem() = default;
  explicit ListItem(std::unique_ptr<Value> value) : value(std::move(value)) {}
  // Copies are deep (newValueCopy); an empty item copies as empty.
  ListItem(const ListItem& other);
  ListItem& operator=(const ListItem& other);
  ListItem(ListItem&&) noexcept = default;
  ListItem& operator=(ListItem&&) noexcept = default;
  ~ListItem() = default;

  bool isEmpty() const { return value == nullptr; }

  std::unique_ptr<Value> value;
};

extern template class JMatrix<ListItem>;

// A matrix of ListItems. Every non-empty list has the kind JMAT_LIST; a list made by
// newValue(LIST_VAL) is empty with flags 0.
class ListValue : public JMatrix<ListItem> {
 public:
  ListValue() = default;
  int valueType() const override { return LIST_VAL; }
};

}  // namespace zirbin::values
