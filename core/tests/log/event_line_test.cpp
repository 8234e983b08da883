#include "core/log/event_line.hpp"

#include <gtest/gtest.h>

#include "core/base/json_text.hpp"

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

std::string formatted(Instant at) { return "at " + std::to_string(static_cast<long long>(at)); }

TEST(EventLine, BuiltFromEveryMonitorEvent) {
  struct Case {
    MonitorEvent event;
    const char* text;
  };
  const Case cases[] = {
      {event::AlertRaised{AlertModule::head, "A1", "Head forward · tuck your chin", true},
       R"({"alertId":"A1","event":"alert_raise","hidden":true,"hint":"Head forward · tuck your chin","module":"head",)"},
      {event::AlertRaised{AlertModule::hand, "A2", "", false},
       R"({"alertId":"A2","event":"alert_raise","hidden":false,"hint":"","module":"hand",)"},
      {event::AlertCleared{AlertModule::hand, "A2", ClearReason::noEvidence},
       R"({"alertId":"A2","event":"alert_clear","module":"hand","reason":"no_evidence",)"},
      {event::AlertCleared{AlertModule::head, "A1", ClearReason::recovered},
       R"({"alertId":"A1","event":"alert_clear","module":"head","reason":"recovered",)"},
      {event::AlertCleared{AlertModule::head, "A1", ClearReason::reset},
       R"({"alertId":"A1","event":"alert_clear","module":"head","reason":"reset",)"},
      {event::Chime{AlertModule::head, "A1"}, R"({"alertId":"A1","event":"chime","module":"head",)"},
      {event::Wrong{AlertModule::hand, "A2"}, R"({"alertId":"A2","event":"feedback","module":"hand","reason":"wrong",)"},
      {event::Paused{std::nullopt}, R"({"event":"pause",)"},
      {event::Paused{3600}, R"({"event":"pause",)"},
      {event::Snoozed{1800}, R"({"event":"snooze",)"},
      {event::HideGlow{7200}, R"({"event":"hide_glow",)"},
      {event::AwayOn{SkipReason::yawOutOfRange}, R"({"event":"away_on","reason":"yaw_out_of_range",)"},
      {event::AwayOn{SkipReason::cameraEffects}, R"({"event":"away_on","reason":"camera_effects",)"},
      {event::DegradedOn{"Camera is slow"}, R"({"event":"degraded_on","reason":"Camera is slow",)"},
      {event::System{SystemEvent::sleep}, R"({"event":"sleep",)"},
      {event::System{SystemEvent::wake}, R"({"event":"wake",)"},
      {event::System{SystemEvent::displaySleep}, R"({"event":"display_sleep",)"},
      {event::System{SystemEvent::displayWake}, R"({"event":"display_wake",)"},
      {event::System{SystemEvent::lock}, R"({"event":"lock",)"},
      {event::System{SystemEvent::unlock}, R"({"event":"unlock",)"},
      {event::CalibrationEnded{true}, R"({"event":"calibration_end","reason":"saved",)"},
      {event::CalibrationEnded{false}, R"({"event":"calibration_end","reason":"cancelled",)"},
      {event::Launch{}, R"({"event":"launch",)"},
      {event::Resumed{}, R"({"event":"resume",)"},
      {event::AwayOff{}, R"({"event":"away_off",)"},
      {event::StaleOn{}, R"({"event":"stale_on",)"},
      {event::StaleOff{}, R"({"event":"stale_off",)"},
      {event::DegradedOff{}, R"({"event":"degraded_off",)"},
      {event::WatchdogRestart{}, R"({"event":"watchdog_restart",)"},
      {event::CameraStopped{}, R"({"event":"camera_stopped",)"},
      {event::CameraMissing{}, R"({"event":"camera_missing",)"},
      {event::CameraBack{}, R"({"event":"camera_back",)"},
      {event::CalibrationStarted{}, R"({"event":"calibration_start",)"},
  };
  for (const auto& c : cases) {
    const EventLine line(c.event, "T", formatted);
    std::string expected = std::string(c.text) + R"("schema":2,"t":"T","type":"event")";
    if (const auto* p = std::get_if<event::Paused>(&c.event); p && p->until) expected += R"(,"until":"at 3600")";
    if (std::holds_alternative<event::Snoozed>(c.event)) expected += R"(,"until":"at 1800")";
    if (std::holds_alternative<event::HideGlow>(c.event)) expected += R"(,"until":"at 7200")";
    EXPECT_EQ(lineText(line), expected + "}");
    EXPECT_EQ(decodeText<EventLine>(lineText(line)), line);
  }
}

}  // namespace
}  // namespace kestrel
