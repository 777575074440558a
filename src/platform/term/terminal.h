// The terminal front end: the stream front end with a prompt, the echo and ANSI colours
// when it runs on a terminal.
#pragma once

#include "platform/batch/front_end.h"

namespace zirbin::platform {

// Runs the session as runFrontEnd does, with a prompt and the echo when standard input is
// a terminal and with colours when standard output is one. Returns the exit status.
int runTerminal(const FrontEndOptions& options);

}  // namespace zirbin::platform
