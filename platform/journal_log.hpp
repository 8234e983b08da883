#pragma once

#include <functional>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_log.hpp"

namespace kestrel {

// The system log on Linux: one journald entry a line, with the message, its priority, the
// identifier "kestrel" and the application's subsystem and category; where no journal
// listens, the same lines go to standard error.
class JournalLog final : public SystemLog {
 public:
  static constexpr std::string_view prefix = "Larkspur ";
  static constexpr std::string_view identifier = "kestrel";
  static constexpr std::string_view category = "app";

  // Sends one entry, given as "KEY=value" fields; a negative errno when no journal listens.
  using Send = std::function<int(const std::vector<std::string>& fields)>;

  // Through sd_journal_sendv, falling back to standard error.
  explicit JournalLog(std::string subsystem);
  JournalLog(std::string subsystem, Send send, std::ostream& fallback);

  void write(LogLevel level, std::string_view message) override;

  // The journal fields of one line.
  static std::vector<std::string> fields(std::string_view subsystem, LogLevel level, std::string_view message);
  // The syslog priority of a level: informational 6, notice 5, error 3.
  static int priority(LogLevel level);

 private:
  std::string subsystem_;
  Send send_;
  std::ostream& fallback_;
  std::mutex fallbackMutex_;
};

}  // namespace kestrel
