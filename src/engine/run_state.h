// Execution state shared by the statements: the "at line" trace (reportLine), the last
// displayed value (lastResult, read by `ans`), and the console line helper they use.
#pragma once

#include <memory>
#include <string>

#include "engine/evaluatable.h"

namespace zirbin::engine {

// Writes "at line " n to the console when n >= 1 and n differs from the line reported
// last; in every case n becomes the line reported last.
void reportLine(int n);
// Forgets the line reported last (the command cycle calls it before each command, so that
// a new command's trace is complete).
void resetReportedLine();

// Writes one line of text to the running session's console (dropped without one).
void consoleLine(const std::string& text);

// The last displayed value: one slot per value type and the type of the slot in use.
class LastResult {
 public:
  LastResult();
  ~LastResult();
  LastResult(const LastResult&) = delete;
  LastResult& operator=(const LastResult&) = delete;

  // Copies `value` into the slot of its type (the slot object stays the same, so references
  // from slot() stay valid) and makes that slot current. A value of any other type throws
  // RuntimeError "something wrong: answer of unknown type".
  void store(const Value& value);
  // The slot of `typeCode` (0 to 3), to evaluate into directly; then call makeCurrent.
  Value& slot(int typeCode);
  void makeCurrent(int typeCode) { current_ = typeCode; }
  // The current value (an empty double before anything was stored).
  const Value& current() const;
  int currentType() const { return current_; }

 private:
  std::unique_ptr<Value> slots_[4];
  int current_ = 1;
};

// The process-wide last result. Written by the display and breakpoint statements; read by
// the built-in `ans`.
LastResult& lastResult();

}  // namespace zirbin::engine
