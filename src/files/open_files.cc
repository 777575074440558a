// The open-file table and the stream built-ins.
#include "files/open_files.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "files/path_list.h"
#include "base/errors.h"
#include "base/sandbox.h"
#include "files/regular_file.h"
#include "values/math_matrix.h"
#include "values/value.h"

namespace zirbin::files {

OpenFileTable::~OpenFileTable() { closeAll(); }

int OpenFileTable::reserve() {
  for (int id = 1; id < count_; ++id) {
    if (entries_[id].stream == nullptr) return id;
  }
  if (count_ > kMaxFileId) session::checkFailed("fopen", "max number of files already open");
  entries_[count_] = Entry{};
  return count_++;
}

void OpenFileTable::store(int id, std::FILE* stream, unsigned char mode) {
  entries_[id] = Entry{stream, mode};
}

int OpenFileTable::validate(int id, const char* context) const {
  if (id > kMaxFileId || id < 1) session::checkFailed(context, "illegal file id");
  if (entries_[id].stream == nullptr) session::checkFailed(context, "file not open");
  return id;
}

void OpenFileTable::close(int id, const char* context) {
  validate(id, context);
  std::fclose(entries_[id].stream);
  entries_[id] = Entry{};
  if (id == count_ - 1) --count_;
}

void OpenFileTable::closeAll() {
  for (int id = 1; id < count_; ++id) {
    if (entries_[id].stream != nullptr) std::fclose(entries_[id].stream);
    entries_[id] = Entry{};
  }
  count_ = 1;
}

OpenFileTable& openFiles() {
  static OpenFileTable table;
  return table;
}

namespace {

bool has(const std::string& text, char letter) { return text.find(letter) != std::string::npos; }

// The id argument of fread and fwrite: exactly one element, else the code ']'.
int singleId(const values::Value& id) {
  if (id.size != 1) throw session::OperatorCode(']');
  return values::truncateToInt(id.getDouble());
}

// Element i of a number value as a double (complex: the real part; lists: 0).
double elementAsDouble(const values::Value& value, int i) {
  switch (value.valueType()) {
    case values::INTEGER_VAL:
      return static_cast<const values::IntValue&>(value).data[i];
    case values::DOUBLE_VAL:
      return static_cast<const values::DoubleValue&>(value).data[i];
    case values::COMPLEX_VAL:
      return static_cast<const values::ComplexValue&>(value).data[i].real();
    default:
      return 0.0;
  }
}

}  // namespace

int fopenFile(OpenFileTable& table, const PathList& paths, const values::Value& name,
              const values::Value* mode, const ConsoleLine& console) {
  int id = table.reserve();
  if (!name.isChar()) session::checkFailed("fopen", "the file name must be a string");
  if (mode != nullptr && !mode->isChar()) {
    session::checkFailed("fopen", "the mode argument must be a string");
  }
  std::string letters = mode != nullptr ? mode->toString() : std::string();
  std::string extension = "txt";
  if (std::size_t dot = letters.find('.'); dot != std::string::npos) {
    extension = letters.substr(dot + 1);
    letters.resize(dot);
  }
  std::string path = paths.resolveFile(name.toString(), false, extension, "fopen");
  bool append = has(letters, 'a');
  bool write = append || has(letters, 'w');
  if (write && has(letters, 'r')) session::checkFailed("fopen", "ambiguous read/write mode string");
  bool binary = has(letters, 'b');
  if (write && session::sandboxed) {
    session::checkFailed("fopen", "not available in a sandboxed run");
  }
  std::string openMode = !write ? "r" : append ? "a" : "w";
  if (binary) openMode += 'b';
  // Closed on exec: a shell started by sysCommand does not keep the user's files open.
  openMode += 'e';

  std::FILE* stream = openRegularFile(path, openMode);
  if (stream != nullptr) {
    table.store(id, stream, static_cast<unsigned char>((binary ? 0 : kTextMode) |
                                                       (write ? kWriteMode : 0)));
    return id;
  }
  // A file that cannot be created for writing is reported like one that cannot be read,
  // rather than handing out an id whose every use would fail with "file not open".
  bool mustSucceed = has(letters, '!');
  if (!has(letters, 'q') || mustSucceed) {
    if (console) {
      console(path);
      console("fopen: file not found or can't be opened");
    }
  }
  if (mustSucceed) session::checkFailed("fopen", "file not found or can't be opened");
  return 0;
}

void fcloseFile(OpenFileTable& table, const values::Value& id) {
  int number = values::truncateToInt(id.getDouble());
  if (number < 1) {
    table.closeAll();
  } else {
    table.close(number, "fclose");
  }
}

bool feofFile(OpenFileTable& table, const values::Value& id) {
  int number = table.validate(values::truncateToInt(id.getDouble()), "feof");
  std::FILE* stream = table.stream(number);
  if (table.mode(number) & kWriteMode) return std::feof(stream) != 0;
  // A read stream is at its end when nothing is left to read, so that a loop testing
  // feof before each fread sees the end without a last empty read.
  int c = std::fgetc(stream);
  if (c == EOF) return true;
  std::ungetc(c, stream);
  return false;
}

namespace {

void readBytes(std::FILE* stream, const values::Value* count, values::Value& result) {
  double wanted = count != nullptr ? count->getDouble() : 1.0;
  // Bytes come in blocks, so a huge count costs only what the file really holds.
  constexpr std::size_t kBlock = 1 << 16;
  std::vector<double> bytes;
  double left = std::isnan(wanted) ? 0.0 : std::min(wanted, static_cast<double>(INT_MAX));
  unsigned char block[kBlock];
  while (left >= 1.0) {
    std::size_t ask = static_cast<std::size_t>(std::min(left, static_cast<double>(kBlock)));
    std::size_t got = std::fread(block, 1, ask, stream);
    bytes.insert(bytes.end(), block, block + got);
    left -= static_cast<double>(got);
    if (got < ask) break;
  }
  values::DoubleValue row;
  row.setLayout(static_cast<int>(bytes.size()), bytes.empty() ? 0 : 1, 0);
  std::copy(bytes.begin(), bytes.end(), row.data);
  result.assign(row);
}

void readLine(std::FILE* stream, values::Value& result) {
  std::string line;
  for (int c = std::fgetc(stream); c != EOF && c != '\n'; c = std::fgetc(stream)) {
    line += static_cast<char>(c);
    if (static_cast<long>(line.size()) >= kMaxTextLine) {
      session::checkFailed("fread", "line too long");
    }
  }
  result.assignString(line);
}

}  // namespace

void freadFile(OpenFileTable& table, const values::Value& id, const values::Value* count,
               values::Value& result) {
  int number = table.validate(singleId(id), "fread");
  if (table.mode(number) & kWriteMode) session::checkFailed("fread", "can't read from output file");
  std::FILE* stream = table.stream(number);
  int c = std::fgetc(stream);
  if (c == EOF) {
    result.assign(values::DoubleValue());
    return;
  }
  std::ungetc(c, stream);
  if (table.mode(number) & kTextMode) {
    readLine(stream, result);
  } else {
    readBytes(stream, count, result);
  }
}

void fwriteFile(OpenFileTable& table, const values::Value& id, const values::Value* value) {
  int number = table.validate(singleId(id), "fwrite");
  if (!(table.mode(number) & kWriteMode)) {
    session::checkFailed("fwrite", "can't write to input file");
  }
  std::FILE* stream = table.stream(number);
  if (!(table.mode(number) & kTextMode)) {
    if (value == nullptr || value->valueType() == values::LIST_VAL) {
      session::checkFailed("fwrite", "missing value to write");
    }
    for (int i = 0; i < value->size; ++i) {
      std::fputc(values::truncateToInt(elementAsDouble(*value, i)) & 0xFF, stream);
    }
    return;
  }
  if (value == nullptr || value->isEmpty()) {
    std::fputc('\n', stream);
    return;
  }
  std::string text = value->toString();
  if (text.ends_with('\\')) {
    text.pop_back();
  } else {
    text += '\n';
  }
  std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace zirbin::files
