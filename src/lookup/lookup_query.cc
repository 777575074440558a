// zirbin-lookup's answers: finding the substance and the property a query names, and
// writing the result text for a number, a line of text or a table.
#include "lookup/lookup_query.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "lookup/element_table.h"

namespace zirbin::lookup {
namespace {

// Significant digits of the numbers written to the result file: more than any value of
// the tables carries.
constexpr int kResultDigits = 10;

std::string lowered(std::string_view word) {
  std::string text;
  for (char c : word) text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A property word without letter case, blanks, '_' and '-'.
std::string propertyKey(std::string_view word) {
  std::string key;
  for (char c : lowered(word)) {
    if (c != ' ' && c != '_' && c != '-') key += c;
  }
  return key;
}

std::string numberText(double x) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*g", kResultDigits, x);
  return buffer;
}

LookupAnswer noAnswer(const std::string& why) { return {kNoAnswer, why + "\n"}; }

LookupAnswer number(const std::string& what, double x) {
  return {kAnswered, what + "\n" + numberText(x) + "\n"};
}

// Parses a whole word as a number; false when it is not one.
bool parseNumber(const std::string& word, double& x) {
  if (word.empty()) return false;
  char* end = nullptr;
  x = std::strtod(word.c_str(), &end);
  return *end == '\0' && std::isfinite(x);
}

// The element named by its symbol, its name or its atomic number; null when none is.
const Element* findElement(const std::string& word) {
  const std::string key = lowered(word);
  double number = 0;
  const bool numeric = parseNumber(word, number);
  for (const Element& e : elements()) {
    if (numeric ? number == e.number : key == lowered(e.symbol) || key == e.name) return &e;
  }
  return nullptr;
}

std::string elementTitle(const Element& e) {
  return std::string(e.name) + " (" + e.symbol + ", " + std::to_string(e.number) + ")";
}

LookupAnswer elementProperty(const Element& e, const std::string& property) {
  const std::string key = propertyKey(property);
  if (key == "mass" || key == "atomicmass" || key == "weight" || key == "atomicweight") {
    return number(std::string("atomic mass of ") + elementTitle(e) + ", g/mol" +
                      (e.massNumberOnly ? " (mass number of the longest-lived isotope)" : ""),
                  e.mass);
  }
  if (key == "number" || key == "atomicnumber" || key == "z") {
    return number("atomic number of " + elementTitle(e), e.number);
  }
  if (key == "density") {
    if (e.density == 0) return noAnswer("no density of " + std::string(e.name) + " in the table");
    return number("density of " + elementTitle(e) + ", g/cm^3", e.density);
  }
  if (key == "name")
    return {kAnswered, "name of " + elementTitle(e) + "\n\\name 1\n" + e.name + "\n"};
  if (key == "symbol") {
    return {kAnswered, "symbol of " + elementTitle(e) + "\n\\symbol 1\n" + e.symbol + "\n"};
  }
  return noAnswer("unknown property of an element: " + property);
}

// "elements": the whole table as a list of text lines or of (atomic number, value) pairs.
LookupAnswer allElements(const std::string& property) {
  const std::string key = propertyKey(property);
  std::string rows;
  int count = 0;
  if (key == "names" || key == "symbols") {
    for (const Element& e : elements())
      rows += std::string(key == "names" ? e.name : e.symbol) + "\n";
    return {kAnswered, "the elements' " + key + " by atomic number\n\\" + key + " 118\n" + rows};
  }
  const bool mass = key == "mass" || key == "atomicmass";
  if (!mass && key != "density") return noAnswer("unknown property of the elements: " + property);
  for (const Element& e : elements()) {
    const double value = mass ? e.mass : e.density;
    if (value == 0) continue;
    rows += std::to_string(e.number) + " " + numberText(value) + "\n";
    ++count;
  }
  return {kAnswered, std::string("atomic number and ") +
                         (mass ? "atomic mass (g/mol)" : "density (g/cm^3)") + "\n\\table " +
                         std::to_string(count) + "\n" + rows};
}

// The vapour pressure of water at `celsius`: the pressure's logarithm is interpolated
// linearly between the table's points (the curve is close to exponential, so this is far
// closer than interpolating the pressure itself).
double vapourPressureAt(double celsius) {
  const auto curve = waterVapourPressure();
  std::size_t i = 1;
  while (i + 1 < curve.size() && curve[i].celsius < celsius) ++i;
  const VapourPoint& a = curve[i - 1];
  const VapourPoint& b = curve[i];
  const double f = (celsius - a.celsius) / (b.celsius - a.celsius);
  return std::exp(std::log(a.kilopascal) + f * (std::log(b.kilopascal) - std::log(a.kilopascal)));
}

LookupAnswer water(const std::vector<std::string>& words) {
  const std::string key = propertyKey(words[1]);
  if (key != "vapourpressure" && key != "vaporpressure") {
    return noAnswer("unknown property of water: " + words[1]);
  }
  const auto curve = waterVapourPressure();
  if (words.size() < 3) {
    std::string text = "vapour pressure of water: temperature (degrees C), pressure (kPa)\n";
    text += "\\table " + std::to_string(curve.size()) + "\n";
    for (const VapourPoint& p : curve) {
      text += numberText(p.celsius) + " " + numberText(p.kilopascal) + "\n";
    }
    return {kAnswered, text};
  }
  double celsius = 0;
  if (!parseNumber(words[2], celsius) || celsius < curve.front().celsius ||
      celsius > curve.back().celsius) {
    return noAnswer("the vapour pressure of water is known from 0 to 100 degrees C, not at " +
                    words[2]);
  }
  return number("vapour pressure of water at " + numberText(celsius) + " degrees C, kPa",
                vapourPressureAt(celsius));
}

}  // namespace

LookupAnswer answer(const std::vector<std::string>& words) {
  if (words.size() < 2 || words.size() > 3) {
    return noAnswer("usage: zirbin-lookup substance property [condition]");
  }
  const std::string substance = lowered(words[0]);
  if (substance == "water") return water(words);
  if (words.size() == 3) return noAnswer("no condition applies to " + words[0]);
  if (substance == "elements") return allElements(words[1]);
  const Element* element = findElement(words[0]);
  if (element == nullptr) return noAnswer("no element or substance named " + words[0]);
  return elementProperty(*element, words[1]);
}

}  // namespace zirbin::lookup
