// The fast Fourier transform from GSL (radix-2, complex) and the built-ins fft and ifft.
#include <gsl/gsl_fft_complex.h>

#include "builtins/gsl_routines.h"
#include "builtins/numeric_families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

void gsl::fftRadix2(std::complex<double>* data, int n, int sign) {
  installErrorHandler();
  // std::complex<double> is laid out as GSL's packed array: real, imaginary.
  gsl_fft_complex_radix2_transform(reinterpret_cast<double*>(data), 1, n,
                                   sign < 0 ? gsl_fft_forward : gsl_fft_backward);
}

namespace {

using values::ComplexValue;

bool powerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// The transform of argument 0 with `sign`, into `result` (a complex value): a row when
// the argument is a row, else a column. Integer arguments are taken as doubles.
void transform(BuiltinArgs& args, Value& result, int sign) {
  const Value& v = args.value(0);
  if (v.valueType() == values::LIST_VAL) {
    session::checkFailed("fft", "argument has wrong type (should be double or complex)");
  }
  const int n = v.size;
  if (n > 0 && !powerOfTwo(n)) session::checkFailed("fft", "sorry, non power of 2 not yet implemented");
  ComplexValue local;
  auto& out = result.valueType() == values::COMPLEX_VAL ? static_cast<ComplexValue&>(result) : local;
  const bool row = v.nrow == 1 && n > 1;
  if (v.valueType() == values::COMPLEX_VAL) {
    if (&out != &v) out.assignSame(v);
  } else {
    const std::vector<double> x = doublesOf(v);
    out.setLayout(n, n, 0);
    for (int i = 0; i < n; ++i) out.data[i] = x[i];
  }
  out.setLayout(n, row ? 1 : n, 0);
  if (n > 0) gsl::fftRadix2(out.data, n, sign);
  if (&out == &local) result.assign(local);
}

void fft(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  transform(args, result, -1);
}

void ifft(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  transform(args, result, +1);
}

const BuiltinEntry kFourierTransforms[] = {
    {"fft", BuiltinKind::General, kComplexResult, &fft, 1, 1},
    {"ifft", BuiltinKind::General, kComplexResult, &ifft, 1, 1},
};

}  // namespace

void registerFourierTransforms(BuiltinRegistry& registry) { registry.add(kFourierTransforms); }

}  // namespace zirbin::builtins
