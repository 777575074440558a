// A figure (one figure window): its frames and current frame, its text writer and client
// area; the window-system side behind FigureView; and the process-wide figure registry
// (numbers 1..128, the current figure).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "graphics/frame.h"
#include "graphics/text_writer.h"

namespace zirbin::graphics {

// The client area of a figure that has no window (headless, or before its window reports
// its size), in pixels.
inline constexpr int kDefaultClientWidth = 640;
inline constexpr int kDefaultClientHeight = 480;
// The font size of axis labels and the frame's text: the writer is made 16 pixels high.
inline constexpr int kFrameFontSize = 16;

class Figure;

// An item that the mouse may drag: its id and the region its position may range over
// (x..x+w, y..y+h in the data units of its frame).
struct DragableItem {
  int id = 0;
  double x = 0, y = 0, w = 0, h = 0;
};

// Command numbers of a figure window: child controls count from 1, menu entries from
// kFirstMenuCommand (the window system keeps the two ranges apart the same way).
inline constexpr int kFirstMenuCommand = 4096;

// A menu of a figure window: its heading and entries; an entry's text is the command it
// types into the console. Entry k of all menus together has command kFirstMenuCommand + k.
struct FigureMenu {
  std::string heading;
  std::vector<std::string> entries;
};

// The window of a figure, implemented by the screen front end. A headless figure has none
// and is a model only: plotting, printing and queries work, showing does nothing.
class FigureView {
 public:
  virtual ~FigureView() = default;
  // Repaints one frame (whole), or draws only one of its items in a short pass.
  virtual void redrawFrame(Frame& frame) = 0;
  virtual void drawItem(Frame& frame, size_t index) = 0;
  // Brings the window to the top.
  virtual void raise() = 0;
  // Moves the window to a screen rectangle and shows it; the focus returns to the console.
  virtual void moveTo(const PixelRect& screenRect) = 0;
  // The usable screen size in pixels.
  virtual int screenWidth() const = 0;
  virtual int screenHeight() const = 0;
  // Dispatches the messages pending for the window.
  virtual void pumpMessages() = 0;
  // The figure's menus changed: the window shows them all.
  virtual void setMenus(const std::vector<FigureMenu>& menus) { (void)menus; }
  // A window control for a new PlotableButton, or null when the window makes none.
  virtual std::unique_ptr<ChildControl> createControl(const PlotableButton& button) {
    (void)button;
    return nullptr;
  }
};

// The window rectangle for `figpos` (x, y, w, h): x and w are fractions of the screen width
// when both are at most 1, else pixels; likewise y and h of the height; y counts from the
// bottom of the screen.
PixelRect placeOnScreen(double x, double y, double w, double h, int screenWidth, int screenHeight);

class Figure {
 public:
  // A figure with one default frame and a text writer on "Times New Roman".
  explicit Figure(int number);
  Figure(const Figure&) = delete;
  Figure& operator=(const Figure&) = delete;
  ~Figure();

  int number() const { return number_; }
  TextWriter& writer() { return writer_; }
  const PixelRect& clientRect() const { return client_; }
  // The window reports a new client size: every frame's mapping is recomputed.
  void setClientRect(const PixelRect& r);
  Rgb background = kWhite;

  size_t frameCount() const { return frames_.size(); }
  Frame& frame(size_t index) const { return *frames_.at(index); }
  Frame& currentFrame() const { return *frames_[current_]; }
  size_t currentFrameIndex() const { return current_; }
  // REQUIRES: index < frameCount().
  void setCurrentFrame(size_t index);

  // `subplot`: makes the frame with exactly this placement current, or replaces a lone
  // default frame, or appends a new frame; returns the current index.
  size_t selectFrame(const Placement& placement);
  // `wipe`: n >= 0 clears frame n (false when there is none) with background `colour`;
  // n < 0 leaves one cleared default frame, with frame 0's background set to `colour`
  // unless n is -2. The wiped frame becomes current.
  bool wipe(int n, Rgb colour);
  // `figpos`: positions the window (nothing without a window).
  void place(double x, double y, double w, double h);
  // Dispatches the window's pending messages; `pumping` is set meanwhile.
  void pumpMessages();
  bool pumping() const { return pumping_; }

  // Draws every frame on a surface, frame by frame.
  void redrawAll(DrawSurface& surface);
  // Asks the window to repaint every frame.
  void showAgain();

  // Interaction: the dragable items and whether removed items made the list invalid
  // ("The list of dragable items has become invalid."); the menus; the number the next
  // child control gets.
  std::vector<DragableItem> dragables;
  bool dragablesInvalid = false;
  std::vector<FigureMenu> menus;
  int nextControlNumber = 1;
  // The command string of menu command `command`, or null.
  const std::string* menuCommand(int command) const;

  FigureView* view() const { return view_.get(); }
  void setView(std::unique_ptr<FigureView> view) { view_ = std::move(view); }

 private:
  int number_;
  PixelRect client_{0, 0, kDefaultClientWidth, kDefaultClientHeight};
  TextWriter writer_;
  std::vector<std::unique_ptr<Frame>> frames_;
  size_t current_ = 0;
  bool pumping_ = false;
  std::unique_ptr<FigureView> view_;
};

// The highest figure number.
inline constexpr int kMaxFigureNumber = 128;

// The open figures in creation order and the current figure. One per session: see figures().
class FigureRegistry {
 public:
  FigureRegistry() = default;
  FigureRegistry(const FigureRegistry&) = delete;
  FigureRegistry& operator=(const FigureRegistry&) = delete;

  // figure(n), n in -1..128 (else "number must be between 0 and 128" for "figure"):
  // -1 makes sure a current figure exists; 0 opens the lowest free number; n >= 1 makes
  // figure n current, opening it when needed. The figure's window is raised. Returns its
  // number.
  int figure(int n);
  // close(n): n < 1 closes every figure and returns n; else closes figure n and returns n,
  // or returns 0 when it is not open.
  int close(int n);
  // The current figure, or null.
  Figure* current() const { return current_; }
  // The current figure; "a figure is required but none was found" when there is none.
  Figure& requireCurrent() const;
  // The open figure with this number, or null.
  Figure* find(int number) const;
  size_t count() const { return figures_.size(); }
  Figure& at(size_t index) const { return *figures_.at(index); }
  // Makes an open figure current (a window taking the focus does so).
  void makeCurrent(Figure& figure) { current_ = &figure; }

  // The screen front end opens a window for every new figure through this factory; it
  // returns null when the window cannot be made. Without a factory figures are headless.
  using ViewFactory = std::function<std::unique_ptr<FigureView>(Figure&)>;
  // The factory is the screen front end's, one for the whole process: every session's
  // registry uses it, whichever context sets it. Set on the interpreter thread.
  static void setViewFactory(ViewFactory factory) { viewFactory() = std::move(factory); }

 private:
  Figure& open(int number);

  std::vector<std::unique_ptr<Figure>> figures_;
  Figure* current_ = nullptr;
  static ViewFactory& viewFactory();
};

// The running session's registry (graphics_state.h): the figures of the session whose
// command runs on this thread. Written by the figure built-ins and the figure windows. A
// front end that looks at a session's figures from another thread enters that session's
// run context first (session::RunContextScope).
FigureRegistry& figures();

}  // namespace zirbin::graphics
