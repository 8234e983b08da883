#include "tools/kestrel-fixtures/inputs.hpp"

#include <sys/utsname.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <opencv2/core/version.hpp>

#include "core/base/file_io.hpp"
#include "core/fixtures/fixture_paths.hpp"
#include "core/log/log_clock.hpp"
#include "core/base/os_build.hpp"
#include "core/fixtures/skeleton_file.hpp"

namespace kestrel::fixtures {

Json readJSONFile(const std::string& path, std::string_view what) {
  const auto text = readFile(path);
  if (!text) throw UsageError("cannot read " + std::string(what) + " " + path);
  auto json = parseJson(*text);
  if (!json) throw UsageError(std::string(what) + " " + path + " is not JSON");
  return std::move(*json);
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

std::string currentOSBuild() {
  auto osRelease = readFile("/etc/os-release");
  if (!osRelease) osRelease = readFile("/usr/lib/os-release");
  const auto name = osReleasePrettyName(osRelease.value_or(""));
  utsname system{};
  const std::string kernel = ::uname(&system) == 0 ? system.release : "unknown";
  return osBuild(name.value_or(std::string(defaultPrettyName)), kernel, CV_VERSION);
}

FixtureStatus skeletonStatus(const std::string& path, const std::string& videoSHA256, const std::string& osBuild) {
  std::error_code error;
  if (!std::filesystem::exists(path, error) && !error) return FixtureStatus::check(std::nullopt, videoSHA256, osBuild);
  const auto text = readFile(path);
  const auto json = text ? parseJson(*text) : std::nullopt;
  const auto header = json && json->is_object() && json->contains("header")
                          ? decode<SkeletonFile::Header>((*json)["header"])
                          : std::nullopt;
  if (!header) return {FixtureStatus::WrongSchema{}};
  return FixtureStatus::check(header, videoSHA256, osBuild);
}

}  // namespace kestrel::fixtures
