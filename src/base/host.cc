// The headless host: scripted answers in place of a user.
#include "base/host.h"

#include <algorithm>

namespace zirbin::session {

namespace {
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}
}  // namespace

std::vector<std::string> debugViewLines(const DebugView& view) {
  const std::vector<std::string> labels = splitLines(view.labels);
  std::vector<std::string> values = splitLines(view.values);
  values.resize(std::max(values.size(), labels.size()));
  std::size_t width = 0;
  for (const std::string& label : labels) width = std::max(width, label.size());
  std::vector<std::string> lines{view.caption};
  for (std::size_t i = 0; i < labels.size(); ++i) {
    std::string line = labels[i];
    if (!values[i].empty()) line += std::string(width + 2 - line.size(), ' ') + values[i];
    lines.push_back(std::move(line));
  }
  return lines;
}

int HeadlessHost::messageBox(const std::string& text, const std::string&, bool withCancel) {
  messageBoxes.push_back(text);
  return withCancel ? messageBoxAnswer : kAnswerOk;
}

std::optional<std::string> HeadlessHost::readLine(const std::string&) {
  if (lines.empty()) return std::nullopt;
  std::string line = std::move(lines.front());
  lines.pop_front();
  return line;
}

int HeadlessHost::readKey() {
  if (keys.empty()) return 0;
  int key = keys.front();
  keys.pop_front();
  return key;
}

std::optional<Click> HeadlessHost::waitForClick() {
  if (clicks.empty()) return std::nullopt;
  Click click = clicks.front();
  clicks.pop_front();
  return click;
}

bool HeadlessHost::setClipboardText(const std::string& text) {
  clipboard = text;
  return true;
}

DebugCommand HeadlessHost::debuggerStop(const DebugView& view) {
  debugStops.push_back(view);
  if (debugAnswers.empty()) return debugAnswer;
  const DebugCommand answer = debugAnswers.front();
  debugAnswers.pop_front();
  return answer;
}

std::optional<std::string> HeadlessHost::browseForFolder(const std::string&) {
  return std::nullopt;
}

std::optional<FigureEvent> HeadlessHost::pollFigureEvent() {
  if (figureEvents.empty()) return std::nullopt;
  FigureEvent event = std::move(figureEvents.front());
  figureEvents.pop_front();
  return event;
}

}  // namespace zirbin::session
