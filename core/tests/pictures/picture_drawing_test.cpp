#include "core/pictures/picture_drawing.hpp"

#include <gtest/gtest.h>

#include "core/judgement/head_chin_geometry.hpp"
#include "core/tests/support/log_builders.hpp"

namespace kestrel {
namespace {

using testing::joint;

Measurements frame(double width, double height) {
  Measurements m;
  m.frameWidth = width;
  m.frameHeight = height;
  return m;
}

TEST(PictureDrawing, FramesWithoutSizeGiveTheEmptyDrawing) {
  for (const auto& [w, h] : {std::pair{0.0, 720.0}, {1280.0, 0.0}, {-5.0, 720.0}, {std::nan(""), 720.0}}) {
    Measurements m = frame(w, h);
    m.faces = {Face{{1, 1, 10, 10}, {}, {}}};
    const PictureDrawing drawing = PictureDrawing::make(m, AlertModule::hand, Thresholds{});
    EXPECT_TRUE(drawing.isEmpty());
    EXPECT_DOUBLE_EQ(drawing.aspect, 16.0 / 9.0);
  }
}

TEST(PictureDrawing, FaceAndChinRegion) {
  Measurements m = frame(1000, 500);
  const Face first{{100, 100, 200, 100}, {}, {}};
  const Face sameArea{{500, 200, 100, 200}, {}, {}};
  const Face smaller{{0, 0, 10, 10}, {}, {}};
  m.faces = {smaller, first, sameArea};

  const PictureDrawing head = PictureDrawing::make(m, AlertModule::head, Thresholds{});
  EXPECT_DOUBLE_EQ(head.aspect, 2);
  EXPECT_EQ(head.faceBox, (Rect{0.1, 0.2, 0.2, 0.2}));
  EXPECT_EQ(head.chinRegion, std::nullopt);

  const PictureDrawing hand = PictureDrawing::make(m, AlertModule::hand, Thresholds{});
  EXPECT_EQ(hand.faceBox, head.faceBox);
  const Rect region = HeadChinGeometry::chinRegion(first.box, Rect{0, 0, 1000, 500}, Thresholds{});
  EXPECT_EQ(hand.chinRegion, (Rect{region.minX / 1000, region.minY / 500, region.width / 1000, region.height / 500}));
  EXPECT_FALSE(hand.isEmpty());

  const PictureDrawing faceless = PictureDrawing::make(frame(1000, 500), AlertModule::hand, Thresholds{});
  EXPECT_EQ(faceless.faceBox, std::nullopt);
  EXPECT_EQ(faceless.chinRegion, std::nullopt);
  EXPECT_TRUE(faceless.isEmpty());
}

TEST(PictureDrawing, BodyJointsAndTheirLinks) {
  struct Case {
    const char* name;
    Body body;
    std::vector<Point> points;
    std::vector<Segment> segments;
  };
  const Joint nose = joint(50, 80, 0.9);
  const Joint neck = joint(50, 50, 0.3);
  const Joint left = joint(20, 40, 0.8);
  const Joint right = joint(80, 40, 0.8);
  const Joint weakNose = joint(50, 80, 0.29);
  const Case cases[] = {
      {"all four", Body{nose, neck, left, right},
       {{0.5, 0.8}, {0.5, 0.5}, {0.2, 0.4}, {0.8, 0.4}},
       {{{0.2, 0.4}, {0.8, 0.4}}, {{0.5, 0.5}, {0.5, 0.8}}}},
      {"nose at 0.29", Body{weakNose, neck, left, right},
       {{0.5, 0.5}, {0.2, 0.4}, {0.8, 0.4}},
       {{{0.2, 0.4}, {0.8, 0.4}}}},
      {"only the left shoulder", Body{std::nullopt, std::nullopt, left, std::nullopt}, {{0.2, 0.4}}, {}},
      {"no joints", Body{}, {}, {}},
  };
  for (const auto& c : cases) {
    Measurements m = frame(100, 100);
    m.bodies = {c.body, Body{nose, neck, left, right}};
    const PictureDrawing drawing = PictureDrawing::make(m, AlertModule::head, Thresholds{});
    EXPECT_EQ(drawing.bodyPoints, c.points) << c.name;
    EXPECT_EQ(drawing.segments, c.segments) << c.name;
  }
}

TEST(PictureDrawing, ConfidentHandJointsOfEveryHand) {
  Measurements m = frame(200, 100);
  m.hands = {Hand{{joint(20, 10, 0.3), joint(40, 20, 0.2)}}, Hand{{joint(100, 50, 1)}}};
  const PictureDrawing drawing = PictureDrawing::make(m, AlertModule::hand, Thresholds{});
  EXPECT_EQ(drawing.handPoints, (std::vector<Point>{{0.1, 0.1}, {0.5, 0.5}}));
  EXPECT_TRUE(drawing.segments.empty());
  EXPECT_FALSE(drawing.isEmpty());
}

TEST(PictureDrawingLayout, FitsTheAspectInsideTheInsetBounds) {
  // 1280 × 720 in a 200 × 150 view: 192 wide, 108 high, centred.
  EXPECT_EQ(PictureDrawingLayout::drawingArea(Rect{0, 0, 200, 150}, 1280.0 / 720.0), (Rect{4, 21, 192, 108}));
  // A tall frame is limited by the height.
  EXPECT_EQ(PictureDrawingLayout::drawingArea(Rect{10, 10, 208, 108}, 0.5), (Rect{89, 14, 50, 100}));
  // Nothing to fit into, or no aspect: the inset area itself.
  EXPECT_EQ(PictureDrawingLayout::drawingArea(Rect{0, 0, 8, 100}, 1), (Rect{4, 4, 0, 92}));
  EXPECT_EQ(PictureDrawingLayout::drawingArea(Rect{0, 0, 100, 50}, 0), (Rect{4, 4, 92, 42}));
}

TEST(PictureDrawingLayout, MirrorsLeftToRight) {
  const Rect area{4, 21, 192, 108};
  // x 0.25 lands three quarters of the way across.
  EXPECT_EQ(PictureDrawingLayout::place(Point{0.25, 0.5}, area), (Point{4 + 144, 21 + 54}));
  EXPECT_EQ(PictureDrawingLayout::place(Point{0, 0}, area), (Point{196, 21}));
  EXPECT_EQ(PictureDrawingLayout::place(Rect{0.25, 0.5, 0.5, 0.25}, area), (Rect{4 + 48, 21 + 54, 96, 27}));
}

}  // namespace
}  // namespace kestrel
