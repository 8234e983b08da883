#include "core/judgement/classifier.hpp"

#include <gtest/gtest.h>

#include "core/tests/support/check_builders.hpp"
#include "core/tests/support/posture_frames.hpp"

namespace kestrel {
namespace {

using testing::joint;

const Baseline laptop = testing::laptopBaseline;

Classifier classifier(Thresholds t = Thresholds{}) {
  return Classifier{std::move(t), BaselineSet("set", "cam", {laptop}, Reach{0.3, 0.4})};
}

// A 300 px face in a 1000 × 1000 frame (ratio 0.3, the baseline's), centred at (550, 550).
Face userFace(std::optional<double> yaw = 0.0, double height = 300) {
  return Face{{400, 400, 300, height}, yaw, 0.0};
}

Body userBody() { return testing::sittingBody(); }

using testing::handAtChin;  // the chin region of userFace() is x 310…790, y 295…535
Hand handAway() { return Hand{{joint(100, 100), joint(110, 110), joint(120, 120)}}; }

Measurements frame(std::vector<Face> faces, std::vector<Body> bodies = {}, std::vector<Hand> hands = {},
                   double luma = 0.5) {
  return Measurements{1000, 1000, luma, std::move(faces), std::move(bodies), std::move(hands)};
}

Measurements userFrame(std::vector<Hand> hands = {}) { return frame({userFace()}, {userBody()}, std::move(hands)); }

Measurements hiddenFace(std::vector<Hand> hands = {handAtChin()}) { return frame({}, {}, std::move(hands)); }

CheckContext context(bool capturing, bool cameraMissing, bool cameraEffects, bool handSnoozed = false) {
  return CheckContext{capturing, cameraMissing, cameraEffects, handSnoozed};
}

const CheckContext plain{};
constexpr Instant t0 = 1'000'000;

TEST(Classify, SkipReasonsInTheirFixedOrder) {
  const Face tiny{{0, 0, 70, 70}, 0.0, 0.0};       // ratio 0.07
  const Face tinyTwin{{500, 0, 70, 70}, 0.0, 0.0};  // as tall: a second face too
  const Face turned = userFace(90.0);
  struct Case {
    const char* name;
    CheckContext context;
    Measurements frame;
    SkipReason expected;
    bool facePresent;
  };
  const Case cases[] = {
      {"capturing beats a missing camera", context(true, true, true), userFrame(), SkipReason::capturing, true},
      {"capturing without a face", context(true, false, false), hiddenFace(), SkipReason::capturing, false},
      {"a missing camera beats effects", context(false, true, true), userFrame(), SkipReason::cameraMissing, true},
      {"effects beat darkness", context(false, false, true), frame({userFace()}, {}, {}, 0.01),
       SkipReason::cameraEffects, true},
      {"dark with a face", plain, frame({userFace()}, {}, {}, 0.1199), SkipReason::dark, true},
      {"dark beats no face", plain, frame({}, {}, {}, 0.0), SkipReason::dark, false},
      {"dark beats a face too small", plain, frame({tiny}, {}, {}, 0.1), SkipReason::dark, true},
      {"size beats other faces", plain, frame({tiny, tinyTwin}), SkipReason::faceTooSmall, true},
      {"other faces beat the yaw", plain, frame({turned, turned}), SkipReason::multipleFaces, true},
      {"yaw", plain, frame({turned}), SkipReason::yawOutOfRange, true},
  };
  for (const auto& c : cases) {
    const auto r = classifier().classify(c.frame, c.context, {}, t0).result;
    EXPECT_EQ(r.skip, c.expected) << c.name;
    EXPECT_EQ(r.facePresent, c.facePresent) << c.name;
    EXPECT_EQ(r.head, std::nullopt) << c.name;
    EXPECT_EQ(r.hand, std::nullopt) << c.name;
  }
  // Nothing of the face, body or hand is judged in the dark.
  EXPECT_EQ(classifier().classify(frame({userFace()}, {userBody()}, {handAtChin()}, 0.05), plain, {}, t0).result,
            testing::skipped(SkipReason::dark, true));
}

TEST(Classify, FaceSkipsCarryTheSubjectAndItsRatio) {
  const Face turned = userFace(25.0);
  CheckResult expected;
  expected.skip = SkipReason::yawOutOfRange;
  expected.facePresent = true;
  expected.subjectFace = turned;
  expected.faceHeightRatio = 0.3;
  EXPECT_EQ(classifier().classify(frame({turned}, {userBody()}, {handAtChin()}), plain, {}, t0).result, expected);
}

TEST(Classify, FaceSizeAndOtherFaces) {
  struct Case {
    const char* name;
    std::vector<double> heights;  // in a 1000 px frame; all faces face the camera
    std::optional<SkipReason> expected;
  };
  const Case cases[] = {
      {"exactly the least height", {80}, std::nullopt},
      {"just below it", {79.9}, SkipReason::faceTooSmall},
      {"second face exactly two thirds as tall", {90, 60}, std::nullopt},
      {"second face a little taller", {90, 61}, SkipReason::multipleFaces},
      {"the second face listed first", {61, 90}, SkipReason::multipleFaces},
      {"a third face does not matter", {300, 200, 199}, std::nullopt},
  };
  for (const auto& c : cases) {
    std::vector<Face> faces;
    for (std::size_t i = 0; i < c.heights.size(); ++i) {
      faces.push_back(Face{{100.0 * static_cast<double>(i), 400, c.heights[i], c.heights[i]}, 0.0, 0.0});
    }
    EXPECT_EQ(classifier().classify(frame(faces), plain, {}, t0).result.skip, c.expected) << c.name;
  }
}

TEST(Classify, YawAgainstTheNearestBaseline) {
  struct Case {
    const char* name;
    std::optional<double> yaw;
    std::optional<SkipReason> expected;
  };
  const Case cases[] = {
      {"no yaw", std::nullopt, SkipReason::yawOutOfRange},
      {"exactly the largest difference", 20.0, std::nullopt},
      {"just beyond", 20.5, SkipReason::yawOutOfRange},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(classifier().classify(frame({userFace(c.yaw)}), plain, {}, t0).result.skip, c.expected) << c.name;
  }

  Classifier noBaselines = classifier();
  noBaselines.baselines.baselines.clear();
  EXPECT_EQ(noBaselines.classify(frame({userFace(0.0)}), plain, {}, t0).result.skip, SkipReason::yawOutOfRange);

  // Of baselines at 0 and 40 degrees, a face at 35 is judged against the second.
  Classifier twoScreens = classifier();
  Baseline side = laptop;
  side.screen = ScreenRole::sideMonitor;
  side.yaw = 40;
  twoScreens.baselines.baselines.push_back(side);
  EXPECT_EQ(twoScreens.classify(frame({userFace(35.0)}), plain, {}, t0).result.baseline, side);
}

TEST(Classify, JudgedFrameCarriesEveryMeasure) {
  const Face face = userFace(5.0);
  // The least mean luma that is not dark.
  const auto [r, memory] = classifier().classify(frame({face}, {userBody()}, {handAway()}, 0.12), plain, {}, t0);
  CheckResult expected;
  expected.head = HeadResult{HeadVerdict::good, std::nullopt, HeadBasis::shoulders, std::nullopt, true};
  expected.hand = HandVerdict::good;
  expected.facePresent = true;
  expected.subjectFace = face;
  expected.baseline = laptop;
  expected.faceHeightRatio = 0.3;
  expected.noseShoulderRatio = 200.0 / 300.0;
  expected.shoulderWidthRatio = 0.3;
  expected.shoulderConfidence = {0.6, 0.5};
  expected.noseConfidence = 0.8;
  EXPECT_EQ(r, expected);
  EXPECT_EQ(memory, (BorrowMemory{face, laptop, t0, false}));
}

TEST(Classify, WithoutAUsableBodyTheHeadRestsOnTheFace) {
  const auto faceOnly = classifier().classify(frame({userFace()}), plain, {}, t0).result;
  EXPECT_EQ(faceOnly.head, (HeadResult{HeadVerdict::good, std::nullopt, HeadBasis::faceOnly, std::nullopt, true}));
  EXPECT_EQ(faceOnly.shoulderConfidence, (std::vector<double>{0, 0}));
  EXPECT_EQ(faceOnly.noseShoulderRatio, std::nullopt);
  EXPECT_EQ(faceOnly.shoulderWidthRatio, std::nullopt);
  // The raw shoulder confidences are reported even when unusable.
  Body body = userBody();
  body.leftShoulder.reset();
  body.rightShoulder->confidence = 0.1;
  body.nose.reset();
  const auto r = classifier().classify(frame({userFace()}, {body}), plain, {}, t0).result;
  EXPECT_EQ(r.shoulderConfidence, (std::vector<double>{0, 0.1}));
  EXPECT_EQ(r.noseConfidence, std::nullopt);
  EXPECT_EQ(r.head->basis, HeadBasis::faceOnly);
}

TEST(Classify, HandVerdicts) {
  struct Case {
    const char* name;
    std::vector<Hand> hands;
    bool snoozed;
    HandVerdict hand;
    bool candidate;
  };
  const Case cases[] = {
      {"hand away", {handAway()}, false, HandVerdict::good, false},
      {"hand at the chin", {handAway(), handAtChin()}, false, HandVerdict::bad, true},
      {"snoozed, hand at the chin", {handAtChin()}, true, HandVerdict::snoozed, true},
  };
  for (const auto& c : cases) {
    const auto r =
        classifier().classify(userFrame(c.hands), context(false, false, false, c.snoozed), {}, t0).result;
    EXPECT_EQ(r.hand, c.hand) << c.name;
    EXPECT_EQ(r.handCandidate, c.candidate) << c.name;
  }
}

// A memory whose face was judged at t0.
BorrowMemory seenAtT0(bool previousBorrowHadHand = false) {
  return BorrowMemory{userFace(), laptop, t0, previousBorrowHadHand};
}

TEST(Borrow, AgeRules) {
  struct Case {
    const char* name;
    BorrowMemory memory;
    Seconds age;
    bool borrows;
  };
  BorrowMemory noBaseline = seenAtT0();
  noBaseline.lastBaseline.reset();
  BorrowMemory noTime = seenAtT0();
  noTime.lastFaceSeenAt.reset();
  const Case cases[] = {
      {"fresh memory", BorrowMemory{}, 10, false},
      {"same moment", seenAtT0(), 0, true},
      {"exactly the borrow age", seenAtT0(), 45, true},
      {"past the borrow age", seenAtT0(), 45.5, false},
      {"60 s, previous borrow had no hand", seenAtT0(false), 60, false},
      {"60 s, previous borrow had a hand", seenAtT0(true), 60, true},
      {"exactly the longest borrow", seenAtT0(true), 300, true},
      {"301 s", seenAtT0(true), 301, false},
      {"earlier than the face", seenAtT0(true), -1, false},
      {"no baseline remembered", noBaseline, 10, false},
      {"no time remembered", noTime, 10, false},
  };
  CheckResult borrowed;
  borrowed.head = HeadResult{HeadVerdict::inconclusive, std::nullopt, std::nullopt, InconclusiveReason::noFace, false};
  borrowed.handCandidate = true;
  borrowed.hand = HandVerdict::bad;
  borrowed.subjectFace = userFace();
  borrowed.baseline = laptop;
  borrowed.borrowed = true;
  for (const auto& c : cases) {
    const auto [r, memory] = classifier().classify(hiddenFace(), plain, c.memory, t0 + c.age);
    EXPECT_EQ(r, c.borrows ? borrowed : testing::skipped(SkipReason::noFace)) << c.name;
    // Either way the remembered face and its time stay; only a borrow with a hand carries the chain on.
    BorrowMemory expected = c.memory;
    expected.previousBorrowHadHand = c.borrows;
    EXPECT_EQ(memory, expected) << c.name;
  }
}

TEST(Borrow, TheHandInTheFrameDecides) {
  EXPECT_EQ(classifier().classify(frame({}), plain, seenAtT0(true), t0 + 10).result.skip, SkipReason::noFace);
  // A hand away from the chin is good and ends the chain.
  const auto away = classifier().classify(hiddenFace({handAway()}), plain, seenAtT0(true), t0 + 60);
  EXPECT_TRUE(away.result.borrowed);
  EXPECT_EQ(away.result.hand, HandVerdict::good);
  EXPECT_FALSE(away.memory.previousBorrowHadHand);
  // A snoozed hand at the chin still counts as a candidate.
  const auto snoozed = classifier().classify(hiddenFace(), context(false, false, false, true), seenAtT0(), t0 + 5);
  EXPECT_EQ(snoozed.result.hand, HandVerdict::snoozed);
  EXPECT_TRUE(snoozed.result.handCandidate);
  EXPECT_TRUE(snoozed.memory.previousBorrowHadHand);
}

TEST(Borrow, EveryOtherOutcomeResetsTheChain) {
  // A skipped frame keeps the remembered face but ends the chain of borrows.
  const auto skipped = classifier().classify(frame({userFace()}, {}, {}, 0.0), plain, seenAtT0(true), t0 + 60);
  EXPECT_EQ(skipped.memory, seenAtT0(false));
  // A judged frame replaces the remembered face and time.
  const Face moved{{300, 300, 310, 310}, 3.0, 1.0};
  const auto judged = classifier().classify(frame({moved}), plain, seenAtT0(true), t0 + 60);
  EXPECT_EQ(judged.memory, (BorrowMemory{moved, laptop, t0 + 60, false}));
}

TEST(Borrow, ChinRegionOfTheRememberedFaceInThisFrame) {
  // The remembered face sits at the bottom of the frame, so its region is cut at y = 0.
  BorrowMemory memory = seenAtT0();
  memory.lastFace = Face{{400, 0, 300, 300}, 0.0, 0.0};
  const Hand belowTheFrame{{joint(500, -10), joint(510, -10), joint(520, -10)}};
  const Hand onTheCutEdge{{joint(500, 0), joint(510, 0), joint(520, 0)}};
  EXPECT_FALSE(classifier().classify(hiddenFace({belowTheFrame}), plain, memory, t0 + 1).result.handCandidate);
  EXPECT_TRUE(classifier().classify(hiddenFace({onTheCutEdge}), plain, memory, t0 + 1).result.handCandidate);
}

TEST(Subject, TallestFirstOfEquals) {
  const Face a{{0, 0, 10, 50}, 1.0, std::nullopt};
  const Face b{{5, 0, 10, 80}, 2.0, std::nullopt};
  const Face c{{9, 0, 10, 80}, 3.0, std::nullopt};
  EXPECT_EQ(Classifier::subject({}), std::nullopt);
  EXPECT_EQ(Classifier::subject({a, b, c}), b);
  EXPECT_EQ(Classifier::subject({c, b}), c);
  EXPECT_EQ(Classifier::secondLargest({a}), std::nullopt);
  EXPECT_EQ(Classifier::secondLargest({a, b}), a);
  EXPECT_EQ(Classifier::secondLargest({a, b, c}), c);  // equally tall: subject and second
  EXPECT_EQ(Classifier::secondLargest({c, b, a}), b);
}

TEST(BodyForFace, CandidatesAndNearest) {
  // Face box 100…200 × 100…200, centre (150, 150); widened by 0.5 it spans 75…225.
  const Face face{{100, 100, 100, 100}, 0.0, 0.0};
  const auto nose = [](double x, double y) { return Body{joint(x, y), std::nullopt, std::nullopt, std::nullopt}; };
  const auto neck = [](double x, double y) { return Body{std::nullopt, joint(x, y), std::nullopt, std::nullopt}; };
  const Body noseOutNeckIn{joint(150, 300), joint(150, 180), std::nullopt, std::nullopt};
  struct Case {
    const char* name;
    std::vector<Body> bodies;
    std::optional<std::size_t> expected;  // index into bodies
  };
  const Case cases[] = {
      {"no bodies", {}, std::nullopt},
      {"a body without nose or neck", {Body{}}, std::nullopt},
      {"nose on the widened box's corner", {nose(225, 75)}, 0},
      {"nose just outside the widened box", {nose(225.01, 150)}, std::nullopt},
      {"neck inside, nose outside", {noseOutNeckIn}, 0},
      {"nearest wins", {nose(200, 150), nose(160, 150)}, 1},
      {"first of equals", {nose(140, 150), nose(160, 150)}, 0},
      {"placed by the nose even when only the neck is inside", {noseOutNeckIn, neck(150, 220)}, 1},
  };
  for (const auto& c : cases) {
    std::optional<Body> expected;
    if (c.expected) expected = c.bodies[*c.expected];
    EXPECT_EQ(Classifier::body(face, c.bodies, 0.5), expected) << c.name;
  }
}

TEST(Burst, FramesAreTimedBySpacingAndShareTheGivenMemory) {
  // The face was seen 44 s before the check: the burst frames fall at 44.5, 45 and 45.5 s.
  const auto results = classifier().classifyBurst({hiddenFace(), hiddenFace(), hiddenFace()}, plain, seenAtT0(),
                                                  t0 + 44);
  ASSERT_EQ(results.size(), 3u);
  EXPECT_TRUE(results[0].borrowed);
  EXPECT_TRUE(results[1].borrowed);
  // Had the second frame's memory been passed on, this borrow would be allowed.
  EXPECT_EQ(results[2].skip, SkipReason::noFace);
  EXPECT_TRUE(classifier().classifyBurst({}, plain, seenAtT0(), t0).empty());
}

TEST(Check, FirstFrameUpdatesTheMemoryTheBurstSees) {
  // A face judged with the hand at the chin, then the hand hides the face for the burst.
  const auto [result, memory] = classifier().classifyCheck(
      userFrame({handAtChin()}), {hiddenFace(), hiddenFace(), hiddenFace()}, plain, BorrowMemory{}, t0);
  EXPECT_EQ(memory, (BorrowMemory{userFace(), laptop, t0, false}));
  EXPECT_EQ(result.head, (HeadResult{HeadVerdict::inconclusive, std::nullopt, std::nullopt,
                                     InconclusiveReason::noFace, false}));
  EXPECT_EQ(result.hand, HandVerdict::bad);
  EXPECT_TRUE(result.handCandidate);
  EXPECT_FALSE(result.borrowed);  // the first usable frame saw the face
  EXPECT_EQ(result.logSummary("x"), "check head=INCONCLUSIVE cause=none hand=BAD skip=none votes=GB,IB,IB,IB thresholdsId=x");
}

TEST(Check, SkippedFirstFrameEndsTheChainForTheBurst) {
  const Measurements dark = frame({}, {}, {handAtChin()}, 0.0);
  const auto [result, memory] =
      classifier().classifyCheck(dark, {hiddenFace(), hiddenFace(), hiddenFace()}, plain, seenAtT0(true), t0 + 120);
  EXPECT_EQ(memory, seenAtT0(false));
  EXPECT_EQ(result.skip, SkipReason::dark);
  EXPECT_EQ(result.logSummary("x"), "check head=none cause=none hand=none skip=dark votes=--,--,--,-- thresholdsId=x");
}

TEST(Check, VotesWithTheBurstMajority) {
  const Measurements good = userFrame();
  const Measurements close = frame({Face{{350, 350, 400, 400}, 0.0, 0.0}});  // ratio 0.4: too close
  Thresholds t;
  EXPECT_EQ(classifier(t).classifyCheck(good, {good, close, close}, plain, {}, t0).result.head->verdict,
            HeadVerdict::inconclusive);
  t.burstMajority = 2;
  const auto r = classifier(t).classifyCheck(good, {good, close, close}, plain, {}, t0).result;
  EXPECT_EQ(r.head, (HeadResult{HeadVerdict::bad, HeadCause::tooClose, HeadBasis::faceOnly, std::nullopt, false}));
}

}  // namespace
}  // namespace kestrel
