// The terminal front end: terminal detection and the colours of the console's letters.
#include "platform/term/terminal.h"

#include <unistd.h>

#include "graphics/colour_table.h"

namespace zirbin::platform {

int runTerminal(const FrontEndOptions& options) {
  StreamStyle style;
  bool interactive = isatty(STDIN_FILENO) != 0;
  bool colourOutput = isatty(STDOUT_FILENO) != 0 && !options.markup;
  style.showPrompt = interactive;
  style.rewriteEcho = interactive && colourOutput;
  if (colourOutput) {
    style.colours = [](char letter) -> std::optional<gui::AnsiColour> {
      graphics::Rgb colour;
      if (!graphics::colourTable().find(letter, &colour)) return std::nullopt;
      return gui::AnsiColour{graphics::redOf(colour), graphics::greenOf(colour),
                             graphics::blueOf(colour)};
    };
  }
  return runFrontEnd(options, style);
}

}  // namespace zirbin::platform
