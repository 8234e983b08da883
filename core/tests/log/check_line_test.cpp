#include "core/log/check_line.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/base/json_text.hpp"
#include "core/tests/support/log_builders.hpp"

namespace kestrel {
namespace {

using testing::frameWithHands;
using testing::joint;
using testing::judgedCheck;

TEST(CheckLine, TextOfAJudgedCheck) {
  const Measurements own = frameWithHands({Hand{{joint(1, 2, 0.5)}}});
  const std::vector<Measurements> burst = {
      frameWithHands({}, {Face{{0, 0, 5, 10}, {}, {}}, Face{{1, 2, 3, 12}, {}, {}}, Face{{9, 9, 9, 12}, {}, {}}}),
      frameWithHands({Hand{{joint(3, 4, 0.25)}}, Hand{}}),
  };
  CheckResult result = judgedCheck();
  result.subjectFace->pitch = -4;
  result.borrowed = true;
  const CheckLine line(result, own, burst, false, "t-2026-10-10a", "B/1", "2026-03-09T14:05:33+01:00", 812.25, 250.5);
  EXPECT_EQ(lineText(line),
            R"({"baselineId":"B/1","borrowed":true,"burstFrames":[)"
            R"({"faceBox":{"height":12.0,"minX":1.0,"minY":2.0,"width":3.0},"handJoints":[]},)"
            R"({"handJoints":[[{"confidence":0.25,"point":{"x":3.0,"y":4.0}}],[]]}],)"
            R"("burstMs":250.5,"faceBox":{"height":40.0,"minX":10.0,"minY":20.0,"width":30.0},"faceHeightRatio":0.25,)"
            R"("hand":"GOOD","handJoints":[[{"confidence":0.5,"point":{"x":1.0,"y":2.0}}]],)"
            R"("head":{"basis":"shoulders","clearOK":true,"verdict":"GOOD"},"ms":812.25,"noseConf":0.95,)"
            R"("noseShoulderRatio":0.7,"pitch":-4.0,"schema":2,"shoulderConf":[0.9,0.8],"stale":false,)"
            R"("t":"2026-03-09T14:05:33+01:00","thresholdsId":"t-2026-10-10a","type":"check",)"
            R"("votes":[{"hand":"GOOD","head":"GOOD"},{"skip":"dark"}],"yaw":1.5})");
}

TEST(CheckLine, TextOfASkippedCheckWithoutFrames) {
  CheckResult skipped;
  skipped.skip = SkipReason::noFace;
  const CheckLine line(skipped, std::nullopt, {}, true, "t", std::nullopt, "2026-03-09T13:05:33Z", 3, std::nullopt);
  EXPECT_EQ(lineText(line),
            R"({"borrowed":false,"burstFrames":[],"handJoints":[],"ms":3.0,"schema":2,"shoulderConf":[],)"
            R"("skip":"no_face","stale":true,"t":"2026-03-09T13:05:33Z","thresholdsId":"t","type":"check","votes":[]})");
}

TEST(BurstFrame, TallestFaceFirstOfEquals) {
  const Face low{{0, 0, 50, 10}, {}, {}};
  const Face tallA{{1, 1, 5, 20}, {}, {}};
  const Face tallB{{2, 2, 90, 20}, {}, {}};
  EXPECT_EQ(BurstFrame::of(frameWithHands({}, {low, tallA, tallB})).faceBox, tallA.box);
  EXPECT_EQ(BurstFrame::of(frameWithHands({}, {tallB, tallA})).faceBox, tallB.box);
  EXPECT_EQ(BurstFrame::of(frameWithHands({}, {})).faceBox, std::nullopt);
}

TEST(CheckLine, RealsReadBackExactly) {
  using limits = std::numeric_limits<double>;
  const double values[] = {0.1,           1.0 / 3,       2.0 / 3,        123456789.123456789, 1e21, 1e-7,
                           limits::min(), limits::max(), -limits::max(), limits::denorm_min(),
                           0.30000000000000004, 612.3457031250001};
  for (double v : values) {
    CheckLine line = testing::scoredLine(HeadVerdict::good, HandVerdict::good);
    line.yaw = v;
    line.ms = -v;
    line.shoulderConf = {v, v / 7};
    const auto back = decodeText<CheckLine>(lineText(line));
    ASSERT_TRUE(back.has_value()) << v;
    EXPECT_EQ(*back, line) << lineText(line);
  }
  CheckLine negativeZero = testing::scoredLine(HeadVerdict::good, HandVerdict::good);
  negativeZero.yaw = -0.0;
  EXPECT_TRUE(std::signbit(*decodeText<CheckLine>(lineText(negativeZero))->yaw));
}

TEST(CheckLine, NonFiniteRealsCannotBeWritten) {
  const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (double v : bad) {
    CheckLine inYaw = testing::scoredLine(HeadVerdict::good, {});
    inYaw.yaw = v;
    EXPECT_THROW(lineText(inYaw), EncodeError);
    CheckLine inBurst = testing::scoredLine(HeadVerdict::good, {});
    inBurst.burstFrames = {BurstFrame{std::nullopt, {{joint(1, v, 0.5)}}}};
    EXPECT_THROW(lineText(inBurst), EncodeError);
  }
}

TEST(CheckLine, TextsAreEscapedOnlyAsJSONRequires) {
  CheckLine line = testing::scoredLine({}, {});
  line.thresholdsId = "a/b \"q\" \\ \x01 \xc3\xa9";
  const std::string text = lineText(line);
  EXPECT_NE(text.find(R"("thresholdsId":"a/b \"q\" \\ \u0001 é")"), std::string::npos) << text;
  EXPECT_EQ(decodeText<CheckLine>(text)->thresholdsId, line.thresholdsId);
  line.thresholdsId = "bad \xff";
  EXPECT_THROW(lineText(line), EncodeError);
}

// Every key of a minimal line; each required one is taken out in turn.
const char* const minimalLine =
    R"({"borrowed":false,"burstFrames":[],"handJoints":[],"ms":3,"schema":1,"shoulderConf":[],"stale":false,)"
    R"("t":"x","thresholdsId":"t","type":"check"})";

TEST(CheckLine, ReadingRequiresEveryNonOptionalKey) {
  const Json minimal = Json::parse(minimalLine);
  ASSERT_TRUE(decode<CheckLine>(minimal).has_value());
  EXPECT_EQ(decode<CheckLine>(minimal)->schema, 1);
  EXPECT_EQ(decode<CheckLine>(minimal)->votes, std::nullopt);
  for (const auto& [key, value] : minimal.items()) {
    Json without = minimal;
    without.erase(key);
    EXPECT_FALSE(decode<CheckLine>(without).has_value()) << key;
  }
}

TEST(CheckLine, ReadingRejectsValuesOfTheWrongKind) {
  const std::pair<const char*, Json> cases[] = {
      {"type", "event"},
      {"schema", 2.0},
      {"borrowed", 0},
      {"ms", true},
      {"shoulderConf", Json::array({true})},
      {"shoulderConf", Json::object()},
      {"handJoints", Json::array({Json::array({1})})},
      {"burstFrames", Json::array({Json::object()})},
      {"skip", "sleepy"},
      {"skip", nullptr},
      {"yaw", nullptr},
      {"votes", Json::object()},
      {"votes", Json::array({Json{{"head", "good"}}})},
      {"head", Json{{"verdict", "GOOD"}}},
      {"head", Json{{"verdict", "FINE"}, {"clearOK", true}}},
      {"hand", "good"},
      {"faceBox", Json{{"minX", 1}, {"minY", 1}, {"width", 1}}},
      {"baselineId", 7},
  };
  for (const auto& [key, value] : cases) {
    Json line = Json::parse(minimalLine);
    line[key] = value;
    EXPECT_FALSE(decode<CheckLine>(line).has_value()) << key << " " << value.dump();
  }
  // Keys that are not part of the line are ignored.
  Json extra = Json::parse(minimalLine);
  extra["future"] = Json::array({1, 2});
  EXPECT_TRUE(decode<CheckLine>(extra).has_value());
}

}  // namespace
}  // namespace kestrel
