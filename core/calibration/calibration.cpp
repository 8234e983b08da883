#include "core/calibration/calibration.hpp"

#include <algorithm>
#include <cmath>

#include "core/judgement/classifier.hpp"
#include "core/model/geometry.hpp"
#include "core/judgement/head_chin_geometry.hpp"

namespace kestrel::Calibration {

namespace {

// The limits are decimal values ("exactly 1.05 times passes"); a ratio that reaches one only
// up to the rounding of doubles still reaches it.
constexpr double tolerance = 1e-9;

bool atLeast(double value, double limit) { return value >= limit - tolerance; }

// The user's face in a frame and the body that belongs to it. Frames without a face, or with
// no size to relate the face to, give none.
struct Subject {
  Face face;
  HeadChinGeometry::BodyRatios ratios;
};

std::optional<Subject> subject(const Measurements& frame, const Thresholds& thresholds) {
  if (!(frame.frameHeight > 0)) return std::nullopt;
  const auto face = Classifier::subject(frame.faces);
  if (!face) return std::nullopt;
  const auto body = Classifier::body(*face, frame.bodies, thresholds.bodyFaceBoxWiden);
  return Subject{*face, HeadChinGeometry::bodyRatios(body, thresholds)};
}

}  // namespace

std::string_view message(Failure failure) {
  switch (failure) {
    case Failure::noFace:
      return "I can't see your face. Check the light and try again.";
    case Failure::notLeaning:
      return "Lean further in toward the screen and try again.";
  }
  return {};
}

std::variant<Baseline, Failure> baseline(const std::vector<Measurements>& from, ScreenRole screen,
                                         const Thresholds& thresholds) {
  std::int64_t faces = 0;
  std::int64_t fullBodies = 0;
  std::vector<double> yaws, pitches, heights, centres, noseRatios, shoulderWidths;
  for (const Measurements& frame : from) {
    const auto s = subject(frame, thresholds);
    if (!s) continue;
    ++faces;
    if (s->face.yaw) yaws.push_back(*s->face.yaw);
    if (s->face.pitch) pitches.push_back(*s->face.pitch);
    heights.push_back(s->face.box.height / frame.frameHeight);
    centres.push_back(s->face.box.midY() / frame.frameHeight);
    const auto& r = s->ratios;
    if (r.hasShoulders && r.hasNose && r.noseShoulderRatio && r.shoulderWidth && frame.frameWidth > 0) {
      ++fullBodies;
      noseRatios.push_back(*r.noseShoulderRatio);
      shoulderWidths.push_back(*r.shoulderWidth / frame.frameWidth);
    }
  }
  if (faces < minFacesNeeded || yaws.empty()) return Failure::noFace;

  Baseline b;
  b.screen = screen;
  b.yaw = *median(yaws);
  b.pitch = median(pitches).value_or(0);
  b.faceHeight = *median(heights);
  b.faceCenterY = median(centres);
  if (atLeast(static_cast<double>(fullBodies), minBodyShare * static_cast<double>(from.size()))) {
    b.noseShoulderRatio = median(noseRatios);
    b.shoulderWidth = median(shoulderWidths);
  }
  return b;
}

std::variant<Reach, Failure> reach(const std::vector<Measurements>& leaningIn, const Baseline& laptop,
                                   const Thresholds& thresholds) {
  std::vector<double> heights, noseRatios;
  for (const Measurements& frame : leaningIn) {
    const auto s = subject(frame, thresholds);
    if (!s) continue;
    heights.push_back(s->face.box.height / frame.frameHeight);
    const auto& r = s->ratios;
    if (r.hasShoulders && r.hasNose && r.noseShoulderRatio) noseRatios.push_back(*r.noseShoulderRatio);
  }
  if (static_cast<std::int64_t>(heights.size()) < minFacesNeeded || !(laptop.faceHeight > 0)) return Failure::noFace;

  const double faceGrowth = *median(heights) / laptop.faceHeight - 1;
  if (!atLeast(faceGrowth, minLeanGrowth)) return Failure::notLeaning;

  double noseDrop = 0;
  if (laptop.noseShoulderRatio && *laptop.noseShoulderRatio > 0 && !noseRatios.empty()) {
    noseDrop = std::max(0.0, 1 - *median(noseRatios) / *laptop.noseShoulderRatio);
  }
  return Reach{faceGrowth, noseDrop};
}

bool looksSlouched(const Baseline& fresh, const std::optional<BaselineSet>& previous) {
  if (!previous) return false;
  const auto p = previous->nearest(fresh.yaw);
  if (!p || std::abs(p->yaw - fresh.yaw) > similarYaw) return false;
  return atLeast(fresh.faceHeight, p->faceHeight * slouchWarning);
}

}  // namespace kestrel::Calibration
