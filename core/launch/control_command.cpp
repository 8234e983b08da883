#include "core/launch/control_command.hpp"

#include <cmath>
#include <cstdint>

namespace kestrel {

std::optional<Seconds> parseDuration(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::int64_t total = 0;
  std::size_t i = 0;
  char lastUnit = 0;
  while (i < text.size()) {
    std::int64_t number = 0;
    const std::size_t digitsFrom = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      number = number * 10 + (text[i] - '0');
      if (number > static_cast<std::int64_t>(ControlCommand::longest)) return std::nullopt;
      ++i;
    }
    if (i == digitsFrom) return std::nullopt;
    if (i == text.size()) {
      // A bare number is seconds, but not after a unit ("1h30" is ambiguous).
      if (lastUnit != 0) return std::nullopt;
      total += number;
      break;
    }
    const char unit = text[i++];
    // Units in falling order, each once: "1h30m", not "30m1h" or "1m1m".
    const std::string_view order = "hms";
    const auto at = order.find(unit);
    if (at == std::string_view::npos || (lastUnit != 0 && at <= order.find(lastUnit))) return std::nullopt;
    lastUnit = unit;
    total += number * (unit == 'h' ? 3600 : unit == 'm' ? 60 : 1);
  }
  if (total <= 0 || total > static_cast<std::int64_t>(ControlCommand::longest)) return std::nullopt;
  return static_cast<Seconds>(total);
}

std::optional<std::string> durationProblem(double seconds, bool zeroMeansUntilResumed) {
  if (!std::isfinite(seconds) || seconds < 0) return "The duration must be a number of seconds of at least 0.";
  if (seconds == 0 && !zeroMeansUntilResumed) return "The duration must be more than 0 seconds.";
  if (seconds > ControlCommand::longest) return "The duration may be at most one day (86400 seconds).";
  return std::nullopt;
}

std::optional<std::variant<ControlCommand, std::string>> ControlCommand::parse(
    const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  if (arguments.front().starts_with('-')) return std::nullopt;
  const auto verb = fromText<ControlVerb>(arguments.front());
  if (!verb) return "kestrel: \"" + arguments.front() + "\" is not a command (see kestrel --help)";
  ControlCommand command{*verb, std::nullopt, false};
  const std::string name(arguments.front());
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (*verb == ControlVerb::status && a == "--json") {
      command.json = true;
    } else if ((*verb == ControlVerb::pause || *verb == ControlVerb::snooze) && !command.duration) {
      command.duration = parseDuration(a);
      if (!command.duration) {
        return "kestrel " + name + ": \"" + a + "\" is not a duration (like 90s, 30m, 1h or 1h30m, at most 24h)";
      }
    } else {
      return "kestrel " + name + ": unexpected argument \"" + a + "\" (see kestrel --help)";
    }
  }
  return command;
}

}  // namespace kestrel
