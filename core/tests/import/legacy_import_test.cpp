#include "core/import/legacy_import.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/launch/app_info.hpp"
#include "core/settings/app_settings.hpp"
#include "core/tests/support/temp_folder.hpp"

namespace kestrel::LegacyImport {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::runningAsRoot;
using testing::TempFolder;
using testing::writeBytes;

using Keys = std::set<std::string, std::less<>>;

const std::string ownId(AppInfo::bundleIdentifier);

Probe readable() { return {Probe::Readable{}}; }

TEST(LegacyImportPreferences, ReadAJSONObjectOfStoredValues) {
  TempFolder temp;
  writeBytes(temp / "settings.json", R"({"glowEnabled": false, "checkInterval": 30, "chimeSound": "bell",
                                         "nested": {"a": 1}, "none": null})");
  writeBytes(temp / "array.json", "[1]");
  writeBytes(temp / "garbage.json", "{\"glowEnabled\": fal");
  EXPECT_EQ(readPreferences(temp / "settings.json"),
            (SettingValues{{"glowEnabled", false}, {"checkInterval", std::int64_t{30}}, {"chimeSound", std::string("bell")}}));
  EXPECT_EQ(readPreferences(temp / "array.json"), std::nullopt);
  EXPECT_EQ(readPreferences(temp / "garbage.json"), std::nullopt);
  EXPECT_EQ(readPreferences(temp / "missing.json"), std::nullopt);
}

TEST(LegacyImportProbe, ListsRealFoldersAndMapsTheErrnoOfTheListing) {
  const std::vector<std::pair<int, Probe>> cases{
      {ENOENT, {Probe::Missing{}}}, {EACCES, {Probe::Denied{}}}, {EPERM, {Probe::Denied{}}}, {EIO, {Probe::Failed{"errno 5"}}}};
  for (const auto& [error, expected] : cases) EXPECT_EQ(probeOfError(error), expected) << error;
  TempFolder temp;
  writeBytes(temp / "file", "x");
  EXPECT_EQ(probe(temp.path()), Probe{Probe::Readable{}});
  EXPECT_EQ(probe(temp / "absent" / "deeper"), Probe{Probe::Missing{}});
  EXPECT_EQ(probe(temp / "file"), Probe{Probe::Failed{"errno 20"}});
}

TEST(LegacyImportProbe, AFolderWithoutPermissionIsDenied) {
  if (runningAsRoot()) GTEST_SKIP() << "permissions do not apply to root";
  TempFolder temp;
  fs::create_directory(temp / "locked");
  fs::permissions(temp / "locked", fs::perms::none);
  EXPECT_EQ(probe(temp / "locked"), Probe{Probe::Denied{}});
}

TEST(LegacyImportDecide, TakesTheFirstStepThatApplies) {
  struct Case {
    bool writes;
    bool marker;
    std::string id;
    bool entitled;
    Probe probe;
    Decision expected;
    bool probes;
  };
  const std::vector<Case> cases{
      {false, true, "other.e2e", false, {Probe::Missing{}}, {Decision::Skip{SkipReason::noWriteMode}}, false},
      {true, true, "other.e2e", false, {Probe::Missing{}}, {Decision::Skip{SkipReason::done}}, false},
      {true, false, "other.e2e", false, {Probe::Missing{}}, {Decision::Skip{SkipReason::testCopy}}, false},
      {true, false, ownId, false, {Probe::Readable{}}, {Decision::Skip{SkipReason::noEntitlement}}, false},
      {true, false, ownId, true, {Probe::Missing{}}, {Decision::Skip{SkipReason::noSource}}, true},
      {true, false, ownId, true, {Probe::Denied{}}, {Decision::Denied{}}, true},
      {true, false, ownId, true, {Probe::Failed{"errno 5"}}, {Decision::Failed{"."}}, true},
      {true, false, ownId, true, {Probe::Readable{}}, {Decision::ImportNow{}}, true},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    int probes = 0;
    const auto result = decide(c.writes, c.marker, c.id, c.entitled, [&] {
      ++probes;
      return c.probe;
    });
    EXPECT_EQ(result, c.expected) << i;
    EXPECT_EQ(probes, c.probes ? 1 : 0) << i;
  }
  // The dry run checks only access and the probe.
  EXPECT_EQ(decideDryRun(false, readable), Decision{Decision::Skip{SkipReason::noEntitlement}});
  EXPECT_EQ(decideDryRun(true, readable), Decision{Decision::ImportNow{}});
  EXPECT_EQ(decideDryRun(true, [] { return Probe{Probe::Missing{}}; }), Decision{Decision::Skip{SkipReason::noSource}});
}

