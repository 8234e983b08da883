// Feeds arbitrary bytes to the settings file as the program reads it at start. Besides not
// crashing: a file is damaged exactly when it holds no JSON object, the values read can be
// written back (and read back the same), and the settings made of them store back unchanged.

#include "core/settings/app_settings.hpp"
#include "core/settings/settings_file.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = fuzz::text(data, size);
  const SettingsFile file{fuzz::scratchFile("settings.json", bytes)};
  const SettingValues values = file.load();
  const auto json = parseJson(bytes);
  fuzz::require(file.isDamaged() == !(json && json->is_object()));

  const Json written = toJson(values);
  (void)written.dump();  // what merging writes; throws on a text that is not UTF-8
  fuzz::require(settingValuesFromJson(written) == values);

  const AppSettings settings = AppSettings::fromValues(values);
  fuzz::require(AppSettings::fromValues(settings.rawValues()) == settings);
  fuzz::require(settingChangeLogLines(AppSettings{}, settings).size() <= AppSettings::allKeys.size());
  (void)settingsLogLine(settings, false);
  return 0;
}
