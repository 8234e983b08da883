#pragma once

#include "core/log/check_line.hpp"
#include "core/model/measurements.hpp"
#include "core/judgement/verdict.hpp"
#include "core/tests/support/posture_frames.hpp"

// Sample checks and frames shared by the tests of the log lines, the stores and the score.
namespace kestrel::testing {


inline HeadResult goodHead() { return HeadResult{HeadVerdict::good, std::nullopt, HeadBasis::shoulders, std::nullopt, true}; }

inline CheckResult judgedCheck() {
  CheckResult result;
  result.head = goodHead();
  result.hand = HandVerdict::good;
  result.facePresent = true;
  result.subjectFace = Face{Rect{10, 20, 30, 40}, 1.5, std::nullopt};
  result.faceHeightRatio = 0.25;
  result.noseShoulderRatio = 0.7;
  result.shoulderConfidence = {0.9, 0.8};
  result.noseConfidence = 0.95;
  result.frameVotes = {FrameVote{std::nullopt, HeadVerdict::good, HandVerdict::good},
                       FrameVote{SkipReason::dark, std::nullopt, std::nullopt}};
  return result;
}

inline Measurements frameWithHands(std::vector<Hand> hands, std::vector<Face> faces = {}) {
  Measurements m;
  m.frameWidth = 1280;
  m.frameHeight = 720;
  m.meanLuma = 0.5;
  m.faces = std::move(faces);
  m.hands = std::move(hands);
  return m;
}

// A check line with the given verdicts and nothing else of interest.
inline CheckLine scoredLine(std::optional<HeadVerdict> head, std::optional<HandVerdict> hand,
                            std::optional<SkipReason> skip = std::nullopt, bool stale = false) {
  CheckLine line;
  line.thresholdsId = "t";
  line.t = "2026-03-09T14:05:33+01:00";
  line.skip = skip;
  if (head) line.head = HeadResult{*head, std::nullopt, std::nullopt, std::nullopt, false};
  line.hand = hand;
  line.stale = stale;
  line.votes = std::vector<FrameVote>{};
  return line;
}

}  // namespace kestrel::testing
