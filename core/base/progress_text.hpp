#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

// How far a long job over countable items (the frames of a video) has come, and its texts
// for a terminal: a bar redrawn in place while the job runs and a summary when it is done.
struct Progress {
  std::int64_t done = 0;               // items finished
  std::optional<std::int64_t> total;   // items expected; absent (or not positive) when unknown
  double elapsed = 0;                  // seconds since the job began
  std::string unit = "frames";         // what the items are called

  // Items per second so far; absent before the first item or before any time has passed.
  std::optional<double> rate() const;
  // Whole seconds still to go at the rate so far, rounded up (0 once everything expected
  // is done, also when more than expected was done); absent when the total or the rate is
  // unknown.
  std::optional<std::int64_t> secondsLeft() const;

  // "[#########...........]  45%  450/1000 frames  28.3 fps  0:20 left", the bar `barWidth`
  // characters wide between its brackets and filled in proportion to what is done (rounded
  // down, so it is full only when everything is done); the percentage is rounded down too.
  // Without a known total: "450 frames  28.3 fps". A rate not yet known reads "-- fps" and
  // "-:-- left".
  std::string line(int barWidth) const;
  // "1000 frames in 0:35 (28.6 fps)"; the time rounded to the nearest second, the rate left
  // out while it is unknown.
  std::string summary() const;

  bool operator==(const Progress&) const = default;
};

// Whole seconds as "m:ss" below an hour and "h:mm:ss" from there on; a negative count reads
// as 0:00.
std::string clockText(std::int64_t seconds);

}  // namespace kestrel
