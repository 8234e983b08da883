#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/log/check_line.hpp"
#include "core/log/event_line.hpp"
#include "core/base/instant.hpp"
#include "core/log/log_clock.hpp"
#include "core/log/score_line.hpp"

namespace kestrel {

// One day of the log as today's score and alert list need it, both in file order.
struct DayLines {
  std::vector<ScoreLine> checks;
  std::vector<EventLine> events;

  bool operator==(const DayLines&) const = default;
};

// The "logs" folder: one file of JSON lines per day, named by the clock's day name and
// ".jsonl", each line one check or one monitor event. Every call opens and closes the file;
// nothing is kept between calls. Reading never fails: a missing or unreadable file gives
// nothing and a bad line is skipped.
struct CheckLogStore {
  static constexpr std::int64_t retentionDays = 60;

  std::filesystem::path directory;
  LogClock clock;

  // The day file of the moment.
  std::filesystem::path fileURL(Instant at) const;

  // Adds the line to the end of the day file of `at`, creating the folder and the file when
  // needed. Throws when the line cannot be encoded (a real that is not finite: nothing is
  // written), or when the folder or file cannot be created or written; a write failing
  // half-way is cut back off, so the earlier lines stay as they were.
  void append(const CheckLine& line, Instant at) const;
  void append(const EventLine& line, Instant at) const;

  // The day's lines of one kind that decode whole and have a readable schema, in file order.
  std::vector<CheckLine> checkLines(Instant on) const;
  std::vector<EventLine> eventLines(Instant on) const;

  // One pass over the day file: its check lines read as score lines (only the fields the
  // score needs must decode) and its event lines.
  DayLines dayLines(Instant on) const;

  // Deletes the day files older than the retention (the file of the day 60 × 24 hours ago
  // stays); gives the names chosen, ascending, including any that could not be deleted.
  // Other files are never touched.
  std::vector<std::string> prune(Instant now) const;

 private:
  void appendText(std::string text, Instant at) const;
};

}  // namespace kestrel
