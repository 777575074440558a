// The user prompts of the path list, the state files and `cd`, answered through the
// platform host: message boxes and the folder browser on the desktop, console lines and
// no answers in the headless front ends.
#pragma once

#include <optional>
#include <string>

#include "files/user_prompts.h"
#include "base/host.h"
#include "engine/workspace.h"

namespace zirbin::session {

class HostPrompts : public files::UserPrompts {
 public:
  // `interactive`: someone sits at the host's message boxes and folder browser (the
  // desktop). Otherwise notices become console lines and questions get no answer.
  // `console` receives the console lines. The host must outlive this object.
  HostPrompts(Host& host, ConsoleLine console, bool interactive)
      : host_(host), console_(std::move(console)), interactive_(interactive) {}

  void notify(const std::string& text, const std::string& title) override;
  std::optional<bool> askOkCancel(const std::string& text, const std::string& title) override;
  std::optional<bool> askYesNo(const std::string& text, const std::string& title) override;
  std::optional<std::string> browseFolder(const std::string& start) override;
  void printLine(const std::string& text) override;

 private:
  Host& host_;
  ConsoleLine console_;
  bool interactive_;
};

}  // namespace zirbin::session
