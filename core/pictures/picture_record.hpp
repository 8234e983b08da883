#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/monitor/active_alert.hpp"
#include "core/base/instant.hpp"
#include "core/base/json_io.hpp"
#include "core/model/measurements.hpp"

namespace kestrel {

// What is kept of an alert: its identity and the measurements of the frame that raised it.
struct PictureRecord {
  static constexpr std::int64_t currentSchema = 1;

  std::int64_t schema = currentSchema;
  std::string alertId;
  AlertModule module = AlertModule::head;
  std::string hint;
  Instant raisedAt = 0;  // kept in whole seconds
  bool photo = false;    // a photo file lies beside the record
  Measurements measurements;

  PictureRecord() = default;
  PictureRecord(std::string alertId, AlertModule module, std::string hint, Instant raisedAt, bool photo,
                Measurements measurements);

  // Indented JSON with sorted keys and "raisedAt" in UTC ("2026-03-09T13:05:33Z"). Throws
  // EncodeError for a real that is not finite or a text that is not UTF-8.
  std::string encoded() const;
  // Absent for bytes that do not decode, another schema or an identifier that is not safe
  // in a file name.
  static std::optional<PictureRecord> decode(std::string_view bytes);

  bool operator==(const PictureRecord&) const = default;
};

void to_json(Json& j, const PictureRecord& v);
void from_json(const Json& j, PictureRecord& v);

}  // namespace kestrel
