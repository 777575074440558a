// The stream front ends of zirbin2020: one primary session fed with -e lines, a start-up
// script and the lines of standard input, its console lines written to standard output.
// The batch mode writes plain text (or raw markup); the terminal mode adds a prompt,
// colours and the echo.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gui/plain_text.h"

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

// Runs the session to the end of standard input. Returns the exit status: 0 when no
// command reported an error, 1 when one did.
int runFrontEnd(const FrontEndOptions& options, const StreamStyle& style);

}  // namespace zirbin::platform
