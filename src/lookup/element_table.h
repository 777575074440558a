// The data zirbin-lookup ships: the chemical elements and the vapour pressure of water.
#pragma once

#include <span>

namespace zirbin::lookup {

// One chemical element. `mass` is the standard atomic weight in g/mol; for an element
// without stable isotopes (`massNumberOnly`) it is the mass number of its longest-lived
// isotope. `density` is in g/cm^3 near room temperature (gases at 0 degrees C and
// 101.325 kPa); 0 where the table has no value.
struct Element {
  int number;
  const char* symbol;
  const char* name;
  double mass;
  bool massNumberOnly;
  double density;
};

// One point of the vapour-pressure curve of water: temperature in degrees C, pressure
// in kPa.
struct VapourPoint {
  double celsius;
  double kilopascal;
};

// All 118 elements in order of atomic number (element i has number i + 1).
std::span<const Element> elements();

// The vapour pressure of water from 0 to 100 degrees C in steps of 10, rising
// temperatures.
std::span<const VapourPoint> waterVapourPressure();

}  // namespace zirbin::lookup