// The copied, failed, dry-run, done and no-source lines are the launch tests' own.
TEST(LegacyImportLines, SayWhatHappened) {
  const std::vector<std::pair<Outcome, std::string>> cases{
      {Outcome{Outcome::Skipped{SkipReason::noWriteMode}}, "legacy import skipped reason=no_write_mode"},
      {Outcome{Outcome::Denied{}}, "legacy import failed reason=denied"},
  };
  for (const auto& [o, line] : cases) EXPECT_EQ(o.logLine(), line);
}

TEST(LegacyImportSettings, TakesOnlyValuesStoredBackUnchangedAndNeverOverwrites) {
  const SettingValues old{
      {"sensitivity", std::string("strict")},
      {"chimeEnabled", false},
      {"keepPhotos", false},                     // already chosen here
      {"chimeDelay", std::int64_t{30}},
      {"chimeSound", std::string("bell")},       // already chosen here
      {"cameraBetweenChecks", std::string("off")},
      {"somethingElse", true},
      {"pictureRetentionDays", std::int64_t{7}},  // the default, and an offered retention
      {"glowEnabled", true},                      // the default
  };
  const SettingValues expected{
      {"sensitivity", std::string("strict")},
      {"chimeEnabled", false},
      {"chimeDelay", std::int64_t{30}},
      {"cameraBetweenChecks", std::string("off")},
      {"pictureRetentionDays", std::int64_t{7}},
      {"glowEnabled", true},
  };
  EXPECT_EQ(settings(old, Keys{"keepPhotos", "chimeSound"}), expected);
  // Wrong kinds, choices the model does not offer and unsafe sound names stay behind.
  EXPECT_EQ(settings({{"glowEnabled", std::int64_t{1}}, {"checkInterval", std::int64_t{45}},
                      {"pictureRetentionDays", std::int64_t{14}}, {"chimeSound", std::string("../escape")}},
                     {}),
            SettingValues{});
  Keys all;
  for (const std::string_view key : AppSettings::allKeys) all.emplace(key);
  EXPECT_EQ(settings(old, all), SettingValues{});
}

TEST(LegacyImportState, ResetsTheLoginItemOfferOrKeepsTheBytes) {
  const std::string offered =
      R"({"schema":1,"pausedIndefinitely":true,"wrongTaps":{"2026-1-5-head":2},"loginItemOffered":true})";
  EXPECT_EQ(resetLoginItem(offered),
            "{\n  \"loginItemOffered\": false,\n  \"pausedIndefinitely\": true,\n  \"schema\": 1,\n"
            "  \"wrongTaps\": {\n    \"2026-1-5-head\": 2\n  }\n}");
  for (const std::string& bytes : {std::string("not json \x01\xff"),
                                  std::string(R"({"schema":2,"pausedIndefinitely":true,"wrongTaps":{},"loginItemOffered":true})"),
                                  std::string(R"({"schema":1,"pausedIndefinitely":true,"wrongTaps":{}})")}) {
    EXPECT_EQ(resetLoginItem(bytes), bytes);
  }
}

// An old data folder and a current one on disk.
struct Folders {
  TempFolder temp;
  fs::path source = temp / "old";
  fs::path destination = temp / "new";

  void old(const std::string& relative, const std::string& bytes) const { writeBytes(source / relative, bytes); }
  void current(const std::string& relative, const std::string& bytes) const {
    writeBytes(destination / relative, bytes);
  }
  std::string copied(const std::string& relative) const { return readBytes(destination / relative).value_or("<none>"); }
};

using Files = std::map<std::string, std::string>;

// Every file below `folder` by its path from there; of a CACHEDIR.TAG only the first line.
Files files(const fs::path& folder) {
  Files all;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error); it != fs::recursive_directory_iterator(); ++it) {
    if (!it->is_regular_file()) continue;
    std::string bytes = readBytes(it->path()).value_or("<unreadable>");
    if (it->path().filename() == "CACHEDIR.TAG") bytes = bytes.substr(0, bytes.find('\n'));
    all[fs::relative(it->path(), folder).string()] = bytes;
  }
  return all;
}

