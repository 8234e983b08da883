#include "testing/recording_log.hpp"

namespace kestrel {

void RecordingLog::write(LogLevel level, std::string_view message) {
  const std::lock_guard lock(mutex_);
  lines_.push_back({level, std::string(message)});
}

std::vector<RecordingLog::Line> RecordingLog::lines() const {
  const std::lock_guard lock(mutex_);
  return lines_;
}

std::vector<std::string> RecordingLog::messages() const {
  const std::lock_guard lock(mutex_);
  std::vector<std::string> messages;
  messages.reserve(lines_.size());
  for (const auto& line : lines_) messages.push_back(line.message);
  return messages;
}

void RecordingLog::clear() {
  const std::lock_guard lock(mutex_);
  lines_.clear();
}

}  // namespace kestrel
