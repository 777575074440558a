// The terminal's line editor over GNU readline's callback interface.
#include "platform/term/line_editor.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <readline/history.h>
#include <readline/readline.h>

#include "gui/command_history.h"
#include "gui/line_editor.h"
#include "platform/batch/front_end.h"

namespace zirbin::platform {

namespace {

// The pipe's two ends; written by signal handlers, so plain ints set once by install().
int pipeEnds[2] = {-1, -1};

// How long a closing bracket shows its opening one, unless a key comes first.
constexpr int kBracketShowMilliseconds = 500;

// A lone Esc is one that no other byte follows within this time (the arrows and Alt keys
// send Esc and their bytes at once).
constexpr int kLoneEscapeMilliseconds = 40;
constexpr char kEscape = '\x1b';

// The bytes of an arrow key: Esc [ A or Esc O A.
constexpr std::uint64_t kArrowKeyBytes = 3;

// The end of a bracketed paste.
constexpr std::string_view kPasteEnd = "\x1b[201~";

extern "C" void onSignal(int signal) {
  const int saved = errno;
  WakePipe::write(signal == SIGINT ? WakePipe::kInterruptByte : WakePipe::kResizeByte);
  if (signal == SIGINT && WakePipe::onInterrupt != nullptr) WakePipe::onInterrupt();
  errno = saved;
}

}  // namespace

void (*WakePipe::onInterrupt)() = nullptr;

void WakePipe::install() {
  if (pipeEnds[0] >= 0) return;
  if (::pipe(pipeEnds) != 0) return;
  for (int end : pipeEnds) {
    ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    ::fcntl(end, F_SETFD, FD_CLOEXEC);
  }
  struct sigaction action {};
  action.sa_handler = onSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGWINCH, &action, nullptr);
}

void WakePipe::write(char byte) {
  if (pipeEnds[1] >= 0) {
    [[maybe_unused]] ssize_t written = ::write(pipeEnds[1], &byte, 1);
  }
}

int WakePipe::readEnd() { return pipeEnds[0]; }

