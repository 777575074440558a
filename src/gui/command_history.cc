// The command history ring, its recall with prefix search, and the file "zirbin_comm.bin".
#include "gui/command_history.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "files/atomic_file.h"
#include "files/records.h"

namespace zirbin::gui {

void CommandHistory::add(std::string_view line) {
  resetBrowsing();
  if (line.find_first_not_of(" \t") == std::string_view::npos) return;
  if (count_ > 0 && entry(count_ - 1) == line) return;
  if (ring_.size() < kHistoryCapacity) {
    ring_.emplace_back(line);
  } else {
    ring_[next_] = std::string(line);
  }
  next_ = (next_ + 1) % kHistoryCapacity;
  count_ = std::min(count_ + 1, kHistoryCapacity);
  browse_ = count_;
}

std::size_t CommandHistory::slot(std::size_t i) const {
  return (next_ + kHistoryCapacity - count_ + i) % kHistoryCapacity;
}

const std::string& CommandHistory::entry(std::size_t i) const { return ring_[slot(i)]; }

std::vector<std::string> CommandHistory::newest(std::size_t n) const {
  std::vector<std::string> lines;
  for (std::size_t i = count_ - std::min(n, count_); i < count_; ++i) lines.push_back(entry(i));
  return lines;
}

bool CommandHistory::matches(std::size_t i) const { return entry(i).starts_with(prefix_); }

void CommandHistory::resetBrowsing() {
  browse_ = count_;
  prefix_.clear();
}

std::optional<std::string> CommandHistory::older(std::string_view currentLine, bool continuing) {
  if (!continuing) {
    prefix_ = std::string(currentLine);
    browse_ = count_;
  }
  for (std::size_t i = browse_; i-- > 0;) {
    if (matches(i)) {
      browse_ = i;
      return entry(i);
    }
  }
  return std::nullopt;
}

std::string CommandHistory::newer(std::string_view currentLine, bool continuing) {
  if (!continuing) {
    prefix_ = std::string(currentLine);
    browse_ = count_;
  }
  for (std::size_t i = browse_ + 1; i < count_; ++i) {
    if (matches(i)) {
      browse_ = i;
      return entry(i);
    }
  }
  browse_ = count_;
  return prefix_;
}

bool saveHistory(const CommandHistory& history, const std::string& path) {
  files::AtomicFile file(path);
  if (file.stream() == nullptr) return false;
  files::RecordWriter out(file.stream());
  std::vector<std::string> lines = history.newest(kHistoryFileEntries);
  out.writeInt32(static_cast<std::int32_t>(lines.size()));
  for (const std::string& line : lines) files::writeName(out, line);
  return file.commit(out.ok());
}

void loadHistory(CommandHistory& history, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  files::RecordReader in(file);
  std::int32_t stored = 0;
  if (in.readInt32(stored)) {
    std::uint32_t count = std::min<std::uint32_t>(static_cast<std::uint32_t>(stored),
                                                  kHistoryFileEntries);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::optional<std::string> line = files::readName(in);
      if (!line || in.failed()) break;
      history.add(*line);
    }
  }
  std::fclose(file);
}

}  // namespace zirbin::gui
