// The expression compiler's calls and variable forms: function calls with their argument
// lists and the node of each built-in kind, function references, (expr).func, the dot
// and backslash forms after a variable, and indexing.
#include <algorithm>
#include <iterator>
#include <string_view>
#include <variant>

#include "engine/registry.h"
#include "compiler/expression_compiler.h"
#include "compiler/expression_sequence.h"
#include "engine/assign_statements.h"
#include "engine/conversion_elements.h"
#include "engine/function_elements.h"
#include "engine/indexing_elements.h"
#include "engine/leaf_elements.h"
#include "engine/user_func_elements.h"
#include "engine/user_function.h"
#include "base/errors.h"
#include "engine/workspace.h"
#include "values/math_matrix.h"
#include "values/value.h"

namespace zirbin::compiler {

using builtins::BuiltinKind;
using engine::Evaluatable;
using session::SymbolKind;
using session::SyntaxError;

namespace {

// Indices a variable may take.
constexpr std::size_t kMaxIndices = 3;

// Built-ins of one argument that may be called without it, the argument then being 0:
// `figure` alone opens a new figure, as figure(0) does.
constexpr std::string_view kZeroWhenOmitted[] = {"figure"};
// Built-ins of one argument that also stand alone: the call gets an empty matrix, which
// they read as "no argument" (getmouse gives the mouse position).
constexpr std::string_view kEmptyWhenOmitted[] = {"getmouse"};

bool isRoundBracket(const Token& token) {
  return token.kind == kBracketToken && token.code == ')';
}

// The pieces of a bracket's contents between top-level commas.
std::vector<TokenList> splitAtCommas(const TokenList& children) {
  std::vector<TokenList> pieces(1);
  for (const Token& t : children) {
    if (t.kind == kSeparatorToken && t.code == ',') {
      pieces.emplace_back();
    } else {
      pieces.back().push_back(t);
    }
  }
  return pieces;
}

// True iff tokens [first, end) are the word form of a property query: names, strings and
// numbers only, a name or string first (Fe density, water vapourpressure 50). Such words
// are the query itself, so a name is taken as its text, not looked up.
bool arePropertyWords(const TokenList& tokens, std::size_t first, std::size_t end) {
  if (first >= end || (tokens[first].kind != kNameToken && tokens[first].kind != kStringToken)) {
    return false;
  }
  for (std::size_t i = first; i < end; ++i) {
    const int kind = tokens[i].kind;
    if (kind != kNameToken && kind != kStringToken && kind != kIntegerToken &&
        kind != kRealToken) {
      return false;
    }
  }
  return true;
}

template <typename Fn>
Fn routineOf(const builtins::FunctionInfo& info) {
  const Fn* f = std::get_if<Fn>(&info.routine);
  ZB_ASSERT(f != nullptr, "a built-in routine of the wrong signature for its kind");
  return *f;
}

}  // namespace

// call -> name '^' exponent '(' args ')' | name '(' args ')' | name [string] | name rest
std::size_t ExpressionCompiler::compileCall(const TokenList& tokens, std::size_t at,
                                            std::size_t end, Sequence& sequence) {
  const std::string name = tokens[at].text;
  if (tokens[at].code == '^' && at + 1 < end && tokens[at + 1].kind == kBinaryOpToken &&
      tokens[at + 1].code == '^') {
    // name^n(args) is name(args)^n.
    if (at + 3 >= end || !isRoundBracket(tokens[at + 3])) {
      throw SyntaxError("function with ^ requires an argument in a bracket");
    }
    sequence.appendOperand(makeCall(name, callArguments(name, tokens[at + 3]), true));
    sequence.setOperator('^');
    sequence.appendOperand(compileOperand(tokens[at + 2]));
    return at + 4;
  }
  if (at + 1 < end && isRoundBracket(tokens[at + 1])) {
    sequence.appendOperand(makeCall(name, callArguments(name, tokens[at + 1]), true));
    return at + 2;
  }
  if (name == "property" && arePropertyWords(tokens, at + 1, end)) {
    sequence.appendOperand(makeCall(name, propertyWords(tokens, at + 1, end)));
    return end;
  }
  std::vector<EvaluatablePtr> arguments;
  const bool takesWord = name == "cd" || name == "dir";
  if (takesWord && at + 1 < end &&
      (tokens[at + 1].kind == kNameToken || tokens[at + 1].kind == kStringToken)) {
    arguments.push_back(std::make_unique<engine::StringLiteralElement>(tokens[at + 1].text));
    sequence.appendOperand(makeCall(name, std::move(arguments)));
    return at + 2;
  }
  if (at + 1 < end) {
    // f x + 1 is f(x + 1): the rest of the expression is the argument.
    arguments.push_back(compileExpression(tokens, at + 1, end));
    sequence.appendOperand(makeCall(name, std::move(arguments)));
    return end;
  }
  sequence.appendOperand(makeCall(name, {}));
  return at + 1;
}

// dotCall -> '(' expr ')' '.' name
std::size_t ExpressionCompiler::compileDotCall(const TokenList& tokens, std::size_t at,
                                               std::size_t end, Sequence& sequence) {
  std::size_t n = at + 1;
  if (n < end && tokens[n].kind == kBinaryOpToken && tokens[n].code == '.') ++n;
  if (n >= end || tokens[n].kind != kNameToken) throw SyntaxError("invalid ().func syntax");
  const std::string& name = tokens[n].text;
  if (workspace_.classify(name) != SymbolKind::kFunction) {
    throw SyntaxError(name + " is not a function");
  }
  std::vector<EvaluatablePtr> arguments;
  arguments.push_back(compileOperand(tokens[at]));
  sequence.appendOperand(makeCall(name, std::move(arguments)));
  return n + 1;
}

// The arguments of a call of `name`. A built-in that takes exactly one value (element-wise,
// column-wise, value-to-scalar, value-to-value) reads several comma-separated arguments as
// one row joined as inside '[ ]', so that zeros(2, 3) is zeros([2, 3]). An argument
// written as a bracketed matrix is plainly an argument of its own, so such a call keeps
// its arguments and is refused by the count check (SGfilter([5, 2], y) has too many).
std::vector<EvaluatablePtr> ExpressionCompiler::callArguments(const std::string& name,
                                                              const Token& bracket) {
  const BuiltinKind kind = registry_.lookup(name);
  const bool takesOneValue = kind == BuiltinKind::ElementWise ||
                             kind == BuiltinKind::ColumnWise ||
                             kind == BuiltinKind::ValueToScalar ||
                             kind == BuiltinKind::ValueToValue;
  const std::vector<TokenList> pieces = splitAtCommas(bracket.children);
  const bool matrixPiece = std::any_of(pieces.begin(), pieces.end(), [](const TokenList& p) {
    return p.size() == 1 && p[0].kind == kBracketToken && p[0].code == ']';
  });
  if (takesOneValue && pieces.size() > 1 && !matrixPiece) {
    std::vector<EvaluatablePtr> joined;
    joined.push_back(compileExpression(bracket.children));
    return joined;
  }
  return compileArguments(bracket);
}

// args -> [ '\'name {',' '\'name} | expr ';' name ] {',' arg}
std::vector<EvaluatablePtr> ExpressionCompiler::compileArguments(const Token& bracket) {
  std::vector<EvaluatablePtr> arguments;
  if (bracket.children.empty()) return arguments;
  const std::vector<TokenList> pieces = splitAtCommas(bracket.children);
  for (const TokenList& piece : pieces) {
    if (piece.empty()) throw SyntaxError("stray comma or empty argument");
    const auto semicolon = std::find_if(piece.begin(), piece.end(), [](const Token& t) {
      return t.kind == kSeparatorToken && t.code == ';';
    });
    if (semicolon != piece.end()) {
      // The inline function form: (expr; x, more arguments).
      if (!arguments.empty()) {
        throw SyntaxError("'(expr; ...)' syntax can only be used for the first argument");
      }
      const auto x = semicolon + 1;
      if (x == piece.end() || x->kind != kNameToken) {
        throw SyntaxError("missing x in '(func(x); x, ...)' form");
      }
      if (x + 1 != piece.end() || pieces.size() == 1) {
        throw SyntaxError("missing comma in '(func(x); x, ...)' form");
      }
      arguments.push_back(inlineFunction(TokenList(piece.begin(), semicolon), *x));
      continue;
    }
    if (piece.size() == 1 && piece[0].kind == kBackslashToken) {
      if (!arguments.empty() && arguments.back()->nodeKind() != engine::kFuncRefNode) {
        throw SyntaxError("function reference(s) must be the first argument(s)");
      }
      arguments.push_back(functionReference(piece[0]));
      continue;
    }
    for (const Token& t : piece) {
      // m[:, k] and m[k, :] are lexed with the backslash kind but are plain indexing.
      if (t.kind == kBackslashToken && !isWholeLineIndex(t)) {
        throw SyntaxError("invalid syntax for a function reference");
      }
    }
    arguments.push_back(piece.size() == 1 ? compileOperand(piece[0]) : compileExpression(piece));
  }
  return arguments;
}

// funcRef -> '\' name
EvaluatablePtr ExpressionCompiler::functionReference(const Token& token) {
  if (token.text.empty()) throw SyntaxError("stray backslash");
  auto* table = dynamic_cast<engine::FunctionTable*>(workspace_.functionTable());
  if (table && table->findFunction(token.text)) {
    // Built-ins evaluate a user function at points of their own: only a quick one can be.
    if (!table->found()->quick()) throw SyntaxError("non-quick user function cannot be used here");
    return std::make_unique<engine::FuncRefElement>(
        std::make_unique<engine::StringLiteralElement>(token.text));
  }
  if (registry_.lookup(token.text) == BuiltinKind::None) {
    throw SyntaxError("after backslash: no such built-in function");
  }
  // The child names the function; the receiving built-in resolves it.
  return std::make_unique<engine::FuncRefElement>(
      std::make_unique<engine::StringLiteralElement>(token.text));
}

EvaluatablePtr ExpressionCompiler::inlineFunction(const TokenList& expression,
                                                 const Token& parameter) {
  const std::string& x = parameter.text;
  if (workspace_.classify(x) == SymbolKind::kConstant) {
    throw SyntaxError("don't use a constant as the parameter name here");
  }
  engine::FunctionDeclaration declaration;
  declaration.name = "(...; " + x + ")";
  declaration.outputs = {"return"};
  declaration.outputTypes = {values::DOUBLE_VAL};
  declaration.parameters = {x};
  declaration.parameterTypes = {values::DOUBLE_VAL};
  auto function = std::make_unique<engine::UserFunc>(std::move(declaration));
  function->beginCompilation();
  function->adoptLocal(x, values::newValue(values::DOUBLE_VAL));
  // Inside a function body the expression also sees the body's variables; calls it
  // makes count for that body's bookkeeping (dependants, recursion).
  session::Workspace::SuspendedScope scope = workspace_.bindInlineParameter(x, function->local(0));
  EvaluatablePtr body;
  try {
    body = compileExpression(expression);
  } catch (...) {
    workspace_.resumeFunctionScope(std::move(scope));
    throw;
  }
  workspace_.resumeFunctionScope(std::move(scope));
  const int type = body->resultType() == engine::kUnknownType ? values::DOUBLE_VAL
                                                               : body->resultType();
  function->adoptLocal("return", values::newValue(type));
  values::Value* result = function->mainOutput();
  function->finish(std::make_unique<engine::ReturnStm>(std::move(body), 0, result));
  return std::make_unique<engine::FuncRefElement>(
      std::make_unique<engine::QuickUserFuncElement>(std::move(function)));
}

// `end`: the extent of the value being indexed; outside an index a stray keyword.
EvaluatablePtr ExpressionCompiler::endIndex() {
  if (!index_) throw SyntaxError("stray 'end' keyword");
  return std::make_unique<engine::EndIndexElement>(index_->value, index_->mode);
}

// property -> '<<' (words | args): the rest of the expression is the argument list of the
// built-in "property", as words (Fe density) or as arguments ('Fe', 'density').
EvaluatablePtr ExpressionCompiler::propertyCall(const TokenList& tokens, std::size_t first,
                                                std::size_t end) {
  Token arguments;
  arguments.kind = kBracketToken;
  arguments.code = ')';
  arguments.children.assign(tokens.begin() + first, tokens.begin() + end);
  if (workspace_.classify("property") != SymbolKind::kFunction) {
    throw SyntaxError(unknownNameMessage("property"));
  }
  if (arePropertyWords(tokens, first, end)) {
    return makeCall("property", propertyWords(tokens, first, end));
  }
  return makeCall("property", compileArguments(arguments));
}

// The arguments of the word form of a property query: names and strings as strings,
// numbers as numbers.
std::vector<EvaluatablePtr> ExpressionCompiler::propertyWords(const TokenList& tokens,
                                                              std::size_t first, std::size_t end) {
  std::vector<EvaluatablePtr> arguments;
  for (std::size_t i = first; i < end; ++i) {
    const Token& word = tokens[i];
    if (word.kind == kNameToken || word.kind == kStringToken) {
      arguments.push_back(std::make_unique<engine::StringLiteralElement>(word.text));
    } else {
      arguments.push_back(compileOperand(word));
    }
  }
  return arguments;
}

// The call node of the built-in `name`, after the checks of its argument count and
// types.
EvaluatablePtr ExpressionCompiler::makeCall(const std::string& name,
                                            std::vector<EvaluatablePtr> arguments,
                                            bool bracketed) {
  if (auto* table = dynamic_cast<engine::FunctionTable*>(workspace_.functionTable())) {
    if (table->findFunction(name)) {
      return makeUserCall(*table->found(), std::move(arguments), bracketed);
    }
  }
  const std::optional<builtins::FunctionInfo> found = registry_.find(name);
  if (!found) throw SyntaxError(name + " is not a function");
  const builtins::FunctionInfo& info = *found;
  const BuiltinKind kind = info.kind;
  const int minArgs = info.minArgs;
  const int maxArgs = info.maxArgs;
  if (arguments.empty() && std::find(std::begin(kZeroWhenOmitted), std::end(kZeroWhenOmitted),
                                     name) != std::end(kZeroWhenOmitted)) {
    arguments.push_back(engine::makeIntNumber(0));
  }
  if (arguments.empty() && std::find(std::begin(kEmptyWhenOmitted), std::end(kEmptyWhenOmitted),
                                     name) != std::end(kEmptyWhenOmitted)) {
    arguments.push_back(engine::makeConstant(values::newValue(values::DOUBLE_VAL)));
  }
  const int count = static_cast<int>(arguments.size());
  if (count < minArgs) {
    if (count == 0 && !bracketed) throw SyntaxError("function requires a parameter");
    throw SyntaxError(name + "(...) has too few arguments");
  }
  if (maxArgs != builtins::kNoUpperBound && count > maxArgs) {
    throw SyntaxError(name + "(...) has too many arguments");
  }
  bool complexArgument = false;
  for (EvaluatablePtr& argument : arguments) {
    // Only General built-ins take functions (and a functor reports a missing parameter
    // itself); for any other kind a reference is no value of the class the call expects.
    if (argument->nodeKind() == engine::kFuncRefNode && kind != BuiltinKind::General &&
        kind != BuiltinKind::FunctorTwoArg) {
      throw SyntaxError("illegal argument type");
    }
    const int type = argument->resultType();
    if (type == engine::kUnknownType) {
      if (!info.takesAnyType) {
        argument = std::make_unique<engine::TypeCheckElement>(std::move(argument));
      }
    } else if (type == engine::kComplexType || type == engine::kListType) {
      if (kind == BuiltinKind::ElementWise) {
        if (type == engine::kListType) throw SyntaxError("function may not be applied to a list");
        complexArgument = true;
      } else if (!info.takesAnyType) {
        throw SyntaxError("illegal argument type");
      }
    }
  }
  if (kind == BuiltinKind::ElementWise) {
    return elementWiseCall(name, info, std::move(arguments[0]), complexArgument);
  }
  return callNode(info, std::move(arguments));
}

// An element-wise built-in: its complex form for a complex argument, the integer form on
// integers (doubles truncated), else the double form.
EvaluatablePtr ExpressionCompiler::elementWiseCall(const std::string& name,
                                                   const builtins::FunctionInfo& info,
                                                   EvaluatablePtr argument, bool complexArgument) {
  if (complexArgument) {
    const std::optional<builtins::ComplexForm> form = registry_.complexForm(name);
    if (!form) throw SyntaxError("this function does not accept a complex argument");
    if (form->toComplex) {
      return std::make_unique<engine::SimpleFuncComplexElement>(std::move(argument),
                                                                form->toComplex);
    }
    return std::make_unique<engine::SimpleFuncCtoDElement>(std::move(argument), form->toDouble);
  }
  if (info.resultType == engine::kIntType) {
    if (argument->resultType() != engine::kIntType) {
      argument = std::make_unique<engine::DoubleToIntElement>(std::move(argument));
    }
    return std::make_unique<engine::SimpleFuncIntElement>(std::move(argument),
                                                          routineOf<engine::ElementIntFn>(info));
  }
  return std::make_unique<engine::SimpleFuncElement>(std::move(argument),
                                                     routineOf<engine::ElementDoubleFn>(info));
}

namespace {

// The result type of a General call: the registered one, or, for a built-in with a probe
// whose first argument is a string literal, the type the probe finds for that text.
int generalResultType(const builtins::FunctionInfo& info,
                      const std::vector<EvaluatablePtr>& arguments) {
  if (info.resultTypeProbe == nullptr || arguments.empty()) return info.resultType;
  auto* literal = dynamic_cast<engine::StringLiteralElement*>(arguments[0].get());
  if (literal == nullptr) return info.resultType;
  values::IntValue text;
  const int type = info.resultTypeProbe(literal->pValue(text)->toString());
  return type < 0 ? info.resultType : type;
}

}  // namespace

// The node of every other kind, with its checked arguments.
EvaluatablePtr ExpressionCompiler::callNode(const builtins::FunctionInfo& info,
                                            std::vector<EvaluatablePtr> arguments) {
  const bool intResult = info.resultType == engine::kIntType;
  EvaluatablePtr first = arguments.empty() ? nullptr : std::move(arguments[0]);
  switch (info.kind) {
    case BuiltinKind::NoArgScalar:
      return std::make_unique<engine::TicLikeFuncElement>(routineOf<engine::NoArgScalarFn>(info));
    case BuiltinKind::ValueFunc: {
      const auto f = routineOf<engine::ValueFuncFn>(info);
      // Called once now to learn the type of its result.
      return std::make_unique<engine::AnsFuncElement>(std::move(first), f, f(0)->valueType());
    }
    case BuiltinKind::ColumnWise:
      if (intResult) {
        return std::make_unique<engine::ColumnWiseFuncI_Element>(
            std::move(first), routineOf<engine::ValueToIntFn>(info), info.booleanResult);
      }
      return std::make_unique<engine::ColumnWiseFuncD_Element>(
          std::move(first), routineOf<engine::ValueToDoubleFn>(info));
    case BuiltinKind::ValueToScalar:
      if (intResult) {
        return std::make_unique<engine::Value2ScalarI_Element>(
            std::move(first), routineOf<engine::ValueToIntFn>(info));
      }
      return std::make_unique<engine::Value2ScalarD_Element>(
          std::move(first), routineOf<engine::ValueToDoubleFn>(info));
    case BuiltinKind::ValueToValue:
      if (intResult) {
        return std::make_unique<engine::DVal_IValFuncElement>(
            std::move(first), routineOf<engine::ValueToValueFn>(info));
      }
      return std::make_unique<engine::DVal_DValFuncElement>(
          std::move(first), routineOf<engine::ValueToValueFn>(info));
    case BuiltinKind::TwoArg:
      return std::make_unique<engine::TwoArgFuncElement>(
          std::move(first), arguments.size() > 1 ? std::move(arguments[1]) : nullptr,
          routineOf<engine::TwoArgFn>(info));
    case BuiltinKind::FunctorTwoArg:
      return std::make_unique<engine::SimpleFunctorElement>(
          std::move(first), std::move(arguments[1]), routineOf<engine::TwoArgFn>(info));
    case BuiltinKind::General: {
      if (first) arguments[0] = std::move(first);
      const int resultType = generalResultType(info, arguments);
      return std::make_unique<engine::GeneralFuncElement>(
          info.name, std::move(arguments), routineOf<engine::GeneralFn>(info), resultType);
    }
    default:
      ZB_UNREACHABLE();
  }
}

// A call of a user function: a quick call when the function is quick (vectorised when it
// was defined with '::='), else the general call.
EvaluatablePtr ExpressionCompiler::makeUserCall(engine::UserFunc& function,
                                                std::vector<EvaluatablePtr> arguments,
                                                bool bracketed) {
  const int count = static_cast<int>(arguments.size());
  const int minArgs = function.minimumArguments();
  const int maxArgs = function.parameterCount();
  if (count < minArgs) {
    if (count == 0 && !bracketed) throw SyntaxError("function requires a parameter");
    throw SyntaxError(function.name() + "(...) has too few arguments");
  }
  if (count > maxArgs) throw SyntaxError(function.name() + "(...) has too many arguments");
  for (const EvaluatablePtr& argument : arguments) {
    if (argument->nodeKind() == engine::kFuncRefNode) throw SyntaxError("illegal argument type");
  }
  if (function.quick() && function.declaration().referenceMask == 0) {
    return std::make_unique<engine::QuickUserFuncElement>(&function, std::move(arguments),
                                                          function.declaration().vectorised);
  }
  return std::make_unique<engine::UserFuncElement>(&function, std::move(arguments));
}

// variableForm -> name '.' (integer | name | bracket) | name '\' ...
std::size_t ExpressionCompiler::compileVariableForm(const TokenList& tokens, std::size_t at,
                                                    std::size_t end, Sequence& sequence) {
  values::Value* value = workspace_.lookup().value;
  std::size_t n = at + 1;
  if (tokens[at].code == '\\') {
    if (n >= end) throw SyntaxError("expression ends with a dot or backslash");
    if (isPageIndex(tokens[n])) {
      sequence.appendOperand(compileIndex(pageIndexBracket(tokens[n]), value));
      return n + 1;
    }
    if (isWholeLineIndex(tokens[n])) {
      // m[:, k] is column k, m[k, :] row k.
      const int mode = wholeLineMode(tokens[n]);
      std::vector<EvaluatablePtr> index = compileIndexPieces(tokens[n], value, false, mode);
      if (index.size() != 1) throw SyntaxError("incorrect use of ':'");
      sequence.appendOperand(
          std::make_unique<engine::IndexedElementSingle>(std::move(index[0]), value, mode));
      return n + 1;
    }
    if (tokens[n].kind == kBackslashToken && !tokens[n].text.empty()) {
      throw SyntaxError("'var\\func' is not allowed (insert a space or use a bracket).");
    }
    throw SyntaxError("incorrect use of backslash");
  }
  if (n < end && tokens[n].kind == kBinaryOpToken && tokens[n].code == '.') ++n;
  if (n >= end) throw SyntaxError("expression ends with a dot or backslash");
  const Token& after = tokens[n];
  if (after.kind == kNameToken && workspace_.classify(after.text) == SymbolKind::kFunction) {
    // x.func is func(x).
    std::vector<EvaluatablePtr> arguments;
    arguments.push_back(std::make_unique<engine::ValueElement>(value));
    sequence.appendOperand(makeCall(after.text, std::move(arguments)));
    return n + 1;
  }
  if (after.kind != kIntegerToken && after.kind != kNameToken && after.kind != kBracketToken) {
    throw SyntaxError("the dot must be followed by an integer or a name or a bracket");
  }
  // x.k and x.(expr) select item or element k.
  Token index;
  index.kind = kBracketToken;
  index.code = ']';
  index.children.push_back(after);
  sequence.appendOperand(compileIndex(index, value));
  return n + 1;
}

// indices -> piece {',' piece}; piece -> ':' | expr
bool isWholeLineIndex(const Token& token) {
  return token.kind == kBackslashToken && !token.text.empty() && token.text[0] == '[';
}

int wholeLineMode(const Token& token) {
  return token.code == 2 ? values::kColumnMode : values::kRowMode;
}

bool isPageIndex(const Token& token) {
  return isWholeLineIndex(token) && splitAtCommas(token.children).size() == 2;
}

Token pageIndexBracket(const Token& token) {
  Token colon, comma;
  colon.kind = comma.kind = kSeparatorToken;
  colon.code = ':';
  comma.code = ',';
  Token bracket = token;
  bracket.kind = kBracketToken;
  bracket.code = ']';
  bracket.text.clear();
  // Code 2: the ':' stood first; code 1: last.
  if (token.code == 2) {
    bracket.children.insert(bracket.children.begin(), {colon, comma});
  } else {
    bracket.children.push_back(comma);
    bracket.children.push_back(colon);
  }
  return bracket;
}

std::vector<EvaluatablePtr> ExpressionCompiler::compileIndexPieces(const Token& bracket,
                                                                   values::Value* value,
                                                                   bool keepSequences,
                                                                   int singleMode) {
  if (bracket.children.empty()) throw SyntaxError("empty index list");
  std::vector<TokenList> pieces = splitAtCommas(bracket.children);
  if (pieces.size() > kMaxIndices) throw SyntaxError("too many indices");
  const IndexContext* outer = index_;
  std::vector<EvaluatablePtr> indices;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const TokenList& piece = pieces[k];
    if (piece.empty()) throw SyntaxError("stray comma or empty argument");
    // `end` in this piece is the extent of `value` along the piece's mode.
    constexpr int kModes[] = {values::kRowMode, values::kColumnMode, values::kPageMode};
    const int mode = pieces.size() == 1 ? singleMode : kModes[k];
    const IndexContext context{value, mode};
    index_ = &context;
    EvaluatablePtr index;
    try {
      index = piece.size() == 1 ? compileOperand(piece[0]) : compileExpression(piece);
    } catch (...) {
      index_ = outer;
      throw;
    }
    index_ = outer;
    const int kind = index->nodeKind();
    const bool keep = kind == engine::kOpenSequenceNode ||
                      (keepSequences && kind == engine::kSequenceNode);
    const int type = index->resultType();
    if (!keep && type == engine::kDoubleType) {
      index = std::make_unique<engine::DoubleToIntElement>(std::move(index));
    } else if (!keep && type != engine::kIntType) {
      throw SyntaxError("invalid type of index");
    }
    indices.push_back(std::move(index));
  }
  return indices;
}