std::string WakePipe::drain() {
  std::string bytes;
  char buffer[64];
  for (;;) {
    const ssize_t n = pipeEnds[0] >= 0 ? ::read(pipeEnds[0], buffer, sizeof buffer) : 0;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

LineEditor* LineEditor::current_ = nullptr;

LineEditor::LineEditor(gui::CommandHistory& history, Completer completer)
    : history_(history), completer_(std::move(completer)) {
  current_ = this;
  WakePipe::install();
  rl_readline_name = "zirbin";
  // The editor's own handlers serve Ctrl+C and resizes, also while a command runs.
  rl_catch_signals = 0;
  rl_catch_sigwinch = 0;
  rl_attempted_completion_function = complete;
  rl_getc_function = nextKey;
  rl_input_available_hook = keyWaiting;
  rl_completer_word_break_characters = " \t\n\"'`@$><=;|&{(,[+-*/^:~!)]}";
  rl_initialize();
  bindKeys();
  using_history();
  stifle_history(static_cast<int>(gui::kHistoryCapacity));
  historyChanged();
}

LineEditor::~LineEditor() {
  rl_callback_handler_remove();
  current_ = nullptr;
}

void LineEditor::bindKeys() {
  Keymap maps[] = {emacs_standard_keymap, vi_insertion_keymap, vi_movement_keymap};
  for (Keymap map : maps) {
    for (const char* up : {"\x1b[A", "\x1bOA"}) rl_bind_keyseq_in_map(up, upKey, map);
    for (const char* down : {"\x1b[B", "\x1bOB"}) rl_bind_keyseq_in_map(down, downKey, map);
    rl_bind_keyseq_in_map("\x1b[200~", pasteKey, map);
  }
  for (Keymap map : {emacs_standard_keymap, vi_insertion_keymap}) {
    rl_bind_key_in_map(CTRL('B'), wrapKey, map);
    rl_bind_key_in_map(CTRL(']'), wrapKey, map);
    for (int bracket : {')', ']', '}'}) rl_bind_key_in_map(bracket, closingBracketKey, map);
  }
}

void LineEditor::historyChanged() {
  clear_history();
  for (std::size_t i = 0; i < history_.size(); ++i) add_history(history_.entry(i).c_str());
}

void LineEditor::watchFigureEvents(int fd, std::function<void()> handle) {
  figureFd_ = fd;
  onFigureEvents_ = std::move(handle);
}

void LineEditor::handleFigureEvents() {
  char buffer[64];
  while (::read(figureFd_, buffer, sizeof buffer) > 0) {
  }
  rl_clear_visible_line();
  std::fflush(stdout);
  onFigureEvents_();
  std::fflush(stdout);
  rl_on_new_line();
  rl_forced_update_display();
}

std::string LineEditor::waitForInput(bool figures) {
  pollfd fds[3] = {{STDIN_FILENO, POLLIN, 0}, {WakePipe::readEnd(), POLLIN, 0}, {figureFd_, POLLIN, 0}};
  const nfds_t count = figures && figureFd_ >= 0 && onFigureEvents_ ? 3 : 2;
  for (;;) {
    if (endSignalled()) return std::string(1, WakePipe::kWakeByte);
    const int n = ::poll(fds, count, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return {};
    if (count == 3 && fds[2].revents != 0) {
      handleFigureEvents();
      continue;
    }
    if (fds[1].revents != 0) {
      std::string bytes = WakePipe::drain();
      if (!bytes.empty()) return bytes;
    }
    if (fds[0].revents != 0) return {};
  }
}

LineEditor::Input LineEditor::read(const std::string& prompt, bool useHistory,
                                   bool stopOnWake) {
  useHistory_ = useHistory;
  done_ = false;
  queued_.clear();
  paste_.clear();
  input_ = Input{};
  history_.resetBrowsing();
  std::fflush(stdout);
  rl_callback_handler_install(prompt.c_str(), lineHandler);
  while (!done_) {
    // Figure events run at the command prompt only, never inside a question of getline.
    const std::string bytes = waitForInput(useHistory);
    bool stop = false;
    for (char byte : bytes) {
      if (byte == WakePipe::kResizeByte) {
        rl_resize_terminal();
      } else if (byte == WakePipe::kInterruptByte) {
        input_.outcome = Outcome::kCancelled;
        stop = true;
      } else if (stopOnWake || endSignalled()) {
        if (input_.outcome != Outcome::kCancelled) {
          input_.outcome = endSignalled() ? Outcome::kEnd : Outcome::kWoken;
        }
        stop = true;
      }
    }
    if (stop) {
      // Drop the line as readline's own Ctrl+C does, and leave the prompt's line.
      rl_replace_line("", 0);
      rl_callback_sigcleanup();
      rl_callback_handler_remove();
      std::fputs(input_.outcome == Outcome::kCancelled ? "^C\n" : "\n", stdout);
      std::fflush(stdout);
      return input_;
    }
    if (!bytes.empty()) continue;
    if (!readTerminal()) {
      rl_callback_handler_remove();
      std::fputc('\n', stdout);
      input_.outcome = Outcome::kEnd;
      return input_;
    }
    if (queued_.size() == 1 && queued_[0] == kEscape && rl_editing_mode == 1 &&
        !readyWithin(kLoneEscapeMilliseconds)) {
      // Esc in emacs mode clears the line (and drops the pending lines of a command).
      queued_.clear();
      rl_replace_line("", 0);
      rl_callback_handler_remove();
      std::fputc('\n', stdout);
      input_.outcome = Outcome::kCancelled;
      return input_;
    }
    if (queued_.size() == 1 && queued_[0] == kEscape && rl_editing_mode == 1 && !readTerminal()) {
      continue;
    }
    while (!queued_.empty() && !done_) rl_callback_read_char();
  }
  return input_;
}

bool LineEditor::readyWithin(int milliseconds) {
  pollfd fd = {STDIN_FILENO, POLLIN, 0};
  int n;
  while ((n = ::poll(&fd, 1, milliseconds)) < 0 && errno == EINTR) {
  }
  return n > 0;
}

bool LineEditor::readTerminal() {
  char buffer[256];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    queued_.append(buffer, static_cast<std::size_t>(n));
    return true;
  }
}

int LineEditor::nextKey(FILE*) {
  LineEditor& editor = *current_;
  if (editor.queued_.empty() && !editor.readTerminal()) return EOF;
  const unsigned char c = static_cast<unsigned char>(editor.queued_.front());
  editor.queued_.erase(0, 1);
  ++editor.consumed_;
  return c;
}

int LineEditor::keyWaiting() {
  LineEditor& editor = *current_;
  if (!editor.queued_.empty()) return 1;
  pollfd fd = {STDIN_FILENO, POLLIN, 0};
  return ::poll(&fd, 1, 0) > 0 ? 1 : 0;
}

void LineEditor::lineHandler(char* line) {
  LineEditor& editor = *current_;
  rl_callback_handler_remove();
  editor.done_ = true;
  if (line == nullptr) {
    editor.input_.outcome = Outcome::kEnd;
    std::fputc('\n', stdout);
  } else if (!editor.paste_.empty()) {
    editor.input_.outcome = Outcome::kPaste;
    editor.input_.text = editor.paste_;
  } else {
    editor.input_.outcome = Outcome::kLine;
    editor.input_.text = line;
  }
  std::free(line);
}

// Up and Down: browsing goes on iff the key before was one of them, that is iff no byte
// came between the end of that key and this key's sequence.
bool LineEditor::continuesBrowsing() {
  const bool continuing = browseEndedAt_ + kArrowKeyBytes == consumed_;
  browseEndedAt_ = consumed_;
  return continuing;
}

int LineEditor::upKey(int, int) {
  LineEditor& editor = *current_;
  if (!editor.useHistory_) return 0;
  const bool continuing = editor.continuesBrowsing();
  if (std::optional<std::string> entry = editor.history_.older(rl_line_buffer, continuing)) {
    rl_replace_line(entry->c_str(), 0);
    rl_point = rl_end;
  } else {
    rl_ding();
  }
  return 0;
}

int LineEditor::downKey(int, int) {
  LineEditor& editor = *current_;
  if (!editor.useHistory_) return 0;
  const bool continuing = editor.continuesBrowsing();
  const std::string line = editor.history_.newer(rl_line_buffer, continuing);
  rl_replace_line(line.c_str(), 0);
  rl_point = rl_end;
  return 0;
}

// Ctrl+B and Ctrl+]: the console editor's own rule, applied to readline's line.
int LineEditor::wrapKey(int, int) {
  const std::string_view line(rl_line_buffer, rl_end);
  gui::CommandHistory unused;
  gui::LineEditor rules(unused);
  rules.insertText(line.substr(0, rl_point));
  rules.insertText(line.substr(rl_point));
  for (std::size_t n = gui::characterCount(line.substr(rl_point)); n > 0; --n) {
    rules.onKey(gui::EditKey::kLeft, false);
  }
  if (rules.onChar(gui::kCharCtrlB) == gui::EditResult::kIgnored) {
    rl_ding();
    return 0;
  }
  rl_replace_line(rules.line().c_str(), 0);
  rl_point = static_cast<int>(rules.caret());
  return 0;
}

// Inserts the bracket, then shows the caret on its opening bracket until a key comes or
// the time is up.
int LineEditor::closingBracketKey(int count, int key) {
  rl_insert(count, key);
  const std::optional<std::size_t> open =
      gui::matchBracket(std::string_view(rl_line_buffer, rl_end), rl_point - 1);
  if (!open) return 0;
  const int saved = rl_point;
  rl_point = static_cast<int>(*open);
  rl_redisplay();
  pollfd fd = {STDIN_FILENO, POLLIN, 0};
  while (::poll(&fd, 1, kBracketShowMilliseconds) < 0 && errno == EINTR) {
  }
  rl_point = saved;
  rl_redisplay();
  return 0;
}

// A bracketed paste: the text up to the end marker. Text of one line is inserted as typed;
// text of several lines (the terminal sends carriage returns or line feeds) ends the
// reading with the line as typed so far followed by the pasted text.
int LineEditor::pasteKey(int, int) {
  std::string text;
  while (!text.ends_with(kPasteEnd)) {
    const int c = rl_read_key();
    if (c < 0 || c == EOF) break;
    text += static_cast<char>(c);
  }
  if (text.ends_with(kPasteEnd)) text.resize(text.size() - kPasteEnd.size());
  std::string joined;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      joined += '\r';
    } else {
      joined += text[i];
    }
  }
  while (joined.ends_with('\r')) joined.pop_back();
  if (joined.find('\r') == std::string::npos) {
    rl_insert_text(joined.c_str());
    return 0;
  }
  LineEditor& editor = *current_;
  editor.paste_ = std::string(rl_line_buffer, rl_end) + joined;
  // The pasted lines are shown after the prompt, as typed.
  std::string shown = joined.substr(0, joined.find('\r'));
  rl_insert_text(shown.c_str());
  rl_redisplay();
  std::size_t from = joined.find('\r');
  while (from != std::string::npos) {
    const std::size_t next = joined.find('\r', from + 1);
    std::fputs("\n", rl_outstream);
    std::fputs(joined.substr(from + 1, next - from - 1).c_str(), rl_outstream);
    from = next;
  }
  std::fflush(rl_outstream);
  rl_done = 1;
  return 0;
}

