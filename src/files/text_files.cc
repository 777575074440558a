// The whole-file text built-ins and the numeric-table reader.
#include "files/text_files.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "files/atomic_file.h"
#include "files/path_list.h"
#include "base/errors.h"
#include "base/sandbox.h"
#include "files/regular_file.h"
#include "values/list_value.h"
#include "values/math_matrix.h"

namespace zirbin::files {
namespace {

// The lines of a file, newline dropped, and a carriage return before it (files written
// on the old platform end their lines with both). Nullopt when it cannot be opened or
// read; then `*notRegular` tells whether the path names no regular file (a directory, a
// FIFO, a device), which is never read.
std::optional<std::vector<std::string>> readLines(const std::string& path,
                                                  bool* notRegular = nullptr) {
  std::FILE* file = openRegularFile(path, "r", notRegular);
  if (file == nullptr) return std::nullopt;
  std::vector<std::string> lines;
  std::string line;
  bool pending = false;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
    if (c == '\n') {
      if (line.ends_with('\r')) line.pop_back();
      lines.push_back(std::move(line));
      line.clear();
      pending = false;
    } else {
      line += static_cast<char>(c);
      pending = true;
    }
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  if (pending) lines.push_back(std::move(line));
  return lines;
}

std::unique_ptr<values::Value> stringValue(const std::string& text) {
  auto value = std::make_unique<values::IntValue>();
  value->assignString(text);
  return value;
}

}  // namespace

std::unique_ptr<values::Value> readTextFile(const PathList& paths, const values::Value& name) {
  std::string path = paths.resolveFile(name.toString(), true, "txt", "readtext");
  bool notRegular = false;
  std::optional<std::vector<std::string>> lines = readLines(path, &notRegular);
  if (!lines && notRegular) session::checkFailed("readtext", "not a regular file: " + path);
  if (!lines) session::checkFailed("readtext", "file not found: " + name.toString());
  auto list = std::make_unique<values::ListValue>();
  if (lines->empty()) return list;
  list->setLayout(static_cast<int>(lines->size()), 1, values::JMAT_LIST);
  for (std::size_t i = 0; i < lines->size(); ++i) list->data[i].value = stringValue((*lines)[i]);
  return list;
}

namespace {

// The rows of a string matrix as texts.
std::vector<std::string> matrixRows(const values::Value& value) {
  std::vector<std::string> rows;
  if (value.nrow < 1) return rows;
  std::string text = value.toString();  // row after row
  std::size_t width = static_cast<std::size_t>(value.ncol());
  if (value.nrow == value.size && value.nrow > 1) width = 1;  // a column: one character a row
  for (int r = 0; r < value.nrow; ++r) rows.push_back(text.substr(r * width, width));
  return rows;
}

}  // namespace

int writeTextFile(const PathList& paths, const values::Value& name, const values::Value& lines) {
  if (session::sandboxed) session::checkFailed("writetext", "not available in a sandboxed run");
  std::string path = paths.resolveFile(name.toString(), false, "txt", "writetext");
  // The lines go to a temporary file that replaces the old one only once all of it is
  // written: a full disk leaves the old file whole. A link is followed to its file.
  std::error_code error;
  if (std::filesystem::is_symlink(path, error)) {
    std::filesystem::path target = std::filesystem::canonical(path, error);
    if (!error) path = target.string();
  }
  if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) {
    session::checkFailed("writetext", "not a regular file: " + path);
  }
  AtomicFile file(path);
  if (file.stream() == nullptr) session::checkFailed("writetext", "cannot open " + path);
  file.takeDataFileMode();
  std::vector<std::string> texts;
  if (lines.valueType() == values::LIST_VAL) {
    const auto& list = static_cast<const values::ListValue&>(lines);
    for (int i = 0; i < list.size; ++i) {
      const values::Value* item = list.data[i].value.get();
      texts.push_back(item != nullptr ? item->toString() : std::string());
    }
  } else {
    texts = matrixRows(lines);
  }
  bool ok = true;
  for (const std::string& text : texts) {
    ok = ok && std::fwrite(text.data(), 1, text.size(), file.stream()) == text.size() &&
         std::fputc('\n', file.stream()) != EOF;
  }
  if (!file.commit(ok)) session::checkFailed("writetext", "could not write " + path);
  return static_cast<int>(texts.size());
}

int dispFile(const PathList& paths, const values::Value& name, const values::Value* line,
             const ConsoleLine& heading, const ConsoleLine& console) {
  std::string typed = name.toString();
  std::string path = paths.resolveFile(typed, true, "zrb", "dispfile");
  std::optional<std::vector<std::string>> lines = readLines(path);
  if (!lines) session::checkFailed("dispfile", "invalid file name");
  // Lines n-5 to n+5 around a given line n >= 1, else all of them.
  double centre = line != nullptr && !line->isEmpty() ? line->getDouble() : 0.0;
  auto print = [&](const std::string& text) {
    if (console) console(text);
  };
  if (heading) heading("{*----" + typed + "----------} ");
  for (std::size_t i = 0; i < lines->size(); ++i) {
    double number = static_cast<double>(i + 1);
    if (centre < 1.0 || (number - centre < 6.0 && centre - number < 6.0)) {
      print(std::to_string(i + 1) + ": " + (*lines)[i]);
    }
  }
  return static_cast<int>(lines->size());
}

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// A data line begins with a digit, with '.' or '-' before a digit, or with "-.".
bool beginsWithNumber(const std::string& line) {
  if (line.empty()) return false;
  char next = line.size() > 1 ? line[1] : '\0';
  return isDigit(line[0]) || ((line[0] == '.' || line[0] == '-') && isDigit(next)) ||
         (line[0] == '-' && next == '.');
}

