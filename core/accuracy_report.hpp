#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/app_settings.hpp"
#include "core/baseline.hpp"
#include "core/fixture_label.hpp"
#include "core/instant.hpp"
#include "core/skeleton_file.hpp"
#include "core/thresholds.hpp"
#include "core/verdict.hpp"
#include "core/video_index.hpp"

// How the classifier's judgement of the fixture videos compares with what they show: the
// labelled checks against the replayed verdicts, and the frames of each posed range as
// judged one by one. Pure: the caller reads the index and the skeleton files.
namespace kestrel::AccuracyReport {

// What one replayed check said, at its time in its video.
struct ReplayedCheck {
  std::string video;
  double time = 0;  // seconds from the start of the video
  std::optional<SkipReason> skip;
  std::optional<HeadResult> head;
  std::optional<HandVerdict> hand;

  bool operator==(const ReplayedCheck&) const = default;
};

// The label classes a verdict stands for, in the classes' order: a skip for want of a face
// is `away`, any other skip `unclear`; a good head `good`, a bad head its cause's class, an
// inconclusive (or absent) head `unclear`; a bad hand adds `handAtChin`.
std::vector<LabelClass> classes(const std::optional<SkipReason>& skip, const std::optional<HeadResult>& head,
                                const std::optional<HandVerdict>& hand);

// One label class over all labelled checks that were replayed.
struct Agreement {
  LabelClass label = LabelClass::good;
  std::int64_t labelled = 0;  // checks whose labels name the class
  std::int64_t agreed = 0;    // of those, checks whose replay says it too
  std::int64_t alsoSaid = 0;  // checks whose replay says it although their labels do not

  bool operator==(const Agreement&) const = default;
};

struct AgreementTable {
  std::vector<Agreement> rows;           // every label class, in order
  std::int64_t checks = 0;               // labelled checks that were replayed
  std::int64_t exact = 0;                // of those, replays saying exactly the labelled classes
  std::vector<CheckLabel> notReplayed;   // labels with no replayed check at their time

  bool operator==(const AgreementTable&) const = default;
};

// Each label is matched with the first replayed check of its video less than a millisecond
// from its time. Duplicate labels in a label's list count once.
AgreementTable agreement(const std::vector<CheckLabel>& labels, const std::vector<ReplayedCheck>& checks);

// The frames of one pose's ranges, each judged on its own.
struct RangeTally {
  FixtureLabel label = FixtureLabel::sitWellLaptop;
  std::int64_t ranges = 0;
  std::int64_t frames = 0;
  std::int64_t good = 0;
  std::int64_t headForward = 0;
  std::int64_t leanIn = 0;
  std::int64_t tooClose = 0;
  std::int64_t inconclusive = 0;  // judged, head inconclusive (or absent)
  std::int64_t handAtChin = 0;    // hand bad, whatever the head
  std::map<SkipReason, std::int64_t> skipped;

  void add(const CheckResult& frame);
  bool operator==(const RangeTally&) const = default;
};

// Where the report's checks and frames are placed in time: video second x is epoch + x.
inline constexpr Instant replayEpoch = 1767603600;  // 2026-01-05T09:00:00Z

// Every frame from `start` to `end` (both included) judged in order of time with the
// classifier's memory carried from frame to frame; frame time x is judged at epoch + x.
std::vector<CheckResult> judgeFrames(const std::vector<SkeletonFile::Frame>& frames, double start, double end,
                                     const BaselineSet& baselines, const Thresholds& thresholds);

// Per pose with ranges that expect a calibration pose or a hand at the chin, in the poses'
// order: its ranges' frames judged. Videos absent from `skeletons` are left out.
std::vector<RangeTally> tallyRanges(const VideoIndex& index, const std::map<std::string, SkeletonFile>& skeletons,
                                    const BaselineSet& baselines, const Thresholds& thresholds);

// Every range holding labels replayed through the check pipeline and the monitor from its
// start to its end; ranges too short for three checks are named in `tooShort`.
struct Replays {
  std::vector<ReplayedCheck> checks;
  std::vector<std::string> notes;  // "clip.mp4 12.0–20.0 s: too short (2 checks)"

  bool operator==(const Replays&) const = default;
};
Replays replayLabelled(const VideoIndex& index, const std::map<std::string, SkeletonFile>& skeletons,
                       const BaselineSet& baselines, const AppSettings& settings);

// The calibration the report judges with: the sit-well baseline from the frames at the
// calibration times of the first "sit well · laptop" range and the reach from those of the
// first "lean all the way in" range. An error text when a range or its skeleton file is
// missing or the calibration fails.
std::variant<BaselineSet, std::string> calibrate(const VideoIndex& index,
                                                 const std::map<std::string, SkeletonFile>& skeletons,
                                                 const Thresholds& thresholds);

// The thresholds checks are judged with under these settings.
Thresholds checkThresholds(const AppSettings& settings);

// The tables as text, columns aligned, one line feed after each line.
std::string agreementText(const AgreementTable& table);
std::string rangeText(const std::vector<RangeTally>& tallies);

}  // namespace kestrel::AccuracyReport
