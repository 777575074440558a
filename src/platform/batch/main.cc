// Entry of zirbin2020: until the language runs, prints the version banner.
#include <cstdio>
#include <cstring>

#include "session/version.h"

int main(int argc, char** argv) {
  using namespace zirbin::session;
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("zirbin2020 %s\n", kVersion);
    return 0;
  }
  std::printf("%s %s\n", kProgramName, kVersion);
  return 0;
}
