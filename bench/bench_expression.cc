// Compile once, evaluate many: times long scalar expressions through the expression
// compiler and the nodes, and prints nanoseconds per evaluation and per operator.
// Also counts heap allocations during the timed evaluations (there should be none).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "engine/registry.h"
#include "compiler/expression_compiler.h"
#include "compiler/input_source.h"
#include "compiler/lexer.h"
#include "engine/workspace.h"
#include "values/math_matrix.h"

namespace {

// Heap allocations made while `counting` is set.
bool counting = false;
long allocations = 0;

}  // namespace

void* operator new(std::size_t n) {
  if (counting) ++allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace zirbin;

// A sum of `terms` products such as "x*1.5 - y/2.5": 2*terms - 1 operators.
std::string longExpression(int terms, const char* extra) {
  std::string text;
  for (int k = 0; k < terms; ++k) {
    if (k > 0) text += (k % 2) ? " + " : " - ";
    text += (k % 3 == 0) ? "x*1.5" : (k % 3 == 1) ? "y/2.5" : "x*y";
  }
  return text + extra;
}

void run(compiler::ExpressionCompiler& compiler, values::Value& x, const std::string& text,
         int operators, const char* label, int evaluations) {
  compiler::InputSource input(text, 'c');
  compiler::TokenList tokens;
  compiler::lex(text + " #", '#', input, tokens, nullptr);
  engine::EvaluatablePtr node = compiler.compileExpression(tokens);
  values::DoubleValue workspace;
  node->pValue(workspace);  // the scratch values take their size

  double checksum = 0;
  allocations = 0;
  counting = true;
  const auto start = std::chrono::steady_clock::now();
  for (int k = 0; k < evaluations; ++k) {
    static_cast<values::DoubleValue&>(x).data[0] = k * 1e-6;
    checksum += node->pValue(workspace)->getDouble();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  counting = false;
  const double ns = seconds * 1e9 / evaluations;
  std::printf("%-34s %3d operators: %8.1f ns per evaluation, %5.2f ns per operator, "
              "%ld allocations (checksum %g)\n",
              label, operators, ns, ns / operators, allocations, checksum);
}

}  // namespace

// usage: bench_expression [EVALUATIONS]  (default one million per expression)
int main(int argc, char** argv) {
  const int evaluations = argc > 1 ? std::atoi(argv[1]) : 1000000;
  session::Workspace workspace;
  builtins::BuiltinRegistry registry;
  compiler::ExpressionCompiler compiler(workspace, registry);
  values::Value* x = workspace.declareVariable("x", 1);
  x->assignDouble(0.5);
  workspace.declareVariable("y", 1)->assignDouble(1.25);

  constexpr int kTerms = 50;
  run(compiler, *x, longExpression(kTerms, ""), 2 * kTerms - 1, "SimpleExpression (+ - * /)",
      evaluations);
  run(compiler, *x, longExpression(kTerms, " + x^2"), 2 * kTerms + 1,
      "GeneralMixedTypeExpression (with ^)", evaluations);
  return 0;
}
