#include "core/import/legacy_import.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <system_error>
#include <vector>

#include "core/launch/app_info.hpp"
#include "core/settings/app_settings.hpp"
#include "core/log/app_state.hpp"
#include "core/base/file_io.hpp"
#include "core/base/json_text.hpp"
#include "core/log/log_clock.hpp"
#include "core/pictures/picture_store.hpp"

namespace kestrel::LegacyImport {

namespace fs = std::filesystem;

fs::path sourceFolderPath() {
  return fs::path(".var/app") / std::string(AppInfo::legacyBundleIdentifier) / "data/Larkspur";
}

fs::path sourcePreferencesPath() {
  return fs::path(".var/app") / std::string(AppInfo::legacyBundleIdentifier) / "config/Larkspur/settings.json";
}

fs::path sourceFolder(const fs::path& home) { return home / sourceFolderPath(); }

fs::path sourcePreferences(const fs::path& home) { return home / sourcePreferencesPath(); }

std::optional<SettingValues> readPreferences(const fs::path& file) {
  const auto text = readFile(file);
  if (!text) return std::nullopt;
  const auto json = parseJson(*text);
  if (!json || !json->is_object()) return std::nullopt;
  return settingValuesFromJson(*json);
}

Probe probeOfError(int error) {
  if (error == ENOENT) return {Probe::Missing{}};
  if (error == EACCES || error == EPERM) return {Probe::Denied{}};
  return {Probe::Failed{"errno " + std::to_string(error)}};
}

Probe probe(const fs::path& folder) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
  }
  if (error) return probeOfError(error.value());
  return {Probe::Readable{}};
}

std::string Counts::fields() const {
  return "baselines=" + std::to_string(baselines) + " state=" + std::to_string(state) +
         " logs=" + std::to_string(logs) + " merged=" + std::to_string(merged) +
         " pictures=" + std::to_string(pictures) + " settings=" + std::to_string(settings);
}

void to_json(Json& j, const Counts& v) {
  j = Json{{"baselines", v.baselines}, {"state", v.state},       {"logs", v.logs},
           {"merged", v.merged},       {"pictures", v.pictures}, {"settings", v.settings}};
}

void from_json(const Json& j, Counts& v) {
  using namespace json_io;
  v = {count(j, "baselines"), count(j, "state"),    count(j, "logs"),
       count(j, "merged"),    count(j, "pictures"), count(j, "settings")};
}

void to_json(Json& j, const Marker& v) { j = Json{{"at", v.at}, {"copied", v.copied}}; }

void from_json(const Json& j, Marker& v) {
  v = {json_io::text(j, "at"), json_io::object<Counts>(j, "copied")};
}

std::string Outcome::logLine() const {
  struct Line {
    std::string operator()(const Skipped& o) const {
      return "legacy import skipped reason=" + std::string(toText(o.reason));
    }
    std::string operator()(const Failed& o) const { return "legacy import failed reason=io file=" + o.file; }
    std::string operator()(const Copied& o) const {
      return "legacy import copied " + o.counts.fields() + " ms=" + std::to_string(o.ms);
    }
    std::string operator()(const DryRun& o) const { return "legacy import dry-run " + o.counts.fields(); }
    std::string operator()(const Denied&) const { return "legacy import failed reason=denied"; }
  };
  return std::visit(Line{}, value);
}

IOFailure::IOFailure(std::string file_) : std::runtime_error("cannot copy " + file_), file(std::move(file_)) {}

namespace {

Decision decideProbe(const std::function<Probe()>& probe) {
  struct Meaning {
    Decision operator()(const Probe::Readable&) const { return {Decision::ImportNow{}}; }
    Decision operator()(const Probe::Missing&) const { return {Decision::Skip{SkipReason::noSource}}; }
    Decision operator()(const Probe::Denied&) const { return {Decision::Denied{}}; }
    Decision operator()(const Probe::Failed&) const { return {Decision::Failed{"."}}; }
  };
  return std::visit(Meaning{}, probe().value);
}

}  // namespace

Decision decide(bool writesLogAndState, bool markerExists, std::string_view bundleIdentifier, bool hasEntitlement,
                const std::function<Probe()>& probe) {
  if (!writesLogAndState) return {Decision::Skip{SkipReason::noWriteMode}};
  if (markerExists) return {Decision::Skip{SkipReason::done}};
  if (bundleIdentifier != AppInfo::bundleIdentifier) return {Decision::Skip{SkipReason::testCopy}};
  return decideDryRun(hasEntitlement, probe);
}

