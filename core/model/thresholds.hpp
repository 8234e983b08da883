#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/base/enum_text.hpp"
#include "core/base/json_io.hpp"

namespace kestrel {

// How readily the head is judged too close or leaning in.
enum class Sensitivity { relaxed, normal, strict };

template <>
struct EnumTexts<Sensitivity> {
  static constexpr std::array table{std::pair{Sensitivity::relaxed, std::string_view{"relaxed"}},
                                    std::pair{Sensitivity::normal, std::string_view{"normal"}},
                                    std::pair{Sensitivity::strict, std::string_view{"strict"}}};
};

// Empty for normal, otherwise "-" and the stored form.
std::string idSuffix(Sensitivity s);

// Seconds between checks.
enum class CheckInterval { s15, s30, min1, min2, min5 };

template <>
struct EnumTexts<CheckInterval> {
  static constexpr std::array table{std::pair{CheckInterval::s15, std::string_view{"s15"}},
                                    std::pair{CheckInterval::s30, std::string_view{"s30"}},
                                    std::pair{CheckInterval::min1, std::string_view{"min1"}},
                                    std::pair{CheckInterval::min2, std::string_view{"min2"}},
                                    std::pair{CheckInterval::min5, std::string_view{"min5"}}};
};

inline constexpr CheckInterval defaultCheckInterval = CheckInterval::min1;

// Whole seconds: 15, 30, 60, 120, 300.
std::int64_t rawValue(CheckInterval interval);
double seconds(CheckInterval interval);
// The interval of exactly that many seconds; absent for any other number.
std::optional<CheckInterval> checkIntervalFromRaw(std::int64_t rawSeconds);

// The single tuning record every judgement reads. Counts are whole numbers; reals are
// ratios, seconds or degrees. The identifier names the tuning and grows with each adjustment.
struct Thresholds {
  std::string id = "t-2026-10-10a";
  double minLuma = 0.12;
  double minFaceHeight = 0.08;
  double multipleFacesRatio = 1.5;
  double maxYawDelta = 20;
  double bodyFaceBoxWiden = 0.5;
  double minJointConfidence = 0.3;
  double raiseFraction = 0.5;
  double clearFraction = 0.35;
  double minFaceReach = 0.2;
  double minNoseReach = 0.4;
  double maxReach = 0.6;
  double tooCloseFraction = 0.42;
  double tooCloseAloneFraction = 0.83;
  double minFaceRise = 0.4;
  double tooCloseClearScale = 0.85;
  double maxPitchDelta = 15;
  double chinSideMargin = 0.3;
  double chinBelow = 0.35;
  double chinAbove = 0.45;
  std::int64_t minHandJointsInChin = 3;
  double borrowFaceMaxAge = 45;
  double maxBorrow = 300;
  std::int64_t burstFrames = 3;
  double burstSpacing = 0.5;
  std::int64_t burstMajority = 3;
  std::int64_t headWindow = 5;
  std::int64_t headBadToRaise = 4;
  std::int64_t headClearWindow = 3;
  std::int64_t headClearNeeded = 2;
  std::int64_t handBadRun = 2;
  std::int64_t handGoodRun = 2;
  std::int64_t noEvidenceChecks = 4;
  std::int64_t awayChecks = 4;
  double chimeAfter = 180;
  double checkInterval = 15;

  // Scales the two too-close fractions (relaxed 1.3, strict 0.75) and extends the id.
  // Not idempotent: apply it once to the defaults.
  Thresholds applying(Sensitivity sensitivity) const;
  // Rescales the tracker counts so their windows stay about as long in time.
  Thresholds applying(CheckInterval interval) const;

  // old × count ÷ new, rounded half away from zero, at least 1.
  static std::int64_t scaled(std::int64_t count, double fromSeconds, double toSeconds);

  bool operator==(const Thresholds&) const = default;
};

void to_json(Json& j, const Thresholds& v);
void from_json(const Json& j, Thresholds& v);

}  // namespace kestrel
