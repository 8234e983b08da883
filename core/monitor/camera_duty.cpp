#include "core/monitor/camera_duty.hpp"

namespace kestrel {

CameraDuty::Mode CameraDuty::modeFromSetting(std::optional<std::string_view> setting) {
  return setting == "steady" ? Mode::steady : Mode::off;
}

bool CameraDuty::settled(Instant now, Instant startedAt) { return now - startedAt >= warmup; }

Instant CameraDuty::wakeAt(Instant nextCheckDue) { return nextCheckDue - wakeLead; }

bool CameraDuty::mayDoze(Mode mode, bool calibrating, bool cameraWanted) {
  return mode == Mode::off && cameraWanted && !calibrating;
}

std::int64_t CameraDuty::DozeState::plan() {
  ++generation;
  dozing = true;
  return generation;
}

void CameraDuty::DozeState::cancel() {
  ++generation;
  dozing = false;
}

bool CameraDuty::DozeState::wake(std::int64_t timerGeneration) {
  if (!dozing || timerGeneration != generation) return false;
  dozing = false;
  return true;
}

bool CameraDuty::DozeState::endForSetting() {
  if (!dozing) return false;
  ++generation;
  dozing = false;
  return true;
}

}  // namespace kestrel
