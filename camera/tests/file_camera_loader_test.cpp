#include "camera/file_camera_loader.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include "testing/manual_clock.hpp"
#include "testing/manual_executor.hpp"

namespace kestrel {
namespace {

using Paths = std::vector<std::filesystem::path>;

// The module as the build made it, beside the programs, and a folder with a 1-second video
// at 10 frames a second whose frame i is a flat grey of 20 * i, a file that is no library,
// and no module.
class FileCameraLoaderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::filesystem::temp_directory_path() / ("kestrel-file-camera-loader-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    cv::VideoWriter writer(video().string(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 10, cv::Size(32, 18));
    ASSERT_TRUE(writer.isOpened());
    for (int i = 0; i < 10; ++i) writer.write(cv::Mat(18, 32, CV_8UC3, cv::Scalar::all(20 * i)));
    std::ofstream(notALibrary()) << std::string(200, 'x');
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

  static std::filesystem::path module() { return KESTREL_FILE_CAMERA_MODULE_PATH; }
  static std::filesystem::path video() { return folder_ / "grey.avi"; }
  static std::filesystem::path notALibrary() { return folder_ / "text.so"; }
  static std::filesystem::path absent() { return folder_ / "absent.so"; }

  // What loading from `candidates` reports; empty when it loaded.
  std::string failureOf(const Paths& candidates) {
    try {
      loadFileCamera(candidates, clock_, video(), false);
    } catch (const FileCameraUnavailable& failure) {
      return failure.what();
    }
    return "";
  }

  static inline std::filesystem::path folder_;
  ManualClock clock_{0};
  ManualExecutor queue_;
};

TEST_F(FileCameraLoaderTest, TheModuleBesideTheProgramPlaysTheVideo) {
  const Paths candidates = fileCameraModulePaths(module().parent_path());
  ASSERT_EQ(candidates.front(), module());
  auto camera = loadFileCamera(candidates, clock_, video(), false);
  ASSERT_NE(camera, nullptr);
  std::vector<int> greys;
  camera->setHandlers(
      queue_, [&](const CapturedFrame& frame) { greys.push_back(frame.pixels().value().planes.at(0).bytes.at(0)); },
      [](const CaptureNotice&) {});
  clock_.setSettle([this] { queue_.runPending(); });
  // How a file camera plays is its own test; here, that the loaded one plays this video.
  ASSERT_EQ(camera->open("file:" + video().string()), std::nullopt);
  camera->startRunning();
  clock_.advance(1.5);
  EXPECT_EQ(greys, (std::vector<int>{0, 20, 40, 60, 80, 100, 120, 140, 160, 180}));
  clock_.setSettle({});
}

TEST_F(FileCameraLoaderTest, TheFirstCandidateThatExistsIsLoadedAndItsFailureTold) {
  // A library that is no module: the C library this test runs with.
  Dl_info libc{};
  ASSERT_NE(::dladdr(reinterpret_cast<void*>(&::getpid), &libc), 0);
  const std::string otherLibrary = libc.dli_fname;
  const std::string prefix = "--camera-file needs OpenCV's video support: ";
  struct Case {
    const char* what;
    Paths candidates;
    std::string failure;
  };
  const Case cases[] = {
      {"only the module", {module()}, ""},
      {"the module after one that is missing", {absent(), module()}, ""},
      {"none exists: the last is tried", {module().parent_path() / "absent.so", absent()},
       prefix + absent().string() + ": cannot open shared object file: No such file or directory"},
      {"no library", {notALibrary(), module()}, prefix + notALibrary().string() + ": invalid ELF header"},
      {"a library without the factory", {otherLibrary, module()},
       prefix + otherLibrary + ": undefined symbol: kestrel_make_file_camera_v1"},
      {"nowhere to look", {}, prefix + "no place to look for kestrel-file-camera.so"},
  };
  for (const auto& c : cases) EXPECT_EQ(failureOf(c.candidates), c.failure) << c.what;
}

}  // namespace
}  // namespace kestrel
