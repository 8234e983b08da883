#include "vision/analyzer.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>

#include "core/judgement/head_chin_geometry.hpp"
#include "core/model/thresholds.hpp"
#include "vision/model_store.hpp"
#include "vision/vision_error.hpp"

namespace kestrel {
namespace {

// Annotations made by looking at the photos, in pixels from the image's top-left corner
// (as an image viewer shows them); the checks turn them into the analyzer's coordinates.
struct PixelPoint {
  double x;
  double y;
};

struct FacePhoto {
  const char* file;
  PixelPoint rightEye;  // the person's right eye, on the image's left
  PixelPoint leftEye;
  PixelPoint noseTip;
  PixelPoint mouth;  // centre of the lips
  PixelPoint chin;
  double faceWidth;  // cheek to cheek at the ears
  // Shoulder joints where the shirt's outline turns down into the arm, where it is visible.
  std::optional<std::pair<PixelPoint, PixelPoint>> rightAndLeftShoulder;
};

const FacePhoto facePhotos[] = {
    {"227943776_1.jpg", {175, 165}, {240, 168}, {205, 200}, {205, 235}, {210, 287}, 140, {{{50, 360}, {390, 350}}}},
    {"230501201_1.jpg", {242, 362}, {365, 357}, {290, 435}, {300, 492}, {305, 595}, 315, std::nullopt},
    {"face_swapped.jpg", {127, 120}, {185, 122}, {150, 150}, {152, 170}, {155, 205}, 110, {{{40, 265}, {285, 258}}}},
};

std::string photoPath(const std::string& file) { return std::string(KESTREL_TEST_PHOTOS) + "/" + file; }

cv::Mat photo(const std::string& file) {
  cv::Mat image = cv::imread(photoPath(file), cv::IMREAD_COLOR);
  if (image.empty()) ADD_FAILURE() << "missing test photo " << photoPath(file) << " (Debian package opencv-doc)";
  return image;
}

Point up(const PixelPoint& p, double height) { return {p.x, height - p.y}; }

double distance(const Point& a, const Point& b) { return a.distance(b); }

class AnalyzerOnPhotos : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { analyzer_ = std::make_unique<Analyzer>(); }
  static void TearDownTestSuite() { analyzer_.reset(); }

  static Analyzer::Output analyze(const cv::Mat& image, bool landmarks = false) {
    return analyzer_->analyzeImage(image, landmarks);
  }

