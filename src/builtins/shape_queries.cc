// Queries of a value's shape and type, the machine limits, the trace and the graph index.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <limits>
#include <string>

#include "builtins/families.h"
#include "builtins/routine_support.h"

namespace zirbin::builtins {

namespace {

int sizeOf(const Value& v) { return v.size; }
int nrowOf(const Value& v) { return v.nrow; }
int ncolOf(const Value& v) { return v.ncol(); }
int typeOf(const Value& v) { return v.valueType(); }
int isEmpty(const Value& v) { return v.isEmpty(); }
int isScalar(const Value& v) { return v.isScalar(); }
int isVector(const Value& v) { return v.isVector(); }
int isBoolean(const Value& v) { return v.isBoolean(); }
int isChar(const Value& v) { return v.isChar(); }

// 1 when the string reads as one number (blanks around it allowed), else 0.
int isNum(const Value& v) {
  if (!v.isChar()) throw session::RuntimeError("isnum called for a non-string");
  std::string text = v.toString();
  const char* begin = text.c_str();
  char* end = nullptr;
  std::strtod(begin, &end);
  if (end == begin) return 0;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0';
}

// [rows, columns]; the column count is 0 when there are no rows.
void shapeOf(Value& argument, Value& result) {
  int rows = argument.nrow;
  int cols = argument.ncol();
  int* out = shapeInts(result, 1, 2);
  out[0] = rows;
  out[1] = cols;
}

struct Limit {
  const char* name;
  double value;
};

constexpr Limit kLimits[] = {
    {"min", std::numeric_limits<double>::min()},
    {"dmin", std::numeric_limits<double>::min()},
    {"max", std::numeric_limits<double>::max()},
    {"dmax", std::numeric_limits<double>::max()},
    {"eps", std::numeric_limits<double>::epsilon()},
    {"mine", std::numeric_limits<double>::min_exponent10},
    {"maxe", std::numeric_limits<double>::max_exponent10},
    {"mini", std::numeric_limits<int>::min()},
    {"maxi", std::numeric_limits<int>::max()},
    {"int", std::numeric_limits<int>::max()},
};

double numericLimits(const Value& v) {
  std::string name = v.toString();
  for (const Limit& limit : kLimits) {
    if (name == limit.name) return limit.value;
  }
  if (name == "bits") return std::log2(4294967295.0);
  session::checkFailed("numeric_limits", "unrecognised string parameter");
}

double trace(const Value& v) {
  if (static_cast<int64_t>(v.nrow) * v.nrow != v.size) {
    session::checkFailed("trace", "non-square matrix");
  }
  return withNumbers(v, [&](const auto* d, int) {
    double sum = 0;
    for (int i = 0; i < v.nrow; ++i) sum += d[static_cast<int64_t>(i) * v.nrow + i];
    return sum;
  });
}

// The graph index of an undirected graph given by its adjacency matrix: the Wiener index,
// the sum of the shortest-path lengths over all pairs of vertices (infinite when the graph
// is not connected). The matrix must be square and symmetric, with elements 0 and 1 and a
// zero diagonal.
double graphIndex(const Value& v) {
  int n = v.nrow;
  if (static_cast<int64_t>(n) * n != v.size)
    session::checkFailed("grindex", "invalid adjacency matrix");
  std::vector<double> a = doublesOf(v);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      double x = a[static_cast<size_t>(i) * n + j];
      bool valid =
          (x == 0 || x == 1) && x == a[static_cast<size_t>(j) * n + i] && (i != j || x == 0);
      if (!valid) session::checkFailed("grindex", "invalid adjacency matrix");
    }
  }
  double total = 0;
  std::vector<int> distance(n);
  for (int source = 0; source < n; ++source) {
    std::fill(distance.begin(), distance.end(), -1);
    distance[source] = 0;
    std::deque<int> queue{source};
    int reached = 1;
    while (!queue.empty()) {
      int u = queue.front();
      queue.pop_front();
      for (int w = 0; w < n; ++w) {
        if (a[static_cast<size_t>(u) * n + w] != 0 && distance[w] < 0) {
          distance[w] = distance[u] + 1;
          total += distance[w];
          ++reached;
          queue.push_back(w);
        }
      }
    }
    if (reached < n) return std::numeric_limits<double>::infinity();
  }
  return total / 2;  // every pair was counted from both ends
}

constexpr BuiltinKind kScalar = BuiltinKind::ValueToScalar;

constexpr BuiltinEntry kEntries[] = {
    {"size", kScalar, kIntResult, sizeOf},
    {"nrow", kScalar, kIntResult, nrowOf},
    {"ncol", kScalar, kIntResult, ncolOf},
    {"type", kScalar, kIntResult, typeOf},
    {"isempty", kScalar, kIntResult, isEmpty},
    {"isscalar", kScalar, kIntResult, isScalar},
    {"isvector", kScalar, kIntResult, isVector},
    {"isboolean", kScalar, kIntResult, isBoolean},
    {"ischar", kScalar, kIntResult, isChar},
    {"isnum", kScalar, kIntResult, isNum},
    {"numeric_limits", kScalar, kDoubleResult, numericLimits},
    {"trace", kScalar, kDoubleResult, trace},
    {"grindex", kScalar, kDoubleResult, graphIndex},
    {"shape", BuiltinKind::ValueToValue, kIntResult, shapeOf},
};

}  // namespace

void registerShapeQueries(BuiltinRegistry& registry) { registry.add(kEntries); }

}  // namespace zirbin::builtins
