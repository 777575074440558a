// Display and breakpoint statements, and the debugger stop.
#include "engine/display_statements.h"

#include <algorithm>

#include "engine/run_state.h"
#include "session/console_output.h"
#include "session/errors.h"
#include "session/process_state.h"
#include "values/display.h"
#include "values/value.h"

namespace zirbin::engine {

namespace {
// What the debugger's summary shows of a value.
constexpr int kSummaryTextLength = 20;   // characters of a string
constexpr int kSummaryElements = 10;     // elements of the first row
constexpr int kSummaryPrecision = 5;     // significant digits
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
  if (named && session::console) {
    // A single number follows its name on the same line; a larger value starts below it.
    std::string header = name_;
    header += shown_->size == 1 ? " = " : " =";
    session::console->print(header, true, session::kPrintText);
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
  debugStop(line_, shown_, function_);
}

std::string valueSummary(const Value* value) {
  if (!value) return "";
  if (value->isChar()) return value->toString().substr(0, kSummaryTextLength);
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

// The desktop debugger dialog comes with the desktop front end; until then, and always in
// batch mode, a stop writes what the dialog would show as console lines and execution
// goes on.
void debugStop(int line, const Value* shown, const std::string& function,
               const std::vector<DebugLocal>& locals) {
  if (!session::breakpointsActive) return;
  std::string caption = session::stepping ? "Stepping" : "Breakpoint";
  caption += " at line " + std::to_string(line);
  if (!function.empty()) caption += " in " + function;
  std::vector<std::pair<std::string, std::string>> rows;
  rows.emplace_back("expr value", valueSummary(shown));
  if (!function.empty()) {
    rows.emplace_back("Locals:", "");
    for (const DebugLocal& local : locals) rows.emplace_back(local.name, valueSummary(local.value));
  }
  size_t width = 0;
  for (const auto& row : rows) width = std::max(width, row.first.size());
  consoleLine(caption);
  for (const auto& [label, value] : rows) {
    consoleLine(value.empty() ? label : label + std::string(width + 2 - label.size(), ' ') + value);
  }
}

}  // namespace zirbin::engine