char** LineEditor::complete(const char*, int start, int end) {
  LineEditor& editor = *current_;
  rl_attempted_completion_over = 1;
  rl_completion_append_character = '\0';
  if (!editor.completer_) return nullptr;
  const std::string_view line(rl_line_buffer, rl_end);
  Completions found = editor.completer_(line, static_cast<std::size_t>(end));
  // Readline replaces the text from its own word start: the candidates are cut or
  // lengthened to begin there too.
  const std::size_t from = static_cast<std::size_t>(start);
  editor.candidates_.clear();
  for (const std::string& candidate : found.candidates) {
    if (from >= found.start) {
      if (candidate.size() >= from - found.start) {
        editor.candidates_.push_back(candidate.substr(from - found.start));
      }
    } else {
      editor.candidates_.push_back(std::string(line.substr(from, found.start - from)) +
                                   candidate);
    }
  }
  editor.nextCandidate_ = 0;
  // Readline then lists only the last folder part of each candidate.
  if (found.fileNames) rl_filename_completion_desired = 1;
  const std::string word(line.substr(from, static_cast<std::size_t>(end) - from));
  return rl_completion_matches(word.c_str(), nextCandidate);
}

char* LineEditor::nextCandidate(const char*, int) {
  LineEditor& editor = *current_;
  if (editor.nextCandidate_ >= editor.candidates_.size()) return nullptr;
  return ::strdup(editor.candidates_[editor.nextCandidate_++].c_str());
}

std::optional<int> LineEditor::readKey() {
  std::fflush(stdout);
  termios saved {};
  const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (terminal) {
    termios raw = saved;
    // One key at a time, without echo; Ctrl+C still interrupts.
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  }
  std::optional<int> key;
  for (;;) {
    const std::string bytes = waitForInput();
    if (bytes.find_first_not_of(WakePipe::kResizeByte) != std::string::npos) break;
    if (!bytes.empty()) continue;
    unsigned char c = 0;
    const ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    key = n == 1 ? c : 0;
    break;
  }
  if (terminal) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  return key;
}

}  // namespace zirbin::platform
