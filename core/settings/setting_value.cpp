#include "core/settings/setting_value.hpp"

#include <cmath>
#include <limits>

namespace kestrel {

std::optional<SettingValue> settingValueFromJson(const Json& value) {
  if (value.is_boolean()) return SettingValue{value.get<bool>()};
  if (value.is_string()) return SettingValue{value.get<std::string>()};
  if (value.is_number_unsigned()) {
    const auto u = value.get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
    return SettingValue{static_cast<std::int64_t>(u)};
  }
  if (value.is_number_integer()) return SettingValue{value.get<std::int64_t>()};
  if (value.is_number_float()) {
    const double whole = std::trunc(value.get<double>());
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(whole) || whole < -9223372036854775808.0 || whole >= 9223372036854775808.0) {
      return std::nullopt;
    }
    return SettingValue{static_cast<std::int64_t>(whole)};
  }
  return std::nullopt;
}

SettingValues settingValuesFromJson(const Json& object) {
  SettingValues values;
  if (!object.is_object()) return values;
  for (const auto& [key, value] : object.items()) {
    if (auto setting = settingValueFromJson(value)) values.emplace(key, std::move(*setting));
  }
  return values;
}

Json toJson(const SettingValue& value) {
  return std::visit([](const auto& v) { return Json(v); }, value);
}

Json toJson(const SettingValues& values) {
  Json object = Json::object();
  for (const auto& [key, value] : values) object[key] = toJson(value);
  return object;
}

}  // namespace kestrel
