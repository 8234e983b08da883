#include "core/event_line.hpp"

#include "core/json_text.hpp"

namespace kestrel {

using namespace json_io;

namespace {

std::optional<bool> optionalFlag(const Json& j, std::string_view key) {
  if (!j.contains(key)) return std::nullopt;
  return flag(j, key);
}

}  // namespace

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
  if (text(j, "type") != "event") throw DecodeError("\"type\": expected \"event\"");
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
