// Statements that show a value after running an inner statement: AssignAndDisplayStm
// (the ';' and '?' markers on assignments) and BreakPointStm (the ";!" marker), and the
// debugger stop they share with stepping blocks.
#pragma once

#include <string>
#include <vector>

#include "engine/control_statements.h"

namespace zirbin::engine {

// Runs the inner statement, stores the assigned value in lastResult and displays it; with
// a name (the '?' marker) the value is shown under the name, with its closed-form hint.
class AssignAndDisplayStm : public WithStm {
 public:
  AssignAndDisplayStm(StatementPtr inner, const Value* shown, std::string name);
  void exe() override;

 private:
  const Value* shown_;
  std::string name_;
};

// Runs the inner statement, stores the value to show (if any) in lastResult, then stops
// in the debugger. `function` names the user function the breakpoint lies in (empty at
// the top level of a command).
class BreakPointStm : public WithStm {
 public:
  BreakPointStm(StatementPtr inner, const Value* shown, std::string function);
  void exe() override;

 private:
  const Value* shown_;
  std::string function_;
};

// A local variable shown by the debugger: its name and value.
struct DebugLocal {
  std::string name;
  const Value* value;
};

// Stops in the debugger (when breakpoints are active): builds the caption ("Breakpoint" or
// "Stepping", " at line " n, " in " function), the value summary and the locals, hands
// them to the host, and acts on the answer ("Halt" throws "execution halted from
// debugger"). Without a desktop debugger the view is written to the console as lines.
void debugStop(int line, const Value* shown, const std::string& function,
               const std::vector<DebugLocal>& locals = {});

// The one-line summary of a value that the debugger shows.
std::string valueSummary(const Value* value);

}  // namespace zirbin::engine
