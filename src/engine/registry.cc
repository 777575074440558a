// The built-in registry's tables and lookups, and the keyword table.
#include "engine/registry.h"

#include <algorithm>
#include <array>

#include "base/errors.h"

namespace zirbin::builtins {

namespace {

// The routine tables, one per (kind, result type) group. ORDER TABLE
enum Table : int {
  kNoArgTable,
  kValueFuncTable,
  kElementDoubleTable,
  kElementIntTable,
  kScalarDoubleTable,  // ColumnWise and ValueToScalar, double result
  kScalarIntTable,     // ColumnWise and ValueToScalar, int result
  kValueDoubleTable,
  kValueIntTable,
  kTwoArgTable,   // TwoArg and FunctorTwoArg
  kGeneralTable,  // all result types
  kTables
};

// The General built-ins whose arguments may be of any type (complex and list included):
// their routines sort such arguments out themselves. `qsave` is among them so that every
// value, lists and complex matrices included, can be dumped.
constexpr std::array<std::string_view, 10> kTakesAnyType = {
    "list", "disp", "save", "menu", "writetext", "fft", "ifft", "join", "cdiag", "qsave"};

// The ValueToScalar queries that read only what every value has (its type code, shape
// kind and extents), so they answer for complex values and lists too: otherwise the type
// codes 2 and 3 could never come back from type and typeinfo.
constexpr std::array<std::string_view, 10> kQueriesOfAnyType = {
    "type", "typeinfo", "size", "nrow", "ncol", "isempty", "isscalar", "isvector", "isboolean",
    "ischar"};

// The routine signature (alternative of Routine) that each table holds.
// ORDER TABLE
constexpr std::array<std::size_t, kTables> kTableSignature = {
    0,  // kNoArgTable: NoArgScalarRoutine
    1,  // kValueFuncTable: ValueFuncRoutine
    2,  // kElementDoubleTable: ElementDoubleRoutine
    3,  // kElementIntTable: ElementIntRoutine
    4,  // kScalarDoubleTable: ValueToDoubleRoutine
    5,  // kScalarIntTable: ValueToIntRoutine
    6,  // kValueDoubleTable: ValueToValueRoutine
    6,  // kValueIntTable: ValueToValueRoutine
    7,  // kTwoArgTable: TwoArgRoutine
    8,  // kGeneralTable: GeneralRoutine
};

struct KeywordEntry {
  std::string_view name;
  Keyword code;
};

// Sorted by name for the binary search in keywordCode.
constexpr std::array<KeywordEntry, 16> kKeywords = {{
    {"break", Keyword::Break},
    {"clear", Keyword::Clear},
    {"const", Keyword::Const},
    {"continue", Keyword::Continue},
    {"else", Keyword::Else},
    {"end", Keyword::End},
    {"for", Keyword::For},
    {"funcdec", Keyword::Funcdec},
    {"function", Keyword::Function},
    {"global", Keyword::Global},
    {"if", Keyword::If},
    {"persistent", Keyword::Persistent},
    {"return", Keyword::Return},
    {"unless", Keyword::Unless},
    {"use", Keyword::Use},
    {"while", Keyword::While},
}};

constexpr bool keywordsSorted() {
  for (std::size_t i = 1; i < kKeywords.size(); ++i) {
    if (!(kKeywords[i - 1].name < kKeywords[i].name)) return false;
  }
  return true;
}
static_assert(keywordsSorted(), "keywordCode needs the keyword table in name order");

}  // namespace

int BuiltinRegistry::tableOf(BuiltinKind kind, int resultType) {
  static_assert(kTableCount == kTables);
  switch (kind) {
    case BuiltinKind::NoArgScalar:
      return kNoArgTable;
    case BuiltinKind::ValueFunc:
      return kValueFuncTable;
    case BuiltinKind::ElementWise:
      ZB_ASSERT(resultType == kIntResult || resultType == kDoubleResult, "element result type");
      return resultType == kIntResult ? kElementIntTable : kElementDoubleTable;
    case BuiltinKind::ColumnWise:
    case BuiltinKind::ValueToScalar:
      ZB_ASSERT(resultType == kIntResult || resultType == kDoubleResult, "scalar result type");
      return resultType == kIntResult ? kScalarIntTable : kScalarDoubleTable;
    case BuiltinKind::ValueToValue:
      ZB_ASSERT(resultType == kIntResult || resultType == kDoubleResult, "value result type");
      return resultType == kIntResult ? kValueIntTable : kValueDoubleTable;
    case BuiltinKind::TwoArg:
    case BuiltinKind::FunctorTwoArg:
      return kTwoArgTable;
    case BuiltinKind::General:
      return kGeneralTable;
    case BuiltinKind::None:
    case BuiltinKind::UserFunction:
      break;
  }
  ZB_UNREACHABLE();
}

void BuiltinRegistry::add(std::span<const BuiltinEntry> entries) {
  for (const BuiltinEntry& e : entries) {
    int table = tableOf(e.kind, e.resultType);
    ZB_ASSERT(e.routine.index() == kTableSignature[table], "routine signature differs from kind");
    ZB_ASSERT(e.maxArgs == kNoUpperBound || e.maxArgs >= e.minArgs, "argument bounds");
    const auto listed = [&e](const auto& names) {
      return std::find(names.begin(), names.end(), e.name) != names.end();
    };
    bool anyType = (e.kind == BuiltinKind::General && listed(kTakesAnyType)) ||
                   (e.kind == BuiltinKind::ValueToScalar && listed(kQueriesOfAnyType));
    tables_[table].push_back(
        {e.name, e.routine, e.minArgs, e.maxArgs, e.booleanResult, anyType, e.resultTypeProbe});
    int index = static_cast<int>(tables_[table].size()) - 1;
    names_.insert_or_assign(std::string(e.name), Record{e.kind, index, e.resultType});
  }
}

void BuiltinRegistry::addComplexForms(std::span<const ComplexFormEntry> entries) {
  for (const ComplexFormEntry& e : entries) {
    auto it = names_.find(e.name);
    ZB_ASSERT(it != names_.end() && it->second.kind == BuiltinKind::ElementWise &&
                  it->second.resultType == kDoubleResult,
              "complex form for a name that is not an element-wise double built-in");
    ZB_ASSERT((e.form.toComplex != nullptr) != (e.form.toDouble != nullptr),
              "a complex form has exactly one routine");
    complexForms_.insert_or_assign(std::string(e.name), e.form);
  }
}

BuiltinKind BuiltinRegistry::lookup(std::string_view name) const {
  auto it = names_.find(name);
  return it == names_.end() ? BuiltinKind::None : it->second.kind;
}

std::optional<FunctionInfo> BuiltinRegistry::find(std::string_view name) const {
  auto it = names_.find(name);
  if (it == names_.end()) return std::nullopt;
  const Record& record = it->second;
  const RoutineSlot& slot = tables_[tableOf(record.kind, record.resultType)][record.index];
  FunctionInfo info;
  info.kind = record.kind;
  info.resultType = record.resultType;
  info.name = slot.name;
  info.routine = slot.routine;
  info.takesAnyType = slot.takesAnyType;
  info.booleanResult = slot.booleanResult;
  info.resultTypeProbe = slot.resultTypeProbe;
  std::tie(info.minArgs, info.maxArgs) = argumentBounds(record);
  return info;
}

std::pair<int, int> BuiltinRegistry::argumentBounds(const Record& record) const {
  switch (record.kind) {
    case BuiltinKind::UserFunction:
    case BuiltinKind::None:
    case BuiltinKind::NoArgScalar:
      return {0, 0};
    case BuiltinKind::ValueFunc:
      return {0, 1};
    case BuiltinKind::TwoArg:
      return {1, 2};
    case BuiltinKind::FunctorTwoArg:
      return {2, 2};
    case BuiltinKind::General: {
      const RoutineSlot& slot = tables_[kGeneralTable][record.index];
      return {slot.minArgs, slot.maxArgs};
    }
    default:
      return {1, 1};
  }
}

std::optional<ComplexForm> BuiltinRegistry::complexForm(std::string_view name) const {
  auto it = complexForms_.find(name);
  if (it == complexForms_.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> BuiltinRegistry::names() const {
  std::vector<std::string> result;
  result.reserve(names_.size());
  for (const auto& [name, record] : names_) result.push_back(name);
  return result;
}

Keyword keywordCode(std::string_view name) {
  auto it = std::lower_bound(kKeywords.begin(), kKeywords.end(), name,
                             [](const KeywordEntry& e, std::string_view n) { return e.name < n; });
  if (it == kKeywords.end() || it->name != name) return Keyword::None;
  return it->code;
}

std::vector<std::string_view> keywordNames() {
  std::vector<std::string_view> names;
  for (const KeywordEntry& entry : kKeywords) names.push_back(entry.name);
  return names;
}

}  // namespace zirbin::builtins
