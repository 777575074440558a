// What a figure window reports to the interpreter: one window event, already reduced to
// plain numbers and text, so that the thread that runs commands needs no window system.
#pragma once

#include <string>

namespace zirbin::session {

// The kinds of window event a figure reports, one per row of its window procedure.
enum class FigureEventKind {
  kKeyDown,     // code: the key code
  kChar,        // code: the character code
  kKeyUp,
  kMouseMove,   // x, y: client pixels
  kLeftDown,
  kLeftUp,
  kLeftDouble,
  kRightDown,
  kRightUp,
  kCommand,     // code: control number (below 4096) or menu command (from 4096);
                // value and text: the control's state after the user changed it
  kSize,        // x, y: the new client width and height
  kFocus,
  kClose,
};

struct FigureEvent {
  FigureEventKind kind = FigureEventKind::kMouseMove;
  int figure = 0;  // the figure number
  int x = 0;
  int y = 0;
  int code = 0;
  double value = 0;
  std::string text;
};

}  // namespace zirbin::session
