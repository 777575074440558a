// Entry of zirbin-lookup, the property lookup program started by the `property` built-in.
#include <string>
#include <vector>

#include "lookup/lookup_program.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return zirbin::lookup::runLookup(args, zirbin::lookup::stateDirectory());
}