Decision decideDryRun(bool hasEntitlement, const std::function<Probe()>& probe) {
  if (!hasEntitlement) return {Decision::Skip{SkipReason::noEntitlement}};
  return decideProbe(probe);
}

SettingValues settings(const SettingValues& old, const std::set<std::string, std::less<>>& existingKeys) {
  SettingValues chosen;
  for (const std::string_view key : AppSettings::allKeys) {
    if (existingKeys.contains(key)) continue;
    const auto value = old.find(key);
    if (value == old.end()) continue;
    const SettingValues single{{std::string(key), value->second}};
    const SettingValues stored = AppSettings::fromValues(single).rawValues();
    const auto storedValue = stored.find(key);
    if (storedValue != stored.end() && storedValue->second == value->second) chosen.insert(*value);
  }
  return chosen;
}

std::string resetLoginItem(const std::string& bytes) {
  auto state = decodeText<AppState>(bytes);
  if (!state || state->schema != AppState::currentSchema) return bytes;
  state->loginItemOffered = false;
  try {
    return indentedJSON(Json(*state));
  } catch (const std::exception&) {
    return bytes;
  }
}

namespace {

struct Entry {
  std::string name;
  bool isFolder = false;
};

// The visible entries of a folder (names not beginning with "."), by name; absent when the
// folder does not exist. Any other failure to list it is an IOFailure of `relative`.
std::optional<std::vector<Entry>> visibleEntries(const fs::path& folder, const std::string& relative) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) {
    if (error.value() == ENOENT) return std::nullopt;
    throw IOFailure(relative);
  }
  std::vector<Entry> entries;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) throw IOFailure(relative);
    std::string name = it->path().filename().string();
    if (name.starts_with('.')) continue;
    std::error_code kindError;
    const bool isFolder = it->is_directory(kindError);
    entries.push_back({std::move(name), isFolder && !kindError});
  }
  if (error) throw IOFailure(relative);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

// Whether anything lies at the path; a path that cannot be examined is an IOFailure.
bool exists(const fs::path& path, const std::string& relative) {
  std::error_code error;
  const auto status = fs::symlink_status(path, error);
  if (status.type() == fs::file_type::not_found) return false;
  if (error) throw IOFailure(relative);
  return true;
}

std::string read(const fs::path& path, const std::string& relative) {
  auto bytes = readFile(path);
  if (!bytes) throw IOFailure(relative);
  return std::move(*bytes);
}

void write(const fs::path& path, std::string_view bytes, const std::string& relative) {
  try {
    fs::create_directories(path.parent_path());
    writeFileAtomically(path, bytes);
  } catch (const std::exception&) {
    throw IOFailure(relative);
  }
}

// Copies one file that the destination lacks; 1 when copied (or to be copied), else 0.
std::int64_t copyIfAbsent(const fs::path& source, const fs::path& destination, const std::string& relative,
                          bool dryRun, const std::function<std::string(std::string)>& transform = {}) {
  if (!exists(source / relative, relative) || exists(destination / relative, relative)) return 0;
  std::string bytes = read(source / relative, relative);
  if (transform) bytes = transform(std::move(bytes));
  if (!dryRun) write(destination / relative, bytes, relative);
  return 1;
}

void copyLogs(const fs::path& source, const fs::path& destination, bool dryRun, Counts& counts) {
  const auto entries = visibleEntries(source / "logs", "logs");
  if (!entries) return;
  for (const Entry& entry : *entries) {
    if (entry.isFolder) continue;
    const std::string relative = "logs/" + entry.name;
    const std::string old = read(source / relative, relative);
    if (!exists(destination / relative, relative)) {
      if (!dryRun) write(destination / relative, old, relative);
      ++counts.logs;
      continue;
    }
    const std::string current = read(destination / relative, relative);
    if (current.starts_with(old)) continue;  // merged by an earlier run
    if (!dryRun) write(destination / relative, old + current, relative);
    ++counts.merged;
  }
}

void copyPictures(const fs::path& source, const fs::path& destination, bool dryRun, Counts& counts) {
  const auto days = visibleEntries(source / "pictures", "pictures");
  if (!days) return;
  for (const Entry& day : *days) {
    if (!day.isFolder) continue;
    const std::string dayRelative = "pictures/" + day.name;
    const auto files = visibleEntries(source / dayRelative, dayRelative);
    if (!files) continue;
    for (const Entry& file : *files) {
      if (file.isFolder) continue;
      counts.pictures += copyIfAbsent(source, destination, dayRelative + "/" + file.name, dryRun);
    }
  }
}

}  // namespace

