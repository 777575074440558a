// The console's colour letters on a terminal: whether colours are shown at all, and the
// terminal palette colour that stands for each letter.
#pragma once

#include <optional>

#include "gui/plain_text.h"

namespace zirbin::platform {

// True iff colours are wanted on standard output: it is a terminal, `noColour` (the
// --no-colour option) is not set, NO_COLOR is unset or empty and TERM is not "dumb".
bool coloursWanted(bool noColour);

// The palette code for a colour: greys (black, white and the near-greys) become the
// terminal's default foreground, any other colour the palette entry of its hue, which a
// terminal theme keeps legible on its own background.
int paletteCode(int red, int green, int blue);

// The colour letters of the colour table mapped by paletteCode.
gui::ColourLookup terminalColours();

}  // namespace zirbin::platform
