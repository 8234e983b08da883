// The conversion of videos into skeleton files, end to end: a short video made from a photo
// goes through the built program and its skeleton file is read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <regex>
#include <string>

#include "core/base/file_io.hpp"
#include "core/base/sha256.hpp"
#include "core/fixtures/skeleton_file.hpp"
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

constexpr int videoFrames = 10;
constexpr double videoFps = 10;

// One second of a person facing the camera, 480 pixels wide.
cv::Size writeVideo(const fs::path& path) {
  const std::string file = std::string(KESTREL_TEST_PHOTOS) + "/230501201_1.jpg";
  const cv::Mat photo = cv::imread(file, cv::IMREAD_COLOR);
  if (photo.empty()) {
    ADD_FAILURE() << "missing test photo " << file << " (Debian package opencv-doc)";
    return {};
  }
  const int height = photo.rows * 480 / photo.cols / 2 * 2;
  cv::Mat frame;
  cv::resize(photo, frame, {480, height}, 0, 0, cv::INTER_AREA);
  cv::VideoWriter writer(path.string(), cv::CAP_FFMPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), videoFps,
                         frame.size());
  EXPECT_TRUE(writer.isOpened());
  for (int i = 0; i < videoFrames; ++i) writer.write(frame);
  return frame.size();
}

// The finish line of a converted video; the time and rate vary from run to run.
void expectFinishLine(const std::string& line, const std::string& video, const fs::path& out) {
  const std::regex pattern(video + R"(: 10 frames in 0:[0-9]{2} \([0-9]+\.[0-9] fps\) → )" + out.string());
  EXPECT_TRUE(std::regex_match(line, pattern)) << line;
}

TEST(KestrelFixturesConvert, AnalysesEveryFrameOfOneVideoAndAFailureKeepsTheEarlierFile) {
  TempFolder temp;
  const fs::path video = temp / "clip.avi";
  const cv::Size size = writeVideo(video);
  const fs::path out = temp / "out" / "clip.json";

  const Finished result = run(temp, {"convert", "--video", video.string(), "--out", out.string()});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "") << "no progress bar when standard error is not a terminal";
  ASSERT_FALSE(result.out.empty());
  EXPECT_EQ(result.out.back(), '\n');
  expectFinishLine(result.out.substr(0, result.out.size() - 1), "clip.avi", out);

  const auto text = readFile(out);
  ASSERT_TRUE(text);
  const auto skeleton = decode<SkeletonFile>(Json::parse(*text));
  ASSERT_TRUE(skeleton);
  EXPECT_EQ(skeleton->header.videoSHA256, sha256OfFile(video));
  EXPECT_EQ(skeleton->header.revisions, VisionRevisions::current());
  EXPECT_EQ(skeleton->header.osBuild, fixtures::currentOSBuild());

  ASSERT_EQ(skeleton->frames.size(), static_cast<std::size_t>(videoFrames));
  for (int i = 0; i < videoFrames; ++i) {
    SCOPED_TRACE(i);
    const auto& frame = skeleton->frames[static_cast<std::size_t>(i)];
    EXPECT_NEAR(frame.time, i / videoFps, 1e-6);
    EXPECT_EQ(frame.measurements.frameWidth, size.width);
    EXPECT_EQ(frame.measurements.frameHeight, size.height);
    EXPECT_EQ(frame.measurements.faces.size(), 1U);
    // What the analyzer finds in a photo is its own test; the conversion asks for the landmarks.
    EXPECT_EQ(frame.landmarks.size(), 7U);
  }

  // A failed conversion keeps the earlier file.
  const fs::path bad = temp / "bad.avi";
  writeFileAtomically(bad, "this is no video");
  const Finished failed = run(temp, {"convert", "--video", bad.string(), "--out", out.string()});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, "");
  EXPECT_EQ(failed.err, "kestrel-fixtures: " + bad.string() + " cannot be opened as a video\n");
  EXPECT_EQ(readFile(out), text);

  const Finished missing = run(temp, {"convert", "--video", (temp / "none.avi").string()});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "kestrel-fixtures: cannot read video " + (temp / "none.avi").string() + "\n");

  const Finished outAlone = run(temp, {"convert", "--out", out.string()});
  EXPECT_EQ(outAlone.status, 2);
  EXPECT_NE(outAlone.err.find("--out requires --video"), std::string::npos) << outAlone.err;
}

TEST(KestrelFixturesConvert, ConvertsTheIndexedVideosUntilTheyAreReady) {
  TempFolder temp;
  const fs::path root = temp / "fixtures";
  fs::create_directories(root / "videos");
  writeVideo(root / "videos" / "clip.avi");
  const std::string sha = *sha256OfFile(root / "videos" / "clip.avi");
  const Json index = Json::parse(R"({"schema": 2, "labels": [], "ranges": [
      {"video": "clip.avi", "sha256": ")" + sha + R"(", "label": "look up", "expected": "calibration", "start": 0, "end": 0.5},
      {"video": "clip.avi", "sha256": ")" + sha + R"(", "label": "look down", "expected": "calibration", "start": 0.5, "end": 0.9},
      {"video": "gone.avi", "sha256": ")" + std::string(64, 'c') + R"(", "label": "look up", "expected": "calibration", "start": 0, "end": 1}]})");
  writeJSON(index, root / "index.json");
  const std::map<std::string, std::string> environment{{"LS_FIXTURES", root.string()}};

  const Finished first = run(temp, {"convert"}, environment);
  EXPECT_EQ(first.status, 1);
  const fs::path out = root / "skeletons" / "clip.skeleton.json";
  ASSERT_FALSE(first.out.empty());
  expectFinishLine(first.out.substr(0, first.out.size() - 1), "clip.avi", out);
  EXPECT_EQ(first.err, "kestrel-fixtures: " + (root / "videos" / "gone.avi").string() + " cannot be read\n");

  // A skeleton file that is no JSON reads as of the wrong schema. A required replay fails, here
  // on a folder of skeleton files that has none.
  writeFileAtomically(root / "skeletons" / "gone.skeleton.json", "not json");
  const Finished status = run(temp, {"status"}, environment);
  EXPECT_EQ(status.status, 0);
  EXPECT_EQ(status.out,
            "clip.avi: ready\ngone.avi: wrong schema\n"
            "skip: skeleton not usable \u2014 gone.avi: wrong schema; run kestrel-fixtures convert\n");
  const Finished required =
      run(temp, {"status", "--required", "--skeletons", (temp / "elsewhere").string()}, environment);
  EXPECT_EQ(required.status, 1);
  EXPECT_EQ(required.out,
            "clip.avi: missing\ngone.avi: missing\n"
            "fail: skeleton not usable \u2014 clip.avi: missing (+1 more); run kestrel-fixtures convert\n");

  const Finished again = run(temp, {"convert"}, environment);
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.out, "clip.avi: ready, kept\n");

  // A video changed after indexing is not converted: its file would be stale at once.
  writeFileAtomically(root / "videos" / "gone.avi", "other bytes");
  const Finished changed = run(temp, {"convert", "--force"}, environment);
  EXPECT_EQ(changed.status, 1);
  EXPECT_NE(changed.out.find("clip.avi: 10 frames in"), std::string::npos) << changed.out;
  EXPECT_EQ(changed.err, "kestrel-fixtures: " + (root / "videos" / "gone.avi").string() +
                             " is not the video indexed (its SHA-256 differs)\n");
}

}  // namespace
}  // namespace kestrel
