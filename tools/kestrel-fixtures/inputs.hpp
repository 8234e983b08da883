#pragma once

#include <string>
#include <string_view>

#include "core/base/calendar.hpp"
#include "core/fixtures/fixture_status.hpp"
#include "core/base/instant.hpp"
#include "core/base/json_io.hpp"
#include "tools/kestrel-fixtures/commands.hpp"

// Reading the commands' inputs; every fault is a UsageError that names the file or option.
namespace kestrel::fixtures {

// The JSON in a file; `what` names it in the error ("skeleton file").
Json readJSONFile(const std::string& path, std::string_view what);

// The file decoded as T; an error when it cannot be read or does not decode.
template <class T>
T readFileAs(const std::string& path, std::string_view what) {
  auto value = decode<T>(readJSONFile(path, what));
  if (!value) throw UsageError(path + " is not a " + std::string(what));
  return std::move(*value);
}

// An internet date-time ("2026-01-05T09:00:00Z", "2026-01-05T10:00:00+01:00") given to `option`.
Instant parseTime(const std::string& text, std::string_view option);

// The time zone of an IANA name given to `option`.
Calendar parseZone(const std::string& name, std::string_view option);

// The fixture folder: $LS_FIXTURES when set and not empty, else the default under $HOME.
std::string fixtureRoot();

// The system the analysis runs on, as recorded in skeleton files: the distribution's pretty
// name (from /etc/os-release, else /usr/lib/os-release), the kernel release and the OpenCV
// version.
std::string currentOSBuild();

// The status of the skeleton file at `path` for the video of that hash. A file that cannot
// be read, or whose header does not decode, is of no schema this tool knows.
FixtureStatus skeletonStatus(const std::string& path, const std::string& videoSHA256, const std::string& osBuild);

}  // namespace kestrel::fixtures
