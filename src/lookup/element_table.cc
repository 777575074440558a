// The element table (standard atomic weights, densities) and the vapour-pressure curve of
// water, as zirbin-lookup answers them.
#include "lookup/element_table.h"

#include <iterator>

namespace zirbin::lookup {
namespace {

// Atomic weights: the abridged standard values; in brackets in printed tables (here
// `true` in the fifth field) the mass number of the longest-lived isotope. Densities in
// g/cm^3: solids and liquids near 20-25 degrees C, gases at 0 degrees C and 101.325 kPa;
// given for the first 36 elements and a few common heavy metals, 0 elsewhere.
constexpr Element kElements[] = {
    {1, "H", "hydrogen", 1.008, false, 0.00008988}, {2, "He", "helium", 4.0026, false, 0.0001785},
    {3, "Li", "lithium", 6.94, false, 0.534},       {4, "Be", "beryllium", 9.0122, false, 1.85},
    {5, "B", "boron", 10.81, false, 2.34},          {6, "C", "carbon", 12.011, false, 2.267},
    {7, "N", "nitrogen", 14.007, false, 0.0012506}, {8, "O", "oxygen", 15.999, false, 0.001429},
    {9, "F", "fluorine", 18.998, false, 0.001696},  {10, "Ne", "neon", 20.180, false, 0.0009002},
    {11, "Na", "sodium", 22.990, false, 0.968},     {12, "Mg", "magnesium", 24.305, false, 1.738},
    {13, "Al", "aluminium", 26.982, false, 2.70},   {14, "Si", "silicon", 28.085, false, 2.329},
    {15, "P", "phosphorus", 30.974, false, 1.823},  {16, "S", "sulfur", 32.06, false, 2.07},
    {17, "Cl", "chlorine", 35.45, false, 0.003214}, {18, "Ar", "argon", 39.948, false, 0.0017837},
    {19, "K", "potassium", 39.098, false, 0.862},   {20, "Ca", "calcium", 40.078, false, 1.55},
    {21, "Sc", "scandium", 44.956, false, 2.985},   {22, "Ti", "titanium", 47.867, false, 4.506},
    {23, "V", "vanadium", 50.942, false, 6.11},     {24, "Cr", "chromium", 51.996, false, 7.19},
    {25, "Mn", "manganese", 54.938, false, 7.21},   {26, "Fe", "iron", 55.845, false, 7.874},
    {27, "Co", "cobalt", 58.933, false, 8.90},      {28, "Ni", "nickel", 58.693, false, 8.908},
    {29, "Cu", "copper", 63.546, false, 8.96},      {30, "Zn", "zinc", 65.38, false, 7.14},
    {31, "Ga", "gallium", 69.723, false, 5.91},     {32, "Ge", "germanium", 72.630, false, 5.323},
    {33, "As", "arsenic", 74.922, false, 5.727},    {34, "Se", "selenium", 78.971, false, 4.81},
    {35, "Br", "bromine", 79.904, false, 3.1028},   {36, "Kr", "krypton", 83.798, false, 0.003749},
    {37, "Rb", "rubidium", 85.468, false, 0},       {38, "Sr", "strontium", 87.62, false, 0},
    {39, "Y", "yttrium", 88.906, false, 0},         {40, "Zr", "zirconium", 91.224, false, 0},
    {41, "Nb", "niobium", 92.906, false, 0},        {42, "Mo", "molybdenum", 95.95, false, 0},
    {43, "Tc", "technetium", 98, true, 0},          {44, "Ru", "ruthenium", 101.07, false, 0},
    {45, "Rh", "rhodium", 102.91, false, 0},        {46, "Pd", "palladium", 106.42, false, 0},
    {47, "Ag", "silver", 107.87, false, 10.49},     {48, "Cd", "cadmium", 112.41, false, 0},
    {49, "In", "indium", 114.82, false, 0},         {50, "Sn", "tin", 118.71, false, 7.265},
    {51, "Sb", "antimony", 121.76, false, 0},       {52, "Te", "tellurium", 127.60, false, 0},
    {53, "I", "iodine", 126.90, false, 0},          {54, "Xe", "xenon", 131.29, false, 0},
    {55, "Cs", "caesium", 132.91, false, 0},        {56, "Ba", "barium", 137.33, false, 0},
    {57, "La", "lanthanum", 138.91, false, 0},      {58, "Ce", "cerium", 140.12, false, 0},
    {59, "Pr", "praseodymium", 140.91, false, 0},   {60, "Nd", "neodymium", 144.24, false, 0},
    {61, "Pm", "promethium", 145, true, 0},         {62, "Sm", "samarium", 150.36, false, 0},
    {63, "Eu", "europium", 151.96, false, 0},       {64, "Gd", "gadolinium", 157.25, false, 0},
    {65, "Tb", "terbium", 158.93, false, 0},        {66, "Dy", "dysprosium", 162.50, false, 0},
    {67, "Ho", "holmium", 164.93, false, 0},        {68, "Er", "erbium", 167.26, false, 0},
    {69, "Tm", "thulium", 168.93, false, 0},        {70, "Yb", "ytterbium", 173.05, false, 0},
    {71, "Lu", "lutetium", 174.97, false, 0},       {72, "Hf", "hafnium", 178.49, false, 0},
    {73, "Ta", "tantalum", 180.95, false, 0},       {74, "W", "tungsten", 183.84, false, 19.25},
    {75, "Re", "rhenium", 186.21, false, 0},        {76, "Os", "osmium", 190.23, false, 0},
    {77, "Ir", "iridium", 192.22, false, 0},        {78, "Pt", "platinum", 195.08, false, 21.45},
    {79, "Au", "gold", 196.97, false, 19.30},       {80, "Hg", "mercury", 200.59, false, 13.534},
    {81, "Tl", "thallium", 204.38, false, 0},       {82, "Pb", "lead", 207.2, false, 11.34},
    {83, "Bi", "bismuth", 208.98, false, 0},        {84, "Po", "polonium", 209, true, 0},
    {85, "At", "astatine", 210, true, 0},           {86, "Rn", "radon", 222, true, 0},
    {87, "Fr", "francium", 223, true, 0},           {88, "Ra", "radium", 226, true, 0},
    {89, "Ac", "actinium", 227, true, 0},           {90, "Th", "thorium", 232.04, false, 0},
    {91, "Pa", "protactinium", 231.04, false, 0},   {92, "U", "uranium", 238.03, false, 19.1},
    {93, "Np", "neptunium", 237, true, 0},          {94, "Pu", "plutonium", 244, true, 0},
    {95, "Am", "americium", 243, true, 0},          {96, "Cm", "curium", 247, true, 0},
    {97, "Bk", "berkelium", 247, true, 0},          {98, "Cf", "californium", 251, true, 0},
    {99, "Es", "einsteinium", 252, true, 0},        {100, "Fm", "fermium", 257, true, 0},
    {101, "Md", "mendelevium", 258, true, 0},       {102, "No", "nobelium", 259, true, 0},
    {103, "Lr", "lawrencium", 266, true, 0},        {104, "Rf", "rutherfordium", 267, true, 0},
    {105, "Db", "dubnium", 268, true, 0},           {106, "Sg", "seaborgium", 269, true, 0},
    {107, "Bh", "bohrium", 270, true, 0},           {108, "Hs", "hassium", 269, true, 0},
    {109, "Mt", "meitnerium", 278, true, 0},        {110, "Ds", "darmstadtium", 281, true, 0},
    {111, "Rg", "roentgenium", 282, true, 0},       {112, "Cn", "copernicium", 285, true, 0},
    {113, "Nh", "nihonium", 286, true, 0},          {114, "Fl", "flerovium", 289, true, 0},
    {115, "Mc", "moscovium", 290, true, 0},         {116, "Lv", "livermorium", 293, true, 0},
    {117, "Ts", "tennessine", 294, true, 0},        {118, "Og", "oganesson", 294, true, 0},
};

// Every element sits at the index of its atomic number less one.
constexpr bool numberedInOrder() {
  for (int i = 0; i < static_cast<int>(std::size(kElements)); ++i) {
    if (kElements[i].number != i + 1) return false;
  }
  return true;
}
static_assert(std::size(kElements) == 118 && numberedInOrder());

// The saturation vapour pressure of water (steam tables), 0 to 100 degrees C.
constexpr VapourPoint kWaterVapourPressure[] = {
    {0, 0.6113},  {10, 1.2281}, {20, 2.3388}, {30, 4.2455}, {40, 7.3814},   {50, 12.344},
    {60, 19.932}, {70, 31.176}, {80, 47.373}, {90, 70.117}, {100, 101.325},
};

}  // namespace

std::span<const Element> elements() { return kElements; }

std::span<const VapourPoint> waterVapourPressure() { return kWaterVapourPressure; }

}  // namespace zirbin::lookup
