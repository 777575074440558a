// The run context's out-of-line part: the interrupt's report.
#include "base/run_context.h"

#include "base/errors.h"

namespace zirbin::session {

void throwInterrupted() { throw RuntimeError(kInterruptedMessage); }

}  // namespace zirbin::session
