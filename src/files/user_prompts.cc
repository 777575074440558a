// The headless answers to the user prompts.
#include "files/user_prompts.h"

namespace zirbin::files {

void HeadlessPrompts::notify(const std::string& text, const std::string&) { printLine(text); }

std::optional<bool> HeadlessPrompts::askOkCancel(const std::string&, const std::string&) {
  return std::nullopt;
}

std::optional<bool> HeadlessPrompts::askYesNo(const std::string&, const std::string&) {
  return std::nullopt;
}

std::optional<std::string> HeadlessPrompts::browseFolder(const std::string&) {
  return std::nullopt;
}

void HeadlessPrompts::printLine(const std::string&) {}

}  // namespace zirbin::files
