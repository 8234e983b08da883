#include "platform/locations.hpp"

#include <cstdlib>

namespace kestrel {

namespace fs = std::filesystem;

Locations Locations::from(const std::function<std::optional<std::string>(const char*)>& variable) {
  const auto set = [&](const char* name) -> std::optional<fs::path> {
    auto value = variable(name);
    if (!value || value->empty()) return std::nullopt;
    return fs::path(*value);
  };
  Locations l;
  l.home = set("HOME").value_or("/");
  const fs::path data = set("XDG_DATA_HOME").value_or(l.home / ".local/share");
  const fs::path config = set("XDG_CONFIG_HOME").value_or(l.home / ".config");
  l.dataFolder = data / "Larkspur";
  l.settingsFile = config / "Larkspur/settings.json";
  l.autostartFolder = config / "autostart";
  return l;
}

Locations Locations::fromEnvironment() {
  return from([](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  });
}

}  // namespace kestrel
