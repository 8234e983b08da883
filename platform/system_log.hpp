#pragma once

#include <string_view>

namespace kestrel {

// How much a log line matters: per-frame details are `info`, most lines `notice` (the
// default level), failures that need attention `error`.
enum class LogLevel { info, notice, error };

// The system log every shell message goes to. Messages are given without the "Larkspur "
// prefix that each line carries; the log adds it. Safe to use from any thread.
class SystemLog {
 public:
  virtual ~SystemLog() = default;
  virtual void write(LogLevel level, std::string_view message) = 0;

  void info(std::string_view message) { write(LogLevel::info, message); }
  void notice(std::string_view message) { write(LogLevel::notice, message); }
  void error(std::string_view message) { write(LogLevel::error, message); }
};

}  // namespace kestrel
