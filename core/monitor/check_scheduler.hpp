#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/base/instant.hpp"
#include "core/model/thresholds.hpp"

namespace kestrel {

// When the next check is taken. Checks stay on a grid of `interval` seconds from the first
// one, so late frames do not push the schedule back; after a gap longer than the slack
// (a doze that overran, sleep, a pause) the grid restarts from the late check.
struct CheckScheduler {
  Seconds interval = 60;
  Seconds burstSpacing = 0.5;  // between the frames of one check
  std::optional<Instant> lastCheckAt;

  static constexpr Seconds gridSlack = 3.0;

  CheckScheduler() = default;
  explicit CheckScheduler(const Thresholds& thresholds);

  // Whether a frame at `now` is to be checked; a check taken moves `lastCheckAt` onto the
  // grid or, when later than the slack allows, to `now`. The very first frame is checked.
  bool takeCheck(Instant now);
  // A new cadence; the next check is due that long after the last one.
  void setInterval(Seconds seconds);
  std::optional<Instant> nextCheckDue() const;
  // The next frame is checked whenever it comes, and the grid starts again from it.
  void checkNow() { lastCheckAt.reset(); }
  // The instants of a burst of `count` further frames (at least one) after `start`.
  std::vector<Instant> burstTimes(Instant start, std::int64_t count) const;

  // The camera runs at its high frame rate only while calibrating or collecting a burst.
  static bool wantsHighFrameRate(bool calibrating, bool bursting);

  bool operator==(const CheckScheduler&) const = default;
};

}  // namespace kestrel
