// A console output for tests that run commands: it keeps each console line as a string.
#pragma once

#include <string>
#include <vector>

#include "base/console_output.h"
#include "gui/plain_text.h"

namespace zirbin::testing {

class LineOutput : public session::ConsoleOutput {
 public:
  // `plain`: the lines without their markup, as the console shows them.
  explicit LineOutput(bool plain = false) : plain_(plain) {}

  void print(const std::string& text, bool newLineFirst, int mode) override {
    if (newLineFirst && !current_.empty()) newLine();
    current_ += text;
    if (mode == session::kPrintLines) newLine();
  }
  void newLine() override {
    lines.push_back(plain_ ? gui::plainText(current_) : current_);
    current_.clear();
  }
  // Ends a line left open (as the console shows it before the next prompt).
  void flush() {
    if (!current_.empty()) newLine();
  }

  std::vector<std::string> lines;

 private:
  bool plain_;
  std::string current_;
};

}  // namespace zirbin::testing
