#include "core/judgement/head_chin_geometry.hpp"

#include <algorithm>
#include <cmath>

namespace kestrel::HeadChinGeometry {

namespace {

double clampedTo(double value, double lower, double upper) { return std::min(std::max(value, lower), upper); }

// Rise of the face centre since calibration, in baseline face heights (positive upwards).
std::optional<double> rise(std::optional<double> faceCenterY, const Baseline& baseline) {
  if (!faceCenterY || !baseline.faceCenterY || !(baseline.faceHeight > 0)) return std::nullopt;
  return (*faceCenterY - *baseline.faceCenterY) / baseline.faceHeight;
}

// At or above `alone`, or at or above `withRise` while the face has risen at least `minRise`.
bool reaches(double faceHeight, double alone, double withRise, std::optional<double> risen, double minRise) {
  return faceHeight >= alone || (faceHeight >= withRise && risen && *risen >= minRise);
}

}  // namespace

bool usable(const std::optional<Joint>& joint, const Thresholds& thresholds) {
  return joint && joint->confidence >= thresholds.minJointConfidence;
}

BodyRatios bodyRatios(const std::optional<Body>& body, const Thresholds& thresholds) {
  if (!body) return {};
  BodyRatios ratios;
  ratios.hasNose = usable(body->nose, thresholds);
  if (!usable(body->leftShoulder, thresholds) || !usable(body->rightShoulder, thresholds)) return ratios;
  ratios.hasShoulders = true;
  const Point& left = body->leftShoulder->point;
  const Point& right = body->rightShoulder->point;
  const double width = left.distance(right);
  if (!(width * width > 0)) return ratios;
  ratios.shoulderWidth = width;
  if (ratios.hasNose) {
    if (auto distance = distanceFromLine(body->nose->point, left, right)) ratios.noseShoulderRatio = *distance / width;
  }
  return ratios;
}

HeadLimits limits(const Baseline& baseline, const Reach& reach, const Thresholds& t) {
  const double growth = clampedTo(reach.faceGrowth, t.minFaceReach, t.maxReach);
  HeadLimits l;
  if (baseline.noseShoulderRatio) {
    const double r = *baseline.noseShoulderRatio;
    const double drop = clampedTo(reach.noseDrop, t.minNoseReach, t.maxReach);
    l.headForwardNose = (1 - t.raiseFraction * drop) * r;
    l.clearNose = (1 - t.clearFraction * drop) * r;
  }
  const double h = baseline.faceHeight;
  l.tooCloseWithRise = (1 + t.tooCloseFraction * growth) * h;
  l.tooCloseAlone = (1 + t.tooCloseAloneFraction * growth) * h;
  l.clearWithRise = (1 + t.tooCloseFraction * t.tooCloseClearScale * growth) * h;
  l.clearAlone = (1 + t.tooCloseAloneFraction * t.tooCloseClearScale * growth) * h;
  return l;
}

HeadResult head(double faceHeight, std::optional<double> faceCenterY, std::optional<double> pitch,
                const BodyRatios& ratios, const Baseline& baseline, const Reach& reach, const Thresholds& t) {
  const HeadLimits l = limits(baseline, reach, t);
  const bool onShoulders = ratios.hasShoulders && ratios.hasNose && ratios.noseShoulderRatio &&
                           l.headForwardNose && l.clearNose;
  const HeadBasis basis = onShoulders ? HeadBasis::shoulders : HeadBasis::faceOnly;
  const std::optional<double> risen = rise(faceCenterY, baseline);

  const bool clear =
      !reaches(faceHeight, l.clearAlone, l.clearWithRise, risen, t.minFaceRise * t.tooCloseClearScale);
  const bool clearOK = clear && (!onShoulders || *ratios.noseShoulderRatio >= *l.clearNose);

  if (onShoulders && *ratios.noseShoulderRatio <= *l.headForwardNose) {
    return {HeadVerdict::bad, HeadCause::headForward, basis, std::nullopt, clearOK};
  }
  if (reaches(faceHeight, l.tooCloseAlone, l.tooCloseWithRise, risen, t.minFaceRise)) {
    const HeadCause cause = onShoulders ? HeadCause::leanIn : HeadCause::tooClose;
    return {HeadVerdict::bad, cause, basis, std::nullopt, clearOK};
  }
  if (pitch && std::abs(*pitch - baseline.pitch) > t.maxPitchDelta) {
    return {HeadVerdict::inconclusive, std::nullopt, basis, InconclusiveReason::lookingDown, clearOK};
  }
  return {HeadVerdict::good, std::nullopt, basis, std::nullopt, clearOK};
}

Rect chinRegion(const Rect& face, const Rect& frame, const Thresholds& t) {
  const double left = face.minX - face.width * t.chinSideMargin;
  const double right = face.maxX() + face.width * t.chinSideMargin;
  const double bottom = face.minY - face.height * t.chinBelow;
  const double top = face.minY + face.height * t.chinAbove;
  return Rect{left, bottom, right - left, top - bottom}.clamped(frame);
}

bool handAtChin(const std::vector<Hand>& hands, const Rect& region, const Thresholds& t) {
  for (const Hand& hand : hands) {
    const auto inside = std::count_if(hand.joints.begin(), hand.joints.end(), [&](const Joint& joint) {
      return joint.confidence >= t.minJointConfidence && region.contains(joint.point);
    });
    if (inside >= t.minHandJointsInChin) return true;
  }
  return false;
}

std::string_view headHint(HeadCause cause) {
  switch (cause) {
    case HeadCause::headForward: return headForwardHint;
    case HeadCause::leanIn: return leanInHint;
    case HeadCause::tooClose: return tooCloseHint;
  }
  return headForwardHint;
}

}  // namespace kestrel::HeadChinGeometry
