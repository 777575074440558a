// List items: deep copies of the nested values.
#include "values/list_value.h"

namespace zirbin::values {

ListItem::ListItem(const ListItem& other)
    : value(other.value ? newValueCopy(*other.value) : nullptr) {}

ListItem& ListItem::operator=(const ListItem& other) {
  if (this == &other) return *this;
  // Copy first: `other` may be nested inside our own value.
  std::unique_ptr<Value> copy = other.value ? newValueCopy(*other.value) : nullptr;
  value = std::move(copy);
  return *this;
}

}  // namespace zirbin::values
