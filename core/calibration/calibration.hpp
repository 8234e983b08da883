#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "core/model/baseline.hpp"
#include "core/model/measurements.hpp"
#include "core/model/thresholds.hpp"

// Turning the two calibration captures into the user's baseline and reach. The user first
// sits well, then leans the whole upper body towards the laptop screen as far as is
// comfortable; each step is a short capture of frames. Pure functions of the captured
// measurements; only `bodyFaceBoxWiden` and `minJointConfidence` of the thresholds are read.
namespace kestrel::Calibration {

enum class Step { sitWell, leanIn };

inline constexpr std::array<Step, 2> steps{Step::sitWell, Step::leanIn};

// Frames captured per step; fewer means the capture was cut short.
inline constexpr std::int64_t framesPerStep = 5;
// Frames with a face needed for a result.
inline constexpr std::int64_t minFacesNeeded = 3;
// Share of all frames of the step that must give a full body reading for the baseline to
// carry the shoulder values.
inline constexpr double minBodyShare = 0.8;
// Least face growth that counts as leaning in.
inline constexpr double minLeanGrowth = 0.05;
// A new sit-well face this many times as tall as the previous calibration's asks for confirmation.
inline constexpr double slouchWarning = 1.1;
// Degrees within which the previous calibration's baseline is comparable.
inline constexpr double similarYaw = 20;

enum class Failure { noFace, notLeaning };

// What the user is told when a step fails.
std::string_view message(Failure failure);

inline constexpr std::string_view slouchMessage = "This looks more slouched than last time — save anyway?";
// Shown when a capture got fewer frames than it needs, or no camera identifier came with it.
inline constexpr std::string_view cameraStoppedMessage = "The camera stopped before the capture finished. Try again.";
// Shown when the user declines a baseline that looks slouched.
inline constexpr std::string_view sitWellAgainMessage = "Sit well and try again.";

// The sit-well frames as a baseline for `screen`: medians of the user's face (its yaw, pitch,
// height and centre) and, when enough frames saw the whole upper body, of the nose-to-shoulder
// ratio and the shoulder width. `noFace` with fewer than three faces or no yaw at all.
std::variant<Baseline, Failure> baseline(const std::vector<Measurements>& from, ScreenRole screen,
                                         const Thresholds& thresholds);

// How much the face grew and the nose dropped in the lean-in frames compared with the sit-well
// baseline. `noFace` with fewer than three faces, `notLeaning` with too little growth.
std::variant<Reach, Failure> reach(const std::vector<Measurements>& leaningIn, const Baseline& laptop,
                                   const Thresholds& thresholds);

// Whether a new sit-well face is at least 10 % taller than the previous calibration's in a
// comparable direction: then the new "good" posture is probably a slouch.
bool looksSlouched(const Baseline& fresh, const std::optional<BaselineSet>& previous);

}  // namespace kestrel::Calibration
