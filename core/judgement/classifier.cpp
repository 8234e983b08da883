#include "core/judgement/classifier.hpp"

#include <algorithm>
#include <cmath>

#include "core/judgement/burst_vote.hpp"
#include "core/judgement/head_chin_geometry.hpp"

namespace kestrel {

namespace {

CheckResult skipped(SkipReason reason, bool facePresent) {
  CheckResult result;
  result.skip = reason;
  result.facePresent = facePresent;
  return result;
}

CheckResult skippedWithFace(SkipReason reason, const Face& subject, double ratio) {
  CheckResult result = skipped(reason, true);
  result.subjectFace = subject;
  result.faceHeightRatio = ratio;
  return result;
}

HandVerdict handVerdict(bool candidate, const CheckContext& context) {
  if (context.handSnoozed) return HandVerdict::snoozed;
  return candidate ? HandVerdict::bad : HandVerdict::good;
}

double confidenceOf(const std::optional<Joint>& joint) { return joint ? joint->confidence : 0; }

// The point by which a body is placed: its nose, else its neck.
std::optional<Point> referencePoint(const Body& body) {
  if (body.nose) return body.nose->point;
  if (body.neck) return body.neck->point;
  return std::nullopt;
}

}  // namespace

std::optional<Face> Classifier::subject(const std::vector<Face>& faces) {
  const Face* best = nullptr;
  for (const Face& face : faces) {
    if (best == nullptr || face.box.height > best->box.height) best = &face;
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

std::optional<Face> Classifier::secondLargest(const std::vector<Face>& faces) {
  if (faces.size() < 2) return std::nullopt;
  std::vector<Face> sorted = faces;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Face& a, const Face& b) { return a.box.height > b.box.height; });
  return sorted[1];
}

std::optional<Body> Classifier::body(const Face& face, const std::vector<Body>& bodies, double widen) {
  const Point centre{face.box.midX(), face.box.midY()};
  const Rect area = face.box.widened(widen);
  const Body* best = nullptr;
  double bestDistance = 0;
  for (const Body& candidate : bodies) {
    const bool inside = (candidate.nose && area.contains(candidate.nose->point)) ||
                        (candidate.neck && area.contains(candidate.neck->point));
    if (!inside) continue;
    const double distance = referencePoint(candidate)->distance(centre);
    if (best == nullptr || distance < bestDistance) {
      best = &candidate;
      bestDistance = distance;
    }
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

Classification Classifier::classify(const Measurements& frame, const CheckContext& context,
                                    const BorrowMemory& memory, Instant at) const {
  BorrowMemory next = memory;
  next.previousBorrowHadHand = false;
  const bool facePresent = !frame.faces.empty();
  const Rect frameRect{0, 0, frame.frameWidth, frame.frameHeight};

  if (context.capturing) return {skipped(SkipReason::capturing, facePresent), next};
  if (context.cameraMissing) return {skipped(SkipReason::cameraMissing, facePresent), next};
  if (context.cameraEffects) return {skipped(SkipReason::cameraEffects, facePresent), next};
  if (frame.meanLuma < thresholds.minLuma) return {skipped(SkipReason::dark, facePresent), next};

  const std::optional<Face> face = subject(frame.faces);
  if (!face) {
    // No face: the hand may still be judged against the last face seen.
    const bool remembered = memory.lastFace && memory.lastBaseline && memory.lastFaceSeenAt;
    const double age = remembered ? at - *memory.lastFaceSeenAt : 0;
    const bool borrows = !frame.hands.empty() && remembered && age >= 0 && age <= thresholds.maxBorrow &&
                         (age <= thresholds.borrowFaceMaxAge || memory.previousBorrowHadHand);
    if (!borrows) return {skipped(SkipReason::noFace, false), next};

    const Rect region = HeadChinGeometry::chinRegion(memory.lastFace->box, frameRect, thresholds);
    const bool candidate = HeadChinGeometry::handAtChin(frame.hands, region, thresholds);
    next.previousBorrowHadHand = candidate;
    CheckResult result;
    result.head = HeadResult{HeadVerdict::inconclusive, std::nullopt, std::nullopt, InconclusiveReason::noFace, false};
    result.handCandidate = candidate;
    result.hand = handVerdict(candidate, context);
    result.subjectFace = memory.lastFace;
    result.baseline = memory.lastBaseline;
    result.borrowed = true;
    return {result, next};
  }

  const double ratio = face->box.height / frame.frameHeight;
  if (ratio < thresholds.minFaceHeight) return {skippedWithFace(SkipReason::faceTooSmall, *face, ratio), next};
  const std::optional<Face> second = secondLargest(frame.faces);
  if (second && second->box.height * thresholds.multipleFacesRatio > face->box.height) {
    return {skippedWithFace(SkipReason::multipleFaces, *face, ratio), next};
  }
  std::optional<Baseline> baseline;
  if (face->yaw) baseline = baselines.nearest(*face->yaw);
  if (!baseline || std::abs(*face->yaw - baseline->yaw) > thresholds.maxYawDelta) {
    return {skippedWithFace(SkipReason::yawOutOfRange, *face, ratio), next};
  }

  const std::optional<Body> matched = body(*face, frame.bodies, thresholds.bodyFaceBoxWiden);
  const HeadChinGeometry::BodyRatios ratios = HeadChinGeometry::bodyRatios(matched, thresholds);
  const HeadResult head = HeadChinGeometry::head(ratio, face->box.midY() / frame.frameHeight, face->pitch, ratios,
                                          *baseline, baselines.reach, thresholds);
  const Rect region = HeadChinGeometry::chinRegion(face->box, frameRect, thresholds);
  const bool candidate = HeadChinGeometry::handAtChin(frame.hands, region, thresholds);

  next.lastFace = face;
  next.lastBaseline = baseline;
  next.lastFaceSeenAt = at;

  CheckResult result;
  result.head = head;
  result.handCandidate = candidate;
  result.hand = handVerdict(candidate, context);
  result.facePresent = true;
  result.subjectFace = face;
  result.baseline = baseline;
  result.faceHeightRatio = ratio;
  result.noseShoulderRatio = ratios.noseShoulderRatio;
  if (ratios.shoulderWidth) result.shoulderWidthRatio = *ratios.shoulderWidth / frame.frameWidth;
  if (matched) {
    result.shoulderConfidence = {confidenceOf(matched->leftShoulder), confidenceOf(matched->rightShoulder)};
    if (matched->nose) result.noseConfidence = matched->nose->confidence;
  } else {
    result.shoulderConfidence = {0, 0};
  }
  return {result, next};
}

std::vector<CheckResult> Classifier::classifyBurst(const std::vector<Measurements>& burst,
                                                   const CheckContext& context, const BorrowMemory& memory,
                                                   Instant at) const {
  std::vector<CheckResult> results;
  results.reserve(burst.size());
  for (std::size_t i = 0; i < burst.size(); ++i) {
    const Instant frameAt = at + thresholds.burstSpacing * static_cast<double>(i + 1);
    results.push_back(classify(burst[i], context, memory, frameAt).result);
  }
  return results;
}

Classification Classifier::classifyCheck(const Measurements& first, const std::vector<Measurements>& burst,
                                         const CheckContext& context, const BorrowMemory& memory,
                                         Instant at) const {
  Classification firstFrame = classify(first, context, memory, at);
  std::vector<CheckResult> results{std::move(firstFrame.result)};
  for (CheckResult& r : classifyBurst(burst, context, firstFrame.memory, at)) results.push_back(std::move(r));
  return {BurstVote::combine(results, thresholds.burstMajority), std::move(firstFrame.memory)};
}

}  // namespace kestrel
