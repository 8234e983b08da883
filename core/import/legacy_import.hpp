#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

#include "core/base/enum_text.hpp"
#include "core/base/instant.hpp"
#include "core/base/json_io.hpp"
#include "core/settings/setting_value.hpp"

// The one-time import of the data and preferences that the previous build, sandboxed under
// its own application id, kept in its Flatpak folder: baselines, state, day logs (merged with
// days already logged here) and pictures, then the settings not yet chosen here. A marker file
// in the data folder keeps it from running again. Everything platform-bound (the running id,
// whether the old folder may be read, the old and current preferences, the clock) is handed
// in, so the decisions and the copying can be run on any folders.
namespace kestrel::LegacyImport {

// The marker file in the data folder; present once an import has completed.
inline constexpr std::string_view markerName = "legacy-import.json";

// The previous build's data folder and preferences file, relative to the home folder.
std::filesystem::path sourceFolderPath();
std::filesystem::path sourcePreferencesPath();
std::filesystem::path sourceFolder(const std::filesystem::path& home);
std::filesystem::path sourcePreferences(const std::filesystem::path& home);

// The settings in a preferences file (a JSON object of stored values, as the previous build
// kept them); absent when the file cannot be read or holds no JSON object. Members that hold
// no setting value are left out.
std::optional<SettingValues> readPreferences(const std::filesystem::path& file);

// What listing the old folder showed.
struct Probe {
  struct Readable {
    bool operator==(const Readable&) const = default;
  };
  struct Missing {
    bool operator==(const Missing&) const = default;
  };
  struct Denied {
    bool operator==(const Denied&) const = default;
  };
  struct Failed {
    std::string text;  // "errno <code>"
    bool operator==(const Failed&) const = default;
  };
  std::variant<Readable, Missing, Denied, Failed> value;

  bool operator==(const Probe&) const = default;
};

// What a failed listing means: ENOENT is missing, EACCES and EPERM denied, anything else failed
// with "errno <code>".
Probe probeOfError(int error);

// Lists the folder: readable when that works, else probeOfError of its errno.
Probe probe(const std::filesystem::path& folder);

// Why the import did not run.
enum class SkipReason { noWriteMode, done, testCopy, noEntitlement, noSource };

}  // namespace kestrel::LegacyImport

namespace kestrel {
template <>
struct EnumTexts<LegacyImport::SkipReason> {
  using R = LegacyImport::SkipReason;
  static constexpr std::array table{std::pair{R::noWriteMode, std::string_view{"no_write_mode"}},
                                    std::pair{R::done, std::string_view{"done"}},
                                    std::pair{R::testCopy, std::string_view{"test_copy"}},
                                    std::pair{R::noEntitlement, std::string_view{"no_entitlement"}},
                                    std::pair{R::noSource, std::string_view{"no_source"}}};
};
}  // namespace kestrel

namespace kestrel::LegacyImport {

// The first steps of a run: skip it, report the probe's failure, or import.
struct Decision {
  struct Skip {
    SkipReason reason;
    bool operator==(const Skip&) const = default;
  };
  struct Failed {
    std::string file;
    bool operator==(const Failed&) const = default;
  };
  struct Denied {
    bool operator==(const Denied&) const = default;
  };
  struct ImportNow {
    bool operator==(const ImportNow&) const = default;
  };
  std::variant<Skip, Failed, Denied, ImportNow> value;

  bool operator==(const Decision&) const = default;
};

// What was copied (or would be, in a dry run).
struct Counts {
  std::int64_t baselines = 0;
  std::int64_t state = 0;
  std::int64_t logs = 0;
  std::int64_t merged = 0;
  std::int64_t pictures = 0;
  std::int64_t settings = 0;

  // "baselines=1 state=0 logs=1 merged=1 pictures=3 settings=2".
  std::string fields() const;

