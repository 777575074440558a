// A script named on the command line: where it lies, and its run as a typed `cd` to its
// directory and a `use` of it would make it, with the path as data, never as source text.
#pragma once

#include <string>

namespace zirbin::session {

class InterpreterSession;

// The directory part and the absolute path of a start-up script.
struct ScriptStart {
  std::string directory;
  std::string path;
};

// Makes the path absolute. REQUIRES: called before the session restores its state, which
// may change the working directory.
ScriptStart scriptStart(const std::string& script);

// The change to the script's directory, as `cd` makes it, then the script as a `use` of
// it; a name holding quotes, ';' or braces is only a name. Returns true iff the script ran
// without an error report.
bool startScript(InterpreterSession& session, const ScriptStart& script);

}  // namespace zirbin::session
