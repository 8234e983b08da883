// Runs the built kestrel-fixtures program on files made here and checks what it prints and writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/model/baseline.hpp"
#include "core/base/file_io.hpp"
#include "core/base/json_io.hpp"
#include "core/fixtures/skeleton_file.hpp"
#include "core/tests/support/posture_frames.hpp"
#include "core/tests/support/temp_folder.hpp"
#include "tools/kestrel-fixtures/tests/program.hpp"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::Finished;
using testing::TempFolder;
using testing::run;

// 107 s of frames four a second: too close for the first minute, then sitting well.
void writeSkeleton(const fs::path& path) {
  const SkeletonFile file{{SkeletonFile::currentSchema, std::string(64, 'a'), {{"faceRectangles", 1}}, "test"},
                          testing::badThenGoodFrames(107, 60)};
  writeJSON(Json(file), path);
}

// The folder of a replay's inputs and outputs.
struct Replay {
  TempFolder temp;
  std::string skeleton = (temp / "clip.skeleton.json").string();
  std::string baselines = (temp / "baselines.json").string();
  std::string settings = (temp / "settings.json").string();
  std::string data = (temp / "data").string();

  Replay() {
    writeSkeleton(skeleton);
    writeJSON(Json(testing::calibrationSet()), baselines);
    writeFileAtomically(settings, R"({"checkInterval": 15, "chimeEnabled": false, "unknown": [1]})");
  }

  // The replay command with every option, `changes` replacing or adding options.
  std::vector<std::string> arguments(const std::map<std::string, std::string>& changes = {}) const {
    std::map<std::string, std::string> options{
        {"--skeleton", skeleton}, {"--baselines", baselines}, {"--settings", settings}, {"--log-dir", data}};
    for (const auto& [option, value] : changes) options[option] = value;
    std::vector<std::string> all{"replay"};
    for (const auto& [option, value] : options) {
      all.push_back(option);
      all.push_back(value);
    }
    return all;
  }

  std::vector<Json> lines(const std::string& day) const {
    std::vector<Json> result;
    const std::string text = readFile(fs::path(data) / "logs" / (day + ".jsonl")).value_or("");
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
      result.push_back(Json::parse(text.substr(begin, end - begin)));
    }
    EXPECT_EQ(begin, text.size()) << "every line ends with a line feed";
    return result;
  }
};

TEST(KestrelFixturesReplay, WritesTheDayLogsNamedByEpochAndZoneThatTodayShows) {
  Replay replay;
  const Finished result = run(replay.temp, replay.arguments());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "replay checks=8 alerts=1\n");
  EXPECT_EQ(result.err, "");
  // Which lines come in which order is the replay's own test; here, that they reach the day
  // file and were judged with the calibration given.
  const auto lines = replay.lines("2026-01-05");
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[0]["t"], "2026-01-05T09:00:00Z");
  EXPECT_EQ(lines[4]["baselineId"], "set-1");
  EXPECT_EQ(lines[4]["head"]["verdict"], "BAD");

  // What the Today tab shows of that day, and of the next, where the replay wrote nothing.
  const Finished today = run(replay.temp, {"today", "--log-dir", replay.data, "--at", "2026-01-05T18:00:00Z"});
  EXPECT_EQ(today.status, 0) << today.err;
  EXPECT_EQ(today.out, "Today's score: 50 %\nTarget 80 %\n09:00  Too close to the screen · sit back · < 1 min\n");
  const Finished other = run(replay.temp, {"today", "--log-dir", replay.data, "--at", "2026-01-06T01:00:00+02:00",
                                           "--tz", "Europe/Athens"});
  EXPECT_EQ(other.status, 0) << other.err;
  EXPECT_EQ(other.out, "Today's score: —\nTarget 80 %\nNo alerts today.\n");

  Replay late;
  const Finished zoned =
      run(late.temp, late.arguments({{"--epoch", "2026-01-05T23:59:30+01:00"}, {"--tz", "Europe/Berlin"}}));
  ASSERT_EQ(zoned.status, 0) << zoned.err;
  // Checks at 23:59:30, 23:59:45, then the day changes at the third.
  const auto before = late.lines("2026-01-05");
  const auto after = late.lines("2026-01-06");
  ASSERT_EQ(before.size(), 3u);
  EXPECT_EQ(before[0]["t"], "2026-01-05T23:59:30+01:00");
  EXPECT_EQ(after.front()["t"], "2026-01-06T00:00:00+01:00");
  EXPECT_EQ(before.size() + after.size(), 11u);
}

