// The accuracy report over a fixture folder made here: skeleton files of a person sitting,
// leaning in and leaving, an index with posed ranges and labelled checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/base/file_io.hpp"
#include "core/fixtures/skeleton_file.hpp"
#include "core/tests/support/posture_frames.hpp"
#include "core/tests/support/temp_folder.hpp"
#include "core/fixtures/vision_revisions.hpp"
#include "tools/kestrel-fixtures/inputs.hpp"
#include "tools/kestrel-fixtures/tests/program.hpp"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::Finished;
using testing::TempFolder;
using testing::run;

const std::string hashA(64, 'a');
const std::string hashB(64, 'b');

void writeSkeleton(const fs::path& path, const std::string& sha256) {
  const SkeletonFile file{{SkeletonFile::currentSchema, sha256, VisionRevisions::current(), fixtures::currentOSBuild()},
                          testing::sitLeanLeaveFrames()};
  writeJSON(Json(file), path);
}

Json range(const std::string& video, const std::string& sha256, const std::string& label, const std::string& expected,
           double start, double end) {
  return Json{{"video", video}, {"sha256", sha256}, {"label", label}, {"expected", expected},
              {"start", start}, {"end", end}};
}

Json label(const std::string& video, double time, const std::vector<std::string>& labels) {
  return Json{{"video", video}, {"time", time}, {"labels", labels}, {"agreement", "3/3"}};
}

TEST(KestrelFixturesReport, AgreementPerLabelClassAndTheJudgedRanges) {
  TempFolder temp;
  const fs::path root = temp / "fixtures";
  writeSkeleton(root / "skeletons" / "a.skeleton.json", hashA);
  writeFileAtomically(temp / "settings.json", R"({"checkInterval": 15})");
  const Json index{
      {"schema", 2},
      {"ranges",
       {range("a.mov", hashA, "sit well \u00b7 laptop", "calibration", 2, 8),
        range("a.mov", hashA, "lean all the way in", "calibration", 12, 18),
        range("a.mov", hashA, "natural work", "labeled", 20, 95),
        // A video without a skeleton file is left out.
        range("b.mov", hashB, "chin on palm", "hand_at_chin", 5, 50)}},
      {"labels",
       {label("a.mov", 20, {"good"}), label("a.mov", 50, {"lean_in"}), label("a.mov", 80, {"away"}),
        label("b.mov", 20, {"hand_at_chin"})}}};
  writeJSON(index, root / "index.json");

  const Finished result =
      run(temp, {"report", "--settings", (temp / "settings.json").string()}, {{"LS_FIXTURES", root.string()}});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "b.mov: missing, left out\n"
            "calibration: from the fixtures, face height 0.300, yaw 0.0\u00b0, face growth 0.333, nose drop 0.647\n"
            "thresholds: t-2026-10-10a, a check every 15 s\n"
            "\n"
            "Labelled checks against the replayed verdicts\n"
            "label                   labelled  agreed  agreement  replay also said\n"
            "good                           1       1       100%                 0\n"
            "head_forward                   0       0          -                 1\n"
            "lean_in                        1       0         0%                 0\n"
            "too_close                      0       0          -                 0\n"
            "hand_at_chin                   0       0          -                 0\n"
            "away                           1       1       100%                 0\n"
            "unclear                        0       0          -                 0\n"
            "every label of a check         3       2        67%\n"
            "1 label(s) without a replayed check, the first b.mov at 20.0 s\n"
            "\n"
            "Frames of the posed ranges, each judged on its own\n"
            "pose                 expected     ranges  frames  good  head_forward  lean_in  too_close  inconclusive  "
            "skipped  hand_at_chin  skip reasons\n"
            "sit well \u00b7 laptop    calibration       1      25    25             0        0          0             0  "
            "      0             0\n"
            "lean all the way in  calibration       1      25     0            25        0          0             0  "
            "      0             0\n");

  // Without a lean-in range there is no calibration: the report says why.
  Json noLean = index;
  noLean["ranges"].erase(1);
  writeJSON(noLean, root / "index.json");
  const Finished failed = run(temp, {"report"}, {{"LS_FIXTURES", root.string()}});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.err,
            "kestrel-fixtures: no calibration from the fixtures: no \"lean all the way in\" range to calibrate with "
            "(or give --baselines)\n");
}

}  // namespace
}  // namespace kestrel
