// The limits the allocation guard (checkedCount) weighs a request against, beyond the
// machine's physical memory: the process's memory cgroup (memory.max less memory.current,
// of its own group and each parent), its address-space limit (RLIMIT_AS), and a ceiling
// that harnesses running generated programs may set. Defined in values/value.cc.
#pragma once

#include <cstdint>

namespace zirbin::values {

// Caps every single allocation that checkedCount allows at `bytes` (0: no cap).
void setAllocationCeiling(int64_t bytes);

}  // namespace zirbin::values
