#include "core/log/event_line.hpp"

#include "core/base/json_text.hpp"

namespace kestrel {

using namespace json_io;

namespace {

std::optional<bool> optionalFlag(const Json& j, std::string_view key) {
  if (!j.contains(key)) return std::nullopt;
  return flag(j, key);
}

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

std::string_view eventName(const MonitorEvent& event) {
  return std::visit(
      Overloaded{
          [](const event::AlertRaised&) { return std::string_view("alert_raise"); },
          [](const event::AlertCleared&) { return std::string_view("alert_clear"); },
          [](const event::Chime&) { return std::string_view("chime"); },
          [](const event::Wrong&) { return std::string_view("feedback"); },
          [](const event::Paused&) { return std::string_view("pause"); },
          [](const event::Snoozed&) { return std::string_view("snooze"); },
          [](const event::HideGlow&) { return std::string_view("hide_glow"); },
          [](const event::AwayOn&) { return std::string_view("away_on"); },
          [](const event::DegradedOn&) { return std::string_view("degraded_on"); },
          [](const event::System& e) { return toText(e.event); },
          [](const event::CalibrationEnded&) { return std::string_view("calibration_end"); },
          [](const event::Launch&) { return std::string_view("launch"); },
          [](const event::Resumed&) { return std::string_view("resume"); },
          [](const event::AwayOff&) { return std::string_view("away_off"); },
          [](const event::StaleOn&) { return std::string_view("stale_on"); },
          [](const event::StaleOff&) { return std::string_view("stale_off"); },
          [](const event::DegradedOff&) { return std::string_view("degraded_off"); },
          [](const event::WatchdogRestart&) { return std::string_view("watchdog_restart"); },
          [](const event::CameraStopped&) { return std::string_view("camera_stopped"); },
          [](const event::CameraMissing&) { return std::string_view("camera_missing"); },
          [](const event::CameraBack&) { return std::string_view("camera_back"); },
          [](const event::CalibrationStarted&) { return std::string_view("calibration_start"); },
      },
      event);
}

EventLine::EventLine(const MonitorEvent& monitorEvent, std::string time,
                     const std::function<std::string(Instant)>& format)
    : t(std::move(time)), event(eventName(monitorEvent)) {
  std::visit(Overloaded{
                 [this](const event::AlertRaised& e) {
                   module = e.module;
                   alertId = e.alertId;
                   hint = e.hint;
                   hidden = e.hidden;
                 },
                 [this](const event::AlertCleared& e) {
                   module = e.module;
                   alertId = e.alertId;
                   reason = std::string(toText(e.reason));
                 },
                 [this](const event::Chime& e) {
                   module = e.module;
                   alertId = e.alertId;
                 },
                 [this](const event::Wrong& e) {
                   module = e.module;
                   alertId = e.alertId;
                   reason = "wrong";
                 },
                 [&](const event::Paused& e) {
                   if (e.until) until = format(*e.until);
                 },
                 [&](const event::Snoozed& e) { until = format(e.until); },
                 [&](const event::HideGlow& e) { until = format(e.until); },
                 [this](const event::AwayOn& e) { reason = std::string(toText(e.reason)); },
                 [this](const event::DegradedOn& e) { reason = e.reason; },
                 [this](const event::CalibrationEnded& e) { reason = e.saved ? "saved" : "cancelled"; },
                 [](const auto&) {},
             },
             monitorEvent);
}

std::string lineText(const EventLine& line) { return compactJSON(Json(line)); }

void to_json(Json& j, const EventLine& v) {
  j = Json{{"type", v.type}, {"schema", v.schema}, {"t", v.t}, {"event", v.event}};
  putOptionalText(j, "module", v.module);
  putOptional(j, "alertId", v.alertId);
  putOptional(j, "hint", v.hint);
  putOptional(j, "hidden", v.hidden);
  putOptional(j, "reason", v.reason);
  putOptional(j, "until", v.until);
}

void from_json(const Json& j, EventLine& v) {
  requireType(j, "event");
  EventLine line;
  line.schema = count(j, "schema");
  line.t = text(j, "t");
  line.event = text(j, "event");
  line.module = optionalEnumeration<AlertModule>(j, "module");
  line.alertId = optionalText(j, "alertId");
  line.hint = optionalText(j, "hint");
  line.hidden = optionalFlag(j, "hidden");
  line.reason = optionalText(j, "reason");
  line.until = optionalText(j, "until");
  v = std::move(line);
}

}  // namespace kestrel
