#include "core/calibration/calibration_key.hpp"

namespace kestrel::CalibrationKey {

std::optional<Action> action(std::optional<std::string_view> characters, int keyCode, bool startEnabled) {
  if (keyCode == escapeKey) return Action::cancel;
  if (!startEnabled || !characters) return std::nullopt;
  if (*characters == spaceCharacters || *characters == returnCharacters) return Action::start;
  return std::nullopt;
}

}  // namespace kestrel::CalibrationKey