const std::string tag = "Signature: 8a477f597d28d172789f06886806bc55";

TEST(LegacyImportCopy, CopiesWhatIsMissingAndMergesDaysLoggedInBothPlaces) {
  const Files forDryRuns{{"baselines.json", "b"},
                         {"state.json", "s"},
                         {"logs/2026-01-05.jsonl", "old\n"},
                         {"logs/2026-01-06.jsonl", "old 6\n"},
                         {"pictures/2026-01-05/a.json", "a"}};
  struct Case {
    const char* name;
    Files old;
    Files current;
    bool dryRun;
    Counts counts;
    Files after;
  };
  const Case cases[] = {
      {"hidden files, folders among the logs and folders not named as days stay behind",
       {{"baselines.json", "old baselines"},
        {"state.json", "undecodable state"},
        {"logs/2026-01-04.jsonl", "a\n"},
        {"logs/2026-01-05.jsonl", "old 5\n"},
        {"logs/.2026-01-06.jsonl.tmp", "hidden\n"},
        {"logs/notes/inner.jsonl", "in a folder\n"},
        {"pictures/2026-01-04/a.json", "record a"},
        {"pictures/2026-01-04/a.lsphoto", "photo a"},
        {"pictures/2026-01-04/.partial", "hidden"},
        {"pictures/2026-01-05/b.json", "record b"},
        {"pictures/2026-01-05/c.json", "record c"},
        {"pictures/.trash/d.json", "hidden day"},
        {"pictures/CACHEDIR.TAG", "not a day"}},
       {{"baselines.json", "current baselines"},
        {"logs/2026-01-05.jsonl", "current 5\n"},
        {"pictures/2026-01-05/b.json", "current record b"}},
       false,
       {0, 1, 1, 1, 3, 0},
       {{"baselines.json", "current baselines"},
        {"state.json", "undecodable state"},
        {"logs/2026-01-04.jsonl", "a\n"},
        {"logs/2026-01-05.jsonl", "old 5\ncurrent 5\n"},
        {"pictures/2026-01-04/a.json", "record a"},
        {"pictures/2026-01-04/a.lsphoto", "photo a"},
        {"pictures/2026-01-05/b.json", "current record b"},
        {"pictures/2026-01-05/c.json", "record c"},
        {"pictures/CACHEDIR.TAG", tag}}},
      {"a decodable state arrives with the offer reset",
       {{"state.json", R"({"schema":1,"pausedIndefinitely":false,"wrongTaps":{},"loginItemOffered":true})"}},
       {},
       false,
       {0, 1, 0, 0, 0, 0},
       {{"state.json", "{\n  \"loginItemOffered\": false,\n  \"pausedIndefinitely\": false,\n  \"schema\": 1,\n"
                       "  \"wrongTaps\": {}\n}"}}},
      {"an empty old folder copies nothing and leaves no pictures tag", {}, {}, false, {}, {}},
      {"a dry run counts and writes nothing", forDryRuns, {}, true, {1, 1, 2, 0, 1, 0}, {}},
      {"a dry run counts a day to merge", forDryRuns, {{"logs/2026-01-05.jsonl", "current\n"}}, true, {1, 1, 1, 1, 1, 0},
       {{"logs/2026-01-05.jsonl", "current\n"}}},
  };
  for (const auto& c : cases) {
    Folders f;
    fs::create_directories(f.source);
    for (const auto& [path, bytes] : c.old) f.old(path, bytes);
    for (const auto& [path, bytes] : c.current) f.current(path, bytes);
    EXPECT_EQ(copyFiles(f.source, f.destination, c.dryRun), c.counts) << c.name;
    EXPECT_EQ(files(f.destination), c.after) << c.name;
    if (c.dryRun) continue;
    EXPECT_TRUE(fs::is_directory(f.destination)) << c.name;
    // A second copy finds everything in place: a merged day already begins with the old lines.
    EXPECT_EQ(copyFiles(f.source, f.destination, false), Counts{}) << c.name;
    EXPECT_EQ(files(f.destination), c.after) << c.name;
  }
}

