#include "core/launch/control_command.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestrel {
namespace {

TEST(ParseDuration, ReadsUnitsInFallingOrderUpToADay) {
  const std::pair<std::string_view, std::optional<Seconds>> cases[] = {
      {"90s", 90},     {"30m", 1800},  {"1h", 3600},         {"1h30m", 5400}, {"2m5s", 125},
      {"45", 45},      {"24h", 86400}, {"86400", 86400},     {"", std::nullopt},
      {"0", std::nullopt}, {"0m", std::nullopt}, {"24h1s", std::nullopt}, {"86401", std::nullopt},
      {"30m1h", std::nullopt}, {"1m1m", std::nullopt}, {"1h30", std::nullopt}, {"m", std::nullopt},
      {"-5m", std::nullopt}, {"1.5h", std::nullopt}, {"1d", std::nullopt}, {"99999999999999999999s", std::nullopt},
  };
  for (const auto& [text, seconds] : cases) EXPECT_EQ(parseDuration(text), seconds) << text;
}

TEST(DurationProblem, RefusesNegativeZeroAndOverADay) {
  EXPECT_EQ(durationProblem(0, true), std::nullopt);
  EXPECT_EQ(durationProblem(86400, false), std::nullopt);
  EXPECT_EQ(durationProblem(0, false), "The duration must be more than 0 seconds.");
  EXPECT_EQ(durationProblem(86401, true), "The duration may be at most one day (86400 seconds).");
  for (double bad : {-1.0, std::nan(""), -std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(durationProblem(bad, true), "The duration must be a number of seconds of at least 0.");
  }
}

TEST(ControlCommand, ParsesVerbsAndTheirArguments) {
  using Parsed = std::optional<std::variant<ControlCommand, std::string>>;
  const std::pair<std::vector<std::string>, Parsed> cases[] = {
      {{}, std::nullopt},
      {{"--camera-file", "x.mjpeg"}, std::nullopt},
      {{"pause"}, ControlCommand{ControlVerb::pause, std::nullopt, false}},
      {{"pause", "30m"}, ControlCommand{ControlVerb::pause, 1800, false}},
      {{"snooze", "90s"}, ControlCommand{ControlVerb::snooze, 90, false}},
      {{"status", "--json"}, ControlCommand{ControlVerb::status, std::nullopt, true}},
      {{"calibrate"}, ControlCommand{ControlVerb::calibrate, std::nullopt, false}},
      {{"checknow"}, "kestrel: \"checknow\" is not a command (see kestrel --help)"},
      {{"pause", "soon"}, "kestrel pause: \"soon\" is not a duration (like 90s, 30m, 1h or 1h30m, at most 24h)"},
      {{"pause", "1h", "2h"}, "kestrel pause: unexpected argument \"2h\" (see kestrel --help)"},
      {{"resume", "1h"}, "kestrel resume: unexpected argument \"1h\" (see kestrel --help)"},
      {{"open", "--json"}, "kestrel open: unexpected argument \"--json\" (see kestrel --help)"},
  };
  for (const auto& [arguments, parsed] : cases) EXPECT_EQ(ControlCommand::parse(arguments), parsed);
}

}  // namespace
}  // namespace kestrel
