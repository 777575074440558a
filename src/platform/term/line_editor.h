// The terminal's line editor: GNU readline (the user's ~/.inputrc, emacs and vi modes)
// with the console's own keys on top: Up and Down search the command history by the typed
// prefix, Ctrl+B wraps the text after the first "=" in parentheses, a closing bracket
// shows its opening one, Tab completes names and file names, Esc clears the line, and a
// bracketed paste of several lines comes back whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirbin::gui {
class CommandHistory;
}  // namespace zirbin::gui

namespace zirbin::platform {

// The wake-up pipe of the terminal: signal handlers and Host::wake write one byte to it,
// and every wait for a key polls it beside standard input. Async-signal-safe writes only.
class WakePipe {
 public:
  // Creates the pipe (once per process) and installs the handlers of SIGINT (Ctrl+C) and
  // SIGWINCH (a window resize), which write kInterruptByte and kResizeByte.
  static void install();
  static void write(char byte);
  // The read end; -1 before install().
  static int readEnd();
  // Reads every byte waiting; returns them.
  static std::string drain();

  static constexpr char kInterruptByte = 'i';
  static constexpr char kResizeByte = 'w';
  static constexpr char kWakeByte = 'k';

  // Called by the SIGINT handler after it wrote its byte (the running command's interrupt);
  // null between commands. Must be async-signal-safe.
  static void (*onInterrupt)();
};

// Completion: for the line and the caret, the start of the word to replace and its
// candidates; `fileNames` says that the candidates are file names (a folder ends with '/').
struct Completions {
  std::size_t start = 0;
  std::vector<std::string> candidates;
  bool fileNames = false;
};
using Completer = std::function<Completions(std::string_view line, std::size_t caret)>;

// One editor per process (readline's state is the process's). Standard input and output
// must be a terminal.
class LineEditor {
 public:
  LineEditor(gui::CommandHistory& history, Completer completer);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  enum class Outcome {
    kLine,       // a line ended with Enter
    kPaste,      // a bracketed paste of several lines, joined by '\r'
    kCancelled,  // Ctrl+C or Esc: the line is dropped
    kEnd,        // Ctrl+D on an empty line, or the input ended
    kWoken,      // the wake pipe was written (not by Ctrl+C)
  };
  struct Input {
    Outcome outcome = Outcome::kEnd;
    std::string text;
  };

  // Shows `prompt`, edits one line and returns it. `useHistory`: Up and Down browse the
  // command history (the questions of getline do not). `stopOnWake`: a byte of the wake
  // pipe other than a resize ends the reading with kWoken.
  Input read(const std::string& prompt, bool useHistory = true, bool stopOnWake = false);

  // Makes readline's own list (Ctrl+R searches it) the entries of the history again.
  void historyChanged();

  // While a line is edited, a byte arriving on `fd` (drained here) calls `handle`: figure
  // windows' events run their callbacks between commands. Their output goes above the
  // prompt, which then comes back with the text typed so far.
  void watchFigureEvents(int fd, std::function<void()> handle);

  // Reads one key in raw mode, without echo; 0 at the end of input, nullopt when the wake
  // pipe was written (an interrupt).
  std::optional<int> readKey();

 private:
  static LineEditor* current_;  // readline's callbacks reach the editor through it

  static void lineHandler(char* line);
  static int upKey(int count, int key);
  static int downKey(int count, int key);
  static int wrapKey(int count, int key);
  static int closingBracketKey(int count, int key);
  static int pasteKey(int count, int key);
  static char** complete(const char* text, int start, int end);
  static char* nextCandidate(const char* text, int state);
  // Readline's key source: the queued bytes, then the terminal.
  static int nextKey(FILE* stream);
  static int keyWaiting();
  // Appends what the terminal holds (waiting for one byte at least) to the queue; false at
  // the end of input.
  bool readTerminal();
  static bool readyWithin(int milliseconds);
  void bindKeys();
  // Waits until standard input or the wake pipe is readable; returns the pipe's bytes.
  // With `figures`, figure events that arrive meanwhile are handled.
  std::string waitForInput(bool figures = false);
  void handleFigureEvents();

  gui::CommandHistory& history_;
  Completer completer_;
  int figureFd_ = -1;
  std::function<void()> onFigureEvents_;
  std::vector<std::string> candidates_;
  std::size_t nextCandidate_ = 0;
  bool useHistory_ = true;
  bool done_ = false;
  Input input_;
  std::string paste_;
  bool continuesBrowsing();
  std::uint64_t consumed_ = 0;       // bytes given to readline so far
  std::uint64_t browseEndedAt_ = 0;  // consumed_ after the last Up or Down
  std::string queued_;  // bytes read from the terminal and not yet given to readline
};

}  // namespace zirbin::platform
