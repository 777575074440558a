// Registration of the data-file built-ins: the open-file table's fopen, fclose, feof, fread
// and fwrite, the whole-file readtext, writetext, dispfile and load, the value dumps qsave
// and qload, the refusing save, and sysCommand.
#pragma once

namespace zirbin::builtins {
class BuiltinRegistry;
}  // namespace zirbin::builtins

namespace zirbin::files {

// Adds the data-file built-ins to the registry. Their routines resolve file names through
// the path list of the running session (session::pathList) and print through its console
// (session::console); with no session running they fail with "no interpreter session is
// running".
void registerFileBuiltins(builtins::BuiltinRegistry& registry);

}  // namespace zirbin::files
