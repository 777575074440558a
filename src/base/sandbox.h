// The sandbox switch of the harnesses that run generated programs (the language fuzzer
// and the sweep over every built-in).
#pragma once

namespace zirbin::session {

// Set once at start by such a harness; never by the front ends. While set, the built-ins
// that start programs (sysCommand, help, property), sleep (pause, wait) or write files
// (fopen for writing, writetext, qsave, print) refuse with "not available in a sandboxed
// run".
inline bool sandboxed = false;

}  // namespace zirbin::session