TEST(KestrelFixturesArguments, BadArgumentsAndUnreadableFilesExitWithTwo) {
  Replay replay;
  writeFileAtomically(replay.temp / "garbage.json", "{\"header\":");
  writeFileAtomically(replay.temp / "array.json", "[1, 2]");
  const std::string missing = (replay.temp / "missing.json").string();
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<Case> cases{
      {{"replay", "--baselines", replay.baselines, "--log-dir", replay.data}, "--skeleton is required"},
      {replay.arguments({{"--skeleton", missing}}), "cannot read skeleton file " + missing},
      {replay.arguments({{"--skeleton", (replay.temp / "garbage.json").string()}}), "is not JSON"},
      {replay.arguments({{"--skeleton", replay.baselines}}), "is not a skeleton file"},
      {replay.arguments({{"--baselines", replay.skeleton}}), "is not a calibration"},
      {replay.arguments({{"--settings", (replay.temp / "array.json").string()}}), "is not a JSON object"},
      {replay.arguments({{"--epoch", "yesterday"}}), "--epoch: \"yesterday\" is not a date and time"},
      {replay.arguments({{"--tz", "Mars/Olympus"}}), "--tz: \"Mars/Olympus\" is not a time zone"},
      {replay.arguments({{"--end", "20"}}), "holds 2 checks; at least 3 are needed"},
      {{"today", "--log-dir", missing}, "is not a folder"},
      {{"status", "--index", replay.baselines}, "is not a video index"},
      {{"nonsense"}, "A subcommand is required"},
  };
  for (const Case& c : cases) {
    const Finished result = run(replay.temp, c.arguments);
    EXPECT_EQ(result.status, 2) << c.arguments[0] << " " << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "") << c.message;
  }
  EXPECT_FALSE(fs::exists(fs::path(replay.data) / "logs")) << "nothing is written after a bad argument";
}

std::string range(const std::string& video, const std::string& label, const std::string& expected, double start,
                  double end, std::size_t hashLength = 64) {
  return Json{{"video", video}, {"sha256", std::string(hashLength, 'b')}, {"label", label},
              {"expected", expected}, {"start", start}, {"end", end}}
      .dump();
}

TEST(KestrelFixturesIndex, ValidateListsEveryProblem) {
  TempFolder temp;
  const std::string index = (temp / "index.json").string();
  writeFileAtomically(index, R"({"schema": 2, "labels": [], "ranges": [)" +
                                 range("a.mov", "look up", "calibration", 0, 0, 63) + "," +
                                 range("a.mov", "chin on palm", "calibration", 5, 9) + "]}");
  const Finished bad = run(temp, {"validate", "--index", index});
  EXPECT_EQ(bad.status, 1) << bad.err;
  EXPECT_EQ(bad.out, "badRange(0)\nmissingHash(0)\nexpectationMismatch(1)\n");

  writeFileAtomically(index, R"({"schema": 2, "labels": [], "ranges": [)" +
                                 range("a.mov", "look up", "calibration", 3, 9) + "]}");
  const Finished good = run(temp, {"validate", "--index", index});
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_EQ(good.out, index + ": 1 ranges, 0 labels, no problems\n");
}

}  // namespace
}  // namespace kestrel
