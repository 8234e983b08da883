#include "core/log/score_line.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/log/check_line.hpp"
#include "core/tests/support/log_builders.hpp"

namespace kestrel {
namespace {

// Reads one line the way the day reader does: from a buffer with room after the line.
std::optional<ScoreLine> readFast(ScoreLineReader& reader, const std::string& text) {
  std::string buffer = text + std::string(ScoreLineReader::padding, '\0');
  return reader.read(std::string_view(buffer.data(), text.size()));
}

TEST(ScoreLineReader, ReadsTheFiveFieldsOfAFullLine) {
  ScoreLineReader reader;
  const CheckLine line(testing::judgedCheck(), testing::frameWithHands({Hand{{testing::joint(1, 2, 0.5)}}}), {},
                       false, "t", "b", "2026-03-09T13:05:33Z", 10, 20);
  const ScoreLine expected{2, std::nullopt, testing::goodHead(), HandVerdict::good, false};
  EXPECT_EQ(readFast(reader, lineText(line)), expected);
  EXPECT_EQ(decodeText<ScoreLine>(lineText(line)), expected);
}

// Lines for both readers: the tree decoder and the fast reader must agree on each.
struct Case {
  const char* name;
  std::string_view text;
  std::optional<ScoreLine> expected;
};

const HeadResult badForward{HeadVerdict::bad, HeadCause::headForward, HeadBasis::shoulders, std::nullopt, false};

const Case cases[] = {
    {"minimal", R"({"schema":2,"stale":false,"type":"check"})", ScoreLine{2, {}, {}, {}, false}},
    {"any order, white space", R"( { "type" : "check" , "stale" : true , "schema" : 1 } )",
     ScoreLine{1, {}, {}, {}, true}},
    {"other schema still reads", R"({"schema":3,"stale":false,"type":"check"})", ScoreLine{3, {}, {}, {}, false}},
    {"verdicts",
     R"({"hand":"MIXED","head":{"basis":"shoulders","cause":"head_forward","clearOK":false,"verdict":"BAD"},)"
     R"("schema":2,"skip":"dark","stale":false,"type":"check"})",
     ScoreLine{2, SkipReason::dark, badForward, HandVerdict::mixed, false}},
    {"unknown keys and broken full fields are ignored",
     R"({"burstFrames":"nonsense","ms":"x","extra":[1,{"a":[]}],"schema":2,"stale":false,"type":"check"})",
     ScoreLine{2, {}, {}, {}, false}},
    {"unknown keys in head are ignored",
     R"({"head":{"clearOK":true,"verdict":"GOOD","x":[1]},"schema":2,"stale":false,"type":"check"})",
     ScoreLine{2, {}, HeadResult{HeadVerdict::good, {}, {}, {}, true}, {}, false}},
    {"escaped key", R"({"sch\u0065ma":2,"stale":false,"type":"check"})", ScoreLine{2, {}, {}, {}, false}},
    {"the later of two equal keys", R"({"schema":1,"schema":2,"stale":false,"type":"check"})",
     ScoreLine{2, {}, {}, {}, false}},
    {"a bad value replaced by a later one of the same key",
     R"({"head":"GOOD","hand":7,"head":{"clearOK":true,"verdict":"GOOD"},"hand":"BAD","schema":2,"stale":false,)"
     R"("type":"event","type":"check"})",
     ScoreLine{2, {}, HeadResult{HeadVerdict::good, {}, {}, {}, true}, HandVerdict::bad, false}},
    {"a good value replaced by a bad one", R"({"schema":2,"stale":false,"stale":1,"type":"check"})", std::nullopt},
    {"a good head replaced by a bad one",
     R"({"head":{"clearOK":true,"verdict":"GOOD","verdict":"OK"},"schema":2,"stale":false,"type":"check"})",
     std::nullopt},
    {"event", R"({"event":"launch","schema":2,"t":"x","type":"event"})", std::nullopt},
    {"no type", R"({"schema":2,"stale":false})", std::nullopt},
    {"no schema", R"({"stale":false,"type":"check"})", std::nullopt},
    {"no stale", R"({"schema":2,"type":"check"})", std::nullopt},
    {"real schema", R"({"schema":2.0,"stale":false,"type":"check"})", std::nullopt},
    {"text schema", R"({"schema":"2","stale":false,"type":"check"})", std::nullopt},
    {"huge schema", R"({"schema":99999999999999999999,"stale":false,"type":"check"})", std::nullopt},
    {"number for stale", R"({"schema":2,"stale":0,"type":"check"})", std::nullopt},
    {"null skip", R"({"schema":2,"skip":null,"stale":false,"type":"check"})", std::nullopt},
    {"unknown skip", R"({"schema":2,"skip":"asleep","stale":false,"type":"check"})", std::nullopt},
    {"lower-case hand", R"({"hand":"good","schema":2,"stale":false,"type":"check"})", std::nullopt},
    {"head without clearOK", R"({"head":{"verdict":"GOOD"},"schema":2,"stale":false,"type":"check"})", std::nullopt},
    {"head as text", R"({"head":"GOOD","schema":2,"stale":false,"type":"check"})", std::nullopt},
    {"truncated", R"({"schema":2,"stale":false,"type":"check","votes":[{"head":"GO)", std::nullopt},
    {"truncated after a value", R"({"schema":2,"stale":false,"type":"check")", std::nullopt},
    {"two objects", R"({"schema":2,"stale":false,"type":"check"}{})", std::nullopt},
    {"trailing text", R"({"schema":2,"stale":false,"type":"check"} x)", std::nullopt},
    {"array", R"([{"schema":2,"stale":false,"type":"check"}])", std::nullopt},
    {"plain text", "type check", std::nullopt},
    {"zero byte after the object", std::string_view("{\"schema\":2,\"stale\":false,\"type\":\"check\"}\0x", 43),
     std::nullopt},
    {"empty", "", std::nullopt},
    {"invalid UTF-8", "{\"schema\":2,\"stale\":false,\"t\":\"\xc3\x28\",\"type\":\"check\"}", std::nullopt},
};

TEST(ScoreLineReader, AgreesWithTheTreeDecoder) {
  ScoreLineReader reader;
  for (const auto& c : cases) {
    EXPECT_EQ(readFast(reader, std::string(c.text)), c.expected) << c.name;
    EXPECT_EQ(decodeText<ScoreLine>(c.text), c.expected) << c.name;
  }
}

TEST(ScoreLineReader, OnlyTheFastReaderStepsOverDamageInsideOtherValues) {
  ScoreLineReader reader;
  const std::string damaged = R"({"burstFrames":[1,tru,{"x":1]],"schema":2,"stale":false,"type":"check"})";
  EXPECT_EQ(readFast(reader, damaged), (ScoreLine{2, {}, {}, {}, false}));
  EXPECT_EQ(decodeText<ScoreLine>(damaged), std::nullopt);
}

TEST(ScoreLineReader, IgnoresTheBytesAfterTheLine) {
  ScoreLineReader reader;
  const std::string first = R"({"schema":2,"stale":false,"type":"check"})";
  const std::string buffer = first + "\n{\"schema\":9}" + std::string(ScoreLineReader::padding, ' ');
  EXPECT_EQ(reader.read(std::string_view(buffer.data(), first.size())), (ScoreLine{2, {}, {}, {}, false}));
  // A line cut inside a number or a literal does not borrow the next line's bytes.
  const std::string cut = R"({"schema":2,"stale":false,"type":"check","ms":12)";
  const std::string joined = cut + "\n3}" + std::string(ScoreLineReader::padding, ' ');
  EXPECT_EQ(reader.read(std::string_view(joined.data(), cut.size())), std::nullopt);
}

}  // namespace
}  // namespace kestrel
