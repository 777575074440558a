// The fast Fourier transform from GSL (complex, mixed radix) and the built-ins fft and ifft.
#include <memory>
#include <string>

#include <gsl/gsl_fft_complex.h>

#include "builtins/gsl_routines.h"
#include "builtins/numeric_families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

// Transforms up to this many points keep their wavetable and scratch space for the next
// call of the same size: building the table (n sines and cosines) costs as much as the
// transform itself. 2^20 points hold 32 MB; a one-off larger transform builds its own so
// that it does not keep hundreds of MB alive.
constexpr size_t kCachedFftPoints = size_t{1} << 20;

struct Free {
  void operator()(gsl_fft_complex_wavetable* x) const { gsl_fft_complex_wavetable_free(x); }
  void operator()(gsl_fft_complex_workspace* x) const { gsl_fft_complex_workspace_free(x); }
};

// GSL's tables for one transform size.
struct FftPlan {
  size_t n = 0;
  std::unique_ptr<gsl_fft_complex_wavetable, Free> table;
  std::unique_ptr<gsl_fft_complex_workspace, Free> scratch;

  explicit FftPlan(size_t points)
      : n(points),
        table(gsl_fft_complex_wavetable_alloc(points)),
        scratch(gsl_fft_complex_workspace_alloc(points)) {
    if (!table || !scratch) {
      throw session::RuntimeError("out of memory: cannot allocate " + std::to_string(points) +
                                  " elements");
    }
  }
};

}  // namespace

void gsl::fourierTransform(std::complex<double>* data, int n, int sign) {
  installErrorHandler();
  const auto points = static_cast<size_t>(n);
  // One cached plan per thread, so that no lock is needed.
  thread_local std::unique_ptr<FftPlan> cached;
  std::unique_ptr<FftPlan> own;
  FftPlan* plan;
  if (points <= kCachedFftPoints) {
    if (!cached || cached->n != points) {
      cached.reset();  // the old tables go before the new ones are built
      cached = std::make_unique<FftPlan>(points);
    }
    plan = cached.get();
  } else {
    own = std::make_unique<FftPlan>(points);
    plan = own.get();
  }
  // std::complex<double> is laid out as GSL's packed array: real, imaginary. For a power
  // of 2 the mixed-radix transform runs in passes of radix 4 (and one of radix 2 for odd
  // powers) without the bit-reversal pass of the plain radix-2 routine: the same
  // transform, several times faster on large arrays.
  gsl_fft_complex_transform(reinterpret_cast<double*>(data), 1, points, plan->table.get(),
                            plan->scratch.get(), sign < 0 ? gsl_fft_forward : gsl_fft_backward);
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
    // A real argument is never the complex result, so it can be read while `out` is filled.
    out.setLayout(n, n, 0);
    withNumbers(v, [&out](const auto* x, int count) {
      for (int i = 0; i < count; ++i) out.data[i] = static_cast<double>(x[i]);
    });
  }
  out.setLayout(n, row ? 1 : n, 0);
  if (n > 0) gsl::fourierTransform(out.data, n, sign);
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
