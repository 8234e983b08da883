#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/monitor/camera_duty.hpp"
#include "core/settings/chime_delay.hpp"
#include "core/settings/picture_retention.hpp"
#include "core/settings/setting_value.hpp"
#include "core/settings/sound_name.hpp"
#include "core/model/thresholds.hpp"

namespace kestrel {

// The user's choices, read once at start from the settings store and written back whole
// whenever one of them changes.
struct AppSettings {
  Sensitivity sensitivity = Sensitivity::normal;
  bool glowEnabled = true;
  bool chimeEnabled = true;
  bool keepPhotos = true;
  PictureRetention pictureRetention = defaultPictureRetention;
  ChimeDelay chimeDelay = defaultChimeDelay;
  CheckInterval checkInterval = defaultCheckInterval;
  std::string chimeSound{ChimeSound::fallback};
  CameraDuty::Mode cameraBetweenChecks = CameraDuty::defaultMode;

  // The stored keys, in field order.
  static constexpr std::array<std::string_view, 9> allKeys{
      "sensitivity", "glowEnabled",   "chimeEnabled", "keepPhotos",         "pictureRetentionDays",
      "chimeDelay",  "checkInterval", "chimeSound",   "cameraBetweenChecks"};

  // Never fails: a key that is missing, holds the wrong kind of value or a value outside
  // the choices gives that setting's default. Keys other than `allKeys` are ignored.
  static AppSettings fromValues(const SettingValues& values);

  // All nine keys with their stored forms: texts for the sensitivity, sound and camera
  // mode, booleans for the switches, whole seconds or days for the rest.
  SettingValues rawValues() const;

  bool operator==(const AppSettings&) const = default;
};

// "Relaxed", "Normal", "Strict".
std::string label(Sensitivity sensitivity);

// Shown under the sensitivity control.
inline constexpr std::string_view sensitivityExplanation = "How far you can lean in before Kestrel reacts.";

// System-log messages (the log adds the "Larkspur " prefix). Switches read
// "true" or "false", intervals and delays whole seconds, retention whole days, and the
// sensitivity and camera mode their stored texts.

// One line per setting that differs, in field order, such as "setting glow=false".
std::vector<std::string> settingChangeLogLines(const AppSettings& before, const AppSettings& after);

// The whole record in one line, logged once at start; `simulateHandAlert` is the run's
// simulated hand-alert mode.
std::string settingsLogLine(const AppSettings& settings, bool simulateHandAlert);

}  // namespace kestrel