// index -> '[' indices ']'
EvaluatablePtr ExpressionCompiler::compileIndex(const Token& bracket, values::Value* value) {
  const bool list = value->valueType() == engine::kListType;
  if (list && splitAtCommas(bracket.children).size() > 1) {
    throw SyntaxError("list indexing with more than 1 index is not yet implemented");
  }
  std::vector<EvaluatablePtr> indices = compileIndexPieces(bracket, value, !list);
  if (list) {
    return std::make_unique<engine::ListItemElement>(std::move(indices[0]), value,
                                                     engine::kUnknownType);
  }
  if (indices.size() == 1) {
    if (indices[0]->nodeKind() == engine::kSequenceNode) {
      // v[a:s:b] walks the sequence without building the index list.
      auto* sequence = static_cast<engine::SequenceElement*>(indices[0].get());
      return std::make_unique<engine::IndexedWithSequenceElement>(
          value, values::kAutoMode, sequence->releaseStart(), sequence->releaseStep(),
          sequence->releaseStop());
    }
    return std::make_unique<engine::IndexedElementSingle>(std::move(indices[0]), value,
                                                          values::kAutoMode);
  }
  for (EvaluatablePtr& index : indices) {
    // A sequence among several indices is an ordinary index list.
    if (index->nodeKind() == engine::kSequenceNode && index->resultType() == engine::kDoubleType) {
      index = std::make_unique<engine::DoubleToIntElement>(std::move(index));
    }
  }
  if (indices.size() == 3) {
    return std::make_unique<engine::IndexedElementTriple>(
        std::move(indices[0]), std::move(indices[1]), std::move(indices[2]), value);
  }
  return std::make_unique<engine::IndexedElementDouble>(std::move(indices[0]),
                                                        std::move(indices[1]), value);
}

}  // namespace zirbin::compiler