  bool operator==(const Counts&) const = default;
};

void to_json(Json& j, const Counts& v);
void from_json(const Json& j, Counts& v);

// How a run ended.
struct Outcome {
  struct Skipped {
    SkipReason reason;
    bool operator==(const Skipped&) const = default;
  };
  struct Failed {
    std::string file;
    bool operator==(const Failed&) const = default;
  };
  struct Copied {
    Counts counts;
    std::int64_t ms = 0;
    bool operator==(const Copied&) const = default;
  };
  struct DryRun {
    Counts counts;
    bool operator==(const DryRun&) const = default;
  };
  struct Denied {
    bool operator==(const Denied&) const = default;
  };
  std::variant<Skipped, Failed, Copied, DryRun, Denied> value;

  // The one line the application logs for the run, such as "legacy import skipped reason=done".
  std::string logLine() const;

  bool operator==(const Outcome&) const = default;
};

// A file step that failed; `file` is the path relative to the folders ("." for the folder).
struct IOFailure : std::runtime_error {
  explicit IOFailure(std::string file);
  std::string file;
};

// The content of the marker file.
struct Marker {
  std::string at;  // the moment of the import, "2026-01-05T09:00:00Z"
  Counts copied;

  bool operator==(const Marker&) const = default;
};

void to_json(Json& j, const Marker& v);
void from_json(const Json& j, Marker& v);

using ProbeFolder = std::function<Probe(const std::filesystem::path&)>;
// The previous build's preferences; absent when there are none or they cannot be read.
using ReadOldSettings = std::function<std::optional<SettingValues>()>;
// The keys the current preferences hold.
using ExistingSettingKeys = std::function<std::set<std::string, std::less<>>()>;
// Stores settings into the current preferences; may throw.
using WriteSettings = std::function<void(const SettingValues&)>;
using Now = std::function<Instant()>;

// The first steps of a run, in order: no writing of logs and state, the marker, a copy
// running under another id than this build's, no access to the old folder, then the probe
// (only asked for when every earlier step passed).
Decision decide(bool writesLogAndState, bool markerExists, std::string_view bundleIdentifier, bool hasEntitlement,
                const std::function<Probe()>& probe);
// The dry run's steps: the access and the probe only.
Decision decideDryRun(bool hasEntitlement, const std::function<Probe()>& probe);

// The settings to take over: of the nine stored keys, those that the current preferences
// lack and the old ones hold with a value the settings model stores back unchanged.
SettingValues settings(const SettingValues& old, const std::set<std::string, std::less<>>& existingKeys);

// The bytes of an old "state.json" with the start-at-login offer to be made again: a state
// of the current schema comes back indented with sorted keys and loginItemOffered false;
// anything else comes back unchanged.
std::string resetLoginItem(const std::string& bytes);

// Copies what the destination lacks and merges day logs that both folders hold (the old
// lines first, unless the destination already begins with them). Writes are atomic and
// create missing folders; nothing is deleted or replaced except a merged day log. A dry run
// reads and compares the same way and counts, but writes nothing. `settings` stays 0.
// Throws IOFailure naming the failing file.
Counts copyFiles(const std::filesystem::path& source, const std::filesystem::path& destination, bool dryRun);

// The whole import as the application runs it at every start. `now` is read at the start
// and when the marker is written; `ms` is the whole milliseconds between the two.
Outcome launch(bool writesLogAndState, std::string_view bundleIdentifier, bool hasEntitlement,
               const std::filesystem::path& source, const std::filesystem::path& destination,
               const ProbeFolder& probe, const ReadOldSettings& readOldSettings,
               const ExistingSettingKeys& existingSettingKeys, const WriteSettings& writeSettings, const Now& now);

// What the import would copy, without writing anything.
Outcome dryRun(bool hasEntitlement, const std::filesystem::path& source, const std::filesystem::path& destination,
               const ProbeFolder& probe, const ReadOldSettings& readOldSettings,
               const ExistingSettingKeys& existingSettingKeys);

}  // namespace kestrel::LegacyImport