bool isSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\r'; }

// Reads numbers from a line, skipping spaces and commas between them.
class NumberScanner {
 public:
  explicit NumberScanner(const std::string& line) : line_(line) {}
  // Skips separators; true when the line has ended.
  bool atEnd() {
    while (position_ < line_.size() && isSeparator(line_[position_])) ++position_;
    return position_ >= line_.size();
  }
  // The next number, or nullopt (and nothing consumed) when the text there is not one.
  // Exponents are read as part of the number ("1.5e3").
  std::optional<double> next() {
    if (atEnd()) return std::nullopt;
    char c = line_[position_];
    if (!isDigit(c) && c != '.' && c != '-' && c != '+') return std::nullopt;
    const char* start = line_.c_str() + position_;
    char* end = nullptr;
    double number = std::strtod(start, &end);
    if (end == start) return std::nullopt;
    position_ += static_cast<std::size_t>(end - start);
    return number;
  }

 private:
  const std::string& line_;
  std::size_t position_ = 0;
};

std::size_t firstDataLine(const std::vector<std::string>& lines) {
  std::size_t first = 0;
  while (first < lines.size() && !beginsWithNumber(lines[first])) ++first;
  return first;
}

std::vector<std::string> tableLines(const PathList& paths, const values::Value& name) {
  std::string path = paths.resolveFile(name.toString(), true, "txt", "load");
  bool notRegular = false;
  std::optional<std::vector<std::string>> lines = readLines(path, &notRegular);
  if (!lines && notRegular) session::checkFailed("load", "not a regular file: " + path);
  if (!lines) session::checkFailed("load", "file not found: " + name.toString());
  return std::move(*lines);
}

void storeMatrix(values::Value& target, const std::vector<double>& numbers, int rows) {
  values::DoubleValue matrix;
  matrix.setLayout(static_cast<int>(numbers.size()), numbers.empty() ? 0 : rows, 0);
  std::copy(numbers.begin(), numbers.end(), matrix.data);
  target.assign(matrix);
}

// Reads `columns` numbers of every data line after the first into `numbers`.
void readTableRows(const std::vector<std::string>& lines, std::size_t first, int columns,
                   const std::string& name, std::vector<double>& numbers) {
  for (std::size_t i = first + 1; i < lines.size(); ++i) {
    NumberScanner scan(lines[i]);
    if (scan.atEnd()) continue;  // blank lines carry no row
    for (int j = 0; j < columns; ++j) {
      if (scan.atEnd()) {
        session::checkFailed("load", "irregularity in the table of data in the file");
      }
      std::optional<double> number = scan.next();
      if (!number) {
        session::checkFailed("load",
                             name + " has inconsistent format at line " + std::to_string(i + 1));
      }
      numbers.push_back(*number);
    }
  }
}

}  // namespace

void loadTable(const PathList& paths, const values::Value& name, values::Value& result,
               std::span<values::Value* const> extraOutputs) {
  std::vector<std::string> lines = tableLines(paths, name);
  std::size_t first = firstDataLine(lines);
  std::vector<double> firstRow;
  if (first < lines.size()) {
    NumberScanner scan(lines[first]);
    while (std::optional<double> number = scan.next()) firstRow.push_back(*number);
  }
  int outputs = 1 + static_cast<int>(extraOutputs.size());
  int found = static_cast<int>(firstRow.size());
  if (outputs > found && outputs > 1) {
    session::checkFailed("load", "not enough number columns in the file");
  }
  int columns = outputs == 1 ? found : outputs;
  if (columns == 0) {
    result.assign(values::DoubleValue());
    return;
  }
  // Read row by row, then laid out column by column.
  std::vector<double> rowWise(firstRow.begin(), firstRow.begin() + columns);
  readTableRows(lines, first, columns, name.toString(), rowWise);
  if (rowWise.size() % columns != 0) {
    session::checkFailed("load", "irregularity in the table of data in the file");
  }
  int rows = static_cast<int>(rowWise.size() / columns);
  std::vector<double> column(rows);
  std::vector<double> all;
  for (int j = 0; j < columns; ++j) {
    for (int r = 0; r < rows; ++r) column[r] = rowWise[static_cast<std::size_t>(r) * columns + j];
    if (outputs == 1) {
      all.insert(all.end(), column.begin(), column.end());
    } else {
      storeMatrix(j == 0 ? result : *extraOutputs[j - 1], column, rows);
    }
  }
  if (outputs == 1) storeMatrix(result, all, rows);
}

void loadVector(const PathList& paths, const values::Value& name, values::Value& result,
                std::span<values::Value* const> extraOutputs) {
  if (!extraOutputs.empty()) session::checkFailed("load", "too many output arguments");
  std::vector<std::string> lines = tableLines(paths, name);
  std::vector<double> numbers;
  for (std::size_t i = firstDataLine(lines); i < lines.size(); ++i) {
    NumberScanner scan(lines[i]);
    while (std::optional<double> number = scan.next()) numbers.push_back(*number);
    if (!scan.atEnd()) break;  // the numbers end at the first text that is not one
  }
  storeMatrix(result, numbers, static_cast<int>(numbers.size()));
}

}  // namespace zirbin::files
