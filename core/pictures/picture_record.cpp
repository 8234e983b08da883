#include "core/pictures/picture_record.hpp"

#include "core/base/json_text.hpp"
#include "core/log/log_clock.hpp"
#include "core/pictures/picture_naming.hpp"

namespace kestrel {

using namespace json_io;

PictureRecord::PictureRecord(std::string alertId_, AlertModule module_, std::string hint_, Instant raisedAt_,
                             bool photo_, Measurements measurements_)
    : alertId(std::move(alertId_)),
      module(module_),
      hint(std::move(hint_)),
      raisedAt(raisedAt_),
      photo(photo_),
      measurements(std::move(measurements_)) {}

std::string PictureRecord::encoded() const { return indentedJSON(Json(*this)); }

std::optional<PictureRecord> PictureRecord::decode(std::string_view bytes) {
  auto record = decodeText<PictureRecord>(bytes);
  if (!record || record->schema != currentSchema || !PictureNaming::isSafeAlertId(record->alertId)) {
    return std::nullopt;
  }
  return record;
}

void to_json(Json& j, const PictureRecord& v) {
  j = Json{{"schema", v.schema},
           {"alertId", v.alertId},
           {"module", toText(v.module)},
           {"hint", v.hint},
           {"raisedAt", LogClock{Calendar::utc()}.stamp(v.raisedAt)},
           {"photo", v.photo},
           {"measurements", v.measurements}};
}

void from_json(const Json& j, PictureRecord& v) {
  const auto raisedAt = LogClock::parse(text(j, "raisedAt"));
  if (!raisedAt) throw DecodeError("\"raisedAt\": expected an internet date-time");
  PictureRecord record(text(j, "alertId"), enumeration<AlertModule>(j, "module"), text(j, "hint"), *raisedAt,
                       flag(j, "photo"), object<Measurements>(j, "measurements"));
  record.schema = count(j, "schema");
  v = std::move(record);
}

}  // namespace kestrel
