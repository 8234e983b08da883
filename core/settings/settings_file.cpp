#include "core/settings/settings_file.hpp"

#include "core/base/file_io.hpp"
#include "core/base/json_io.hpp"

namespace kestrel {

namespace {

std::optional<Json> readObject(const std::filesystem::path& url) {
  std::optional<std::string> text = readFile(url);
  if (!text) return std::nullopt;
  std::optional<Json> json = parseJson(*text);
  if (!json || !json->is_object()) return std::nullopt;
  return json;
}

}  // namespace

SettingValues SettingsFile::load() const {
  std::optional<Json> json = readObject(url);
  return json ? settingValuesFromJson(*json) : SettingValues{};
}

bool SettingsFile::isDamaged() const {
  std::error_code error;
  return std::filesystem::exists(url, error) && !readObject(url);
}

void SettingsFile::merge(const SettingValues& values) const {
  Json json = readObject(url).value_or(Json::object());
  for (const auto& [key, value] : values) json[key] = toJson(value);
  writeJSON(json, url);
}

void SettingsFile::save(const AppSettings& settings) const { merge(settings.rawValues()); }

}  // namespace kestrel
