#include <gtest/gtest.h>

#include "core/fixture_label.hpp"
#include "core/fixture_paths.hpp"
#include "core/fixture_status.hpp"
#include "core/replay_schedule.hpp"
#include "core/video_index.hpp"
#include "core/vision_revisions.hpp"

namespace kestrel {
namespace {

const std::string hash64(64, 'a');
using Kind = VideoIndex::Problem::Kind;

VideoIndex::Range range(std::string video, double start, double end, FixtureLabel label = FixtureLabel::lookUp) {
  return {std::move(video), hash64, label, expectation(label), start, end};
}

TEST(FixtureLabel, SlugsExpectationsAndInstructions) {
  EXPECT_EQ(slug(FixtureLabel::sitWellLaptop), "sit-well-laptop");
  EXPECT_EQ(slug(FixtureLabel::leanInFull), "lean-all-the-way-in");
  EXPECT_EQ(expectation(FixtureLabel::palmOverJaw), Expectation::handAtChin);
  EXPECT_EQ(expectation(FixtureLabel::naturalWork), Expectation::labeled);
  EXPECT_EQ(expectation(FixtureLabel::lookDown), Expectation::calibration);
  EXPECT_EQ(instruction(FixtureLabel::sitWellLaptop), "Sit the way you want to sit, looking at the laptop screen.");
  EXPECT_EQ(instruction(FixtureLabel::naturalWork),
            "Work as you normally do. Nothing to pose; the window can stay in a corner.");
  for (FixtureLabel label : allCases<FixtureLabel>()) {
    EXPECT_FALSE(instruction(label).empty());
    EXPECT_EQ(instruction(label).back(), '.');
    EXPECT_EQ(fromText<FixtureLabel>(toText(label)), label);
  }
}

TEST(VideoIndex, ProblemsInOrderWithEveryFaultReported) {
  struct Case {
    const char* name;
    std::int64_t schema;
    std::vector<VideoIndex::Range> ranges;
    std::vector<CheckLabel> labels;
    std::vector<VideoIndex::Problem> expected;
  };
  auto shortHash = range("a.mov", 0, 0);
  shortHash.sha256 = std::string(63, 'b');
  auto mismatch = range("a.mov", 0, 5);
  mismatch.expected = Expectation::handAtChin;
  const Case cases[] = {
      {"sound", 2, {range("a.mov", 0, 10), range("a.mov", 10, 20), range("b.mov", 5, 9)}, {{"a.mov", 10.0, {}, ""}}, {}},
      {"wrong schema", 1, {}, {}, {{Kind::wrongSchema, 1}}},
      {"empty range and short hash", 2, {shortHash}, {}, {{Kind::badRange, 0}, {Kind::missingHash, 0}}},
      {"negative start", 2, {range("a.mov", -1, 3)}, {}, {{Kind::badRange, 0}}},
      {"overlap reported once", 2,
       {range("a.mov", 0, 10), range("a.mov", 5, 8), range("a.mov", 9, 20)}, {},
       {{Kind::overlap, 1}, {Kind::overlap, 2}}},
      {"expectation mismatch", 2, {mismatch}, {}, {{Kind::expectationMismatch, 0}}},
      {"labels outside", 2, {range("a.mov", 0, 10)},
       {{"a.mov", 10.001, {}, ""}, {"b.mov", 5, {}, ""}, {"a.mov", 0, {}, ""}},
       {{Kind::labelOutsideRanges, 0}, {Kind::labelOutsideRanges, 1}}},
  };
  for (const Case& c : cases) EXPECT_EQ(VideoIndex::problems(c.schema, c.ranges, c.labels), c.expected) << c.name;
  EXPECT_EQ((VideoIndex::Problem{Kind::labelOutsideRanges, 4}.description()), "labelOutsideRanges(4)");
}

TEST(VideoIndex, PoseRangeNeedsMoreThanTwoMargins) {
  EXPECT_EQ(VideoIndex::poseRange(FixtureLabel::lookUp, "v.mov", hash64, 6.0), std::nullopt);
  EXPECT_EQ(VideoIndex::poseRange(FixtureLabel::lookUp, "v.mov", hash64, 6.5),
            (VideoIndex::Range{"v.mov", hash64, FixtureLabel::lookUp, Expectation::calibration, 3.0, 3.5}));
  EXPECT_EQ(VideoIndex::poseRange(FixtureLabel::chinOnPalm, "v.mov", hash64, 10.0), std::nullopt);
  EXPECT_EQ(VideoIndex::poseRange(FixtureLabel::chinOnPalm, "v.mov", hash64, 12.0)->end, 7.0);
}

TEST(VideoIndex, LookupsTakeTheFirstMatch) {
  VideoIndex index;
  index.ranges = {range("a.mov", 0, 5, FixtureLabel::lookDown), range("b.mov", 0, 5, FixtureLabel::lookUp),
                  range("c.mov", 0, 5, FixtureLabel::lookUp)};
  index.labels = {{"a.mov", 4.0, {LabelClass::good}, "2/2"}, {"a.mov", 4.0005, {LabelClass::away}, "1/2"}};
  EXPECT_EQ(index.firstRange(FixtureLabel::lookUp)->video, "b.mov");
  EXPECT_EQ(index.firstRange(FixtureLabel::turnLeft), std::nullopt);
  EXPECT_EQ(index.label("a.mov", 4.0009)->labels, std::vector<LabelClass>{LabelClass::good});
  EXPECT_EQ(index.label("a.mov", 4.0012)->labels, std::vector<LabelClass>{LabelClass::away});
  EXPECT_EQ(index.label("a.mov", 4.0016), std::nullopt);
  EXPECT_EQ(index.label("b.mov", 4.0), std::nullopt);
}

TEST(VideoIndex, JsonRoundTripAndStrictReading) {
  VideoIndex index;
  index.ranges = {range("a.mov", 3, 7, FixtureLabel::sitWellLaptop)};
  index.labels = {{"a.mov", 4.5, {LabelClass::leanIn, LabelClass::tooClose}, "2/3"}};
  const Json j = index;
  EXPECT_EQ(j["ranges"][0]["label"], "sit well \u00b7 laptop");
  EXPECT_EQ(j["labels"][0]["labels"], Json::parse(R"(["lean_in","too_close"])"));
  EXPECT_EQ(decode<VideoIndex>(Json::parse(j.dump())), index);
  Json badLabel = j;
  badLabel["labels"][0]["labels"][0] = "slouching";
  EXPECT_EQ(decode<VideoIndex>(badLabel), std::nullopt);
  Json noEnd = j;
  noEnd["ranges"][0].erase("end");
  EXPECT_EQ(decode<VideoIndex>(noEnd), std::nullopt);
}

TEST(SkeletonFile, NamesAndJson) {
  EXPECT_EQ(SkeletonFile::fileName("clip.mov"), "clip.skeleton.json");
  EXPECT_EQ(SkeletonFile::fileName("dir/take.2.mp4"), "take.2.skeleton.json");
  EXPECT_EQ(SkeletonFile::fileName("noext"), "noext.skeleton.json");

  SkeletonFile file{{1, hash64, VisionRevisions::current(), "Debian 12"},
                    {{0.5, Measurements{640, 480, 0.5, {}, {}, {}}, {{"nose", {{1, 2}, {3, 4}}}}}}};
  const Json j = file;
  EXPECT_EQ(j["header"]["revisions"]["faceRectangles"], 1);
  EXPECT_EQ(decode<SkeletonFile>(Json::parse(j.dump())), file);
  Json badRevision = j;
  badRevision["header"]["revisions"]["bodyPose"] = "one";
  EXPECT_EQ(decode<SkeletonFile>(badRevision), std::nullopt);
}

TEST(FixtureStatus, CheckInOrder) {
  const SkeletonFile::Header good{1, hash64, VisionRevisions::current(), "B"};
  auto with = [&](auto change) {
    SkeletonFile::Header h = good;
    change(h);
    return h;
  };
  struct Case {
    std::optional<SkeletonFile::Header> header;
    const char* description;
  };
  const Case cases[] = {
      {std::nullopt, "missing"},
      {with([](auto& h) { h.schema = 2; h.videoSHA256 = "x"; }), "wrong schema"},
      {with([](auto& h) { h.videoSHA256 = "x"; h.osBuild = "A"; }), "stale (video hash differs)"},
      {with([](auto& h) { h.revisions["handPose"] = 9; }), "stale (vision analysis revisions differ)"},
      {with([](auto& h) { h.revisions.erase("faceLandmarks"); }), "stale (vision analysis revisions differ)"},
      {with([](auto& h) { h.osBuild = "A"; }), "stale (OS build differs (A \u2192 B))"},
      {good, "ready"},
  };
  for (const Case& c : cases) EXPECT_EQ(FixtureStatus::check(c.header, hash64, "B").description(), c.description);
}

TEST(FixtureStatus, DecisionNamesTheFirstUnusableVideoByName) {
  using D = FixtureStatus::Decision;
  const FixtureStatus ready{FixtureStatus::Ready{}};
  const FixtureStatus missing{FixtureStatus::Missing{}};
  EXPECT_EQ(FixtureStatus::decide({}, false),
            (D{D::Skip{"no indexed videos \u2014 record and index fixture videos first"}}));
  EXPECT_EQ(FixtureStatus::decide({{"a", ready}, {"b", ready}}, true), (D{D::Run{}}));
  EXPECT_EQ(FixtureStatus::decide({{"z.mov", missing}, {"a", ready}, {"m.mov", FixtureStatus{FixtureStatus::WrongSchema{}}}}, true),
            (D{D::Fail{"skeleton not usable \u2014 m.mov: wrong schema (+1 more); run kestrel-fixtures convert"}}));
  EXPECT_EQ(FixtureStatus::decide({{"z.mov", missing}}, false),
            (D{D::Skip{"skeleton not usable \u2014 z.mov: missing; run kestrel-fixtures convert"}}));
}

TEST(ReplaySchedule, ChecksFitWholeBurstsAndNeedThree) {
  using Checks = std::vector<ReplaySchedule::Check>;
  const Thresholds t;  // 3 frames, 0.5 s apart, every 15 s
  EXPECT_EQ(std::get<ReplaySchedule::TooShort>(ReplaySchedule::checks(0, 20, t)).checks, 2);
  // The last check's burst ends exactly at the end: it still fits.
  const auto fits = ReplaySchedule::checks(0, 31.5, t);
  ASSERT_TRUE(std::holds_alternative<Checks>(fits));
  const Checks& checks = std::get<Checks>(fits);
  ASSERT_EQ(checks.size(), 3u);
  EXPECT_EQ(checks[2], (ReplaySchedule::Check{30, {30.5, 31, 31.5}}));
  EXPECT_EQ(std::get<ReplaySchedule::TooShort>(ReplaySchedule::checks(0, 31.49, t)).checks, 2);
  EXPECT_EQ(std::get<ReplaySchedule::TooShort>(ReplaySchedule::checks(10, 5, t)).checks, 0);
  EXPECT_EQ(ReplaySchedule::calibrationTimes(2), (std::vector<double>{2, 2.25, 2.5, 2.75, 3}));
}

TEST(FixturePaths, EnvironmentOverridesTheDefault) {
  EXPECT_EQ(FixturePaths::root({{"LS_FIXTURES", "/data/fx"}}, "/home/u"), "/data/fx");
  EXPECT_EQ(FixturePaths::root({{"LS_FIXTURES", ""}}, "/home/u"), "/home/u/.local/share/Larkspur-dev/fixtures");
  EXPECT_EQ(FixturePaths::root({}, "/home/u"), "/home/u/.local/share/Larkspur-dev/fixtures");
  EXPECT_EQ(FixturePaths::skeletons("/r"), "/r/skeletons");
  EXPECT_EQ(FixturePaths::videos("/r"), "/r/videos");
}

}  // namespace
}  // namespace kestrel
