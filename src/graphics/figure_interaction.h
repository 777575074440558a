// Figure interaction: the mouse state, the callbacks a figure calls, and the figure window
// procedure that applies one window event to the figure model (dragging included).
#pragma once

#include <string>
#include <vector>

#include "graphics/figure.h"
#include "base/figure_event.h"

namespace zirbin::graphics {

// How near (in pixels, each direction) the mouse must come to a dragable item's position
// for a press to pick it up; boxes and circles are also picked anywhere inside.
inline constexpr int kDragHitTolerance = 8;

// What the figure windows last reported about the mouse and the keyboard. Positions are
// client pixels of figure `figure`, converted to data units when asked for.
struct MouseState {
  int figure = 0;           // the figure of the last mouse event
  int x = 0;                // the last mouse position
  int y = 0;
  bool left = false;        // the buttons held
  bool right = false;
  double pressX = 0;        // the last left press, in data units of the frame under it
  double pressY = 0;
  bool clicked = false;     // set by a left press and by a control or menu command
  bool doubleClicked = false;
  long long clicks = 0;     // left presses so far: a waiting built-in sees a new one
  int key = 0;              // the last key or character code; 0 when no key is down
  int dragged = 0;          // the id of the item being dragged; 0 when none
  std::vector<double> stored;   // setmouse's vector (getmouse index 10, "m")
  std::vector<double> control;  // [number, value] of the last control command (11, "f")
};

// The running session's mouse state (graphics_state.h). Written by the window procedure
// (on the interpreter thread) and by setmouse and getmouse.
MouseState& mouseState();

// What the window procedure needs of the interpreter instance that owns the figures.
class FigureCallbacks {
 public:
  virtual ~FigureCallbacks() = default;
  // Calls the user function `name`, when one is defined, with the mouse position (x, y)
  // as a 1 x 2 vector and `second` (empty, or the control's pair for onButton). A failure
  // is reported in the console and handling goes on.
  virtual void call(const std::string& name, double x, double y,
                    const std::vector<double>& second) = 0;
  // Types `text` into the console, followed by Enter: it runs as a typed line.
  virtual void typeCommand(const std::string& text) = 0;
  // The owning instance becomes the current instance.
  virtual void takeFocus() = 0;
  // Writes a line (markup) into the console.
  virtual void note(const std::string& line) = 0;
  // True while a callback runs. Built-ins that only look at pending events (getmouse,
  // getkeyb, update) leave them for later then, so that a callback asking for the mouse
  // does not run the next event's callback inside itself.
  virtual bool inCallback() const = 0;
};

// The figure window procedure: applies `event` to the open figure it names (events of a
// figure no longer open are dropped), updating the mouse state and calling callbacks.
void handleFigureEvent(const session::FigureEvent& event, FigureCallbacks& callbacks);

// The frame of `figure` that holds the pixel point: the frames are searched in order;
// without one, the current frame.
Frame& frameAt(Figure& figure, int x, int y);

// The position of an item that dragging moves: (x, y), or the first sample of a curve.
void itemPosition(const Plotable& item, double& x, double& y);

}  // namespace zirbin::graphics
