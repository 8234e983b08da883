// The geometry between the models: regions, their crops, decoding and merging detections.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <opencv2/imgproc.hpp>

#include "vision/detections.hpp"
#include "vision/face_mesh.hpp"
#include "vision/hand_region.hpp"
#include "vision/pose_estimator.hpp"
#include "vision/region.hpp"

namespace kestrel {
namespace {

void expectNear(cv::Point2f a, cv::Point2f b, float tolerance) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
}

TEST(Region, WholeImageIsTheCentredSquareAndItsCornersTurnWithIt) {
  EXPECT_EQ(wholeImage({1280, 720}), (Region{{640, 360}, 1280, 0}));
  EXPECT_EQ(wholeImage({300, 500}), (Region{{150, 250}, 500, 0}));
  // Corners turn with the region.
  const auto upright = corners(Region{{10, 20}, 4, 0});
  expectNear(upright[0], {8, 18}, 1e-5F);
  expectNear(upright[2], {12, 22}, 1e-5F);
  // A quarter turn: the region's top edge now lies on the image's right.
  const auto turned = corners(Region{{10, 20}, 4, std::numbers::pi_v<float> / 2});
  expectNear(turned[0], {12, 18}, 1e-5F);
  expectNear(turned[1], {12, 22}, 1e-5F);
}

TEST(RegionCrop, MapsInputPointsBackToTheImage) {
  // A bright spot, cropped upright, turned and strongly reduced: each time the centre of
  // the bright input pixels maps back onto the spot.
  cv::Mat image(400, 600, CV_8UC3, cv::Scalar::all(0));
  cv::circle(image, {450, 120}, 6, cv::Scalar::all(255), cv::FILLED);
  const Region regions[] = {
      {{450, 150}, 100, 0},
      {{430, 130}, 120, 0.7F},
      {{300, 200}, 600, -2.0F},
      {{560, 60}, 300, 0.3F},  // mostly outside the image, strongly reduced
      wholeImage(image.size()),
  };
  for (const auto& region : regions) {
    const RegionCrop crop = cropRegion(image, region, 64);
    ASSERT_EQ(crop.pixels.size(), cv::Size(64, 64));
    cv::Mat grey;
    cv::cvtColor(crop.pixels, grey, cv::COLOR_BGR2GRAY);
    const cv::Moments moments = cv::moments(grey);
    ASSERT_GT(moments.m00, 0);
    // Moments count pixel i at i; its centre is at i + 0.5.
    const cv::Point2f centre(static_cast<float>(moments.m10 / moments.m00) + 0.5F,
                             static_cast<float>(moments.m01 / moments.m00) + 0.5F);
    const cv::Point2f back = crop.toImage(centre);
    // Within half an input pixel, in image pixels.
    expectNear(back, {450.5F, 120.5F}, region.side / 128 + 0.5F);
  }
}

TEST(RegionCrop, ARegionOutsideTheImageIsBlackAndTheBlobIsRgbInTheAskedRange) {
  const cv::Mat white(100, 100, CV_8UC3, cv::Scalar::all(255));
  const RegionCrop outside = cropRegion(white, Region{{300, 50}, 80, 0.4F}, 16);
  ASSERT_EQ(outside.pixels.size(), cv::Size(16, 16));
  EXPECT_EQ(cv::countNonZero(outside.pixels.reshape(1)), 0);

  cv::Mat image(8, 8, CV_8UC3, cv::Scalar(0, 128, 255));  // B, G, R
  const RegionCrop crop = cropRegion(image, Region{{4, 4}, 8, 0}, 8);
  const cv::Mat blob = toBlob(crop, -1, 1);
  ASSERT_EQ(blob.size[1], 3);
  const float* data = blob.ptr<float>();
  EXPECT_FLOAT_EQ(data[0], 1.0F);                   // red plane first
  EXPECT_NEAR(data[64], 128 / 127.5 - 1, 1e-6);     // green
  EXPECT_FLOAT_EQ(data[128], -1.0F);                // blue
}

TEST(HandRegion, TurnedSoTheFingersPointUpFromKnucklesAPalmOrThePose) {
  const auto up = handRegion({100, 200}, {100, 100}, 1, 2);
  ASSERT_TRUE(up);
  EXPECT_EQ(*up, (Region{{100, 100}, 200, 0}));
  const auto right = handRegion({100, 200}, {150, 200}, 0.5F, 3);
  ASSERT_TRUE(right);
  expectNear(right->center, {125, 200}, 1e-5F);
  EXPECT_FLOAT_EQ(right->angle, std::numbers::pi_v<float> / 2);
  EXPECT_FLOAT_EQ(right->side, 150);
  // Fingers pointing down: half a turn either way.
  EXPECT_FLOAT_EQ(std::abs(handRegion({0, 0}, {0, 10}, 1, 1)->angle), std::numbers::pi_v<float>);
  EXPECT_FALSE(handRegion({5, 5}, {5, 5}, 1, 1));
  // From a palm: centred on the knuckle.
  EXPECT_EQ(handRegionFromPalm({100, 200}, {100, 100}), (Region{{100, 100}, 280, 0}));
  // From the pose: halfway along the palm. Middle knuckle a third of the way from the index
  // (0, 0) to the pinky (30, 0): (10, 0).
  const auto region = handRegionFromPose({10, 300}, {0, 0}, {30, 0});
  ASSERT_TRUE(region);
  expectNear(region->center, {10, 150}, 1e-4F);
  EXPECT_FLOAT_EQ(region->side, 3.5F * 300);
  EXPECT_FLOAT_EQ(region->angle, 0);
}

TEST(PoseAndFaceMeshRegion, HoldTheWholePersonBelowTheFaceAndLevelTheEyes) {
  EXPECT_EQ(poseRegionForFace({100, 50, 40, 40}), (Region{{120, 70 + 128}, 400, 0}));
  // A taller than wide box counts by its larger side.
  EXPECT_EQ(poseRegionForFace({0, 0, 20, 30}).side, 300);
  // The face mesh's region levels the eyes.
  Detection face{{100, 100, 60, 60}, 0.9F, {{120, 130}, {150, 160}, {}, {}, {}, {}}};
  const Region region = faceMeshRegion(face);
  expectNear(region.center, {130, 130}, 1e-5F);
  EXPECT_FLOAT_EQ(region.side, 90);
  EXPECT_FLOAT_EQ(region.angle, std::numbers::pi_v<float> / 4);
}

TEST(LandmarkRegions, NamesEveryRegionAndNeedsTheWholeMesh) {
  std::vector<cv::Point2f> mesh(468);
  for (std::size_t i = 0; i < mesh.size(); ++i) mesh[i] = {static_cast<float>(i), 0};
  const auto regions = landmarkRegions(mesh);
  EXPECT_EQ(regions.size(), 7U);
  for (const auto& name : landmarkRegionNames()) EXPECT_TRUE(regions.contains(name)) << name;
  // The median line starts at the forehead (point 10) and ends at the chin (152).
  EXPECT_EQ(regions.at("medianLine").front().x, 10);
  EXPECT_EQ(regions.at("medianLine").back().x, 152);
  mesh.pop_back();
  EXPECT_TRUE(landmarkRegions(mesh).empty());
}

TEST(Detections, AnchorsFillEachFeatureMapCellByCell) {
  const auto anchors = anchorCentres(32, {{8, 2}, {16, 1}});
  ASSERT_EQ(anchors.size(), 4U * 4 * 2 + 2 * 2);
  EXPECT_EQ(anchors[0], cv::Point2f(4, 4));
  EXPECT_EQ(anchors[1], cv::Point2f(4, 4));
  EXPECT_EQ(anchors[2], cv::Point2f(12, 4));
  EXPECT_EQ(anchors[32], cv::Point2f(8, 8));
  EXPECT_EQ(anchors.back(), cv::Point2f(24, 24));
}

TEST(Detections, DecodeScalesToTheImageAndDropsWeakScores) {
  const std::vector<cv::Point2f> anchors{{16, 16}, {48, 48}};
  // Scores: logit 0 is exactly 0.5 and passes a 0.5 limit; -1 does not.
  const float logits[] = {0, -1};
  // Box: centre offset (2, -2), size 8x4; one keypoint at offset (1, 1).
  const float boxes[] = {2, -2, 8, 4, 1, 1, 0, 0, 8, 8, 0, 0};
  const RegionCrop crop{cv::Mat(), Region{{64, 64}, 128, 0}, 64};  // two image pixels an input pixel
  const auto found = decodeDetections(logits, boxes, 6, anchors, 1, crop, 0.5F);
  ASSERT_EQ(found.size(), 1U);
  EXPECT_FLOAT_EQ(found[0].score, 0.5F);
  EXPECT_FLOAT_EQ(found[0].box.x, 36 - 8);
  EXPECT_FLOAT_EQ(found[0].box.y, 28 - 4);
  EXPECT_FLOAT_EQ(found[0].box.width, 16);
  EXPECT_FLOAT_EQ(found[0].box.height, 8);
  expectNear(found[0].keypoints[0], {34, 34}, 1e-5F);
}

TEST(Detections, OverlapOfBoxesAndMergingAveragesOverlapsByScoreKeepingTheBest) {
  EXPECT_FLOAT_EQ(overlap({0, 0, 10, 10}, {0, 0, 10, 10}), 1);
  EXPECT_FLOAT_EQ(overlap({0, 0, 10, 10}, {5, 0, 10, 10}), 50.0F / 150);
  EXPECT_FLOAT_EQ(overlap({0, 0, 10, 10}, {10, 0, 10, 10}), 0);  // touching edges
  EXPECT_FLOAT_EQ(overlap({0, 0, 0, 0}, {0, 0, 0, 0}), 0);

  std::vector<Detection> detections{
      {{10, 0, 10, 10}, 0.6F, {{10, 0}}},
      {{0, 0, 10, 10}, 0.9F, {{0, 0}}},
      {{2, 0, 10, 10}, 0.3F, {{3, 0}}},      // overlaps the best by 8/12
      {{100, 100, 10, 10}, 0.7F, {{100, 100}}},
  };
  const auto merged = mergeOverlapping(detections, 0.3F);
  ASSERT_EQ(merged.size(), 3U);
  // Strongest first: 0.9 merges with 0.3 (overlap 0.67) but not with 0.6 (0 overlap).
  EXPECT_FLOAT_EQ(merged[0].score, 0.9F);
  EXPECT_FLOAT_EQ(merged[0].box.x, (0 * 0.9F + 2 * 0.3F) / 1.2F);
  EXPECT_FLOAT_EQ(merged[0].keypoints[0].x, (0 * 0.9F + 3 * 0.3F) / 1.2F);
  EXPECT_FLOAT_EQ(merged[1].score, 0.7F);
  EXPECT_FLOAT_EQ(merged[2].score, 0.6F);
  EXPECT_EQ(merged[2].box, cv::Rect2f(10, 0, 10, 10));
  // An empty box survives on its own.
  EXPECT_EQ(mergeOverlapping({{{5, 5, 0, 0}, 0.8F, {}}}, 0.3F).size(), 1U);
}

TEST(HandGate, AHandCountsWhenOneOfItsPointsIsWithinReachOfTheArea) {
  const cv::Rect2f chin(100, 200, 50, 40);  // x 100..150, y 200..240
  struct Case {
    const char* what;
    std::array<cv::Point2f, 4> points;
    float reach;
    bool counts;
  };
  const cv::Point2f far(400, 400);
  const Case cases[] = {
      {"a wrist inside", {{{120, 220}, far, far, far}}, 0, true},
      {"a thumb on the edge", {{far, far, far, {150, 240}}}, 0, true},
      {"just beyond the edge", {{far, {150.5F, 220}, far, far}}, 0, false},
      {"straight out, exactly at reach", {{far, far, {100, 170}, far}}, 30, true},
      {"straight out, beyond reach", {{far, far, {100, 169}, far}}, 30, false},
      // Off a corner the distance is to the corner: 30 across and 40 down is 50 away.
      {"diagonal at reach", {{{180, 280}, far, far, far}}, 50, true},
      {"diagonal beyond reach", {{{180, 281}, far, far, far}}, 50, false},
      {"all far", {{far, far, far, far}}, 100, false},
  };
  for (const auto& c : cases) EXPECT_EQ(mayReach(c.points, chin, c.reach), c.counts) << c.what;
}

}  // namespace
}  // namespace kestrel
