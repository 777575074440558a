// The command history shared by the line editors of the terminal and the desktop: a ring
// of the last 60 lines with recall and prefix search, and the file "zirbin_comm.bin" that
// keeps the last 30 of them between runs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirbin::files {
class UserPrompts;
}

namespace zirbin::gui {

// Lines kept in memory; the oldest is overwritten when a line is added to a full ring.
inline constexpr std::size_t kHistoryCapacity = 60;
// Lines kept in "zirbin_comm.bin".
inline constexpr std::size_t kHistoryFileEntries = 30;

class CommandHistory {
 public:
  CommandHistory() = default;
  CommandHistory(const CommandHistory&) = delete;
  CommandHistory& operator=(const CommandHistory&) = delete;

  // Adds a completed line as the newest entry and ends any browsing. A line equal to the
  // newest entry is not added again; a line of blanks only is not added at all.
  void add(std::string_view line);

  // Number of entries (at most kHistoryCapacity).
  std::size_t size() const { return count_; }
  // Entry `i` counted from the oldest (0) to the newest (size() - 1).
  // REQUIRES: i < size().
  const std::string& entry(std::size_t i) const;
  // The newest min(size(), n) entries, oldest first.
  std::vector<std::string> newest(std::size_t n) const;

  // Up: moves to the next older entry that begins with the prefix and returns it, or
  // nullopt when there is none (the line stays as it is). When `continuing` is false (the
  // previous key was not Up or Down) browsing starts afresh: `currentLine` is saved and
  // becomes the prefix, and the search starts from the newest entry.
  std::optional<std::string> older(std::string_view currentLine, bool continuing);

  // Down: moves to the next newer entry that begins with the prefix and returns it; past
  // the newest entry returns the saved line and browsing starts again from the newest
  // entry. When `continuing` is false browsing starts afresh as for older(), so the result
  // is `currentLine` itself.
  std::string newer(std::string_view currentLine, bool continuing);

  // Forgets the browsing position (the next Up starts from the newest entry).
  void resetBrowsing();

 private:
  // Ring slot of entry i (oldest first).
  std::size_t slot(std::size_t i) const;
  bool matches(std::size_t i) const;

  std::vector<std::string> ring_;  // grows to kHistoryCapacity, then wraps
  std::size_t next_ = 0;           // slot the next line goes to
  std::size_t count_ = 0;
  std::size_t browse_ = 0;         // entries older than this index are searched by Up
  std::string prefix_;             // the line saved when browsing started
};

// Writes the newest min(size, 30) entries to the file at `path` (normally
// stateFilePath(kHistoryFileName)): an unsigned 32-bit count, then one name record per
// line, oldest first. The file is written beside its place and renamed over it, so a
// failed write leaves the previous file intact. Returns false when it could not be written.
bool saveHistory(const CommandHistory& history, const std::string& path);

// Reads the file at `path` and adds each stored line to `history` as if typed. A missing
// or unreadable file is ignored; a truncated or damaged file stops the reading at the
// damage, keeping what was read, without a message. Never reads more than 30 records.
void loadHistory(CommandHistory& history, const std::string& path);

}  // namespace zirbin::gui
