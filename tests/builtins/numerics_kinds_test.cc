// Every numerical built-in is registered under its calling convention, result type and
// argument bounds, as the compilers expect.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/run_context.h"
#include "engine/registry.h"

namespace zirbin::builtins {
namespace {

struct Expected {
  const char* names;  // blank-separated
  BuiltinKind kind;
  int resultType;
};

constexpr Expected kNumerics[] = {
    {"besselj0 besselj1 airy erfinv zeta", BuiltinKind::ElementWise, kDoubleResult},
    {"poly poisson bnc interp gauss lor besselj linterp binomial", BuiltinKind::FunctorTwoArg,
     kDoubleResult},
    {"solve smooth", BuiltinKind::TwoArg, kDoubleResult},
    {"setLU", BuiltinKind::ValueToScalar, kIntResult},
    {"binteg norm", BuiltinKind::ColumnWise, kDoubleResult},
    {"err vdiffer inv det eigval eigvec SGfilter", BuiltinKind::ValueToValue, kDoubleResult},
    {"polyshow", BuiltinKind::ValueToValue, kIntResult},
    {"complex fft ifft cdiag", BuiltinKind::General, kComplexResult},
    {"slf fzero differ fminbrac fmin sum table lsfit qinteg integ eigvv ode odetest",
     BuiltinKind::General, kDoubleResult},
};

TEST(NumericsLibrary, EveryBuiltinHasItsKindAndResultType) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  for (const Expected& e : kNumerics) {
    std::istringstream names(e.names);
    std::string name;
    while (names >> name) {
      EXPECT_EQ(registry.lookup(name), e.kind) << name;
      if (e.kind != BuiltinKind::TwoArg && e.kind != BuiltinKind::FunctorTwoArg) {
        EXPECT_EQ(registry.find(name)->resultType, e.resultType) << name;
      }
    }
  }
}

TEST(NumericsLibrary, GeneralBounds) {
  using Bounds = std::pair<int, int>;
  const BuiltinRegistry& registry = session::builtinRegistry();
  const std::pair<const char*, Bounds> bounds[] = {
      {"complex", {2, 2}}, {"fft", {1, 1}},      {"ifft", {1, 1}},     {"cdiag", {1, 1}},
      {"slf", {2, 4}},     {"fzero", {1, 5}},    {"differ", {1, 3}},   {"fminbrac", {2, 3}},
      {"fmin", {2, 3}},    {"sum", {1, 3}},      {"table", {2, 3}},    {"lsfit", {4, 7}},
      {"qinteg", {2, 4}},  {"integ", {0, kNoUpperBound}}, {"eigvv", {1, 1}},
      {"ode", {5, 5}},     {"odetest", {5, 5}},
  };
  for (const auto& [name, expected] : bounds) {
    registry.lookup(name);
    EXPECT_EQ(registry.find(name)->bounds(), expected) << name;
  }
}

TEST(NumericsLibrary, FftAndCdiagTakeAnyType) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  for (const char* name : {"fft", "ifft", "cdiag"}) {
    registry.lookup(name);
    EXPECT_TRUE(registry.find(name)->takesAnyType) << name;
  }
  registry.lookup("complex");
  EXPECT_FALSE(registry.find("complex")->takesAnyType);
}

}  // namespace
}  // namespace zirbin::builtins
