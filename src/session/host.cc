// The headless host: scripted answers in place of a user.
#include "session/host.h"

namespace zirbin::session {

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
  return debugAnswer;
}

std::optional<std::string> HeadlessHost::browseForFolder(const std::string&) {
  return std::nullopt;
}

}  // namespace zirbin::session
