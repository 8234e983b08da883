#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// The data folder is the user's alone: it is created with mode 0700, and a folder under it
// that others may enter, or a file that others may read, is tightened to 0700 or 0600. Gives
// the log line when anything was tightened ("data folder permissions tightened folders=1
// files=3"), or a failure's line.
std::optional<std::string> secureDataFolder(const std::filesystem::path& folder);

// A file that exists but cannot be decoded is kept beside itself as NAME.corrupt (an older
// copy of that name is replaced), so that the first save over it loses nothing the user
// had. Gives the log line of what was kept, or of the failure to keep it.
std::optional<std::string> keepDamaged(const std::filesystem::path& file, bool damaged);

}  // namespace kestrel
