// The start-up script of the front ends.
#include "session/start_script.h"

#include <unistd.h>

#include <filesystem>

#include "base/errors.h"
#include "files/path_list.h"
#include "session/interpreter_session.h"

namespace zirbin::session {

ScriptStart scriptStart(const std::string& script) {
  std::error_code error;
  std::string path = std::filesystem::absolute(script, error).lexically_normal().string();
  if (error) path = script;
  const std::size_t slash = path.find_last_of('/');
  ScriptStart start;
  start.directory =
      slash == 0 || slash == std::string::npos ? std::string(1, '/') : path.substr(0, slash);
  start.path = path;
  return start;
}

bool startScript(InterpreterSession& session, const ScriptStart& script) {
  try {
    session.pathList().setDirectory(script.directory, "cd");
    if (::chdir(session.pathList().currentDirectory().c_str()) != 0) {
      // The path list accepted the directory; the process stays where it was, as `cd`
      // leaves it.
    }
  } catch (const RuntimeError& error) {
    session.reportError(error.text);
  }
  return session.runScript(script.path);
}

}  // namespace zirbin::session
