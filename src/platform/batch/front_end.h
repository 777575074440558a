// The stream front ends of zirbin2020: one primary session fed with -e lines, a start-up
// script and the lines of standard input, its console lines written to standard output.
// The batch mode writes plain text (or raw markup); the terminal mode adds a prompt,
// colours and the echo.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/plain_text.h"
#include "session/start_script.h"

namespace zirbin::session {
class Host;
class InterpreterSession;
}  // namespace zirbin::session

namespace zirbin::platform {

struct FrontEndOptions {
  bool batch = false;               // --batch
  bool terminal = false;            // --terminal: never the desktop
  bool markup = false;              // --markup: raw markup lines
  bool echo = false;                // --echo: echo typed lines as the console does
  std::vector<std::string> lines;   // -e LINE, in order
  std::optional<std::string> script;
};

// How console lines reach the stream, and how typed lines are asked for.
struct StreamStyle {
  bool showPrompt = false;          // write the prompt before reading each line
  bool rewriteEcho = false;         // the terminal already shows the typed line: replace it
  gui::ColourLookup colours;        // ANSI colours; empty for plain text
};

// The first SIGTERM or SIGHUP ends the run: no further input is taken, the running command
// stops as at a `return`, and the session ends as at the end of its input, writing its
// state files. The handler then resets itself, so a second signal ends the program at
// once, without saving, as it would without the handler.
void catchEndSignals();
// True iff an end signal came.
bool endSignalled();
// True iff the session must end after the running command: an end signal came, or `quit`
// or `exit` ran.
bool sessionEnding(session::InterpreterSession& session);
// The status `exit` gave to `session` (-1: none, or `quit`).
int endStatusOf(session::InterpreterSession& session);
// The program's exit status: `endStatus` when it is 0 or more (the status given to
// `exit`), else 1 when `errors` commands reported an error, else 0.
int exitStatus(int errors, int endStatus);

// Runs the session to the end of standard input (or to `quit`). Returns exitStatus().
int runFrontEnd(const FrontEndOptions& options, const StreamStyle& style);

}  // namespace zirbin::platform
