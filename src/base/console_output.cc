// The markup-character test shared by every console output.
#include "base/console_output.h"

namespace zirbin::session {

bool hasMarkupChars(const std::string& text) {
  return text.find_first_of(kMarkupChars) != std::string::npos;
}

}  // namespace zirbin::session
