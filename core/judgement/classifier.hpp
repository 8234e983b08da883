#pragma once

#include <optional>
#include <vector>

#include "core/model/baseline.hpp"
#include "core/base/instant.hpp"
#include "core/model/measurements.hpp"
#include "core/model/thresholds.hpp"
#include "core/judgement/verdict.hpp"

namespace kestrel {

// What the classifier remembers from one judged frame for the next, so that a frame whose face
// is hidden (typically by a hand at the chin) can still be judged for the hand.
struct BorrowMemory {
  std::optional<Face> lastFace;          // the user's face in the last frame judged from a face
  std::optional<Baseline> lastBaseline;  // the baseline used for that frame
  std::optional<Instant> lastFaceSeenAt;  // when that frame was taken
  bool previousBorrowHadHand = false;    // the previous frame borrowed the face and found a hand at the chin

  bool operator==(const BorrowMemory&) const = default;
};

// A judged frame (or check) with the memory to carry on.
struct Classification {
  CheckResult result;
  BorrowMemory memory;

  bool operator==(const Classification&) const = default;
};

// Judges analysed frames against the calibration. Rebuilt whenever the thresholds or the
// baselines change; it holds no other state.
struct Classifier {
  Thresholds thresholds;
  BaselineSet baselines;

  // One frame at the given moment. Pure: the same inputs always give the same outputs.
  Classification classify(const Measurements& frame, const CheckContext& context, const BorrowMemory& memory,
                          Instant at) const;

  // Burst frame i is judged at `at` + burstSpacing × (i + 1), each with the same memory;
  // what the burst frames would remember is dropped.
  std::vector<CheckResult> classifyBurst(const std::vector<Measurements>& burst, const CheckContext& context,
                                         const BorrowMemory& memory, Instant at) const;

  // The first frame (which alone updates the memory), then its burst, voted into one result.
  Classification classifyCheck(const Measurements& first, const std::vector<Measurements>& burst,
                               const CheckContext& context, const BorrowMemory& memory, Instant at) const;

  // The tallest face; the first of equally tall faces. Absent without faces.
  static std::optional<Face> subject(const std::vector<Face>& faces);
  // The second face in a stable tallest-first order; absent for fewer than two faces.
  static std::optional<Face> secondLargest(const std::vector<Face>& faces);
  // The body whose nose or neck lies in the face box widened by `widen`, nearest to the box's
  // centre (by its nose, else its neck); the first of equals.
  static std::optional<Body> body(const Face& face, const std::vector<Body>& bodies, double widen);

  bool operator==(const Classifier&) const = default;
};

}  // namespace kestrel
