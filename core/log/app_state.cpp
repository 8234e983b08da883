#include "core/log/app_state.hpp"

#include <system_error>

#include "core/base/file_io.hpp"

namespace kestrel {

using namespace json_io;

AppState::AppState(bool pausedIndefinitely_, std::map<std::string, std::int64_t> wrongTaps_, bool loginItemOffered_)
    : pausedIndefinitely(pausedIndefinitely_), wrongTaps(std::move(wrongTaps_)), loginItemOffered(loginItemOffered_) {}

void to_json(Json& j, const AppState& v) {
  j = Json{{"schema", v.schema},
           {"pausedIndefinitely", v.pausedIndefinitely},
           {"wrongTaps", v.wrongTaps},
           {"loginItemOffered", v.loginItemOffered}};
}

void from_json(const Json& j, AppState& v) {
  const Json& taps = member(j, "wrongTaps");
  if (!taps.is_object()) throw DecodeError("\"wrongTaps\": expected an object");
  std::map<std::string, std::int64_t> wrongTaps;
  for (const auto& [key, value] : taps.items()) wrongTaps[key] = asCount(value);
  AppState state(flag(j, "pausedIndefinitely"), std::move(wrongTaps), flag(j, "loginItemOffered"));
  state.schema = count(j, "schema");
  v = std::move(state);
}

namespace {

std::optional<AppState> usableState(const std::string& bytes) {
  auto state = decodeText<AppState>(bytes);
  if (!state || state->schema != AppState::currentSchema) return std::nullopt;
  return state;
}

}  // namespace

AppState AppStateStore::load() const {
  const auto bytes = readFile(url);
  if (!bytes) return AppState();
  return usableState(*bytes).value_or(AppState());
}

std::optional<AppState> AppStateStore::loadStrict() const {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(url, error);
  if (status.type() == std::filesystem::file_type::not_found) return AppState();
  const auto bytes = readFile(url);
  if (!bytes) return std::nullopt;
  return usableState(*bytes);
}

void AppStateStore::save(const AppState& state) const { writeJSON(Json(state), url); }

}  // namespace kestrel
