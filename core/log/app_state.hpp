#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "core/base/json_io.hpp"

namespace kestrel {

// What the application remembers between runs apart from calibration and logs.
struct AppState {
  static constexpr std::int64_t currentSchema = 1;

  std::int64_t schema = currentSchema;
  bool pausedIndefinitely = false;
  // The monitor's wrong taps per day and module, under its day keys ("2026-3-7-head").
  std::map<std::string, std::int64_t> wrongTaps;
  bool loginItemOffered = false;

  AppState() = default;
  AppState(bool pausedIndefinitely, std::map<std::string, std::int64_t> wrongTaps, bool loginItemOffered);

  bool operator==(const AppState&) const = default;
};

void to_json(Json& j, const AppState& v);
void from_json(const Json& j, AppState& v);

// The file "state.json".
struct AppStateStore {
  std::filesystem::path url;

  // The stored state; the default state when the file is missing, unreadable, undecodable
  // or of another schema.
  AppState load() const;
  // Like load, but a file that exists and cannot be used gives no state; a missing file
  // gives the default state.
  std::optional<AppState> loadStrict() const;
  // Writes the state atomically; throws on failure.
  void save(const AppState& state) const;
};

}  // namespace kestrel
