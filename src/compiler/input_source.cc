// Input sources: reading physical lines, dropping blank and comment lines, indentation
// into braces, and the session input's `use` lines and stack of suspended sources.
#include "compiler/input_source.h"

#include <cctype>
#include <filesystem>

#include "base/errors.h"

namespace zirbin::compiler {

namespace {

// A tab advances the indentation width to the next multiple of this.
constexpr int kTabWidth = 4;

// The directory part of a path, up to its last '\' or '/' (empty when there is none).
std::string directoryPart(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void stripLeadingSpace(std::string& line) {
  std::size_t i = 0;
  while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
  line.erase(0, i);
}

// True for a '##' line: its first non-blank character is '#', directly followed by '#'.
bool isDoubleHashLine(const std::string& line, std::size_t first) {
  return line[first] == '#' && first + 1 < line.size() && line[first + 1] == '#';
}

}  // namespace

InputSource::InputSource() = default;

InputSource::InputSource(std::string text, char mode)
    : text_(std::move(text)), kind_(mode == '>' ? kTyped : kText) {}

InputSource InputSource::fromFile(const std::string& path) {
  InputSource source;
  source.kind_ = kFile;
  source.name_ = path;
  // Only a regular file is a script: a FIFO or a device would block or never end.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return source;
  auto stream = std::make_unique<std::ifstream>(path);
  if (stream->is_open()) source.stream_ = std::move(stream);
  return source;
}

bool InputSource::exhausted() const {
  if (kind_ == kFile) return stream_ == nullptr || stream_->peek() == std::char_traits<char>::eof();
  return position_ >= text_.size();
}

void InputSource::replaceTypedText(std::string text) {
  text_ = std::move(text);
  position_ = 0;
  indentationLevel_ = 0;
  blockStartLine_ = 0;
  lineCounter_ = -1;
}

std::string InputSource::readRawLine() {
  ++lineCounter_;
  if (kind_ == kFile) {
    std::string line;
    if (stream_) std::getline(*stream_, line);
    // A line written on Windows keeps its carriage return here; it is part of the line end.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text_ = line;
    return line;
  }
  lineStart_ = position_;
  std::size_t end = text_.find('\r', position_);
  if (end == std::string::npos) end = text_.size();
  std::string line = text_.substr(position_, end - position_);
  position_ = end;
  if (position_ < text_.size()) {
    ++position_;
    if (position_ < text_.size() && text_[position_] == '\n') ++position_;
  }
  return line;
}

void InputSource::indentToBraces(std::string& line) {
  int width = 0;
  for (char c : line) {
    if (c == ' ') {
      ++width;
    } else if (c == '\t') {
      width = (width / kTabWidth + 1) * kTabWidth;
    } else {
      break;
    }
  }
  int level = (width + 2) / 4;
  int change = level - indentationLevel_;
  if (change > 0) line.insert(0, change, '{');
  if (change < 0) line.insert(0, -change, '}');
  indentationLevel_ = level;
}

bool InputSource::nextUsableLine(std::string& line) {
  while (!exhausted()) {
    line = readRawLine();
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    if (line[first] != '#') return true;
    if (!isDoubleHashLine(line, first)) continue;
    if (line.compare(first + 2, 9, "end_input") == 0) {
      if (kind_ == kFile) close();
      continue;
    }
    // A '##' block comment runs up to and including the next '##' line.
    blockStartLine_ = lineCounter_;
    while (!exhausted()) {
      std::string dropped = readRawLine();
      std::size_t f = dropped.find_first_not_of(" \t");
      if (f != std::string::npos && isDoubleHashLine(dropped, f)) break;
    }
  }
  return false;
}

bool InputSource::getLine(std::string& line, bool throwAtEnd, bool raw) {
  std::string next;
  while (nextUsableLine(next)) {
    if (!raw) indentToBraces(next);
    stripLeadingSpace(next);
    if (!next.empty()) {
      line = std::move(next);
      return true;
    }
  }
  if (throwAtEnd) throw session::OperatorCode('e');
  return false;
}

std::string findScriptInCurrentDirectory(const std::string& name) {
  std::string path = name;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  std::size_t slash = path.find_last_of('/');
  std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (path.find('.', nameStart) == std::string::npos) path += ".zrb";
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::string();
  return std::filesystem::absolute(path, error).lexically_normal().string();
}

UserInput::UserInput() : locator_(findScriptInCurrentDirectory) {}

void UserInput::load(std::string text, char mode) {
  if (mode == '>' && current_.isTyped()) {
    current_.replaceTypedText(std::move(text));
    return;
  }
  suspended_.push_back(std::move(current_));
  current_ = InputSource(std::move(text), mode);
}

bool UserInput::getLine(std::string& line, bool throwAtEnd, bool raw) {
  std::string next;
  for (;;) {
    if (!current_.nextUsableLine(next)) {
      if (suspended_.empty()) break;
      popSource();
      continue;
    }
    std::size_t first = next.find_first_not_of(" \t");
    if (next.compare(first, 4, "use ") == 0) {
      openUse(next, first + 4);
      continue;
    }
    if (!raw) {
      if (next.find('\n') != std::string::npos) {
        throw session::SyntaxError("unexpected newline found when reading input");
      }
      current_.indentToBraces(next);
    }
    stripLeadingSpace(next);
    if (!next.empty()) {
      line = std::move(next);
      return true;
    }
  }
  if (throwAtEnd) throw session::OperatorCode('e');
  return false;
}

void UserInput::openUse(const std::string& line, std::size_t start) {
  std::size_t begin = line.find_first_not_of(" \t", start);
  if (begin == std::string::npos) begin = line.size();
  std::string name;
  std::size_t after;  // index just past the name (and its closing quote)
  if (begin < line.size() && (line[begin] == '\'' || line[begin] == '"')) {
    std::size_t close = line.find(line[begin], begin + 1);
    if (close == std::string::npos) throw std::string("missing closing inverted comma after 'use'");
    name = line.substr(begin + 1, close - begin - 1);
    after = close + 1;
  } else {
    after = line.find(';', begin);
    if (after == std::string::npos) after = line.size();
    name = line.substr(begin, after - begin);
    std::size_t last = name.find_last_not_of(" \t\n");
    name.erase(last == std::string::npos ? 0 : last + 1);
  }
  std::size_t semicolon = line.find_first_not_of(" \t", after);
  if (semicolon != std::string::npos && line[semicolon] == ';' &&
      current_.kind() != InputSource::kFile) {
    // The rest of the line is read as a new line once the file has been read.
    current_.setPosition(current_.lineStart() + semicolon + 1);
  }
  std::string path = locator_(name);
  if (path.empty()) throw session::OperatorCode('f');
  suspended_.push_back(std::move(current_));
  current_ = InputSource::fromFile(path);
  if (!current_.isOpen()) throw session::OperatorCode('n');
  if (directoryListener_) directoryListener_(directoryPart(path));
}

bool UserInput::loadFile(const std::string& path) {
  InputSource file = InputSource::fromFile(path);
  if (!file.isOpen()) return false;
  suspended_.push_back(std::move(current_));
  current_ = std::move(file);
  if (directoryListener_) directoryListener_(directoryPart(path));
  return true;
}

void UserInput::popSource() {
  current_.close();
  current_ = std::move(suspended_.back());
  suspended_.pop_back();
  if (!directoryListener_) return;
  if (current_.kind() == InputSource::kFile) {
    directoryListener_(directoryPart(current_.sourceName()));
  } else if (!current_.sourceName().empty()) {
    directoryListener_(current_.sourceName());
  }
}

void UserInput::abandonInput() {
  errorLineNumber_ = current_.lineNumber();
  errorSourceText_ = current_.text();
  current_.close();
  while (!suspended_.empty()) {
    suspended_.back().close();
    suspended_.pop_back();
  }
  current_ = InputSource();
}

}  // namespace zirbin::compiler
