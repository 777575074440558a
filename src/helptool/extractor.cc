// The help text extractor. TODO: the lookup in funcref.txt is still to be written.
#include "helptool/extractor.h"

#include <cstdio>

namespace zirbin::helptool {

int runHelpTool(int, char**) {
  std::fprintf(stderr, "ZirbinHelp: help extraction is not available yet\n");
  return 1;
}

}  // namespace zirbin::helptool
