// zirbin-lookup: the answers of each query form, the queries it cannot answer, and the
// result file it writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lookup/element_table.h"
#include "lookup/lookup_program.h"
#include "lookup/lookup_query.h"

namespace zirbin::lookup {
namespace {

std::string lineOf(const std::string& text, int n) {
  std::istringstream in(text);
  std::string line;
  for (int i = 0; i <= n; ++i) std::getline(in, line);
  return line;
}

TEST(LookupElements, MassByNameSymbolOrNumberIgnoringCase) {
  for (const char* word : {"iron", "Fe", "fe", "IRON", "26"}) {
    const LookupAnswer a = answer({word, "mass"});
    EXPECT_EQ(a.status, kAnswered) << word;
    EXPECT_EQ(a.text, "atomic mass of iron (Fe, 26), g/mol\n55.845\n") << word;
  }
}

TEST(LookupElements, DensityAndAtomicNumber) {
  EXPECT_EQ(answer({"Cu", "density"}).text, "density of copper (Cu, 29), g/cm^3\n8.96\n");
  EXPECT_EQ(answer({"gold", "Atomic number"}).text, "atomic number of gold (Au, 79)\n79\n");
  EXPECT_EQ(lineOf(answer({"H", "density"}).text, 1), "8.988e-05");
}

TEST(LookupElements, RadioactiveElementsSayTheirMassIsAMassNumber) {
  const LookupAnswer a = answer({"Tc", "mass"});
  EXPECT_EQ(a.text,
            "atomic mass of technetium (Tc, 43), g/mol (mass number of the longest-lived "
            "isotope)\n98\n");
}

TEST(LookupElements, NameAndSymbolAreOneLineOfText) {
  EXPECT_EQ(answer({"Na", "name"}).text, "name of sodium (Na, 11)\n\\name 1\nsodium\n");
  EXPECT_EQ(answer({"118", "symbol"}).text, "symbol of oganesson (Og, 118)\n\\symbol 1\nOg\n");
}

TEST(LookupElements, WholeTableAsTextOrAsPairs) {
  const LookupAnswer names = answer({"elements", "names"});
  EXPECT_EQ(lineOf(names.text, 1), "\\names 118");
  EXPECT_EQ(lineOf(names.text, 2), "hydrogen");
  EXPECT_EQ(lineOf(names.text, 119), "oganesson");
  const LookupAnswer mass = answer({"elements", "mass"});
  EXPECT_EQ(lineOf(mass.text, 1), "\\table 118");
  EXPECT_EQ(lineOf(mass.text, 27), "26 55.845");
  // Densities only where the table has one: none is written as 0.
  const LookupAnswer density = answer({"elements", "density"});
  EXPECT_EQ(lineOf(density.text, 1), "\\table 44");
  EXPECT_EQ(density.text.find(" 0\n"), std::string::npos);
}

TEST(LookupElements, EveryElementHasANameSymbolAndPositiveMass) {
  for (const Element& e : elements()) {
    EXPECT_GT(e.mass, e.number) << e.name;
    EXPECT_FALSE(std::string(e.symbol).empty());
    EXPECT_GE(e.density, 0);
  }
}

TEST(LookupWater, VapourPressureTable) {
  const LookupAnswer a = answer({"water", "vapour pressure"});
  EXPECT_EQ(a.status, kAnswered);
  EXPECT_EQ(lineOf(a.text, 1), "\\table 11");
  EXPECT_EQ(lineOf(a.text, 2), "0 0.6113");
  EXPECT_EQ(lineOf(a.text, 12), "100 101.325");
  EXPECT_EQ(answer({"Water", "vapor_pressure"}).text, a.text);
}

TEST(LookupWater, VapourPressureAtATemperatureInterpolatesTheLogarithm) {
  EXPECT_EQ(answer({"water", "vapourpressure", "50"}).text,
            "vapour pressure of water at 50 degrees C, kPa\n12.344\n");
  // Steam tables give 3.169 kPa at 25 degrees C; the interpolation is within 1 %.
  const double at25 = std::stod(lineOf(answer({"water", "vapourpressure", "25"}).text, 1));
  EXPECT_NEAR(at25, 3.169, 0.03);
  EXPECT_EQ(lineOf(answer({"water", "vapourpressure", "100"}).text, 1), "101.325");
  EXPECT_EQ(lineOf(answer({"water", "vapourpressure", "0"}).text, 1), "0.6113");
}

TEST(LookupRefusals, EachSaysWhyWithAStatusOfTwo) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"Fe"}, "usage: zirbin-lookup substance property [condition]\n"},
      {{"a", "b", "c", "d"}, "usage: zirbin-lookup substance property [condition]\n"},
      {{"unobtainium", "mass"}, "no element or substance named unobtainium\n"},
      {{"Fe", "colour"}, "unknown property of an element: colour\n"},
      {{"Rb", "density"}, "no density of rubidium in the table\n"},
      {{"Fe", "mass", "20"}, "no condition applies to Fe\n"},
      {{"elements", "colour"}, "unknown property of the elements: colour\n"},
      {{"water", "density"}, "unknown property of water: density\n"},
      {{"water", "vapourpressure", "120"},
       "the vapour pressure of water is known from 0 to 100 degrees C, not at 120\n"},
      {{"water", "vapourpressure", "hot"},
       "the vapour pressure of water is known from 0 to 100 degrees C, not at hot\n"},
      {{"0", "mass"}, "no element or substance named 0\n"},
  };
  for (const auto& [words, why] : cases) {
    const LookupAnswer a = answer(words);
    EXPECT_EQ(a.status, kNoAnswer) << why;
    EXPECT_EQ(a.text, why);
  }
}

class LookupProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("zirbin_lookup_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string resultFile() const {
    std::ifstream in(dir_ / kResultFileName);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::filesystem::path dir_;
};

TEST_F(LookupProgram, WritesTheAnswerIntoTheStateDirectory) {
  EXPECT_EQ(runLookup({"Fe", "density"}, dir_.string()), kAnswered);
  EXPECT_EQ(resultFile(), "density of iron (Fe, 26), g/cm^3\n7.874\n");
}

TEST_F(LookupProgram, AQueryWithoutAnswerLeavesTheReasonAndFails) {
  EXPECT_EQ(runLookup({"Fe", "colour"}, dir_.string()), kNoAnswer);
  EXPECT_EQ(resultFile(), "unknown property of an element: colour\n");
}

TEST_F(LookupProgram, AnUnwritableDirectoryFails) {
  EXPECT_EQ(runLookup({"Fe", "density"}, (dir_ / "missing" / "deeper").string()),
            kCannotWriteResult);
  EXPECT_EQ(runLookup({"Fe", "density"}, ""), kCannotWriteResult);
}

}  // namespace
}  // namespace zirbin::lookup
