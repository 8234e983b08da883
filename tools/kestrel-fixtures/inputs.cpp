#include "tools/kestrel-fixtures/inputs.hpp"

#include <sys/utsname.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <opencv2/core/version.hpp>
#include <sstream>

#include "core/file_io.hpp"
#include "core/fixture_paths.hpp"
#include "core/log_clock.hpp"

namespace kestrel::fixtures {

Json readJSONFile(const std::string& path, std::string_view what) {
  const auto text = readFile(path);
  if (!text) throw UsageError("cannot read " + std::string(what) + " " + path);
  Json json = Json::parse(*text, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) throw UsageError(std::string(what) + " " + path + " is not JSON");
  return json;
}

Instant parseTime(const std::string& text, std::string_view option) {
  const auto at = LogClock::parse(text);
  if (!at) {
    throw UsageError(std::string(option) + ": \"" + text +
                     "\" is not a date and time such as 2026-01-05T09:00:00Z or 2026-01-05T10:00:00+01:00");
  }
  return *at;
}

Calendar parseZone(const std::string& name, std::string_view option) {
  auto calendar = Calendar::named(name);
  if (!calendar) throw UsageError(std::string(option) + ": \"" + name + "\" is not a time zone such as Europe/Berlin");
  return *calendar;
}

std::string fixtureRoot() {
  std::map<std::string, std::string> environment;
  if (const char* fixtures = std::getenv("LS_FIXTURES")) environment["LS_FIXTURES"] = fixtures;
  const char* home = std::getenv("HOME");
  return FixturePaths::root(environment, home ? home : "");
}

namespace {

// PRETTY_NAME of /etc/os-release, unquoted; "Linux" when it cannot be read.
std::string prettyName() {
  std::ifstream in("/etc/os-release");
  std::string line;
  while (std::getline(in, line)) {
    if (!line.starts_with("PRETTY_NAME=")) continue;
    std::string value = line.substr(12);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return "Linux";
}

}  // namespace

std::string currentOSBuild() {
  utsname system{};
  const std::string kernel = ::uname(&system) == 0 ? system.release : "unknown";
  return prettyName() + " · kernel " + kernel + " · OpenCV " + CV_VERSION;
}

}  // namespace kestrel::fixtures
