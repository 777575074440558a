// The Value base: element-0 readers, page columns, the factories, the empty placeholder
// and the allocation guard shared by every container.
#include "values/value.h"

#include <unistd.h>

#include <climits>
#include <cmath>
#include <string>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/process_state.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::values {

Value& Value::assign(const Value& source) {
  assignPromoting(source);
  return *this;
}

double Value::getDouble() const {
  int type = valueType();
  if (type != INTEGER_VAL && type != DOUBLE_VAL) return 0.0;
  if (size == 0) throw ']';
  if (type == INTEGER_VAL) return static_cast<const JMatrix<int>*>(this)->data[0];
  return static_cast<const JMatrix<double>*>(this)->data[0];
}

int Value::getInt() const {
  int type = valueType();
  if (type != INTEGER_VAL && type != DOUBLE_VAL) return 0;
  if (size == 0) throw ']';
  if (type == INTEGER_VAL) return static_cast<const JMatrix<int>*>(this)->data[0];
  return truncateToInt(static_cast<const JMatrix<double>*>(this)->data[0]);
}

int Value::ncol3D() const {
  if (kind() != JMAT_3D) throw std::string("BUG: ncol3D called for non-3D value");
  int64_t perColumn = static_cast<int64_t>(pages()) * nrow;
  return perColumn < 1 ? 0 : static_cast<int>(size / perColumn);
}

std::unique_ptr<Value> newValue(int typeCode) {
  switch (typeCode) {
    case INTEGER_VAL: return std::make_unique<IntValue>();
    case DOUBLE_VAL: return std::make_unique<DoubleValue>();
    case COMPLEX_VAL: return std::make_unique<ComplexValue>();
    case LIST_VAL: return std::make_unique<ListValue>();
    default:
      if (session::console) {
        session::console->print("variable of unknown type declared; double assumed", true,
                                 session::kPrintLines);
      }
      return std::make_unique<DoubleValue>();
  }
}

std::unique_ptr<Value> newValueCopy(const Value& source) {
  int type = source.valueType();
  if (type < INTEGER_VAL || type > LIST_VAL) {
    throw session::SyntaxError("newValueCopy: attempt to create a value of unknown type");
  }
  std::unique_ptr<Value> copy = newValue(type);
  copy->assignPromoting(source);
  return copy;
}

Value& emptyPlaceholder() {
  static DoubleValue placeholder;
  return placeholder;
}

namespace {

// The machine's physical memory in bytes: no single value may ask for more, since with
// memory overcommit such a request would "succeed" and kill the process when touched.
int64_t physicalMemoryBytes() {
  static const int64_t bytes = [] {
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return static_cast<int64_t>(INT64_MAX);
    return static_cast<int64_t>(pages) * pageSize;
  }();
  return bytes;
}

}  // namespace

int checkedCount(int64_t count, int elementBytes) {
  if (count < 0 || count > INT32_MAX || count * elementBytes > physicalMemoryBytes()) {
    throw session::RuntimeError("out of memory: cannot allocate " + std::to_string(count) +
                                " elements");
  }
  return static_cast<int>(count);
}

int truncateToInt(double number) {
  if (std::isnan(number)) return 0;
  if (number <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (number >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(number);
}

}  // namespace zirbin::values
