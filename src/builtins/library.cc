// Fills the built-in registry from the family tables, and owns the process-wide registry.
#include "builtins/library.h"

#include "base/run_context.h"
#include "builtins/families.h"
#include "builtins/numeric_families.h"
#include "files/directory_commands.h"
#include "files/file_builtins.h"
#include "help/help_builtins.h"

namespace zirbin::builtins {

void registerAll(BuiltinRegistry& registry) {
  registerElementFunctions(registry);
  registerShapeQueries(registry);
  registerArrayBuilders(registry);
  registerReductions(registry);
  registerStatistics(registry);
  registerRunningSums(registry);
  registerSorting(registry);
  registerSets(registry);
  registerPermutations(registry);
  registerLists(registry);
  registerStacks(registry);
  registerStrings(registry);
  registerKeys(registry);
  registerBits(registry);
  registerRandom(registry);
  registerTiming(registry);
  registerUserInteraction(registry);
  registerSessionBuiltins(registry);
  registerSessionEnd(registry);
  registerEvaluation(registry);
  registerSpecialFunctions(registry);
  registerInterpolation(registry);
  registerDistributions(registry);
  registerRootsAndMinima(registry);
  registerQuadrature(registry);
  registerFitting(registry);
  registerLinearAlgebra(registry);
  registerSmoothing(registry);
  registerEigenSystems(registry);
  registerFourierTransforms(registry);
  registerIntegrators(registry);
  registerComplexBuilders(registry);
  registerPlotCommands(registry);
  registerFigureCommands(registry);
  registerMouseCommands(registry);
  registerBitmapCommands(registry);
  files::registerFileBuiltins(registry);
  files::registerDirectoryCommands(registry);
  help::registerHelpBuiltins(registry);
}

}  // namespace zirbin::builtins

namespace zirbin::session {

const builtins::BuiltinRegistry& builtinRegistry() {
  static builtins::BuiltinRegistry registry;
  // Filled once, before any caller sees it (a second thread waits for the first).
  static const bool filled = (builtins::registerAll(registry), true);
  (void)filled;
  return registry;
}

}  // namespace zirbin::session
