#include "core/model/geometry.hpp"

#include <gtest/gtest.h>

#include "core/model/baseline.hpp"
#include "core/model/measurements.hpp"

namespace kestrel {
namespace {

TEST(Rect, WidenedKeepsCentreAndScalesBothSides) {
  EXPECT_EQ((Rect{10, 20, 100, 50}.widened(0.5)), (Rect{-15, 7.5, 150, 75}));
  EXPECT_EQ((Rect{10, 20, 100, 50}.widened(0)), (Rect{10, 20, 100, 50}));
}

TEST(Rect, ContainsIsInclusiveOnEveryEdgeAndCorner) {
  const Rect r{0, 0, 10, 20};
  struct Case {
    Point p;
    bool inside;
  };
  const Case cases[] = {{{0, 0}, true},     {{10, 20}, true},   {{0, 20}, true},  {{10, 0}, true},
                        {{5, 0}, true},     {{10, 7}, true},    {{-0.001, 5}, false},
                        {{5, 20.001}, false}, {{10.001, 5}, false}, {{5, -1e-9}, false}};
  for (const auto& c : cases) EXPECT_EQ(r.contains(c.p), c.inside) << c.p.x << "," << c.p.y;
}

TEST(Rect, ClampedNeverHasNegativeSize) {
  // Overlap.
  EXPECT_EQ((Rect{-5, -5, 20, 20}.clamped({0, 0, 10, 10})), (Rect{0, 0, 10, 10}));
  // Touching along an edge: zero width, placed at the larger minima.
  EXPECT_EQ((Rect{-10, 2, 10, 3}.clamped({0, 0, 10, 10})), (Rect{0, 2, 0, 3}));
  // Disjoint: zero size, never negative.
  EXPECT_EQ((Rect{50, 50, 5, 5}.clamped({0, 0, 10, 10})), (Rect{50, 50, 0, 0}));
  EXPECT_EQ((Rect{0, -30, 10, 5}.clamped({0, 0, 10, 10})), (Rect{0, 0, 10, 0}));
}

TEST(Geometry, DistanceFromLine) {
  EXPECT_EQ(distanceFromLine({0, 5}, {-3, 0}, {7, 0}), 5.0);
  EXPECT_EQ(distanceFromLine({3, 4}, {0, 0}, {0, 1}), 3.0);
  EXPECT_EQ(distanceFromLine({1, 1}, {2, 2}, {2, 2}), std::nullopt);
}

TEST(Geometry, Median) {
  EXPECT_EQ(median({3, 1, 2}), 2.0);
  EXPECT_EQ(median({4, 1, 3, 2}), 2.5);
  EXPECT_EQ(median({7}), 7.0);
  EXPECT_EQ(median({}), std::nullopt);
}

TEST(MeasurementJson, AbsentOptionalsAreLeftOutAndComeBackAbsent) {
  const Face face{{1, 2, 3, 4}, std::nullopt, 5.5};
  const Json j = face;
  EXPECT_EQ(j.dump(), R"({"box":{"height":4.0,"minX":1.0,"minY":2.0,"width":3.0},"pitch":5.5})");
  EXPECT_EQ(decode<Face>(j), face);

  const Body neckOnly{std::nullopt, Joint{{1, 2}, 0.5}, std::nullopt, std::nullopt};
  EXPECT_EQ(Json(neckOnly).dump(), R"({"neck":{"confidence":0.5,"point":{"x":1.0,"y":2.0}}})");
  EXPECT_EQ(decode<Body>(Json(neckOnly)), neckOnly);
  EXPECT_EQ(decode<Body>(Json::object()), Body{});
}

TEST(MeasurementJson, MissingOrMistypedRequiredKeyFailsTheWholeDecode) {
  EXPECT_EQ(decodeText<Rect>(R"({"minX":1,"minY":2,"width":3})"), std::nullopt);  // without height
  EXPECT_EQ(decodeText<Rect>(R"({"minX":1,"minY":2,"width":3,"height":true})"), std::nullopt);  // a boolean
  // An optional of the wrong type.
  EXPECT_EQ(decodeText<Face>(R"({"box":{"minX":1,"minY":2,"width":3,"height":4},"yaw":"x"})"), std::nullopt);
  EXPECT_EQ(decodeText<Joint>(R"({"point":{"x":1,"y":2}})"), std::nullopt);  // without confidence
  EXPECT_EQ(decodeText<Body>("[1,2,3]"), std::nullopt);
  EXPECT_EQ(decodeText<Measurements>(R"({"frameWidth":1,"frameHeight":2,"meanLuma":0.5,"faces":[],"bodies":[]})"),
            std::nullopt);
}

TEST(MeasurementJson, MeasurementsRoundTrip) {
  Measurements m{1280, 720, 0.4, {Face{{1, 2, 3, 4}, 10.25, -3}}, {Body{}}, {Hand{{Joint{{1, 1}, 0.9}}}, Hand{}}};
  EXPECT_EQ(decode<Measurements>(Json::parse(Json(m).dump())), m);
}

}  // namespace
}  // namespace kestrel
