// Calibrations made from photos, end to end: the built program analyses a photo of Debian's
// opencv-doc package and its baselines.json is read back as the program reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <regex>
#include <string>

#include "core/base/json_io.hpp"
#include "core/log/baseline_store.hpp"
#include "core/tests/support/temp_folder.hpp"
#include "tools/kestrel-fixtures/tests/program.hpp"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::Finished;
using testing::TempFolder;
using testing::run;

// A woman facing the camera, her chin resting on her hand: one face, one body, one hand.
const std::string photo = std::string(KESTREL_TEST_PHOTOS) + "/Cascade_Classifier_Tutorial_Result_Haar.jpg";

const std::regex uuidPattern("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");

// The photo as it looks from closer by: its middle enlarged by `zoom` to the photo's size.
fs::path writeCloser(const TempFolder& temp, double zoom) {
  const cv::Mat image = cv::imread(photo, cv::IMREAD_COLOR);
  EXPECT_FALSE(image.empty()) << "missing test photo " << photo << " (Debian package opencv-doc)";
  const cv::Size part(static_cast<int>(image.cols / zoom), static_cast<int>(image.rows / zoom));
  const cv::Rect middle((image.cols - part.width) / 2, (image.rows - part.height) / 2, part.width, part.height);
  cv::Mat closer;
  cv::resize(image(middle), closer, image.size(), 0, 0, cv::INTER_LINEAR);
  const fs::path path = temp / "closer.png";
  cv::imwrite(path.string(), closer);
  return path;
}

// The measurements the analyze command reports for one image.
Json analysed(const TempFolder& temp, const std::string& image) {
  const Finished result = run(temp, {"analyze", image});
  EXPECT_EQ(result.status, 0) << result.err;
  return Json::parse(result.out);
}

TEST(KestrelFixturesCalibrate, SittingWellGivesTheBaselineAndLeaningInTheMeasuredReach) {
  TempFolder temp;
  const fs::path out = temp / "data" / "Larkspur" / "baselines.json";
  const Finished result = run(temp, {"calibrate", "--sit", photo, "--camera", "", "--out", out.string()});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  std::smatch printed;
  const std::regex line("calibration (\\S+) shoulders=yes reach=least → (.*)\n");
  ASSERT_TRUE(std::regex_match(result.out, printed, line)) << result.out;
  EXPECT_EQ(printed[2], out.string());

  const auto set = BaselineStore{out}.load();
  ASSERT_TRUE(set) << "the program takes the file as its calibration";
  EXPECT_EQ(set->id, printed[1]);
  EXPECT_TRUE(std::regex_match(set->id, uuidPattern)) << set->id;
  EXPECT_EQ(set->cameraID, "");
  EXPECT_EQ(set->reach, (Reach{0.2, 0.4}));
  ASSERT_EQ(set->baselines.size(), 1U);

  // The medians of one photo used for every frame are that photo's own values; how the
  // shoulder ratios are taken is the calibration's own test.
  const Json m = analysed(temp, photo);
  const Json& face = m["faces"][0];
  const Baseline& b = set->baselines[0];
  EXPECT_EQ(b.screen, ScreenRole::laptop);
  EXPECT_DOUBLE_EQ(b.yaw, face["yaw"].get<double>());
  EXPECT_DOUBLE_EQ(b.faceHeight, face["box"]["height"].get<double>() / m["frameHeight"].get<double>());
  EXPECT_TRUE(b.shoulderWidth && b.noseShoulderRatio);

  // Leaning in, and on another camera, over the first calibration. The face found in the
  // enlarged photo is taller by more than the least lean (the detector's box does not scale
  // exactly with the picture), and the reach is that growth.
  const fs::path closer = writeCloser(temp, 1.3);
  const Finished again = run(temp, {"calibrate", "--sit", photo, photo, "--lean", closer.string(), "--camera",
                                    "file:/videos/desk.avi", "--out", out.string()});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find(" reach=measured → "), std::string::npos) << again.out;
  const auto second = BaselineStore{out}.load();
  ASSERT_TRUE(second);
  EXPECT_NE(second->id, set->id) << "every calibration has an identifier of its own";
  EXPECT_EQ(second->baselines, set->baselines);
  EXPECT_EQ(second->cameraID, "file:/videos/desk.avi");
  const double faceHeight = face["box"]["height"].get<double>();
  const double growth = analysed(temp, closer.string())["faces"][0]["box"]["height"].get<double>() / faceHeight - 1;
  EXPECT_GT(growth, 0.2);
  EXPECT_NEAR(second->reach.faceGrowth, growth, 1e-9);
}

TEST(KestrelFixturesCalibrate, FailedStepsAndBadInputsWriteNothing) {
  TempFolder temp;
  const fs::path gray = temp / "gray.png";
  cv::imwrite(gray.string(), cv::Mat(240, 320, CV_8UC3, cv::Scalar(128, 128, 128)));
  const std::string out = (temp / "baselines.json").string();
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string message;
  };
  const std::vector<Case> cases{
      {{"--sit", photo, "--lean", photo, "--camera", "", "--out", out},
       1,
       "kestrel-fixtures: leaning in: Lean further in toward the screen and try again.\n"},
      {{"--sit", gray.string(), "--camera", "", "--out", out},
       1,
       "kestrel-fixtures: sitting well: I can't see your face. Check the light and try again.\n"},
      {{"--sit", photo, "--lean", (temp / "missing.png").string(), "--camera", "", "--out", out},
       2,
       "kestrel-fixtures: cannot read image " + (temp / "missing.png").string() + "\n"},
      {{"--sit", photo, "--out", out}, 2, "--camera is required\nRun with --help for more information.\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments{"calibrate"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const Finished result = run(temp, arguments);
    EXPECT_EQ(result.status, c.status) << c.message;
    EXPECT_EQ(result.err, c.message);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace kestrel