  static std::unique_ptr<Analyzer> analyzer_;
};

std::unique_ptr<Analyzer> AnalyzerOnPhotos::analyzer_;

TEST_F(AnalyzerOnPhotos, FindsTheFaceAndTheBodyBelowItAndMirrorsThem) {
  for (const auto& p : facePhotos) {
    SCOPED_TRACE(p.file);
    const cv::Mat image = photo(p.file);
    const double h = image.rows;
    const auto m = analyze(image).measurements;
    EXPECT_EQ(m.frameWidth, image.cols);
    EXPECT_EQ(m.frameHeight, image.rows);
    ASSERT_EQ(m.faces.size(), 1U);
    const Rect& box = m.faces[0].box;
    for (const auto& feature : {p.rightEye, p.leftEye, p.noseTip, p.mouth}) {
      EXPECT_TRUE(box.contains(up(feature, h))) << feature.x << "," << feature.y;
    }
    // The box's lower edge (y upwards: minY) sits at the chin, within an eighth of its height.
    EXPECT_NEAR(box.minY, up(p.chin, h).y, box.height / 8);
    // Square boxes about as wide as the face; the detector's box includes a margin.
    EXPECT_NEAR(box.width, box.height, 1.0);
    EXPECT_GT(box.width, 0.8 * p.faceWidth);
    EXPECT_LT(box.width, 1.3 * p.faceWidth);

    ASSERT_EQ(m.bodies.size(), 1U);
    const Body& body = m.bodies[0];
    ASSERT_TRUE(body.nose && body.neck && body.leftShoulder && body.rightShoulder);
    // The pose model sees the head at about a tenth of its input: a fifth of a face height.
    EXPECT_LT(distance(body.nose->point, up(p.noseTip, h)), box.height / 5);
    EXPECT_GT(body.nose->confidence, 0.9);
    // The person's left shoulder is on the image's right, both below the chin and further
    // apart than the face is wide.
    EXPECT_GT(body.leftShoulder->point.x, box.midX());
    EXPECT_LT(body.rightShoulder->point.x, box.midX());
    EXPECT_LT(body.leftShoulder->point.y, up(p.chin, h).y);
    EXPECT_LT(body.rightShoulder->point.y, up(p.chin, h).y);
    EXPECT_GT(body.leftShoulder->point.x - body.rightShoulder->point.x, p.faceWidth);
    EXPECT_DOUBLE_EQ(body.neck->point.x, (body.leftShoulder->point.x + body.rightShoulder->point.x) / 2);
    EXPECT_DOUBLE_EQ(body.neck->point.y, (body.leftShoulder->point.y + body.rightShoulder->point.y) / 2);
    EXPECT_EQ(body.neck->confidence, std::min(body.leftShoulder->confidence, body.rightShoulder->confidence));
    EXPECT_TRUE(m.hands.empty());
    if (p.rightAndLeftShoulder) {
      const double tolerance = 0.35 * box.height;
      EXPECT_LT(distance(body.rightShoulder->point, up(p.rightAndLeftShoulder->first, h)), tolerance);
      EXPECT_LT(distance(body.leftShoulder->point, up(p.rightAndLeftShoulder->second, h)), tolerance);
      EXPECT_GE(body.leftShoulder->confidence, 0.3);
      EXPECT_GE(body.rightShoulder->confidence, 0.3);
    }

    cv::Mat mirrored;
    cv::flip(image, mirrored, 1);
    const auto mm = analyze(mirrored).measurements;
    ASSERT_EQ(mm.faces.size(), 1U);
    ASSERT_TRUE(m.faces[0].yaw && mm.faces[0].yaw && m.faces[0].pitch && mm.faces[0].pitch);
    // These three faces are visibly turned towards the image's left, by 10 to 20 degrees.
    EXPECT_LT(*m.faces[0].yaw, -8);
    EXPECT_GT(*m.faces[0].yaw, -25);
    EXPECT_GT(*mm.faces[0].yaw, 8);
    // The detector's keypoints move by a pixel or two when the picture is mirrored (it is
    // not exactly symmetric), which turns the fitted head by a few degrees; pitch, from
    // the short nose-to-mouth distances, more than yaw.
    EXPECT_NEAR(*mm.faces[0].yaw, -*m.faces[0].yaw, 6);
    EXPECT_NEAR(*mm.faces[0].pitch, *m.faces[0].pitch, 9);
    EXPECT_NEAR(mm.faces[0].box.midX(), image.cols - box.midX(), 0.02 * image.cols);
    ASSERT_EQ(mm.bodies.size(), 1U);
    EXPECT_LT(mm.bodies[0].rightShoulder->point.x, mm.bodies[0].leftShoulder->point.x);
  }
}

TEST_F(AnalyzerOnPhotos, FindsThreeFrontalFacesSideBySide) {
  const cv::Mat image = photo("example.jpg");
  const auto m = analyze(image).measurements;
  ASSERT_EQ(m.faces.size(), 3U);
  // Three copies of one face looking into the camera, centred at these points.
  const PixelPoint centres[] = {{188, 350}, {575, 350}, {965, 355}};
  for (const auto& c : centres) {
    int holding = 0;
    for (const auto& face : m.faces) {
      if (face.box.contains(up(c, image.rows))) {
        ++holding;
        EXPECT_GT(face.box.height, 280);
        EXPECT_LT(face.box.height, 400);
        ASSERT_TRUE(face.yaw);
        EXPECT_LT(std::abs(*face.yaw), 8) << c.x;
      }
    }
    EXPECT_EQ(holding, 1) << c.x;
  }
}

TEST_F(AnalyzerOnPhotos, FindsTheJointsOfAHandWithoutAFace) {
  const cv::Mat image = photo("handSrc.jpg");
  const auto m = analyze(image).measurements;
  EXPECT_TRUE(m.faces.empty());
  EXPECT_TRUE(m.bodies.empty());
  ASSERT_EQ(m.hands.size(), 1U);
  // The wrist lies beyond the left edge and is dropped; the other twenty joints stay.
  EXPECT_EQ(m.hands[0].joints.size(), 20U);
  const Rect frame{0, 0, m.frameWidth, m.frameHeight};
  for (const auto& joint : m.hands[0].joints) {
    EXPECT_TRUE(frame.contains(joint.point));
    EXPECT_GT(joint.confidence, 0.5);
  }
  // Fingertips: thumb, index, middle, ring, little finger; within 25 pixels (a quarter
  // of a finger's width away at most).
  const PixelPoint tips[] = {{252, 26}, {482, 140}, {532, 256}, {505, 327}, {420, 438}};
  for (const auto& tip : tips) {
    double nearest = 1e9;
    for (const auto& joint : m.hands[0].joints) nearest = std::min(nearest, distance(joint.point, up(tip, image.rows)));
    EXPECT_LT(nearest, 25) << tip.x << "," << tip.y;
  }
}

TEST_F(AnalyzerOnPhotos, FindsAHandRestingAtTheChin) {
  // A webcam picture of a person resting her cheek and chin on her right hand, its
  // knuckles along the jaw between x 120 and 215, y 310 and 420 (and circles drawn over
  // her face by another program).
  const cv::Mat image = photo("Cascade_Classifier_Tutorial_Result_Haar.jpg");
  const auto m = analyze(image).measurements;
  ASSERT_EQ(m.faces.size(), 1U);
  ASSERT_EQ(m.bodies.size(), 1U);
  ASSERT_EQ(m.hands.size(), 1U);
  const Rect hand{100, image.rows - 440.0, 140, 150};
  int inside = 0;
  for (const auto& joint : m.hands[0].joints) inside += hand.contains(joint.point) ? 1 : 0;
  EXPECT_GE(inside, 18) << "of " << m.hands[0].joints.size();
  // Judged with the application's own chin geometry: a hand at the chin.
  const Thresholds thresholds;
  const Rect chin = HeadChinGeometry::chinRegion(m.faces[0].box, {0, 0, m.frameWidth, m.frameHeight}, thresholds);
  EXPECT_TRUE(HeadChinGeometry::handAtChin(m.hands, chin, thresholds));
}

TEST_F(AnalyzerOnPhotos, FindsNothingWithoutAPerson) {
  for (const char* file : {"building.jpg", "boat.jpg", "apple.jpg"}) {
    SCOPED_TRACE(file);
    const auto m = analyze(photo(file)).measurements;
    EXPECT_TRUE(m.faces.empty());
    EXPECT_TRUE(m.bodies.empty());
    EXPECT_TRUE(m.hands.empty());
    EXPECT_GT(m.meanLuma, 0.05);
    EXPECT_LT(m.meanLuma, 0.95);
  }
  const cv::Mat grey(720, 1280, CV_8UC3, cv::Scalar::all(128));
  const auto m = analyze(grey).measurements;
  EXPECT_EQ(m, (Measurements{1280, 720, 128.0 / 255.0, {}, {}, {}}));
}

TEST_F(AnalyzerOnPhotos, LandmarksOnlyWhenAskedFor) {
  const FacePhoto& p = facePhotos[1];
  const cv::Mat image = photo(p.file);
  EXPECT_TRUE(analyze(image, false).landmarks.empty());
  const auto out = analyze(image, true);
  for (const auto& name : landmarkRegionNames()) EXPECT_FALSE(out.landmarks.at(name).empty()) << name;
  // The face mesh is sharper than the detectors: the nose region holds a point within a
  // twentieth of the face width of the annotated tip, the lips surround the mouth.
  double nearest = 1e9;
  for (const auto& pt : out.landmarks.at("nose")) nearest = std::min(nearest, distance(pt, up(p.noseTip, image.rows)));
  EXPECT_LT(nearest, p.faceWidth / 20);
  const auto& lips = out.landmarks.at("outerLips");
  const auto [left, right] = std::minmax_element(lips.begin(), lips.end(), [](auto a, auto b) { return a.x < b.x; });
  EXPECT_LT(left->x, p.mouth.x);
  EXPECT_GT(right->x, p.mouth.x);
  // The person's left eye is on the image's right.
  EXPECT_GT(out.landmarks.at("leftEye")[0].x, out.landmarks.at("rightEye")[0].x);
  // Landmarks do not change the measurements.
  EXPECT_EQ(out.measurements, analyze(image, false).measurements);
}

TEST(Analyzer, MissingOrDamagedModelsGiveOneClearError) {
  const auto folder = std::filesystem::temp_directory_path() / "kestrel-vision-models-test";
  std::filesystem::remove_all(folder);
  const auto expectMessage = [&] {
    try {
      Analyzer analyzer(folder);
      ADD_FAILURE() << "the analyzer loaded";
    } catch (const VisionError& e) {
      EXPECT_STREQ(e.what(), "vision models missing or damaged: run scripts/setup");
    }
  };
  expectMessage();  // no folder
  std::filesystem::create_directories(folder);
  for (const auto& entry : std::filesystem::directory_iterator(defaultModelFolder())) {
    if (entry.path().extension() == ".onnx") std::filesystem::copy_file(entry.path(), folder / entry.path().filename());
  }
  { Analyzer complete(folder); }  // the copies load
  {
    // One byte changed inside the pose model.
    std::fstream f(folder / "pose_landmark_lite.onnx", std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(100000);
    f.put('\x5a');
  }
  expectMessage();
  std::filesystem::resize_file(folder / "pose_landmark_lite.onnx", 1000);  // truncated
  expectMessage();
  std::filesystem::remove(folder / "pose_landmark_lite.onnx");
  expectMessage();
  std::filesystem::remove_all(folder);
}

TEST(MeanLuma, WeighsEachChannelMeanRoundedToAByte) {
  struct Case {
    cv::Scalar top;  // B, G, R of the upper half
    cv::Scalar bottom;
    double expected;
  };
  const Case cases[] = {
      {{0, 0, 255}, {0, 0, 255}, 0.299},                        // red
      {{0, 255, 0}, {0, 255, 0}, 0.587},                        // green
      {{255, 0, 0}, {255, 0, 0}, 0.114},                        // blue
      {{0, 0, 127}, {0, 0, 128}, 0.299 * 128 / 255},           // mean 127.5 rounds up
      {{10, 20, 30}, {11, 20, 30}, (0.299 * 30 + 0.587 * 20 + 0.114 * 11) / 255},  // 10.5 rounds up
  };
  for (const auto& c : cases) {
    cv::Mat image(2, 4, CV_8UC3, c.top);
    image.row(1).setTo(c.bottom);
    EXPECT_DOUBLE_EQ(meanLuma(image), c.expected) << c.top << c.bottom;
  }
  EXPECT_EQ(meanLuma(cv::Mat()), 0.0);
}

}  // namespace
}  // namespace kestrel
