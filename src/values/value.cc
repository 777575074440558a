// The Value base: element-0 readers, page columns, the factories, the empty placeholder
// and the allocation guard shared by every container.
#include "values/value.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <optional>
#include <string>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "values/allocation_limit.h"
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
      if (session::runContext->console) {
        session::runContext->console->print("variable of unknown type declared; double assumed",
                                            true, session::kPrintLines);
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

// Requests below this size are not weighed against the memory limits: reading the limits
// costs a few file reads, and a value this small cannot be what ends the process.
constexpr int64_t kUncheckedBytes = int64_t{64} << 20;

// The cap set by setAllocationCeiling (0: none).
int64_t allocationCeiling = 0;

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

// The first number in the file at `path`; nullopt when there is none ("max" included).
std::optional<int64_t> numberInFile(const std::string& path) {
  std::ifstream in(path);
  int64_t number = 0;
  if (!(in >> number)) return std::nullopt;
  return number;
}

// What the memory cgroups of this process still allow: the smallest (limit - usage) of
// its cgroup and of each parent (version 2), or of its memory controller's group
// (version 1). INT64_MAX where no limit applies or none can be read.
int64_t cgroupRoomBytes() {
  int64_t room = INT64_MAX;
  std::ifstream groups("/proc/self/cgroup");
  std::string line;
  while (std::getline(groups, line)) {
    std::size_t first = line.find(':');
    std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    std::string controllers = line.substr(first + 1, second - first - 1);
    std::string path = line.substr(second + 1);
    const bool v2 = controllers.empty();
    if (!v2 && controllers.find("memory") == std::string::npos) continue;
    const std::string root = v2 ? "/sys/fs/cgroup" : "/sys/fs/cgroup/memory";
    const char* limitName = v2 ? "/memory.max" : "/memory.limit_in_bytes";
    const char* usageName = v2 ? "/memory.current" : "/memory.usage_in_bytes";
    for (;;) {
      std::optional<int64_t> limit = numberInFile(root + path + limitName);
      if (limit) room = std::min(room, *limit - numberInFile(root + path + usageName).value_or(0));
      if (path.empty() || path == "/") break;
      std::size_t slash = path.find_last_of('/');
      path.resize(slash == std::string::npos ? 0 : slash);
    }
  }
  return room;
}

// What the address-space limit (RLIMIT_AS) still allows beyond what the process maps now.
int64_t addressSpaceRoomBytes() {
  struct rlimit limit {};
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return INT64_MAX;
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  const int64_t mappedPages = numberInFile("/proc/self/statm").value_or(0);
  return static_cast<int64_t>(limit.rlim_cur) - mappedPages * pageSize;
}

// Whether `bytes` more can be had without the process being killed or the allocation
// failing: below physical memory, the cgroup's room, the address space's room and the
// ceiling a harness set.
bool roomFor(int64_t bytes) {
  if (allocationCeiling > 0 && bytes > allocationCeiling) return false;
  if (bytes > physicalMemoryBytes()) return false;
  if (bytes < kUncheckedBytes) return true;
  return bytes <= cgroupRoomBytes() && bytes <= addressSpaceRoomBytes();
}

}  // namespace

void setAllocationCeiling(int64_t bytes) { allocationCeiling = bytes; }

int checkedCount(int64_t count, int elementBytes) {
  if (count < 0 || count > INT32_MAX || !roomFor(count * elementBytes)) {
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
