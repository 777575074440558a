// The program's name and version, as the banner and `--version` show them.
#pragma once

namespace zirbin::session {

inline constexpr const char* kProgramName = "Zirbin";
inline constexpr const char* kVersion = ZIRBIN_VERSION;

}  // namespace zirbin::session
