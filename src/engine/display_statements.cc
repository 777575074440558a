// Display and breakpoint statements, and the debugger stop.
#include "engine/display_statements.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "engine/run_state.h"
#include "engine/user_function.h"
#include "engine/workspace.h"
#include "values/display.h"
#include "values/value.h"

namespace zirbin::engine {

namespace {
// What the debugger's summary shows of a value.
constexpr int kSummaryTextLength = 20;   // characters of a string
constexpr int kSummaryElements = 10;     // elements of the first row
constexpr int kSummaryPrecision = 5;     // significant digits
// The source lines shown around a stop: from 5 before its line to 10 after.
constexpr int kSourceLinesBefore = 5;
constexpr int kSourceLinesAfter = 10;

// The running user function a breakpoint lies in, found by its name.
const UserFunc* runningFunction(const std::string& name) {
  if (name.empty() || !session::runContext->workspace) return nullptr;
  auto* table = dynamic_cast<const FunctionTable*>(session::runContext->workspace->functionTable());
  return table ? table->get(name) : nullptr;
}
}  // namespace

AssignAndDisplayStm::AssignAndDisplayStm(StatementPtr inner, const Value* shown,
                                         std::string name)
    : WithStm(nullptr, inner->line(), nullptr), shown_(shown), name_(std::move(name)) {
  body_ = std::move(inner);  // after its line was read
}

void AssignAndDisplayStm::exe() {
  body_->exe();
  lastResult().store(*shown_);
  const bool named = !name_.empty();
  if (named && session::runContext->console) {
    // A single number follows its name on the same line; a larger value starts below it.
    std::string header = name_;
    header += shown_->size == 1 ? " = " : " =";
    session::runContext->console->print(header, true, session::kPrintText);
  }
  values::Display(*shown_, false, !named || shown_->size != 1, named);
}

BreakPointStm::BreakPointStm(StatementPtr inner, const Value* shown, std::string function)
    : WithStm(nullptr, inner->line(), nullptr), shown_(shown), function_(std::move(function)) {
  body_ = std::move(inner);  // after its line was read
}

void BreakPointStm::exe() {
  body_->exe();
  if (shown_) lastResult().store(*shown_);
  debugStop(line_, shown_, runningFunction(function_));
}

std::string valueSummary(const Value* value) {
  if (!value) return "";
  if (value->isChar()) {
    // One line: a line feed or another control character read from a file would break
    // the rows of the two columns apart.
    std::string text = value->toString().substr(0, kSummaryTextLength);
    for (char& c : text) {
      if (static_cast<unsigned char>(c) < ' ') c = ' ';
    }
    return text;
  }
  std::string text;
  if (value->size > 1) {
    text.append("(").append(std::to_string(value->nrow)).append("x");
    text.append(std::to_string(value->ncol())).append(") ");
  }
  if (value->valueType() == values::LIST_VAL) return text + "list";
  const int columns = value->ncol();
  const int shown = std::min(columns, kSummaryElements);
  for (int c = 0; c < shown; ++c) {
    std::string item;
    value->stringItem(item, c * value->nrow, kSummaryPrecision);
    if (c > 0) text.push_back(' ');
    text.append(item);
  }
  if (columns > kSummaryElements) text.append(" ...");
  return text;
}

session::DebugView debugView(int line, const Value* shown, const UserFunc* function) {
  session::DebugView view;
  view.caption = session::runContext->stepping ? "Stepping" : "Breakpoint";
  view.caption += " at line " + std::to_string(line);
  view.labels = "expr value";
  view.values = valueSummary(shown);
  if (!function) return view;
  view.caption += " in " + function->name();
  view.labels += "\nLocals:";
  view.values += "\n";
  for (int i = 0; i < function->localCount(); ++i) {
    view.labels += "\n" + function->localName(i);
    view.values += "\n" + valueSummary(function->local(i));
  }
  view.source = sourceLines(*function, line - kSourceLinesBefore, line + kSourceLinesAfter);
  return view;
}

std::string sourceLines(const UserFunc& function, int first, int last) {
  first = std::max(first, 1);
  std::istringstream kept;
  std::ifstream file;
  std::istream* in = &kept;
  if (function.sourceFile().empty()) {
    // The kept text starts at the header; statement lines count from the header's line.
    kept.str(function.source());
    first -= function.headerLine() - 1;
    last -= function.headerLine() - 1;
    first = std::max(first, 1);
  } else {
    file.open(function.sourceFile());
    if (!file) return "could not open file\n" + function.sourceFile();
    in = &file;
  }
  std::string text;
  std::string row;
  for (int n = 1; n <= last && std::getline(*in, row); ++n) {
    if (n < first) continue;
    if (!row.empty() && row.back() == '\r') row.pop_back();
    if (!text.empty()) text += "\r\n";
    text += row;
  }
  return text;
}

void debugStop(int line, const Value* shown, const UserFunc* function) {
  if (!session::runContext->breakpointsActive) return;
  const session::DebugView view = debugView(line, shown, function);
  if (!session::runContext->host) {
    for (const std::string& text : session::debugViewLines(view)) consoleLine(text);
    return;
  }
  switch (session::runContext->host->debuggerStop(view)) {
    case session::DebugCommand::kStep:
      session::runContext->stepping = true;
      break;
    case session::DebugCommand::kContinue:
    case session::DebugCommand::kClose:
      session::runContext->stepping = false;
      break;
    case session::DebugCommand::kHalt:
      throw session::RuntimeError("execution halted from debugger");
  }
}

}  // namespace zirbin::engine
