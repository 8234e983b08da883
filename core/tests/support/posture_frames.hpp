#pragma once

// The user in a 1000 × 1000 frame as the tests of the checks, the replay and the reports see
// them, and the calibration made of these frames.

#include <vector>

#include "core/model/baseline.hpp"
#include "core/model/measurements.hpp"
#include "core/fixtures/skeleton_file.hpp"

namespace kestrel::testing {

inline Joint joint(double x, double y, double confidence = 0.9) { return Joint{{x, y}, confidence}; }

// Sitting as calibrated: face ratio 0.3, the nose 200 px above shoulders 300 px apart (nose
// ratio 2/3), clear of every limit.
inline Body sittingBody() {
  return Body{Joint{{550, 500}, 0.8}, Joint{{550, 350}, 0.7}, Joint{{400, 300}, 0.6}, Joint{{700, 300}, 0.5}};
}
inline Measurements sitting(std::vector<Hand> hands = {}) {
  return Measurements{1000, 1000, 0.5, {Face{{400, 400, 300, 300}, 0.0, 0.0}}, {sittingBody()}, std::move(hands)};
}
// Far too close: face ratio 0.4, no body.
inline Measurements tooClose() { return Measurements{1000, 1000, 0.5, {Face{{350, 350, 400, 400}, 0.0, 0.0}}, {}, {}}; }
// Leaning all the way in: face ratio 0.4 with the nose sunk towards the shoulder line.
inline Measurements leaning() {
  const Body body{Joint{{550, 380}, 0.9}, Joint{{550, 330}, 0.9}, Joint{{380, 300}, 0.9}, Joint{{720, 300}, 0.9}};
  return Measurements{1000, 1000, 0.5, {Face{{350, 300, 400, 400}, 0.0, 0.0}}, {body}, {}};
}
// A hand whose joints lie in the chin region of the sitting face (x 310…790, y 295…535) but one.
inline Hand handAtChin() { return Hand{{joint(500, 420), joint(520, 430), joint(540, 440), joint(560, 700)}}; }
inline Measurements nobody() { return Measurements{1000, 1000, 0.5, {}, {}, {}}; }

inline const Baseline laptopBaseline{ScreenRole::laptop, 0, 0, 0.3, 0.7, 0.25, std::nullopt};
inline BaselineSet calibrationSet() { return BaselineSet("set-1", "cam", {laptopBaseline}, Reach{0.3, 0.4}); }

// Frames every `step` seconds from 0 to `seconds`: too close before `badUntil`, sitting after.
inline std::vector<SkeletonFile::Frame> badThenGoodFrames(double seconds, double badUntil, double step = 0.25) {
  std::vector<SkeletonFile::Frame> frames;
  for (int i = 0; i * step <= seconds; ++i) {
    const double time = i * step;
    frames.push_back({time, time < badUntil ? tooClose() : sitting(), {}});
  }
  return frames;
}

// Four frames a second over 0–100 s: sitting to 10 s, leaning in to 20 s, sitting to 50 s,
// leaning in to 65 s, then gone.
inline std::vector<SkeletonFile::Frame> sitLeanLeaveFrames() {
  std::vector<SkeletonFile::Frame> frames;
  for (int i = 0; i <= 400; ++i) {
    const double t = i * 0.25;
    const bool lean = (t >= 10 && t < 20) || (t >= 50 && t < 65);
    frames.push_back({t, t >= 65 ? nobody() : lean ? leaning() : sitting(), {}});
  }
  return frames;
}

}  // namespace kestrel::testing
