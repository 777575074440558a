// The session file: the global variables written at the end of the primary session and
// declared again at its start.
#include "session/session_file.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "engine/registry.h"
#include "files/atomic_file.h"
#include "files/records.h"
#include "files/state_dir.h"
#include "files/user_prompts.h"
#include "engine/workspace.h"
#include "values/value.h"

namespace zirbin::session {
namespace {

std::string sessionFilePath(const std::string& directory) {
  return directory + "/" + files::kSessionFileName;
}

bool isLarge(const values::Value& value) {
  return static_cast<std::size_t>(value.size) >= kLargeValueElements || !files::nestingFits(value);
}

std::vector<std::string> largeVariables(const Workspace& workspace) {
  std::vector<std::string> names;
  for (const auto& [name, value] : workspace.globalVariables()) {
    if (value != nullptr && isLarge(*value)) names.push_back(name);
  }
  return names;
}

std::string joinedNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// A stored name must be one a user could have declared; anything else is damage. A
// keyword or a named constant could not have been assigned, and declaring it would make
// `pi` give the stored number without a word.
bool isVariableName(const std::string& name) {
  if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_')) {
    return false;
  }
  if (builtins::keywordCode(name) != builtins::Keyword::None) return false;
  if (namedConstants().count(name) != 0) return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  }
  return true;
}

}  // namespace

SaveSessionResult saveSession(const Workspace& workspace, const std::string& directory,
                              files::UserPrompts& prompts) {
  std::vector<std::string> large = largeVariables(workspace);
  if (!large.empty()) {
    std::optional<bool> ok =
        prompts.askOkCancel("Large matrices will not be saved: ok to exit?", "zirbin exit");
    if (ok == false) return SaveSessionResult::kCancelled;
    // No one could answer: save the rest, and say what was left out.
    if (!ok) prompts.printLine("variables too large to be saved: " + joinedNames(large));
  }
  files::AtomicFile file(sessionFilePath(directory));
  if (file.stream() == nullptr) return SaveSessionResult::kNotSaved;
  files::RecordWriter out(file.stream());
  SaveSessionResult result = SaveSessionResult::kSaved;
  for (const auto& [name, value] : workspace.globalVariables()) {
    if (value == nullptr) {
      result = SaveSessionResult::kSavedSkippingEmpty;
    } else if (!isLarge(*value)) {
      files::writeName(out, name);
      files::writeValue(out, value.get());
    }
  }
  files::writeName(out, "");
  return file.commit(out.ok()) ? result : SaveSessionResult::kNotSaved;
}

namespace {

// Declares the stored variables; returns false at the first damage.
bool readSession(files::RecordReader& in, Workspace& workspace) {
  for (;;) {
    std::optional<std::string> name = files::readName(in);
    if (!name) return false;
    // The end record; a length beyond any name leaves the reader failed: damage, since
    // the variables after it would be lost without a word.
    if (name->empty()) return !in.failed();
    std::unique_ptr<values::Value> value;
    if (!isVariableName(*name) || !files::readValue(in, value)) return false;
    if (value != nullptr) workspace.setVariable(*name, value.release());
  }
}

}  // namespace

void loadSession(Workspace& workspace, const std::string& directory,
                 files::UserPrompts& prompts) {
  std::FILE* file = std::fopen(sessionFilePath(directory).c_str(), "rb");
  if (file == nullptr) return;
  files::RecordReader in(file);
  bool ok = readSession(in, workspace);
  std::fclose(file);
  if (!ok) prompts.notify("problem loading previous session", "zirbin startup");
}

}  // namespace zirbin::session
