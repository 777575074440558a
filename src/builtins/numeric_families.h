// The registrars of the numerical families (roots, minima, derivatives, quadrature,
// fitting, linear algebra, smoothing, interpolation, distributions and the GSL-backed
// routines), one per family file; registerAll calls them.
#pragma once

#include <span>

#include "engine/registry.h"

namespace zirbin::builtins {

void registerRootsAndMinima(BuiltinRegistry& registry);      // roots_minima.cc
void registerQuadrature(BuiltinRegistry& registry);          // quadrature.cc
void registerFitting(BuiltinRegistry& registry);             // fitting.cc
void registerLinearAlgebra(BuiltinRegistry& registry);       // linear_algebra.cc
void registerSmoothing(BuiltinRegistry& registry);           // smoothing.cc
void registerInterpolation(BuiltinRegistry& registry);       // interpolation.cc
void registerDistributions(BuiltinRegistry& registry);       // distributions.cc
void registerComplexBuilders(BuiltinRegistry& registry);     // complex_builders.cc
void registerSpecialFunctions(BuiltinRegistry& registry);    // gsl_sf.cc
void registerEigenSystems(BuiltinRegistry& registry);        // gsl_linear_algebra.cc
void registerFourierTransforms(BuiltinRegistry& registry);   // gsl_fft.cc
void registerIntegrators(BuiltinRegistry& registry);         // gsl_integration.cc

// The routine of `integ`, which `qinteg` hands a call with an infinite limit to.
void integ(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs);

}  // namespace zirbin::builtins