TEST(LegacyImportCopy, NamesTheFileThatFailed) {
  struct Case {
    std::string name;
    std::function<void(const Folders&)> arrange;
    std::string file;
  };
  const std::vector<Case> cases{
      {"destination is a file", [](const Folders& f) { writeBytes(f.destination, "x"); }, "."},
      {"baselines is a folder in the source",
       [](const Folders& f) { fs::create_directories(f.source / "baselines.json"); }, "baselines.json"},
      {"old log is unreadable",
       [](const Folders& f) { fs::create_directories(f.source / "logs"); fs::create_symlink("/nonexistent/x", f.source / "logs/2026-01-05.jsonl"); },
       "logs/2026-01-05.jsonl"},
      {"current log is a folder",
       [](const Folders& f) {
         f.old("logs/2026-01-05.jsonl", "old\n");
         fs::create_directories(f.destination / "logs/2026-01-05.jsonl");
       },
       "logs/2026-01-05.jsonl"},
      {"day folder of pictures cannot be written",
       [](const Folders& f) {
         f.old("pictures/2026-01-05/a.json", "a");
         f.current("pictures/2026-01-05", "a file where the day folder belongs");
       },
       "pictures/2026-01-05/a.json"},
  };
  for (const Case& c : cases) {
    Folders f;
    fs::create_directories(f.source);
    c.arrange(f);
    try {
      copyFiles(f.source, f.destination, false);
      ADD_FAILURE() << c.name << ": no failure";
    } catch (const IOFailure& failure) {
      EXPECT_EQ(failure.file, c.file) << c.name;
    }
  }
}

TEST(LegacyImportCopy, AnUnlistableDayFolderIsNamed) {
  if (runningAsRoot()) GTEST_SKIP() << "permissions do not apply to root";
  Folders f;
  f.old("pictures/2026-01-05/a.json", "a");
  fs::permissions(f.source / "pictures/2026-01-05", fs::perms::none);
  try {
    copyFiles(f.source, f.destination, false);
    ADD_FAILURE() << "no failure";
  } catch (const IOFailure& failure) {
    EXPECT_EQ(failure.file, "pictures/2026-01-05");
  }
}

// The functions the application hands in, recording what was asked of them.
struct Platform {
  std::optional<SettingValues> oldSettings;
  Keys existing;
  std::vector<SettingValues> written;
  std::vector<Instant> clock{1000.0, 1000.0429};
  std::size_t reads = 0;
  int probes = 0;

  Outcome launch(const Folders& f, std::string_view id = AppInfo::bundleIdentifier, bool writes = true) {
    std::size_t tick = 0;
    return LegacyImport::launch(
        writes, id, true, f.source, f.destination,
        [this](const fs::path& folder) {
          ++probes;
          return probe(folder);
        },
        [this] {
          ++reads;
          return oldSettings;
        },
        [this] { return existing; }, [this](const SettingValues& values) { written.push_back(values); },
        [this, tick]() mutable { return clock[std::min(tick++, clock.size() - 1)]; });
  }
};

TEST(LegacyImportLaunch, ImportsOnceAndWritesTheMarker) {
  Folders f;
  f.old("baselines.json", "b");
  f.old("logs/2026-01-04.jsonl", "a\n");
  f.old("logs/2026-01-05.jsonl", "old\n");
  f.current("logs/2026-01-05.jsonl", "current\n");
  for (const char* name : {"a.json", "b.json", "c.json"}) f.old(std::string("pictures/2026-01-05/") + name, name);
  Platform platform;
  platform.clock = {1767603600.0, 1767603600.0429};
  platform.oldSettings = SettingValues{{"pictureRetentionDays", std::int64_t{14}},
                                       {"chimeSound", std::string("bell")},
                                       {"glowEnabled", false},
                                       {"chimeDelay", std::int64_t{0}}};
  platform.existing = {"chimeSound"};

  const Outcome first = platform.launch(f);
  EXPECT_EQ(first.logLine(), "legacy import copied baselines=1 state=0 logs=1 merged=1 pictures=3 settings=2 ms=42");
  ASSERT_EQ(platform.written.size(), 1u);
  EXPECT_EQ(platform.written[0], (SettingValues{{"glowEnabled", false}, {"chimeDelay", std::int64_t{0}}}));
  const auto marker = decodeText<Marker>(f.copied("legacy-import.json"));
  ASSERT_TRUE(marker);
  EXPECT_EQ(*marker, (Marker{"2026-01-05T09:00:00Z", Counts{1, 0, 1, 1, 3, 2}}));
  EXPECT_EQ(f.copied("legacy-import.json"),
            "{\n  \"at\": \"2026-01-05T09:00:00Z\",\n  \"copied\": {\n    \"baselines\": 1,\n    \"logs\": 1,\n"
            "    \"merged\": 1,\n    \"pictures\": 3,\n    \"settings\": 2,\n    \"state\": 0\n  }\n}");

  const Outcome second = platform.launch(f);
  EXPECT_EQ(second.logLine(), "legacy import skipped reason=done");
  EXPECT_EQ(platform.probes, 1);
  EXPECT_EQ(platform.written.size(), 1u);
}

