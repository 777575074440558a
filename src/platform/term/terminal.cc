// The terminal front end: terminal detection and the colours of the console's letters.
#include "platform/term/terminal.h"

#include <unistd.h>

namespace zirbin::platform {

int runTerminal(const FrontEndOptions& options) {
  StreamStyle style;
  bool interactive = isatty(STDIN_FILENO) != 0;
  bool colourOutput = isatty(STDOUT_FILENO) != 0 && !options.markup;
  style.showPrompt = interactive;
  style.rewriteEcho = interactive && colourOutput;
  if (colourOutput) {
    // TODO: take the letters' colours from the figures' colour table once it is shared;
    // until then coloured groups show in the terminal's own colour.
    style.colours = [](char) -> std::optional<gui::AnsiColour> { return std::nullopt; };
  }
  return runFrontEnd(options, style);
}

}  // namespace zirbin::platform
