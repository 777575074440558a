// Complex values from real parts: complex (pairs real and imaginary parts) and cdiag (the
// diagonal of a complex matrix, or a diagonal complex matrix).
#include "builtins/function_argument.h"
#include "builtins/numeric_families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

using values::Complex;
using values::ComplexValue;

// The result as a complex value: `result` itself when it is one, else `local`, which
// the caller assigns to it.
ComplexValue& complexTarget(Value& result, ComplexValue& local) {
  return result.valueType() == values::COMPLEX_VAL ? static_cast<ComplexValue&>(result) : local;
}

// complex(re, im): re + i im element by element, shaped like re.
void complex(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  const Value& re = args.value(0);
  const Value& im = args.value(1);
  if (re.size != im.size) session::checkFailed("complex", "real and imaginary parts of different size");
  const std::vector<double> r = numbersOf(args, 0);
  const std::vector<double> i = numbersOf(args, 1);
  const int rows = re.nrow;
  ComplexValue local;
  ComplexValue& out = complexTarget(result, local);
  out.setLayout(static_cast<int>(r.size()), rows, values::JMAT_PAIRED);
  for (size_t k = 0; k < r.size(); ++k) out.data[k] = Complex(r[k], i[k]);
  if (&out == &local) result.assign(local);
}

// The elements of a number value as complex numbers.
std::vector<Complex> complexElements(const Value& v) {
  if (v.valueType() == values::COMPLEX_VAL) {
    const auto& c = static_cast<const ComplexValue&>(v);
    return std::vector<Complex>(c.data, c.data + c.size);
  }
  const std::vector<double> d = doublesOf(v);
  return std::vector<Complex>(d.begin(), d.end());
}

// cdiag(v): the n x n complex matrix with the vector v on its diagonal; cdiag(A): the
// diagonal of the square matrix A as a column.
void cdiag(BuiltinArgs& args, Value& result, std::span<Value* const> extraOutputs) {
  checkOutputs(args, extraOutputs, 1);
  const Value& a = args.value(0);
  if (a.valueType() == values::LIST_VAL) session::checkFailed("diag", "invalid argument");
  const std::vector<Complex> e = complexElements(a);
  ComplexValue local;
  ComplexValue& out = complexTarget(result, local);
  if (a.isVector()) {
    const int n = a.size;
    out.setLayout(values::checkedCount(static_cast<int64_t>(n) * n, sizeof(Complex)), n, 0);
    std::fill(out.data, out.data + out.size, Complex(0, 0));
    for (int k = 0; k < n; ++k) out.data[static_cast<size_t>(k) * n + k] = e[k];
  } else {
    if (a.nrow * a.nrow != a.size) session::checkFailed("diag", "non-square matrix");
    const int n = a.nrow;
    out.setLayout(n, n, 0);
    for (int k = 0; k < n; ++k) out.data[k] = e[static_cast<size_t>(k) * n + k];
  }
  if (&out == &local) result.assign(local);
}

const BuiltinEntry kComplexBuilders[] = {
    {"complex", BuiltinKind::General, kComplexResult, &complex, 2, 2},
    {"cdiag", BuiltinKind::General, kComplexResult, &cdiag, 1, 1},
};

}  // namespace

void registerComplexBuilders(BuiltinRegistry& registry) { registry.add(kComplexBuilders); }

}  // namespace zirbin::builtins
