#include "core/event_line.hpp"

#include <gtest/gtest.h>

#include "core/json_text.hpp"

namespace kestrel {
namespace {

TEST(EventLine, TextLeavesOutWhatIsAbsent) {
  EventLine wake;
  wake.t = "2026-03-09T14:05:33+01:00";
  wake.event = "wake";
  EXPECT_EQ(lineText(wake), R"({"event":"wake","schema":2,"t":"2026-03-09T14:05:33+01:00","type":"event"})");

  EventLine raise = wake;
  raise.event = "alert_raise";
  raise.module = AlertModule::hand;
  raise.alertId = "A/1";
  raise.hint = "Hand at chin · rest your jaw";
  raise.hidden = true;
  raise.reason = "r";
  raise.until = "2026-03-09T15:05:33+01:00";
  EXPECT_EQ(lineText(raise),
            R"({"alertId":"A/1","event":"alert_raise","hidden":true,"hint":"Hand at chin · rest your jaw",)"
            R"("module":"hand","reason":"r","schema":2,"t":"2026-03-09T14:05:33+01:00","type":"event",)"
            R"("until":"2026-03-09T15:05:33+01:00"})");
  EXPECT_EQ(decodeText<EventLine>(lineText(raise)), raise);
  EXPECT_EQ(decodeText<EventLine>(lineText(wake)), wake);
}

TEST(EventLine, ReadingRequiresItsKeysAndKinds) {
  const Json minimal = Json::parse(R"({"event":"launch","schema":1,"t":"x","type":"event"})");
  ASSERT_TRUE(decode<EventLine>(minimal).has_value());
  for (const auto& [key, value] : minimal.items()) {
    Json without = minimal;
    without.erase(key);
    EXPECT_FALSE(decode<EventLine>(without).has_value()) << key;
  }
  const std::pair<const char*, Json> cases[] = {
      {"type", "check"}, {"schema", 2.5},  {"t", 1},          {"event", nullptr}, {"module", "neck"},
      {"module", 0},     {"hidden", "no"}, {"hidden", 0},     {"alertId", 5},     {"until", false},
      {"hint", nullptr}, {"reason", Json::array()},
  };
  for (const auto& [key, value] : cases) {
    Json line = minimal;
    line[key] = value;
    EXPECT_FALSE(decode<EventLine>(line).has_value()) << key << " " << value.dump();
  }
}

}  // namespace
}  // namespace kestrel
