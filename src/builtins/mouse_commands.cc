// The figure interaction built-ins: getmouse, setmouse, getclick, getkeyb, dragable,
// createButton, menu and debugtest, and the handling of pending figure events.
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "base/host.h"
#include "base/run_context.h"
#include "builtins/families.h"
#include "builtins/plot_support.h"
#include "builtins/routine_support.h"
#include "graphics/figure_interaction.h"
#include "values/list_value.h"
#include "values/value.h"

namespace zirbin::builtins {

using graphics::Figure;
using graphics::figures;
using graphics::mouseState;
using session::checkFailed;

void pumpFigureEvents() {
  session::Host* host = session::runContext->host;
  graphics::FigureCallbacks* callbacks = session::runContext->figureCallbacks;
  if (host == nullptr || callbacks == nullptr || callbacks->inCallback()) return;
  while (std::optional<session::FigureEvent> e = host->pollFigureEvent())
    graphics::handleFigureEvent(*e, *callbacks);
}

namespace {

// How long one wait for a figure event lasts before the waiting built-in looks at the
// halt request again.
constexpr int kEventWaitMs = 50;

// Handles figure events until `done` holds. Without figure windows no event can come:
// then the built-in fails at once instead of waiting for ever.
template <typename Done>
void waitForEvents(const char* builtin, Done done) {
  session::Host* host = session::runContext->host;
  graphics::FigureCallbacks* callbacks = session::runContext->figureCallbacks;
  while (!done()) {
    session::pollInterrupt();
    if (host == nullptr || callbacks == nullptr || !host->figureEventsPossible())
      checkFailed(builtin, "no figure window to wait for here");
    if (session::haltRequested) checkFailed(builtin, "interrupted");
    if (std::optional<session::FigureEvent> e = host->waitFigureEvent(kEventWaitMs))
      graphics::handleFigureEvent(*e, *callbacks);
  }
}

// The mouse position in data units of the current frame of the current figure.
void mouseInData(double& x, double& y) {
  const graphics::MouseState& m = mouseState();
  graphics::Frame& f = figures().requireCurrent().currentFrame();
  x = f.unmapX(m.x);
  y = f.unmapY(m.y);
}

// ---- getmouse, setmouse

// getmouse's indices by letter; ORDER MOUSE_INDEX: index k is kMouseLetters[k].
constexpr char kMouseLetters[] = "\0xylrcXYDimfFk";
constexpr int kMouseIndexCount = 14;
static_assert(sizeof(kMouseLetters) == kMouseIndexCount + 1);
constexpr int kStoredVectorIndex = 10;
constexpr int kControlVectorIndex = 11;

int mouseIndex(double d) {
  if (d >= 0 && d < kMouseIndexCount && d == std::floor(d)) return static_cast<int>(d);
  for (int k = 1; k < kMouseIndexCount; ++k) {
    if (d == static_cast<unsigned char>(kMouseLetters[k])) return k;
  }
  checkFailed("getmouse", "invalid index");
}

double mouseQuantity(int k) {
  graphics::MouseState& m = mouseState();
  double x = 0, y = 0;
  switch (k) {
    case 0:
      m.clicked = false;
      return 0;
    case 1:
    case 2:
      mouseInData(x, y);
      return k == 1 ? x : y;
    case 3: return m.left ? 1 : 0;
    case 4: return m.right ? 1 : 0;
    case 5: return m.clicked ? 1 : 0;
    case 6: return m.pressX;
    case 7: return m.pressY;
    case 8: return m.doubleClicked ? 1 : 0;
    case 9: return m.dragged;
    case 12: return m.figure;
    default: return m.key;
  }
}

void assignRow(Value& result, const std::vector<double>& v) {
  double* out = shapeDoubles(result, v.empty() ? 0 : 1, static_cast<int64_t>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) out[i] = v[i];
}

// getmouse: [x, y] of the mouse; getmouse(indices): one number per index, or a whole
// stored vector for index 10 or 11 asked alone.
void getmouse(Value& argument, Value& result) {
  pumpFigureEvents();
  if (argument.size == 0) {
    double x, y;
    mouseInData(x, y);
    assignRow(result, {x, y});
    return;
  }
  if (!argument.isVector()) checkFailed("getmouse", "non-scalar argument");
  std::vector<double> indices = doublesOf(argument);
  std::vector<int> ks;
  for (double d : indices) ks.push_back(mouseIndex(d));
  for (int k : ks) {
    if ((k == kStoredVectorIndex || k == kControlVectorIndex) && ks.size() != 1)
      checkFailed("getmouse", "getmouse index invalid or used incorrectly");
  }
  if (ks[0] == kStoredVectorIndex) return assignRow(result, mouseState().stored);
  if (ks[0] == kControlVectorIndex) return assignRow(result, mouseState().control);
  std::vector<double> out;
  for (int k : ks) out.push_back(mouseQuantity(k));
  assignRow(result, out);
}

void setmouse(Value& argument, Value& result) {
  mouseState().stored = doublesOf(argument);
  assignRow(result, mouseState().stored);
}

// ---- getclick, getkeyb

// getclick(0): the next click in any figure, as [x, y, figure number]; getclick(n), n > 0:
// a figure made sure of, and the next click's [x, y].
void getclick(Value& argument, Value& result) {
  double n = argument.size == 0 ? 0 : argument.getDouble();
  if (n > 0) {
    figureOnDemand();
  } else if (figures().count() == 0) {
    checkFailed("getclick", "no figure open for mouse click");
  }
  long long start = mouseState().clicks;
  waitForEvents("getclick", [start] { return mouseState().clicks != start; });
  const graphics::MouseState& m = mouseState();
  if (n > 0) {
    assignRow(result, {m.pressX, m.pressY});
  } else {
    assignRow(result, {m.pressX, m.pressY, static_cast<double>(m.figure)});
  }
}

double getkeyb() {
  Figure* fig = figures().current();
  if (fig == nullptr) checkFailed("getkeyb", "no figure window is open");
  if (fig->view()) fig->view()->raise();
  fig->pumpMessages();
  pumpFigureEvents();
  return mouseState().key;
}

// ---- dragable

// dragable(ids, limits): each item may be dragged within its row [x, y, w, h] of limits.
void dragable(Value& first, const Value* second, Value& result) {
  if (second == nullptr || second->ncol() != 4) checkFailed("dragable", "limits should have 4 columns");
  if (second->nrow != first.size) checkFailed("dragable", "limits.nrow must match id.size");
  Figure& fig = figures().requireCurrent();
  std::vector<double> ids = doublesOf(first), limits = doublesOf(*second);
  if (fig.dragablesInvalid) {
    fig.dragables.clear();
    fig.dragablesInvalid = false;
  }
  std::vector<graphics::DragableItem> added;
  for (size_t i = 0; i < ids.size(); ++i) {
    double id = ids[i];
    auto f = static_cast<size_t>(id / graphics::kItemIdFrameFactor);
    auto k = static_cast<size_t>(std::fmod(id, graphics::kItemIdFrameFactor));
    if (!(id >= 1) || id != std::floor(id) || f >= fig.frameCount() || k == 0 ||
        k >= fig.frame(f).itemCount())
      checkFailed("dragable", "failed");
    size_t r = i, rows = ids.size();
    added.push_back({static_cast<int>(id), limits[r], limits[r + rows], limits[r + 2 * rows],
                     limits[r + 3 * rows]});
  }
  for (const graphics::DragableItem& d : added) {
    std::erase_if(fig.dragables, [&d](const graphics::DragableItem& e) { return e.id == d.id; });
    fig.dragables.push_back(d);
  }
  copyUnlessSame(first, result);
}

// ---- createButton, menu

// The texts of a string (one), a string matrix (its rows, trailing blanks dropped) or a
// list of strings; nullopt for any other value.
std::optional<std::vector<std::string>> textsOf(const Value& v) {
  std::vector<std::string> out;
  if (v.kind() == values::JMAT_LIST) {
    const auto& list = static_cast<const values::ListValue&>(v);
    for (int i = 0; i < list.size; ++i) {
      const Value* item = list.data[i].value.get();
      if (item == nullptr || !item->isChar()) return std::nullopt;
      out.push_back(item->toString());
    }
    return out;
  }
  if (!v.isChar()) return std::nullopt;
  if (v.nrow <= 1) return std::vector<std::string>{v.toString()};
  for (int r = 0; r < v.nrow; ++r) {
    std::unique_ptr<Value> row = values::newValue(v.valueType());
    v.getRow(r, *row);
    std::string s = row->toString();
    while (!s.empty() && (s.back() == ' ' || s.back() == 0)) s.pop_back();
    out.push_back(s);
  }
  return out;
}

struct ControlWord {
  const char* word;
  graphics::ControlKind kind;
};
constexpr ControlWord kControlWords[] = {
    {"button", graphics::ControlKind::kPushButton},
    {"edit", graphics::ControlKind::kEditBox},
    {"static", graphics::ControlKind::kStaticText},
    {"combo", graphics::ControlKind::kComboBox},
};

// The default control: 80 x 24 pixels at the lower left corner of the frame.
constexpr double kDefaultControlPlace[] = {0.01, 0.01, 80, 24};

// createButton(text [, [x, y, w, h] [, kind]]): a push button (or the control `kind` names:
// "button", "edit", "static", "combo") labelled `text`, its lower left corner at (x, y)
// in frame fractions, w by h pixels. Several texts make a combo box of those entries.
void createButton(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  const Value& first = args.value(0);
  if (!first.isChar() && first.kind() != values::JMAT_LIST && first.size > 0)
    checkFailed("createButton", "plotted-item-button not yet implemented");
  std::optional<std::vector<std::string>> texts = textsOf(first);
  if (first.size == 0 || !texts || texts->empty()) checkFailed("createButton", "empty vector or string argument");
  std::vector<double> place(std::begin(kDefaultControlPlace), std::end(kDefaultControlPlace));
  if (args.count() >= 2) {
    std::vector<double> p = doublesOf(args.value(1));
    if (p.size() != 2 && p.size() != 4) checkFailed("createButton", "placement must be [x, y] or [x, y, w, h]");
    for (size_t i = 0; i < p.size(); ++i) place[i] = p[i];
  }
  for (double d : place) {
    if (!std::isfinite(d)) checkFailed("createButton", "placement must be [x, y] or [x, y, w, h]");
  }
  graphics::ControlKind kind = texts->size() > 1 ? graphics::ControlKind::kComboBox
                                                  : graphics::ControlKind::kPushButton;
  if (args.count() == 3) {
    std::string word = args.text(2);
    bool known = false;
    for (const ControlWord& w : kControlWords) {
      if (word == w.word) {
        kind = w.kind;
        known = true;
      }
    }
    if (!known) checkFailed("createButton", "the kind must be button, edit, static or combo");
  }
  Figure& fig = figureOnDemand();
  graphics::Frame& frame = fig.currentFrame();
  std::string label = kind == graphics::ControlKind::kComboBox ? std::string() : (*texts)[0];
  auto button = std::make_unique<graphics::PlotableButton>(kind, label, fig.nextControlNumber);
  if (kind == graphics::ControlKind::kComboBox) button->entries = *texts;
  button->x = place[0];
  button->y = place[1];
  button->w = static_cast<int>(std::clamp(place[2], 1.0, 4096.0));
  button->h = static_cast<int>(std::clamp(place[3], 1.0, 4096.0));
  if (fig.view()) {
    button->control = fig.view()->createControl(*button);
    if (!button->control)
      checkFailed("createButton", "button creation failed; likely cause is a graphics mix-up of some kind");
  }
  ++fig.nextControlNumber;
  int id = frame.addItem(std::move(button));
  frame.showItem(static_cast<size_t>(id % graphics::kItemIdFrameFactor));
  result.assignInt(id);
}

// menu(headings, entries): one menu per heading; entries is a list with one item per
// heading (a string, string matrix or list of strings: the commands), or, for a single
// heading, a string matrix. Gives the number of menus of the figure.
void menu(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  checkOutputs(args, extra, 1);
  const Value& headingValue = args.value(0);
  const Value& entryValue = args.value(1);
  std::optional<std::vector<std::string>> headings = textsOf(headingValue);
  if (!headings) checkFailed("menu", "wrong format (should be list or string matrix)");
  std::vector<std::vector<std::string>> entries;
  if (entryValue.kind() == values::JMAT_LIST && headings->size() > 1) {
    const auto& list = static_cast<const values::ListValue&>(entryValue);
    for (int i = 0; i < list.size; ++i) {
      const Value* item = list.data[i].value.get();
      std::optional<std::vector<std::string>> e = item ? textsOf(*item) : std::nullopt;
      if (!e) checkFailed("menu", "wrong format (should be list or string matrix)");
      entries.push_back(*e);
    }
  } else {
    std::optional<std::vector<std::string>> e = textsOf(entryValue);
    if (!e) checkFailed("menu", "wrong format (should be list or string matrix)");
    entries.push_back(*e);
  }
  if (entries.size() != headings->size())
    checkFailed("menu", "number of menus does not match number of headings");
  for (size_t i = 0; i < headings->size(); ++i) {
    if ((*headings)[i].empty() || entries[i].empty()) checkFailed("menu", "invalid argument");
    for (const std::string& e : entries[i]) {
      if (e.empty()) checkFailed("menu", "invalid argument");
    }
  }
  Figure& fig = figureOnDemand();
  for (size_t i = 0; i < headings->size(); ++i) fig.menus.push_back({(*headings)[i], entries[i]});
  if (fig.view()) fig.view()->setMenus(fig.menus);
  result.assignInt(static_cast<int>(fig.menus.size()));
}

// ---- debugtest

// The window-movement test: 500 times the current figure's window goes to two places in
// turn, 2 ms apart. Without a window nothing moves and nothing waits.
constexpr int kDebugTestRounds = 500;
constexpr int kDebugTestPauseMs = 2;

void debugtest(BuiltinArgs& args, Value& result, std::span<Value* const> extra) {
  (void)args;
  checkOutputs(args, extra, 1);
  for (int i = 0; i < kDebugTestRounds && !session::haltRequested; ++i) {
    session::pollInterrupt();
    for (const graphics::PixelRect& r : {graphics::PixelRect{500, 500, 300, 300},
                                         graphics::PixelRect{810, 500, 190, 300}}) {
      Figure& fig = figureOnDemand();
      fig.place(r.left, r.top, r.right, r.bottom);
      if (fig.view()) std::this_thread::sleep_for(std::chrono::milliseconds(kDebugTestPauseMs));
      pumpFigureEvents();
    }
  }
  result.assignDouble(0);
}

constexpr BuiltinEntry kEntries[] = {
    {"getkeyb", BuiltinKind::NoArgScalar, kDoubleResult, getkeyb},
    {"dragable", BuiltinKind::TwoArg, kDoubleResult, dragable},
    {"getmouse", BuiltinKind::ValueToValue, kDoubleResult, getmouse},
    {"setmouse", BuiltinKind::ValueToValue, kDoubleResult, setmouse},
    {"getclick", BuiltinKind::ValueToValue, kDoubleResult, getclick},
    {"createButton", BuiltinKind::General, kIntResult, createButton, 1, 3},
    {"menu", BuiltinKind::General, kIntResult, menu, 2, 2},
    {"debugtest", BuiltinKind::General, kDoubleResult, debugtest, 0, kNoUpperBound},
};

}  // namespace

void registerMouseCommands(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
