// Input sources that deliver lines to the lexer: the console's typed line, pasted text,
// script files, and `UserInput`, a session's input with its stack of suspended sources.
#pragma once

#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace zirbin::compiler {

// The line-delivering interface the lexer and the statement compiler read through.
class LexInput {
 public:
  virtual ~LexInput() = default;

  // Puts the next usable line into `line` and returns true; at the end returns false, or
  // throws the operator-code error 'e' when `throwAtEnd` is set. Blank, comment and '##'
  // block lines are dropped; unless `raw`, indentation becomes block braces.
  virtual bool getLine(std::string& line, bool throwAtEnd, bool raw) = 0;
  // True for the console's typed source.
  virtual bool isTyped() const = 0;
  // Number of the line read last: 0 for a typed line, counting from 1 otherwise.
  virtual int lineNumber() const = 0;
  // File name of a file source, empty otherwise.
  virtual std::string sourceName() const = 0;
  // Line at which the last '##' comment block began.
  virtual int blockStartLine() const = 0;
};

// One source of lines: a text (typed or pasted) or a file.
class InputSource : public LexInput {
 public:
  enum Kind : int { kTyped = 0, kText = 1, kFile = 2 };

  // An empty typed source.
  InputSource();
  // A text source: typed for mode '>', pasted text for any other mode.
  InputSource(std::string text, char mode);
  // A file source; when the file cannot be opened the source is exhausted at once.
  static InputSource fromFile(const std::string& path);

  InputSource(InputSource&&) = default;
  InputSource& operator=(InputSource&&) = default;

  bool getLine(std::string& line, bool throwAtEnd, bool raw) override;
  bool isTyped() const override { return kind_ == kTyped; }
  int lineNumber() const override { return lineCounter_; }
  std::string sourceName() const override { return name_; }
  int blockStartLine() const override { return blockStartLine_; }

  Kind kind() const { return kind_; }
  // The whole text of a text source; the last line read of a file source.
  const std::string& text() const { return text_; }
  // True when the file opened (always true for text sources).
  bool isOpen() const { return kind_ != kFile || stream_ != nullptr; }
  bool exhausted() const;

  // Replaces the text of a typed source for the next typed line (line 0).
  void replaceTypedText(std::string text);
  // Moves the read position of a text source (used after "use name;" to read the rest of
  // the line once the file has been read). REQUIRES: a text source.
  void setPosition(std::size_t position) { position_ = position; }
  std::size_t position() const { return position_; }
  // Where the line read last began in the text of a text source.
  std::size_t lineStart() const { return lineStart_; }
  // Closes the stream of a file source (nothing for a text source).
  void close() { stream_.reset(); }

  // Reads one physical line, counting it; text sources end lines at CR (and a following
  // LF), files at '\n'.
  std::string readRawLine();
  // Reads physical lines up to the next one that is neither blank nor a comment, handling
  // '##' blocks and "end_input"; puts it into `line` as read and returns true, or returns
  // false when the source is exhausted.
  bool nextUsableLine(std::string& line);
  // Turns the leading blanks and tabs of `line` into '{' or '}' for a change of level
  // (level = (width + 2) / 4, a tab advancing to the next multiple of 4).
  void indentToBraces(std::string& line);

 private:
  std::unique_ptr<std::ifstream> stream_;
  std::string text_;
  Kind kind_ = kTyped;
  int lineCounter_ = 0;
  std::size_t position_ = 0;
  std::size_t lineStart_ = 0;
  std::string name_;
  int indentationLevel_ = 0;
  int blockStartLine_ = 0;
};

// Finds the script a `use` line names. Returns the full path, or an empty string when
// there is none. The default looks in the current directory only, adding ".zrb" when the
// name has no extension.
using ScriptLocator = std::function<std::string(const std::string& name)>;
std::string findScriptInCurrentDirectory(const std::string& name);

// Told the directory of the running script whenever a `use` file starts or a suspended
// source resumes.
using ScriptDirectoryListener = std::function<void(const std::string& directory)>;

// The input of one interpreter session: the current source and the suspended ones.
class UserInput : public LexInput {
 public:
  UserInput();
  UserInput(const UserInput&) = delete;
  UserInput& operator=(const UserInput&) = delete;

  // Makes `text` the input: for mode '>' while the typed source is current, the typed
  // line is replaced (it is line 0); otherwise the current source is suspended and a new
  // text source for (text, mode) becomes current.
  void load(std::string text, char mode);

  // Suspends the current source and makes the script file at `path` current, as a `use`
  // of it does, without reading its name from any text (so that no name can be taken
  // for code). Returns false, changing nothing, when the file cannot be opened.
  bool loadFile(const std::string& path);

  // As InputSource::getLine, plus: suspended sources resume when the current one ends;
  // `use` lines switch to the named file; unless raw, a line holding a line feed raises
  // "unexpected newline found when reading input". Failures: the bare string "missing
  // closing inverted comma after 'use'", the operator-code errors 'f' (not found) and
  // 'n' (cannot be opened).
  bool getLine(std::string& line, bool throwAtEnd, bool raw) override;
  bool isTyped() const override { return current_.isTyped(); }
  int lineNumber() const override { return current_.lineNumber(); }
  std::string sourceName() const override { return current_.sourceName(); }
  int blockStartLine() const override { return current_.blockStartLine(); }

  // After an error: stores the current line number and text, drops every source (closing
  // files) and installs an empty typed source.
  void abandonInput();
  int errorLineNumber() const { return errorLineNumber_; }
  const std::string& errorSourceText() const { return errorSourceText_; }

  const InputSource& current() const { return current_; }
  std::size_t suspendedCount() const { return suspended_.size(); }

  void setScriptLocator(ScriptLocator locator) { locator_ = std::move(locator); }
  void setScriptDirectoryListener(ScriptDirectoryListener listener) {
    directoryListener_ = std::move(listener);
  }

 private:
  void popSource();
  // Handles a `use` line starting at `start` in `line`.
  void openUse(const std::string& line, std::size_t start);

  InputSource current_;
  std::deque<InputSource> suspended_;
  int errorLineNumber_ = 0;
  std::string errorSourceText_;
  ScriptLocator locator_;
  ScriptDirectoryListener directoryListener_;
};

}  // namespace zirbin::compiler
