#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/system_log.hpp"

namespace kestrel {

// A system log for tests: keeps every line it is given, in order.
class RecordingLog final : public SystemLog {
 public:
  struct Line {
    LogLevel level = LogLevel::notice;
    std::string message;

    bool operator==(const Line&) const = default;
  };

  void write(LogLevel level, std::string_view message) override;
  std::vector<Line> lines() const;
  // The messages alone.
  std::vector<std::string> messages() const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<Line> lines_;
};

}  // namespace kestrel
