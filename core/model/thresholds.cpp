#include "core/model/thresholds.hpp"

#include <algorithm>
#include <cmath>

namespace kestrel {

std::string idSuffix(Sensitivity s) {
  if (s == Sensitivity::normal) return "";
  std::string suffix = "-";
  suffix += toText(s);
  return suffix;
}

std::int64_t rawValue(CheckInterval interval) {
  switch (interval) {
    case CheckInterval::s15: return 15;
    case CheckInterval::s30: return 30;
    case CheckInterval::min1: return 60;
    case CheckInterval::min2: return 120;
    case CheckInterval::min5: return 300;
  }
  return 60;
}

double seconds(CheckInterval interval) { return static_cast<double>(rawValue(interval)); }

std::optional<CheckInterval> checkIntervalFromRaw(std::int64_t rawSeconds) {
  for (CheckInterval i : allCases<CheckInterval>()) {
    if (rawValue(i) == rawSeconds) return i;
  }
  return std::nullopt;
}

Thresholds Thresholds::applying(Sensitivity sensitivity) const {
  double factor = 1.0;
  if (sensitivity == Sensitivity::relaxed) factor = 1.3;
  if (sensitivity == Sensitivity::strict) factor = 0.75;
  Thresholds t = *this;
  t.tooCloseFraction *= factor;
  t.tooCloseAloneFraction *= factor;
  t.id += idSuffix(sensitivity);
  return t;
}

std::int64_t Thresholds::scaled(std::int64_t count, double fromSeconds, double toSeconds) {
  const double value = fromSeconds * static_cast<double>(count) / toSeconds;
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::round(value)));
}

Thresholds Thresholds::applying(CheckInterval interval) const {
  const double n = seconds(interval);
  const double o = checkInterval;
  if (o == n) return *this;
  Thresholds t = *this;
  t.checkInterval = n;
  auto scale = [&](std::int64_t c) { return scaled(c, o, n); };
  t.headBadToRaise = scale(headBadToRaise);
  t.headWindow = std::max(scale(headWindow), t.headBadToRaise);
  t.headClearNeeded = scale(headClearNeeded);
  t.headClearWindow = std::max(scale(headClearWindow), t.headClearNeeded);
  t.handBadRun = scale(handBadRun);
  t.handGoodRun = scale(handGoodRun);
  t.noEvidenceChecks = scale(noEvidenceChecks);
  t.awayChecks = scale(awayChecks);
  t.borrowFaceMaxAge = std::max(borrowFaceMaxAge, 1.5 * n);
  t.maxBorrow = std::max(maxBorrow, t.borrowFaceMaxAge);
  t.id += '-';
  t.id += std::to_string(rawValue(interval));
  t.id += 's';
  return t;
}

#define KESTREL_THRESHOLD_FIELDS(X)                                                                    \
  X(minLuma, real) X(minFaceHeight, real) X(multipleFacesRatio, real) X(maxYawDelta, real)             \
  X(bodyFaceBoxWiden, real) X(minJointConfidence, real) X(raiseFraction, real) X(clearFraction, real)  \
  X(minFaceReach, real) X(minNoseReach, real) X(maxReach, real) X(tooCloseFraction, real)              \
  X(tooCloseAloneFraction, real) X(minFaceRise, real) X(tooCloseClearScale, real)                      \
  X(maxPitchDelta, real) X(chinSideMargin, real) X(chinBelow, real) X(chinAbove, real)                 \
  X(minHandJointsInChin, count) X(borrowFaceMaxAge, real) X(maxBorrow, real) X(burstFrames, count)     \
  X(burstSpacing, real) X(burstMajority, count) X(headWindow, count) X(headBadToRaise, count)          \
  X(headClearWindow, count) X(headClearNeeded, count) X(handBadRun, count) X(handGoodRun, count)       \
  X(noEvidenceChecks, count) X(awayChecks, count) X(chimeAfter, real) X(checkInterval, real)

void to_json(Json& j, const Thresholds& v) {
  j = Json{{"id", v.id}};
#define KESTREL_PUT(name, kind) j[#name] = v.name;
  KESTREL_THRESHOLD_FIELDS(KESTREL_PUT)
#undef KESTREL_PUT
}

void from_json(const Json& j, Thresholds& v) {
  Thresholds t;
  t.id = json_io::text(j, "id");
#define KESTREL_GET(name, kind) t.name = json_io::kind(j, #name);
  KESTREL_THRESHOLD_FIELDS(KESTREL_GET)
#undef KESTREL_GET
  v = std::move(t);
}

}  // namespace kestrel
