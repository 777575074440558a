// Figure callbacks of a session: user functions called with the mouse position.
#include "session/session_figure_callbacks.h"

#include <exception>

#include "engine/user_function.h"
#include "session/interpreter_session.h"
#include "values/math_matrix.h"

namespace zirbin::session {

void SessionFigureCallbacks::call(const std::string& name, double x, double y,
                                  const std::vector<double>& second) {
  engine::UserFunc* f = session_.functions().get(name);
  if (f == nullptr || !f->hasBody()) return;
  values::DoubleValue position;
  position.setShape(1, 2);
  position.data[0] = x;
  position.data[1] = y;
  values::DoubleValue pair;
  if (!second.empty()) {
    pair.setShape(1, static_cast<int>(second.size()));
    for (size_t i = 0; i < second.size(); ++i) pair.data[i] = second[i];
  }
  values::DoubleValue result;
  ++depth_;
  try {
    f->callMouse(position, pair, result);
    --depth_;
  } catch (...) {
    --depth_;
    // Event handling goes on after a failed callback.
    session_.reportFailure(std::current_exception());
  }
}

void SessionFigureCallbacks::note(const std::string& line) {
  session_.output().print(line, true, kPrintText);
  session_.output().newLine();
}

}  // namespace zirbin::session
