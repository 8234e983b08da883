#include "core/settings/app_settings.hpp"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

SettingValues with(std::string key, SettingValue value) { return {{std::move(key), std::move(value)}}; }

SettingValue integer(std::int64_t n) { return SettingValue{n}; }
SettingValue text(const char* s) { return SettingValue{std::string(s)}; }

// Each stored value against the one field it sets; every other field must stay default. The values
// of the record below that reads back the exact stored text are left to its round trip.
TEST(AppSettings, EachStoredValueSelectsItsChoiceOrTheDefault) {
  struct Case {
    const char* key;
    SettingValue value;
    AppSettings expected;
  };
  auto set = [](auto change) {
    AppSettings s;
    change(s);
    return s;
  };
  const Case cases[] = {
      {"sensitivity", text("strict"), set([](AppSettings& s) { s.sensitivity = Sensitivity::strict; })},
      {"sensitivity", text("Strict"), AppSettings{}},
      {"sensitivity", integer(2), AppSettings{}},
      {"glowEnabled", SettingValue{false}, set([](AppSettings& s) { s.glowEnabled = false; })},
      {"chimeEnabled", SettingValue{false}, set([](AppSettings& s) { s.chimeEnabled = false; })},
      // Numbers and texts are not switches: the switch stays on.
      {"keepPhotos", integer(0), AppSettings{}},
      {"pictureRetentionDays", integer(1), set([](AppSettings& s) { s.pictureRetention = PictureRetention::day; })},
      // A boolean true is not the integer 1 (which would mean one day).
      {"pictureRetentionDays", SettingValue{true}, AppSettings{}},
      {"chimeDelay", integer(60), set([](AppSettings& s) { s.chimeDelay = ChimeDelay::min1; })},
      {"chimeDelay", integer(45), AppSettings{}},
      // A boolean false is not the integer 0 (which would chime at once).
      {"chimeDelay", SettingValue{false}, AppSettings{}},
      {"checkInterval", integer(15), set([](AppSettings& s) { s.checkInterval = CheckInterval::s15; })},
      {"checkInterval", integer(90), AppSettings{}},
      {"checkInterval", SettingValue{true}, AppSettings{}},
      {"chimeSound", text("../../etc/passwd"), AppSettings{}},
      {"chimeSound", integer(3), AppSettings{}},
      {"cameraBetweenChecks", text("Steady"), AppSettings{}},
      {"cameraBetweenChecks", SettingValue{true}, AppSettings{}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AppSettings::fromValues(with(c.key, c.value)), c.expected) << c.key << " " << toJson(c.value).dump();
  }
}

TEST(AppSettings, RawValuesHoldAllKeysInTheirStoredKinds) {
  AppSettings s;
  s.sensitivity = Sensitivity::relaxed;
  s.keepPhotos = false;
  s.pictureRetention = PictureRetention::month;
  s.chimeDelay = ChimeDelay::atRaise;
  s.checkInterval = CheckInterval::min2;
  s.chimeSound = "bell";
  s.cameraBetweenChecks = CameraDuty::Mode::steady;
  EXPECT_EQ(toJson(s.rawValues()).dump(),
            R"({"cameraBetweenChecks":"steady","checkInterval":120,"chimeDelay":0,"chimeEnabled":true,)"
            R"("chimeSound":"bell","glowEnabled":true,"keepPhotos":false,"pictureRetentionDays":30,)"
            R"("sensitivity":"relaxed"})");
}

TEST(AppSettings, WritingThenReadingGivesTheSameRecord) {
  // Five records that between them take every case of every choice and both states of each switch.
  const auto sensitivities = allCases<Sensitivity>();
  const auto retentions = allCases<PictureRetention>();
  const auto delays = allCases<ChimeDelay>();
  const auto intervals = allCases<CheckInterval>();
  const auto modes = allCases<CameraDuty::Mode>();
  for (std::size_t i = 0; i < 5; ++i) {
    AppSettings s;
    s.sensitivity = sensitivities[i % 3];
    s.glowEnabled = i % 2 == 0;
    s.chimeEnabled = i % 2 == 1;
    s.keepPhotos = i % 3 != 0;
    s.pictureRetention = retentions[(i + 1) % 3];
    s.chimeDelay = delays[i % 4];
    s.checkInterval = intervals[i];
    s.chimeSound = i == 0 ? std::string(ChimeSound::fallback) : "sound-" + std::to_string(i);
    s.cameraBetweenChecks = modes[i % 2];
    EXPECT_EQ(AppSettings::fromValues(s.rawValues()), s) << i;
    // And through the settings file's JSON text.
    EXPECT_EQ(AppSettings::fromValues(settingValuesFromJson(Json::parse(toJson(s.rawValues()).dump()))), s) << i;
  }
}

TEST(AppSettingsLog, ChangedSettingsLogOneLineEachInFieldOrder) {
  const AppSettings before;
  AppSettings after;
  after.sensitivity = Sensitivity::strict;
  after.glowEnabled = false;
  after.chimeEnabled = false;
  after.keepPhotos = false;
  after.pictureRetention = PictureRetention::day;
  after.chimeDelay = ChimeDelay::atRaise;
  after.checkInterval = CheckInterval::s15;
  after.chimeSound = "bell";
  after.cameraBetweenChecks = CameraDuty::Mode::steady;
  EXPECT_EQ(settingChangeLogLines(before, after), (std::vector<std::string>{
                                                      "setting sensitivity=strict",
                                                      "setting glow=false",
                                                      "setting chime=false",
                                                      "setting keepPhotos=false",
                                                      "setting pictureRetentionDays=1",
                                                      "setting chimeDelay=0",
                                                      "setting checkInterval=15",
                                                      "setting chimeSound=bell",
                                                      "setting cameraBetweenChecks=steady",
                                                  }));
  EXPECT_EQ(settingChangeLogLines(after, before)[1], "setting glow=true");
  EXPECT_TRUE(settingChangeLogLines(after, after).empty());
}

TEST(AppSettingsLog, TheStartLineHoldsTheWholeRecord) {
  EXPECT_EQ(settingsLogLine(AppSettings{}, false),
            "settings checkInterval=60 chimeDelay=30 chimeSound=complete sensitivity=normal keepPhotos=true "
            "cameraBetweenChecks=off simulateHandAlert=false");
  AppSettings s;
  s.checkInterval = CheckInterval::min5;
  s.chimeDelay = ChimeDelay::atRaise;
  s.keepPhotos = false;
  s.sensitivity = Sensitivity::relaxed;
  s.cameraBetweenChecks = CameraDuty::Mode::steady;
  EXPECT_EQ(settingsLogLine(s, true),
            "settings checkInterval=300 chimeDelay=0 chimeSound=complete sensitivity=relaxed keepPhotos=false "
            "cameraBetweenChecks=steady simulateHandAlert=true");
}

}  // namespace
}  // namespace kestrel
