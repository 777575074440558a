// The element-wise built-ins of one number: the C library's functions, the small element
// functions (abs, log2, sign, fstep, tophat, sinc, isnan), the parts of a complex number,
// and the complex forms the compiler uses for complex arguments.
#include <cmath>
#include <complex>

#include "builtins/families.h"

namespace zirbin::builtins {

namespace {

using Complex = std::complex<double>;

double sqrtD(double x) { return std::sqrt(x); }
double expD(double x) { return std::exp(x); }
double sinD(double x) { return std::sin(x); }
double cosD(double x) { return std::cos(x); }
double tanD(double x) { return std::tan(x); }
double asinD(double x) { return std::asin(x); }
double acosD(double x) { return std::acos(x); }
double atanD(double x) { return std::atan(x); }
double logD(double x) { return std::log(x); }
double log10D(double x) { return std::log10(x); }
double sinhD(double x) { return std::sinh(x); }
double coshD(double x) { return std::cosh(x); }
double tanhD(double x) { return std::tanh(x); }
double asinhD(double x) { return std::asinh(x); }
double acoshD(double x) { return std::acosh(x); }
double atanhD(double x) { return std::atanh(x); }
double erfD(double x) { return std::erf(x); }
double erfcD(double x) { return std::erfc(x); }
double gammaD(double x) { return std::tgamma(x); }
double lgammaD(double x) { return std::lgamma(x); }
double floorD(double x) { return std::floor(x); }
double ceilD(double x) { return std::ceil(x); }
double roundD(double x) { return std::round(x); }

double absD(double x) { return std::fabs(x); }
double log2D(double x) { return std::log2(x); }
double signD(double x) { return x > 0 ? 1.0 : x < 0 ? -1.0 : x; }  // keeps 0 and NaN
// The unit step is 1 from 0 on (the right-continuous Heaviside step).
double fstepD(double x) { return x >= 0 ? 1.0 : 0.0; }
// The unit top-hat is 1 on the closed interval [-1/2, 1/2] and 0 outside.
double tophatD(double x) { return std::fabs(x) <= 0.5 ? 1.0 : 0.0; }
double sincD(double x) { return x == 0 ? 1.0 : std::sin(x) / x; }
double isnanD(double x) { return std::isnan(x) ? 1.0 : 0.0; }
// conj and real of a double are the double itself; each has its own complex form.
double identityD(double x) { return x; }
double zeroD(double) { return 0.0; }
double argD(double x) { return std::atan2(0.0, x); }

Complex sqrtC(Complex z) { return std::sqrt(z); }
Complex expC(Complex z) { return std::exp(z); }
Complex logC(Complex z) { return std::log(z); }
Complex sinC(Complex z) { return std::sin(z); }
Complex cosC(Complex z) { return std::cos(z); }
Complex tanC(Complex z) { return std::tan(z); }
Complex sinhC(Complex z) { return std::sinh(z); }
Complex coshC(Complex z) { return std::cosh(z); }
Complex tanhC(Complex z) { return std::tanh(z); }
Complex conjC(Complex z) { return std::conj(z); }
double realC(Complex z) { return z.real(); }
double imagC(Complex z) { return z.imag(); }
double absC(Complex z) { return std::abs(z); }
double argC(Complex z) { return std::arg(z); }

constexpr BuiltinKind kElement = BuiltinKind::ElementWise;

constexpr BuiltinEntry kEntries[] = {
    {"sqrt", kElement, kDoubleResult, sqrtD},     {"exp", kElement, kDoubleResult, expD},
    {"sin", kElement, kDoubleResult, sinD},       {"cos", kElement, kDoubleResult, cosD},
    {"tan", kElement, kDoubleResult, tanD},       {"asin", kElement, kDoubleResult, asinD},
    {"acos", kElement, kDoubleResult, acosD},     {"atan", kElement, kDoubleResult, atanD},
    {"log", kElement, kDoubleResult, logD},       {"ln", kElement, kDoubleResult, logD},
    {"log10", kElement, kDoubleResult, log10D},   {"sinh", kElement, kDoubleResult, sinhD},
    {"cosh", kElement, kDoubleResult, coshD},     {"tanh", kElement, kDoubleResult, tanhD},
    {"asinh", kElement, kDoubleResult, asinhD},   {"acosh", kElement, kDoubleResult, acoshD},
    {"atanh", kElement, kDoubleResult, atanhD},   {"abs", kElement, kDoubleResult, absD},
    {"erf", kElement, kDoubleResult, erfD},       {"erfc", kElement, kDoubleResult, erfcD},
    {"gamma", kElement, kDoubleResult, gammaD},   {"lgamma", kElement, kDoubleResult, lgammaD},
    {"log2", kElement, kDoubleResult, log2D},     {"sign", kElement, kDoubleResult, signD},
    {"fstep", kElement, kDoubleResult, fstepD},   {"tophat", kElement, kDoubleResult, tophatD},
    {"floor", kElement, kDoubleResult, floorD},   {"ceil", kElement, kDoubleResult, ceilD},
    {"ceiling", kElement, kDoubleResult, ceilD},  {"round", kElement, kDoubleResult, roundD},
    {"sinc", kElement, kDoubleResult, sincD},     {"conj", kElement, kDoubleResult, identityD},
    {"real", kElement, kDoubleResult, identityD}, {"imag", kElement, kDoubleResult, zeroD},
    {"arg", kElement, kDoubleResult, argD},       {"G", kElement, kDoubleResult, gammaD},
    {"isnan", kElement, kDoubleResult, isnanD},
};

constexpr ComplexFormEntry kComplexForms[] = {
    {"sqrt", {sqrtC, nullptr, kComplexResult}}, {"exp", {expC, nullptr, kComplexResult}},
    {"log", {logC, nullptr, kComplexResult}},   {"ln", {logC, nullptr, kComplexResult}},
    {"sin", {sinC, nullptr, kComplexResult}},   {"cos", {cosC, nullptr, kComplexResult}},
    {"tan", {tanC, nullptr, kComplexResult}},   {"sinh", {sinhC, nullptr, kComplexResult}},
    {"cosh", {coshC, nullptr, kComplexResult}}, {"tanh", {tanhC, nullptr, kComplexResult}},
    {"conj", {conjC, nullptr, kComplexResult}}, {"real", {nullptr, realC, kDoubleResult}},
    {"imag", {nullptr, imagC, kDoubleResult}},  {"abs", {nullptr, absC, kDoubleResult}},
    {"arg", {nullptr, argC, kDoubleResult}},
};

}  // namespace

void registerElementFunctions(BuiltinRegistry& registry) {
  registry.add(kEntries);
  registry.addComplexForms(kComplexForms);
}

}  // namespace zirbin::builtins
