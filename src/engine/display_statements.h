// Statements that show a value after running an inner statement: AssignAndDisplayStm
// (the ';' and '?' markers on assignments) and BreakPointStm (the ";!" marker), and the
// debugger stop they share with stepping blocks.
#pragma once

#include <string>
#include <vector>

#include "engine/control_statements.h"
#include "base/host.h"

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

class UserFunc;

// What a debugger stop at `line` shows: the caption ("Breakpoint" or "Stepping", " at
// line " n, with a function " in " its name), the label and value columns ("expr value"
// and the summary of `shown`; with a function "Locals:" and each local with its summary)
// and, with a function, the lines line - 5 to line + 10 of its source.
session::DebugView debugView(int line, const Value* shown, const UserFunc* function);

// The source lines first..last (counted from 1, clamped at 1) of `function`'s definition,
// joined with carriage return and line feed: from its file when it was read from one
// ("could not open file\n" and the file's name when that cannot be read now), else from
// the text kept of a typed or pasted definition, whose header is its line 1.
std::string sourceLines(const UserFunc& function, int first, int last);

// Stops in the debugger when breakpoints are active: hands debugView(...) to the host and
// acts on the answer: "Step" sets the stepping flag, "Cont" and closing clear it, "Halt"
// throws the RuntimeError "execution halted from debugger". Without a host the view is
// written to the console and execution goes on.
void debugStop(int line, const Value* shown, const UserFunc* function);

// The one-line summary of a value that the debugger shows.
std::string valueSummary(const Value* value);

}  // namespace zirbin::engine
