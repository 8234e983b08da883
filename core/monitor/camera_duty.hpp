#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/base/enum_text.hpp"
#include "core/base/instant.hpp"

namespace kestrel {

// Whether and when the camera may sleep between checks, and when it must wake again.
struct CameraDuty {
  // The camera's duty between checks: stay on (`steady`) or turn off and doze (`off`).
  enum class Mode { steady, off };

  static constexpr Mode defaultMode = Mode::off;
  // How long a freshly started camera runs before its frames count.
  static constexpr Seconds warmup = 1.0;
  // How long before a check is due a dozing camera is started again.
  static constexpr Seconds wakeLead = 2.5;

  // The mode a stored setting text selects: "steady" is `steady`; anything else, and no
  // setting at all, is `off`.
  static Mode modeFromSetting(std::optional<std::string_view> setting);

  // The camera has run long enough for its frames to count.
  static bool settled(Instant now, Instant startedAt);
  static Instant wakeAt(Instant nextCheckDue);
  // The camera may doze only when it is set to, wanted, and no calibration needs it.
  static bool mayDoze(Mode mode, bool calibrating, bool cameraWanted);

  // Dozing between checks. Every plan and every end of a doze other than its own wake-up
  // starts a new generation, so a wake-up timer from an earlier plan is recognised and ignored.
  struct DozeState {
    bool dozing = false;
    std::int64_t generation = 0;

    // Starts a doze; the returned generation goes with its wake-up timer.
    std::int64_t plan();
    // Ends any doze; pending wake-up timers become stale.
    void cancel();
    // A wake-up timer fired: true (the camera is to start) only for the current doze.
    bool wake(std::int64_t timerGeneration);
    // The user chose `steady`: ends a doze (true) or does nothing when awake (false).
    bool endForSetting();

    bool operator==(const DozeState&) const = default;
  };
};

template <>
struct EnumTexts<CameraDuty::Mode> {
  static constexpr std::array table{std::pair{CameraDuty::Mode::steady, std::string_view{"steady"}},
                                    std::pair{CameraDuty::Mode::off, std::string_view{"off"}}};
};

}  // namespace kestrel
