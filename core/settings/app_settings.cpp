#include "core/settings/app_settings.hpp"

#include <cctype>

namespace kestrel {

namespace {

template <class T>
const T* stored(const SettingValues& values, std::string_view key) {
  const auto it = values.find(key);
  if (it == values.end()) return nullptr;
  return std::get_if<T>(&it->second);
}

std::string yesNo(bool on) { return on ? "true" : "false"; }

}  // namespace

AppSettings AppSettings::fromValues(const SettingValues& values) {
  AppSettings s;
  if (const auto* text = stored<std::string>(values, "sensitivity")) {
    s.sensitivity = fromText<Sensitivity>(*text).value_or(Sensitivity::normal);
  }
  if (const auto* on = stored<bool>(values, "glowEnabled")) s.glowEnabled = *on;
  if (const auto* on = stored<bool>(values, "chimeEnabled")) s.chimeEnabled = *on;
  if (const auto* on = stored<bool>(values, "keepPhotos")) s.keepPhotos = *on;
  if (const auto* n = stored<std::int64_t>(values, "pictureRetentionDays")) {
    s.pictureRetention = pictureRetentionFromRaw(*n).value_or(defaultPictureRetention);
  }
  if (const auto* n = stored<std::int64_t>(values, "chimeDelay")) {
    s.chimeDelay = chimeDelayFromRaw(*n).value_or(defaultChimeDelay);
  }
  if (const auto* n = stored<std::int64_t>(values, "checkInterval")) {
    s.checkInterval = checkIntervalFromRaw(*n).value_or(defaultCheckInterval);
  }
  if (const auto* name = stored<std::string>(values, "chimeSound"); name && ChimeSound::isValidName(*name)) {
    s.chimeSound = *name;
  }
  const auto* mode = stored<std::string>(values, "cameraBetweenChecks");
  s.cameraBetweenChecks =
      CameraDuty::modeFromSetting(mode ? std::optional<std::string_view>(*mode) : std::nullopt);
  return s;
}

SettingValues AppSettings::rawValues() const {
  return {
      {"sensitivity", std::string(toText(sensitivity))},
      {"glowEnabled", glowEnabled},
      {"chimeEnabled", chimeEnabled},
      {"keepPhotos", keepPhotos},
      {"pictureRetentionDays", days(pictureRetention)},
      {"chimeDelay", rawValue(chimeDelay)},
      {"checkInterval", rawValue(checkInterval)},
      {"chimeSound", chimeSound},
      {"cameraBetweenChecks", std::string(toText(cameraBetweenChecks))},
  };
}

std::string label(Sensitivity sensitivity) {
  std::string text(toText(sensitivity));
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

std::vector<std::string> settingChangeLogLines(const AppSettings& before, const AppSettings& after) {
  std::vector<std::string> lines;
  auto line = [&](std::string_view name, const std::string& value) {
    lines.push_back("setting " + std::string(name) + "=" + value);
  };
  if (before.sensitivity != after.sensitivity) line("sensitivity", std::string(toText(after.sensitivity)));
  if (before.glowEnabled != after.glowEnabled) line("glow", yesNo(after.glowEnabled));
  if (before.chimeEnabled != after.chimeEnabled) line("chime", yesNo(after.chimeEnabled));
  if (before.keepPhotos != after.keepPhotos) line("keepPhotos", yesNo(after.keepPhotos));
  if (before.pictureRetention != after.pictureRetention) {
    line("pictureRetentionDays", std::to_string(days(after.pictureRetention)));
  }
  if (before.chimeDelay != after.chimeDelay) line("chimeDelay", std::to_string(rawValue(after.chimeDelay)));
  if (before.checkInterval != after.checkInterval) {
    line("checkInterval", std::to_string(rawValue(after.checkInterval)));
  }
  if (before.chimeSound != after.chimeSound) line("chimeSound", after.chimeSound);
  if (before.cameraBetweenChecks != after.cameraBetweenChecks) {
    line("cameraBetweenChecks", std::string(toText(after.cameraBetweenChecks)));
  }
  return lines;
}

std::string settingsLogLine(const AppSettings& s, bool simulateHandAlert) {
  return "settings checkInterval=" + std::to_string(rawValue(s.checkInterval)) +
         " chimeDelay=" + std::to_string(rawValue(s.chimeDelay)) + " chimeSound=" + s.chimeSound +
         " sensitivity=" + std::string(toText(s.sensitivity)) + " keepPhotos=" + yesNo(s.keepPhotos) +
         " cameraBetweenChecks=" + std::string(toText(s.cameraBetweenChecks)) +
         " simulateHandAlert=" + yesNo(simulateHandAlert);
}

}  // namespace kestrel