Counts copyFiles(const fs::path& source, const fs::path& destination, bool dryRun) {
  if (!dryRun) {
    std::error_code error;
    fs::create_directories(destination, error);
    if (error) throw IOFailure(".");
  }
  Counts counts;
  counts.baselines = copyIfAbsent(source, destination, "baselines.json", dryRun);
  counts.state = copyIfAbsent(source, destination, "state.json", dryRun, resetLoginItem);
  copyLogs(source, destination, dryRun, counts);
  copyPictures(source, destination, dryRun, counts);
  if (!dryRun && counts.pictures > 0) excludeFromBackups(destination / "pictures");
  return counts;
}

namespace {

bool markerExists(const fs::path& destination) {
  std::error_code error;
  return fs::symlink_status(destination / markerName, error).type() != fs::file_type::not_found && !error;
}

std::int64_t chooseSettings(const ReadOldSettings& readOldSettings, const ExistingSettingKeys& existingSettingKeys,
                            const WriteSettings* writeSettings) {
  const SettingValues old = readOldSettings().value_or(SettingValues{});
  const SettingValues chosen = settings(old, existingSettingKeys());
  if (writeSettings && !chosen.empty()) (*writeSettings)(chosen);
  return static_cast<std::int64_t>(chosen.size());
}

void writeMarker(const fs::path& destination, const Marker& marker) {
  try {
    writeJSON(Json(marker), destination / markerName);
  } catch (const std::exception&) {
    throw IOFailure(std::string(markerName));
  }
}

// The outcome of a decision other than importing; absent for importing.
std::optional<Outcome> outcomeWithoutImport(const Decision& decision) {
  if (const auto* skip = std::get_if<Decision::Skip>(&decision.value)) return Outcome{Outcome::Skipped{skip->reason}};
  if (const auto* failed = std::get_if<Decision::Failed>(&decision.value)) return Outcome{Outcome::Failed{failed->file}};
  if (std::holds_alternative<Decision::Denied>(decision.value)) return Outcome{Outcome::Denied{}};
  return std::nullopt;
}

// The moment as an internet date-time in UTC, "2026-01-05T09:00:00Z".
std::string utcStamp(Instant at) { return LogClock{Calendar::utc()}.stamp(at); }

}  // namespace

Outcome launch(bool writesLogAndState, std::string_view bundleIdentifier, bool hasEntitlement,
               const fs::path& source, const fs::path& destination, const ProbeFolder& probe,
               const ReadOldSettings& readOldSettings, const ExistingSettingKeys& existingSettingKeys,
               const WriteSettings& writeSettings, const Now& now) {
  const Instant start = now();
  const Decision first = decide(writesLogAndState, markerExists(destination), bundleIdentifier, hasEntitlement,
                                [&] { return probe(source); });
  if (const auto stop = outcomeWithoutImport(first)) return *stop;
  try {
    Counts counts = copyFiles(source, destination, false);
    counts.settings = chooseSettings(readOldSettings, existingSettingKeys, &writeSettings);
    const Instant end = now();
    writeMarker(destination, Marker{utcStamp(end), counts});
    return {Outcome::Copied{counts, static_cast<std::int64_t>(std::trunc((end - start) * 1000))}};
  } catch (const IOFailure& failure) {
    return {Outcome::Failed{failure.file}};
  } catch (const std::exception&) {
    return {Outcome::Failed{"."}};
  }
}

Outcome dryRun(bool hasEntitlement, const fs::path& source, const fs::path& destination, const ProbeFolder& probe,
               const ReadOldSettings& readOldSettings, const ExistingSettingKeys& existingSettingKeys) {
  const Decision first = decideDryRun(hasEntitlement, [&] { return probe(source); });
  if (const auto stop = outcomeWithoutImport(first)) return *stop;
  try {
    Counts counts = copyFiles(source, destination, true);
    counts.settings = chooseSettings(readOldSettings, existingSettingKeys, nullptr);
    return {Outcome::DryRun{counts}};
  } catch (const IOFailure& failure) {
    return {Outcome::Failed{failure.file}};
  } catch (const std::exception&) {
    return {Outcome::Failed{"."}};
  }
}

}  // namespace kestrel::LegacyImport
