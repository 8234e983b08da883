#include "core/settings/setting_value.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(SettingValue, JsonKindsMapOntoTheThreeStoredKinds) {
  struct Case {
    const char* json;
    std::optional<SettingValue> expected;
  };
  const Case cases[] = {
      {"true", SettingValue{true}},
      {"false", SettingValue{false}},
      {"0", SettingValue{std::int64_t{0}}},
      {"-15", SettingValue{std::int64_t{-15}}},
      {"9223372036854775807", SettingValue{std::int64_t{9223372036854775807}}},
      {"9223372036854775808", std::nullopt},
      {"30.0", SettingValue{std::int64_t{30}}},
      {"30.9", SettingValue{std::int64_t{30}}},
      {"-0.5", SettingValue{std::int64_t{0}}},
      {"-9223372036854775808.0", SettingValue{std::numeric_limits<std::int64_t>::min()}},
      {"9223372036854775808.0", std::nullopt},
      {"\"steady\"", SettingValue{std::string("steady")}},
      {"null", std::nullopt},
      {"[1]", std::nullopt},
      {"{}", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(settingValueFromJson(Json::parse(c.json)), c.expected) << c.json;
}

TEST(SettingValue, WrittenBackABooleanNeverBecomesAnIntegerNorTheReverse) {
  const SettingValues values = settingValuesFromJson(Json::parse(R"({"a": true, "b": 1, "c": 0, "d": false})"));
  EXPECT_EQ(toJson(values).dump(), R"({"a":true,"b":1,"c":0,"d":false})");
  // Objects keep only the members that hold a setting.
  EXPECT_EQ(settingValuesFromJson(Json::parse(R"({"x": null, "y": [], "z": "ok"})")),
            (SettingValues{{"z", std::string("ok")}}));
  EXPECT_TRUE(settingValuesFromJson(Json::parse("[1, 2]")).empty());
  EXPECT_TRUE(settingValuesFromJson(Json::parse("\"text\"")).empty());
  EXPECT_EQ(toJson(SettingValues{}).dump(), "{}");
}

}  // namespace
}  // namespace kestrel
