#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

#include "core/base/json_io.hpp"

namespace kestrel {

// One stored setting as the settings store holds it: a boolean, an integer or a text.
// A boolean is its own kind and never reads as an integer.
using SettingValue = std::variant<bool, std::int64_t, std::string>;

// Stored settings by key; only keys that have a value appear.
using SettingValues = std::map<std::string, SettingValue, std::less<>>;

// The setting a JSON value stores: JSON booleans, numbers and strings map onto the three
// kinds; a number with a fraction is taken as an integer by dropping the fraction. Absent
// for null, arrays, objects and numbers beyond the 64-bit range.
std::optional<SettingValue> settingValueFromJson(const Json& value);

// Every member of a JSON object that holds a setting; members of other kinds are left out.
// Anything but an object gives no settings.
SettingValues settingValuesFromJson(const Json& object);

Json toJson(const SettingValue& value);
Json toJson(const SettingValues& values);

}  // namespace kestrel
