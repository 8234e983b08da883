#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kestrel {

// Where this desktop keeps Kestrel's files, from the XDG base directories.
struct Locations {
  std::filesystem::path dataFolder;      // $XDG_DATA_HOME/Larkspur
  std::filesystem::path settingsFile;    // $XDG_CONFIG_HOME/Larkspur/settings.json
  std::filesystem::path autostartFolder; // $XDG_CONFIG_HOME/autostart
  std::filesystem::path home;

  // `variable` reads the environment; unset and empty variables take the XDG defaults under
  // $HOME.
  static Locations from(const std::function<std::optional<std::string>(const char*)>& variable);
  static Locations fromEnvironment();
};

}  // namespace kestrel
