// Feeds arbitrary bytes to what the import reads of the previous build: its preferences file
// and its state file. Besides not crashing: only stored keys are taken over, each with a
// value the settings store back unchanged, and a state comes back either untouched or as a
// current state with the start-at-login offer to be made again.

#include "core/import/legacy_import.hpp"
#include "core/log/app_state.hpp"
#include "core/settings/app_settings.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = fuzz::text(data, size);
  if (const auto old = LegacyImport::readPreferences(fuzz::scratchFile("preferences.json", bytes))) {
    const SettingValues taken = LegacyImport::settings(*old, {});
    for (const auto& [key, value] : taken) {
      fuzz::require(old->at(key) == value);
      fuzz::require(AppSettings::fromValues({{key, value}}).rawValues().at(key) == value);
    }
    fuzz::require(LegacyImport::settings(*old, {"glowEnabled", "sensitivity"}).size() <= taken.size());
  }

  const std::string state(bytes);
  const std::string reset = LegacyImport::resetLoginItem(state);
  if (reset != state) {
    const auto back = decodeText<AppState>(reset);
    fuzz::require(back && back->schema == AppState::currentSchema && !back->loginItemOffered);
  }
  return 0;
}
