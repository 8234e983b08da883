#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/baseline.hpp"
#include "core/base/enum_text.hpp"
#include "core/base/json_io.hpp"
#include "core/model/measurements.hpp"

namespace kestrel {

// Why a frame or a check was not judged.
enum class SkipReason { capturing, cameraMissing, cameraEffects, dark, noFace, faceTooSmall, multipleFaces, yawOutOfRange };

template <>
struct EnumTexts<SkipReason> {
  static constexpr std::array table{std::pair{SkipReason::capturing, std::string_view{"capturing"}},
                                    std::pair{SkipReason::cameraMissing, std::string_view{"camera_missing"}},
                                    std::pair{SkipReason::cameraEffects, std::string_view{"camera_effects"}},
                                    std::pair{SkipReason::dark, std::string_view{"dark"}},
                                    std::pair{SkipReason::noFace, std::string_view{"no_face"}},
                                    std::pair{SkipReason::faceTooSmall, std::string_view{"face_too_small"}},
                                    std::pair{SkipReason::multipleFaces, std::string_view{"multiple_faces"}},
                                    std::pair{SkipReason::yawOutOfRange, std::string_view{"yaw_out_of_range"}}};
};

enum class HeadVerdict { good, bad, inconclusive };

template <>
struct EnumTexts<HeadVerdict> {
  static constexpr std::array table{std::pair{HeadVerdict::good, std::string_view{"GOOD"}},
                                    std::pair{HeadVerdict::bad, std::string_view{"BAD"}},
                                    std::pair{HeadVerdict::inconclusive, std::string_view{"INCONCLUSIVE"}}};
};

// Why the head is bad.
enum class HeadCause { headForward, leanIn, tooClose };

template <>
struct EnumTexts<HeadCause> {
  static constexpr std::array table{std::pair{HeadCause::headForward, std::string_view{"head_forward"}},
                                    std::pair{HeadCause::leanIn, std::string_view{"lean_in"}},
                                    std::pair{HeadCause::tooClose, std::string_view{"too_close"}}};
};

// What the head verdict rested on.
enum class HeadBasis { shoulders, faceOnly };

template <>
struct EnumTexts<HeadBasis> {
  static constexpr std::array table{std::pair{HeadBasis::shoulders, std::string_view{"shoulders"}},
                                    std::pair{HeadBasis::faceOnly, std::string_view{"face_only"}}};
};

enum class InconclusiveReason { lookingDown, mixed, noFace };

template <>
struct EnumTexts<InconclusiveReason> {
  static constexpr std::array table{std::pair{InconclusiveReason::lookingDown, std::string_view{"looking_down"}},
                                    std::pair{InconclusiveReason::mixed, std::string_view{"mixed"}},
                                    std::pair{InconclusiveReason::noFace, std::string_view{"no_face"}}};
};

enum class HandVerdict { good, bad, snoozed, mixed };

template <>
struct EnumTexts<HandVerdict> {
  static constexpr std::array table{std::pair{HandVerdict::good, std::string_view{"GOOD"}},
                                    std::pair{HandVerdict::bad, std::string_view{"BAD"}},
                                    std::pair{HandVerdict::snoozed, std::string_view{"SNOOZED"}},
                                    std::pair{HandVerdict::mixed, std::string_view{"MIXED"}}};
};

struct HeadResult {
  HeadVerdict verdict = HeadVerdict::inconclusive;
  std::optional<HeadCause> cause;            // present exactly when bad
  std::optional<HeadBasis> basis;            // absent for results without geometry
  std::optional<InconclusiveReason> reason;  // why inconclusive, when known
  bool clearOK = false;                      // clear of the hysteresis limits

  bool operator==(const HeadResult&) const = default;
};

// What one frame of a check said.
struct FrameVote {
  std::optional<SkipReason> skip;
  std::optional<HeadVerdict> head;
  std::optional<HandVerdict> hand;

  bool operator==(const FrameVote&) const = default;
};

// The judgement of one frame, and after the vote of one check.
struct CheckResult {
  std::optional<SkipReason> skip;  // set when not judged; then head and hand are absent
  std::optional<HeadResult> head;
  bool handCandidate = false;  // a hand was found at the chin, whatever the snooze
  std::optional<HandVerdict> hand;
  bool facePresent = false;
  std::optional<Face> subjectFace;  // the user's face, or the borrowed one
  std::optional<Baseline> baseline;
  bool borrowed = false;
  std::optional<double> faceHeightRatio;
  std::optional<double> noseShoulderRatio;
  std::optional<double> shoulderWidthRatio;
  std::vector<double> shoulderConfidence;  // [left, right] when judged from a face
  std::optional<double> noseConfidence;
  std::vector<FrameVote> frameVotes;  // one per frame of a check; empty for a single frame

  // One line for the system log: "check head=… cause=… hand=… skip=… votes=… thresholdsId=…".
  std::string logSummary(const std::string& thresholdsId) const;

  bool operator==(const CheckResult&) const = default;
};

void to_json(Json& j, const HeadResult& v);
void from_json(const Json& j, HeadResult& v);
void to_json(Json& j, const FrameVote& v);
void from_json(const Json& j, FrameVote& v);

}  // namespace kestrel