TEST(LegacyImportLaunch, SkipsWithoutReadingAnythingWhenItMayNotRun) {
  Folders f;
  f.old("baselines.json", "b");
  Platform platform;
  EXPECT_EQ(platform.launch(f, "io.github.kestrel.Kestrel.e2e"), Outcome{Outcome::Skipped{SkipReason::testCopy}});
  EXPECT_EQ(platform.launch(f, AppInfo::bundleIdentifier, false), Outcome{Outcome::Skipped{SkipReason::noWriteMode}});
  EXPECT_EQ(platform.probes, 0);
  EXPECT_EQ(platform.reads, 0u);
  EXPECT_FALSE(fs::exists(f.destination));

  Folders none;
  EXPECT_EQ(platform.launch(none).logLine(), "legacy import skipped reason=no_source");
  EXPECT_FALSE(fs::exists(none.destination));
}

TEST(LegacyImportLaunch, AFailureKeepsWhatWasCopiedAndTriesAgainNextTime) {
  Folders f;
  f.old("baselines.json", "b");
  f.old("logs", "a file where the folder belongs");
  Platform platform;
  EXPECT_EQ(platform.launch(f).logLine(), "legacy import failed reason=io file=logs");
  EXPECT_EQ(f.copied("baselines.json"), "b");
  EXPECT_FALSE(fs::exists(f.destination / markerName));

  fs::remove(f.source / "logs");
  EXPECT_EQ(platform.launch(f).logLine(),
            "legacy import copied baselines=0 state=0 logs=0 merged=0 pictures=0 settings=0 ms=42");
  EXPECT_TRUE(fs::exists(f.destination / markerName));
}

TEST(LegacyImportLaunch, AFailingSettingsWriterFailsTheRunWithoutAMarker) {
  Folders f;
  fs::create_directories(f.source);
  const auto outcome = LegacyImport::launch(
      true, AppInfo::bundleIdentifier, true, f.source, f.destination, probe,
      [] { return SettingValues{{"glowEnabled", false}}; }, [] { return Keys{}; },
      [](const SettingValues&) { throw std::runtime_error("read-only preferences"); }, [] { return 0.0; });
  EXPECT_EQ(outcome, Outcome{Outcome::Failed{"."}});
  EXPECT_FALSE(fs::exists(f.destination / markerName));
}

TEST(LegacyImportDryRun, CountsFilesAndSettingsWithoutWriting) {
  Folders f;
  f.old("state.json", "s");
  f.old("logs/2026-01-05.jsonl", "old\n");
  std::size_t reads = 0;
  const auto outcome = dryRun(
      true, f.source, f.destination, probe,
      [&] {
        ++reads;
        return std::optional(SettingValues{{"glowEnabled", false}, {"keepPhotos", false}});
      },
      [] { return Keys{"keepPhotos"}; });
  EXPECT_EQ(outcome.logLine(), "legacy import dry-run baselines=0 state=1 logs=1 merged=0 pictures=0 settings=1");
  EXPECT_EQ(reads, 1u);
  EXPECT_FALSE(fs::exists(f.destination));
  EXPECT_EQ(dryRun(false, f.source, f.destination, probe, [] { return std::nullopt; }, [] { return Keys{}; }),
            Outcome{Outcome::Skipped{SkipReason::noEntitlement}});
}

}  // namespace
}  // namespace kestrel::LegacyImport
