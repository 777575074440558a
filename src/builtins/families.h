// The registrars of the built-in families, one per family file; registerAll calls them.
#pragma once

#include "engine/registry.h"

namespace zirbin::builtins {

void registerElementFunctions(BuiltinRegistry& registry);  // element_functions.cc
void registerShapeQueries(BuiltinRegistry& registry);      // shape_queries.cc
void registerArrayBuilders(BuiltinRegistry& registry);     // array_builders.cc
void registerReductions(BuiltinRegistry& registry);        // reductions.cc
void registerStatistics(BuiltinRegistry& registry);        // statistics.cc
void registerRunningSums(BuiltinRegistry& registry);       // running_sums.cc
void registerSorting(BuiltinRegistry& registry);           // sorting.cc
void registerSets(BuiltinRegistry& registry);              // sets.cc
void registerPermutations(BuiltinRegistry& registry);      // permutations.cc
void registerLists(BuiltinRegistry& registry);             // lists.cc
void registerStacks(BuiltinRegistry& registry);            // stacks.cc
void registerStrings(BuiltinRegistry& registry);           // strings.cc
void registerKeys(BuiltinRegistry& registry);              // keys.cc
void registerBits(BuiltinRegistry& registry);              // bits.cc
void registerRandom(BuiltinRegistry& registry);            // random.cc
void registerTiming(BuiltinRegistry& registry);            // timing.cc
void registerUserInteraction(BuiltinRegistry& registry);   // user_interaction.cc
void registerSessionBuiltins(BuiltinRegistry& registry);   // session_builtins.cc
void registerSessionEnd(BuiltinRegistry& registry);        // session_end.cc
void registerEvaluation(BuiltinRegistry& registry);        // evaluation.cc
void registerPlotCommands(BuiltinRegistry& registry);      // plot_commands.cc
void registerFigureCommands(BuiltinRegistry& registry);    // figure_commands.cc
void registerMouseCommands(BuiltinRegistry& registry);     // mouse_commands.cc
void registerBitmapCommands(BuiltinRegistry& registry);    // bitmap_commands.cc

}  // namespace zirbin::builtins
