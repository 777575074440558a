// Every built-in of the everyday library is registered under its calling convention and
// result type, as the compilers expect.
#include <gtest/gtest.h>

#include <string>

#include "base/run_context.h"
#include "builtins/library.h"
#include "engine/registry.h"

namespace zirbin::builtins {
namespace {

struct Expected {
  const char* names;  // blank-separated
  BuiltinKind kind;
  int resultType;
};

constexpr Expected kLibrary[] = {
    {"sqrt exp sin cos tan asin acos atan log ln log10 sinh cosh tanh asinh acosh atanh abs "
     "erf erfc gamma lgamma log2 sign fstep tophat floor ceil ceiling round sinc conj real imag "
     "arg G isnan",
     BuiltinKind::ElementWise, kDoubleResult},
    {"randseed pause wait lower bitweight", BuiltinKind::ElementWise, kIntResult},
    {"qfind", BuiltinKind::FunctorTwoArg, kDoubleResult},
    {"diag reshape str push sort issubset intersect union setminus setxor swaprows strfind "
     "findstr str2num before error binary",
     BuiltinKind::TwoArg, kDoubleResult},
    {"tic toc Toc rnd on off end pi", BuiltinKind::NoArgScalar, kDoubleResult},
    {"all any minind maxind find rfind", BuiltinKind::ColumnWise, kIntResult},
    {"size nrow ncol type isempty isscalar isvector isboolean ischar isnum",
     BuiltinKind::ValueToScalar, kIntResult},
    {"numeric_limits trace grindex", BuiltinKind::ValueToScalar, kDoubleResult},
    {"mean sumsq variance stdev elsum min max range prod $lastElement", BuiltinKind::ColumnWise,
     kDoubleResult},
    {"seq linspace zeros ones eye rand randexp cumsum reverse shuffle diff diff2 top pop unique "
     "colsums rowsums qpop zipkey",
     BuiltinKind::ValueToValue, kDoubleResult},
    {"rat findall irand unbinary shape sortind sortit nextPerm prevPerm trim sortrows unzipg "
     "unzipkey",
     BuiltinKind::ValueToValue, kIntResult},
    {"list split", BuiltinKind::General, kListResult},
    {"disp assert join pad", BuiltinKind::General, kIntResult},
    {"$multiassign set", BuiltinKind::General, kDoubleResult},
};

TEST(Library, EveryBuiltinHasItsKindAndResultType) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  for (const Expected& e : kLibrary) {
    std::string names = e.names;
    size_t start = 0;
    while (start < names.size()) {
      size_t end = names.find(' ', start);
      if (end == std::string::npos) end = names.size();
      std::string name = names.substr(start, end - start);
      start = end + 1;
      EXPECT_EQ(registry.lookup(name), e.kind) << name;
      if (e.kind != BuiltinKind::NoArgScalar && e.kind != BuiltinKind::TwoArg &&
          e.kind != BuiltinKind::FunctorTwoArg) {
        EXPECT_EQ(registry.find(name)->resultType, e.resultType) << name;
      }
    }
  }
}

TEST(Library, TheSessionCommandsComeFromRegisterAllLikeEveryOther) {
  BuiltinRegistry fresh;
  registerAll(fresh);
  for (const char* name : {"cd", "dir", "debug"}) {
    EXPECT_EQ(fresh.lookup(name), BuiltinKind::General) << name;
  }
  EXPECT_EQ(fresh.find("cd")->bounds(), std::make_pair(0, 1));
  EXPECT_EQ(fresh.find("dir")->resultType, kListResult);
  EXPECT_EQ(fresh.find("debug")->bounds(), std::make_pair(0, kNoUpperBound));
}

TEST(Library, ValueFunctionsAreRegistered) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  for (const char* name : {"ans", "true", "false", "exepath", "oclock", "today"}) {
    EXPECT_EQ(registry.lookup(name), BuiltinKind::ValueFunc) << name;
  }
}

TEST(Library, GeneralBoundsOfTheLibrary) {
  using Bounds = std::pair<int, int>;
  const BuiltinRegistry& registry = session::builtinRegistry();
  const std::pair<const char*, Bounds> bounds[] = {
      {"list", {0, kNoUpperBound}},
      {"split", {1, 3}},
      {"disp", {1, kNoUpperBound}},
      {"assert", {1, kNoUpperBound}},
      {"join", {1, 2}},
      {"pad", {2, 4}},
      {"set", {0, 2}},
      {"$multiassign", {1, kNoUpperBound}},
  };
  for (const auto& [name, expected] : bounds) {
    registry.lookup(name);
    EXPECT_EQ(registry.find(name)->bounds(), expected) << name;
  }
}

TEST(Library, OnlyListDispAndJoinOfTheLibraryTakeAnyType) {
  const BuiltinRegistry& registry = session::builtinRegistry();
  for (const char* name : {"list", "disp", "join"}) {
    registry.lookup(name);
    EXPECT_TRUE(registry.find(name)->takesAnyType) << name;
  }
  for (const char* name : {"split", "pad", "set", "assert"}) {
    registry.lookup(name);
    EXPECT_FALSE(registry.find(name)->takesAnyType) << name;
  }
}

}  // namespace
}  // namespace zirbin::builtins
