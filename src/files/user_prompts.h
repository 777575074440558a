// The few questions and notices that the path list, the state files and `cd` put to the
// user. The desktop answers them with message boxes and the folder browser; the headless
// front ends with console lines, and no one answers their questions.
#pragma once

#include <optional>
#include <string>

namespace zirbin::files {

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  // Shows `text` under `title` with one OK button (headless: one console line).
  virtual void notify(const std::string& text, const std::string& title) = 0;

  // Asks an OK/Cancel question. Returns true for OK, false for Cancel, and nullopt when
  // no one can answer (batch and terminal front ends).
  virtual std::optional<bool> askOkCancel(const std::string& text, const std::string& title) = 0;

  // Asks a Yes/No question; same results as askOkCancel (true for Yes).
  virtual std::optional<bool> askYesNo(const std::string& text, const std::string& title) = 0;

  // Lets the user choose a folder, starting at `start`. Returns the chosen folder, an
  // empty text when the user cancelled, and nullopt when no folder browser exists.
  virtual std::optional<std::string> browseFolder(const std::string& start) = 0;

  // Writes one line on the console.
  virtual void printLine(const std::string& text) = 0;
};

// Prompts for places where no one can answer: notices and lines go to `printLine` of the
// derived class (by default nowhere), questions get nullopt, there is no folder browser.
class HeadlessPrompts : public UserPrompts {
 public:
  void notify(const std::string& text, const std::string& title) override;
  std::optional<bool> askOkCancel(const std::string& text, const std::string& title) override;
  std::optional<bool> askYesNo(const std::string& text, const std::string& title) override;
  std::optional<std::string> browseFolder(const std::string& start) override;
  void printLine(const std::string& text) override;
};

}  // namespace zirbin::files
