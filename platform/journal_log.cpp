#include "platform/journal_log.hpp"

#include <sys/uio.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

namespace kestrel {

namespace {

// Where journald listens for entries.
constexpr const char* journalSocket = "/run/systemd/journal/socket";

int sendToJournal(const std::vector<std::string>& fields) {
  // sd_journal_sendv drops the entry and reports success when no journal listens, so the
  // journal's socket is looked for first.
  if (::access(journalSocket, F_OK) != 0) return -errno;
  std::vector<iovec> parts;
  parts.reserve(fields.size());
  for (const auto& field : fields) {
    // sd_journal_sendv only reads the fields.
    parts.push_back({const_cast<char*>(field.data()), field.size()});
  }
  return sd_journal_sendv(parts.data(), static_cast<int>(parts.size()));
}

}  // namespace

JournalLog::JournalLog(std::string subsystem) : JournalLog(std::move(subsystem), sendToJournal, std::cerr) {}

JournalLog::JournalLog(std::string subsystem, Send send, std::ostream& fallback)
    : subsystem_(std::move(subsystem)), send_(std::move(send)), fallback_(fallback) {}

int JournalLog::priority(LogLevel level) {
  switch (level) {
    case LogLevel::info:
      return 6;
    case LogLevel::notice:
      return 5;
    case LogLevel::error:
      return 3;
  }
  return 5;
}

std::vector<std::string> JournalLog::fields(std::string_view subsystem, LogLevel level, std::string_view message) {
  return {
      "MESSAGE=" + std::string(prefix) + std::string(message),
      "PRIORITY=" + std::to_string(priority(level)),
      "SYSLOG_IDENTIFIER=" + std::string(identifier),
      "KESTREL_SUBSYSTEM=" + std::string(subsystem),
      "KESTREL_CATEGORY=" + std::string(category),
  };
}

void JournalLog::write(LogLevel level, std::string_view message) {
  if (send_(fields(subsystem_, level, message)) >= 0) return;
  const std::lock_guard lock(fallbackMutex_);
  fallback_ << prefix << message << '\n' << std::flush;
}

}  // namespace kestrel
