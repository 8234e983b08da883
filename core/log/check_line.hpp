#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/geometry.hpp"
#include "core/base/json_io.hpp"
#include "core/log/log_schema.hpp"
#include "core/model/measurements.hpp"
#include "core/judgement/verdict.hpp"

namespace kestrel {

// One frame of a check's burst as logged.
struct BurstFrame {
  std::optional<Rect> faceBox;                  // the tallest face; absent without faces
  std::vector<std::vector<Joint>> handJoints;   // every hand's joints, in measured order

  // The tallest face (the first of equally tall ones) and every hand of the frame.
  static BurstFrame of(const Measurements& frame);

  bool operator==(const BurstFrame&) const = default;
};

// One check as a line of the daily log: the full evidence and the verdicts.
struct CheckLine {
  std::string type = "check";
  std::int64_t schema = LogSchema::version;
  std::string thresholdsId;
  std::optional<std::string> baselineId;
  std::string t;  // the check's moment as a LogClock stamp
  std::optional<SkipReason> skip;
  std::optional<double> yaw;
  std::optional<double> pitch;
  std::optional<Rect> faceBox;
  std::optional<double> faceHeightRatio;
  std::optional<double> noseShoulderRatio;
  std::vector<double> shoulderConf;
  std::optional<double> noseConf;
  std::vector<std::vector<Joint>> handJoints;
  bool borrowed = false;
  std::optional<std::vector<FrameVote>> votes;  // always written; absent only in older lines
  std::vector<BurstFrame> burstFrames;
  std::optional<HeadResult> head;
  std::optional<HandVerdict> hand;
  bool stale = false;
  double ms = 0;
  std::optional<double> burstMs;

  CheckLine() = default;
  // The line of a check: the result of the vote, the check's own frame (when there is one),
  // the burst frames in order, and what the caller adds (`time` is the stamp of the check's
  // moment).
  CheckLine(const CheckResult& result, const std::optional<Measurements>& measurements,
            const std::vector<Measurements>& burst, bool stale, std::string thresholdsId,
            std::optional<std::string> baselineId, std::string time, double ms, std::optional<double> burstMs);

  bool isScored() const;
  bool isGood() const;

  bool operator==(const CheckLine&) const = default;
};

// The text of the line without its line feed: compact, keys ascending at every level, absent
// values left out. Throws EncodeError for a real that is not finite or a text that is not UTF-8.
std::string lineText(const CheckLine& line);

void to_json(Json& j, const BurstFrame& v);
void from_json(const Json& j, BurstFrame& v);
void to_json(Json& j, const CheckLine& v);
// Requires every non-optional key and "type" "check"; other keys are ignored.
void from_json(const Json& j, CheckLine& v);

}  // namespace kestrel
