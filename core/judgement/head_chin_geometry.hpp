#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/model/baseline.hpp"
#include "core/model/geometry.hpp"
#include "core/model/measurements.hpp"
#include "core/model/thresholds.hpp"
#include "core/judgement/verdict.hpp"

// The geometry behind the two judgements of one usable frame: how the head compares with the
// user's calibration, and whether a hand rests at the chin. Free functions without state.
namespace kestrel::HeadChinGeometry {

// The body's geometry relative to its shoulders.
struct BodyRatios {
  bool hasShoulders = false;
  bool hasNose = false;
  std::optional<double> noseShoulderRatio;  // nose-to-shoulder-line distance ÷ shoulder width
  std::optional<double> shoulderWidth;      // pixels

  bool operator==(const BodyRatios&) const = default;
};

// The calibrated limits for one baseline; the four sizes are face-height ratios.
struct HeadLimits {
  std::optional<double> headForwardNose;  // at or below this nose ratio the head is forward
  std::optional<double> clearNose;        // at or above this nose ratio the head is back
  double tooCloseWithRise = 0;
  double tooCloseAlone = 0;
  double clearWithRise = 0;
  double clearAlone = 0;

  bool operator==(const HeadLimits&) const = default;
};

inline constexpr std::string_view handHint = "Hand at chin · rest your jaw";
inline constexpr std::string_view headForwardHint = "Head forward · tuck your chin";
inline constexpr std::string_view leanInHint = "Leaning into the screen · sit back";
inline constexpr std::string_view tooCloseHint = "Too close to the screen · sit back";

// A joint counts when present and at least as confident as minJointConfidence.
bool usable(const std::optional<Joint>& joint, const Thresholds& thresholds);

BodyRatios bodyRatios(const std::optional<Body>& body, const Thresholds& thresholds);

// Clamps the reach to its bounds and turns the baseline into forward and too-close limits.
HeadLimits limits(const Baseline& baseline, const Reach& reach, const Thresholds& thresholds);

// faceHeight and faceCenterY are fractions of the frame height; pitch is in degrees.
HeadResult head(double faceHeight, std::optional<double> faceCenterY, std::optional<double> pitch,
                const BodyRatios& ratios, const Baseline& baseline, const Reach& reach,
                const Thresholds& thresholds);

// The region straddling the chin side of the face box, cut to the frame.
Rect chinRegion(const Rect& face, const Rect& frame, const Thresholds& thresholds);

// True when one hand has at least minHandJointsInChin usable joints in the region.
bool handAtChin(const std::vector<Hand>& hands, const Rect& region, const Thresholds& thresholds);

std::string_view headHint(HeadCause cause);

}  // namespace kestrel::HeadChinGeometry
