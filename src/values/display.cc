// The text form of values: numbers into padded columns (stringForm) and values into
// coloured console lines (Display), with row truncation, emphasis and nested lists.
#include "values/display.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "base/console_output.h"
#include "base/errors.h"
#include "base/run_context.h"
#include "values/list_value.h"
#include "values/math_matrix.h"
#include "values/zipped_key.h"

namespace zirbin::values {

namespace {

// Colour letters by isInt + 2*flags, capped at the last position.
constexpr char kColourLetters[] = "bkOgrmBagggg";
constexpr int kLastColour = 11;
// Rows shown: every row below the limit, else the limit less this many.
constexpr int kRowLimitFull = 156;
constexpr int kRowLimitShort = 25;
constexpr int kRowsHeldBack = 6;
// At most this many columns are formed.
constexpr int kMaxDisplayColumns = 100;
// Precision of single numbers and narrow matrices, and of matrices of 4 columns and more.
constexpr int kPrecisionNarrow = 9;
constexpr int kPrecisionWide = 5;
constexpr int kWideFromColumns = 4;
// Column groups of 5 from 10 columns on; every fifth row emphasised from 10 rows on.
constexpr int kColumnGroup = 5;
constexpr int kGroupFromColumns = 10;
constexpr int kRowEmphasisEvery = 5;
constexpr int kRowEmphasisFromRows = 10;
// The console separates the items of a list whose largest item is below this size.
constexpr int kSeparatorBelowItemSize = 24;
// The field of an emphasised column is this much wider, holding "{*" and "}".
constexpr int kEmphasisWidening = 4;
constexpr char kHintSeparator[] = "       = ";

// The nesting depth of the lists being displayed is the running session's
// (runContext->listDepth).
struct DepthGuard {
  DepthGuard() { ++session::runContext->listDepth; }
  ~DepthGuard() { --session::runContext->listDepth; }
};

std::string rightAligned(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The character code of element i of a numeric value (truncated toward zero).
int characterCodeAt(const Value& value, int64_t i) {
  switch (value.valueType()) {
    case INTEGER_VAL: return static_cast<const JMatrix<int>&>(value).data[i];
    case DOUBLE_VAL: return truncateToInt(static_cast<const JMatrix<double>&>(value).data[i]);
    default: return truncateToInt(static_cast<const JMatrix<Complex>&>(value).data[i].real());
  }
}

// The rows to form: 0..shown-1, plus the last row when rows were cut.
std::vector<int> rowsToForm(const Value& value, int maxRows) {
  int shown = (maxRows != 0 && maxRows < value.nrow) ? maxRows : value.nrow;
  std::vector<int> rows;
  for (int r = 0; r < shown; ++r) rows.push_back(r);
  if (shown < value.nrow) rows.push_back(value.nrow - 1);
  return rows;
}

std::vector<std::string> characterForm(const Value& value, const std::vector<int>& rows) {
  std::vector<std::string> lines;
  int cols = value.ncol();
  for (int r : rows) {
    std::string text(static_cast<size_t>(cols), '\0');
    for (int c = 0; c < cols; ++c) {
      text[c] = static_cast<char>(characterCodeAt(value, static_cast<int64_t>(c) * value.nrow + r) & 0xFF);
    }
    lines.push_back(std::move(text));
  }
  return lines;
}

// Zipped keys shown as their names, the keys of one row separated by a blank; nothing
// when some element is no key (a key changed by arithmetic), which then shows as a number.
std::optional<std::vector<std::string>> keyForm(const Value& value, const std::vector<int>& rows) {
  std::vector<std::string> lines;
  int cols = value.ncol();
  for (int r : rows) {
    std::string text;
    for (int c = 0; c < cols; ++c) {
      int64_t i = static_cast<int64_t>(c) * value.nrow + r;
      double key = -1;  // a complex value holds no keys
      if (value.valueType() == INTEGER_VAL) key = static_cast<const JMatrix<int>&>(value).data[i];
      if (value.valueType() == DOUBLE_VAL) key = static_cast<const JMatrix<double>&>(value).data[i];
      std::optional<std::string> name = unzipName(key);
      if (!name) return std::nullopt;
      if (c > 0) text += ' ';
      text += *name;
    }
    lines.push_back(std::move(text));
  }
  return lines;
}

std::vector<std::string> numericForm(int precision, const Value& value, int group,
                                     const std::vector<int>& rows, int cols) {
  std::vector<std::vector<std::string>> items(rows.size(), std::vector<std::string>(cols));
  std::vector<size_t> widths(cols, 0);
  for (size_t k = 0; k < rows.size(); ++k) {
    for (int c = 0; c < cols; ++c) {
      value.stringItem(items[k][c], static_cast<int>(static_cast<int64_t>(c) * value.nrow + rows[k]),
                       precision);
      widths[c] = std::max(widths[c], items[k][c].size());
    }
  }
  std::vector<std::string> lines;
  for (size_t k = 0; k < rows.size(); ++k) {
    std::string line;
    for (int c = 0; c < cols; ++c) {
      bool emphasised = group != 0 && c >= 1 && (c + 1) % group == 0;
      if (emphasised) {
        line += rightAligned("{*" + items[k][c] + "}", widths[c] + 1 + kEmphasisWidening);
      } else {
        line += rightAligned(items[k][c], widths[c] + 1);
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Writes one line of the value: the first follows the caller's newLineFirst, the others
// always start a line of their own.
class LineWriter {
 public:
  LineWriter(session::ConsoleOutput& out, bool first) : out_(out), newLineFirst_(first) {}
  void line(const std::string& text) {
    out_.print(text, newLineFirst_, session::kPrintLines);
    newLineFirst_ = true;
  }
  // A text shown in colour c; character data goes into a literal group, split at line
  // feeds, so that braces, '_', '^' and '\' show as themselves.
  void characters(char colour, const std::string& text) {
    size_t start = 0;
    while (true) {
      size_t end = text.find('\n', start);
      std::string piece = text.substr(start, end == std::string::npos ? end : end - start);
      bool literal = session::hasMarkupChars(piece);
      line(std::string("{") + colour + (literal ? ";" : " ") + piece);
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  session::ConsoleOutput& out() { return out_; }

 private:
  session::ConsoleOutput& out_;
  bool newLineFirst_;
};

// "(" + shown + " rows of " + total + " shown)", built by appending (GCC 12 warns
// falsely about chains of string concatenations).
std::string cutNote(int shown, int total, const char* what) {
  std::string note = "(";
  note.append(std::to_string(shown)).append(" ").append(what).append(" of ");
  note.append(std::to_string(total)).append(" shown)");
  return note;
}

void displayNumeric(LineWriter& writer, const Value& value, char colour, int shownRows,
                    bool hint) {
  if (value.size == 1 && value.kind() != JMAT_3D) {
    std::string text;
    value.stringItem(text, 0, kPrecisionNarrow);
    std::string line = std::string("{") + colour + " " + text;
    int type = value.valueType();
    if (hint && (type == INTEGER_VAL || type == DOUBLE_VAL)) {
      std::string closed = closedFormHint(value.getDouble(), kHintTolerance);
      if (!closed.empty() && closed[0] != ' ') line += kHintSeparator + closed;
    }
    writer.line(line);
    return;
  }
  int cols = value.ncol();
  int precision = cols < kWideFromColumns ? kPrecisionNarrow : kPrecisionWide;
  int group = cols >= kGroupFromColumns ? kColumnGroup : 0;
  std::vector<std::string> rows = stringForm(precision, value, group, shownRows, kMaxDisplayColumns);
  int formed = shownRows != 0 ? shownRows : value.nrow;
  for (int r = 0; r < formed; ++r) {
    bool emphasised = value.nrow >= kRowEmphasisFromRows && (r + 1) % kRowEmphasisEvery == 0;
    // An emphasised row is one bold group in the value's colour.
    writer.line(std::string("{") + colour + (emphasised ? "*" : " ") + rows[r]);
  }
  if (shownRows != 0) {
    std::string last = std::string("{") + colour + " " + rows.back();
    writer.line("...\n" + last + "\n" + cutNote(shownRows, value.nrow, "rows"));
  }
}

void displayCharacters(LineWriter& writer, const Value& value, char colour, int shownRows) {
  // The precision serves only a zipped key whose elements are no keys.
  std::vector<std::string> rows = stringForm(kPrecisionNarrow, value, 0, shownRows, 0);
  int formed = shownRows != 0 ? shownRows : value.nrow;
  for (int r = 0; r < formed; ++r) writer.characters(colour, rows[r]);
  if (shownRows != 0) {
    writer.line("...");
    writer.characters(colour, rows.back());
    writer.line(cutNote(shownRows, value.nrow, "rows"));
  }
}

void displayList(LineWriter& writer, const ListValue& list, bool full, int rowLimit) {
  std::string indent(static_cast<size_t>(session::runContext->listDepth), ' ');
  writer.line("{*" + indent + "[}");
  {
    DepthGuard depth;
    session::ConsoleOutput& out = writer.out();
    std::string savedSeparator = out.itemSeparator;
    int largest = 0;
    for (int i = 0; i < list.size; ++i) {
      if (list.data[i].value) largest = std::max(largest, list.data[i].value->size);
    }
    int cols = list.ncol();
    if (largest < kSeparatorBelowItemSize) out.itemSeparator.assign(1, cols == 1 ? ';' : ',');
    int limit = list.size >= rowLimit ? rowLimit - kRowsHeldBack : list.size;
    int shown = 0;
    try {
      for (int r = 0; r < list.nrow && shown < limit; ++r) {
        if (cols > 1 && r > 0) writer.line("---next row---");
        for (int c = 0; c < cols && shown < limit; ++c, ++shown) {
          const ListItem& item = list.data[static_cast<int64_t>(c) * list.nrow + r];
          displayTo(out, item.value ? *item.value : emptyPlaceholder(), full, true, false);
        }
      }
    } catch (...) {
      out.itemSeparator = savedSeparator;
      throw;
    }
    out.itemSeparator = savedSeparator;
    if (shown < list.size) {
      writer.line("...\n" + cutNote(shown, list.size, "items"));
    }
  }
  writer.line("{*" + indent + "]}");
}

}  // namespace

char colourLetter(const Value& value) {
  int64_t i = (value.valueType() == INTEGER_VAL ? 1 : 0) + 2 * static_cast<int64_t>(value.flags);
  return kColourLetters[std::clamp<int64_t>(i, 0, kLastColour)];
}

std::vector<std::string> stringForm(int precision, const Value& value, int group, int maxRows,
                                    int maxCols) {
  int kind = value.kind();
  if (value.size == 0) return {kind == JMAT_CHAR ? "''" : "[]"};
  if (value.valueType() == LIST_VAL) throw std::string("stringForm not implemented for LIST_VAL");
  std::vector<int> rows = rowsToForm(value, maxRows);
  if (kind == JMAT_CHAR) return characterForm(value, rows);
  if (kind == JMAT_ZIPKEY) {
    if (std::optional<std::vector<std::string>> names = keyForm(value, rows)) return *names;
  }
  int cols = value.ncol();
  if (maxCols != 0 && cols > maxCols) cols = maxCols;
  return numericForm(precision, value, group, rows, cols);
}

void displayTo(session::ConsoleOutput& out, const Value& value, bool full, bool first,
               bool hint) {
  LineWriter writer(out, first);
  char colour = colourLetter(value);
  if (value.size == 0) {
    writer.line(std::string("{") + colour + " " + stringForm(0, value, 0, 0, 0).front());
    return;
  }
  int rowLimit = full ? kRowLimitFull : kRowLimitShort;
  int shownRows = value.nrow >= rowLimit ? rowLimit - kRowsHeldBack : 0;
  if (value.valueType() == LIST_VAL) {
    session::check(value.kind() == JMAT_LIST, "Display", "v is a LIST_VAL but not a JMAT_LIST");
  }
  switch (value.kind()) {
    case JMAT_PLAIN:
    case JMAT_BOOL:
    case JMAT_PAIRED:
    case JMAT_3D:  // shown as its underlying matrix: rows by columns times pages
      displayNumeric(writer, value, colour, shownRows, hint);
      return;
    case JMAT_CHAR:
    case JMAT_ZIPKEY:
      displayCharacters(writer, value, colour, shownRows);
      return;
    case JMAT_LIST:
      if (value.valueType() == LIST_VAL) {
        displayList(writer, static_cast<const ListValue&>(value), full, rowLimit);
        return;
      }
      break;
    default:
      break;
  }
  out.print("{r warning: Display: failed to show a value} ", true, session::kPrintLines);
}

void Display(const Value& value, bool full, bool first, bool hint) {
  if (session::runContext->console)
    displayTo(*session::runContext->console, value, full, first, hint);
}

}  // namespace zirbin::values
