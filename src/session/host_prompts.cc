// User prompts over the platform host.
#include "session/host_prompts.h"

namespace zirbin::session {

void HostPrompts::notify(const std::string& text, const std::string& title) {
  if (interactive_) {
    host_.messageBox(text, title, false);
  } else {
    printLine(text);
  }
}

std::optional<bool> HostPrompts::askOkCancel(const std::string& text, const std::string& title) {
  if (!interactive_) return std::nullopt;
  return host_.messageBox(text, title, true) == kAnswerOk;
}

std::optional<bool> HostPrompts::askYesNo(const std::string& text, const std::string& title) {
  return askOkCancel(text, title);
}

std::optional<std::string> HostPrompts::browseFolder(const std::string&) {
  if (!interactive_) return std::nullopt;
  // The dialog starts where the platform's browser starts; a cancelled dialog is "".
  return host_.browseForFolder("cd ...").value_or(std::string());
}

void HostPrompts::printLine(const std::string& text) {
  if (console_) console_(text);
}

}  // namespace zirbin::session
