#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/base/enum_text.hpp"
#include "core/base/instant.hpp"

namespace kestrel {

// What the command line asks of a running Kestrel.
enum class ControlVerb { pause, resume, snooze, check, status, open, calibrate };

template <>
struct EnumTexts<ControlVerb> {
  static constexpr std::array table{std::pair{ControlVerb::pause, std::string_view{"pause"}},
                                    std::pair{ControlVerb::resume, std::string_view{"resume"}},
                                    std::pair{ControlVerb::snooze, std::string_view{"snooze"}},
                                    std::pair{ControlVerb::check, std::string_view{"check"}},
                                    std::pair{ControlVerb::status, std::string_view{"status"}},
                                    std::pair{ControlVerb::open, std::string_view{"open"}},
                                    std::pair{ControlVerb::calibrate, std::string_view{"calibrate"}}};
};

// One command of `kestrel VERB [DURATION] [--json]`.
struct ControlCommand {
  ControlVerb verb = ControlVerb::status;
  // pause: absent until resumed; snooze: absent for the menu's own length.
  std::optional<Seconds> duration;
  bool json = false;  // status only

  // The longest pause, snooze or hidden glow that can be asked for.
  static constexpr Seconds longest = 24 * 3600;
  // A snooze without a duration lasts as long as the menu's.
  static constexpr Seconds snoozeLength = 1800;

  // The command the arguments (without the program's name) spell; none when they start with an
  // option (or are none), so that they are the tray program's own; an error text for a word
  // that is no command and for a command with arguments it does not take.
  static std::optional<std::variant<ControlCommand, std::string>> parse(const std::vector<std::string>& arguments);

  bool operator==(const ControlCommand&) const = default;
};

// "90s", "30m", "1h", "1h30m" or a bare number of seconds; none for anything else, for zero
// and for more than a day.
std::optional<Seconds> parseDuration(std::string_view text);

// Why a pause, snooze or hidden glow of `seconds` cannot be asked for, or none when it can.
// Zero is allowed only where it means "until resumed".
std::optional<std::string> durationProblem(double seconds, bool zeroMeansUntilResumed);

}  // namespace kestrel
