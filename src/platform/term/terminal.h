// The terminal front end: on a terminal, the session with the line editor (history,
// completion, continuation lines, Ctrl+C), the console's colours and immediate output;
// with standard input not a terminal, the stream front end with a prompt and colours.
#pragma once

#include "platform/batch/front_end.h"

namespace zirbin::platform {

// Runs the session until Ctrl+D, `quit`/`exit` or the end of input. `noColour` (the
// --no-colour option) turns the colours off, as NO_COLOR and TERM=dumb do. Returns the exit
// status (exitStatus()).
int runTerminal(const FrontEndOptions& options, bool noColour);

}  // namespace zirbin::platform
