#pragma once

#include <filesystem>
#include <optional>

#include "core/settings/app_settings.hpp"
#include "core/settings/setting_value.hpp"

namespace kestrel {

// The settings file: one JSON object whose members are the stored settings (booleans,
// integers and texts under the keys of AppSettings), written whole and atomically.
struct SettingsFile {
  std::filesystem::path url;

  // The stored values; none at all when the file is missing, is not a JSON object or
  // cannot be read.
  SettingValues load() const;
  // A file that exists and holds no JSON object (damaged, cut short, edited wrongly).
  bool isDamaged() const;
  // Writes every stored form of the record, keeping members of other keys that the file
  // holds; throws on failure, leaving the old file as it was.
  void save(const AppSettings& settings) const;
  // Writes these values over the stored ones, keeping the rest.
  void merge(const SettingValues& values) const;
};

}  // namespace kestrel
