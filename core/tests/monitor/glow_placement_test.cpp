#include "core/monitor/glow_placement.hpp"

#include <gtest/gtest.h>

#include "core/monitor/glow_pulse.hpp"

namespace kestrel {
namespace {

using Kind = GlowShape::Kind;

const ScreenInfo notched{{0, 0, 1512, 982}, 32, 660, 660};
const ScreenInfo plain{{1512, 0, 1920, 1080}, 0, std::nullopt, std::nullopt};

TEST(GlowPlacement, OneShapePerScreenInOrder) {
  const auto shapes = GlowPlacement::shapes({notched, plain});
  ASSERT_EQ(shapes.size(), 2u);
  // The notch is 1512 − 660 − 660 = 192 wide; the glow reaches 30 beyond it and up to the top.
  EXPECT_EQ(shapes[0], (GlowShape{Kind::notch, {630, 920, 252, 62}, 30}));
  EXPECT_EQ(shapes[1], (GlowShape{Kind::bar, {2372, 1050, 200, 30}, 15}));
  EXPECT_EQ(shapes[1].hoverFrame(), (Rect{2372, 1042, 200, 46}));
  EXPECT_TRUE(GlowPlacement::shapes({}).empty());
}

TEST(GlowPlacement, ABarUnlessTheNotchIsFullyDescribed) {
  auto screen = [](double inset, std::optional<double> left, std::optional<double> right) {
    return ScreenInfo{{0, 0, 1512, 982}, inset, left, right};
  };
  struct Case {
    const char* what;
    ScreenInfo screen;
    Kind kind;
  };
  const Case cases[] = {
      {"inset without auxiliary areas", screen(32, std::nullopt, std::nullopt), Kind::bar},
      {"only a left area", screen(32, 660, std::nullopt), Kind::bar},
      {"only a right area", screen(32, std::nullopt, 660), Kind::bar},
      {"areas without an inset", screen(0, 660, 660), Kind::bar},
      {"areas leaving no notch", screen(32, 756, 756), Kind::bar},
      {"a one-point notch", screen(32, 756, 755), Kind::notch},
  };
  for (const auto& c : cases) EXPECT_EQ(GlowPlacement::shapes({c.screen})[0].kind, c.kind) << c.what;
}

TEST(GlowPlacement, ScreensAwayFromTheOriginKeepTheirOffsets) {
  // A notched screen above and left of the primary one.
  const ScreenInfo moved{{-1512, 1080, 1512, 982}, 32, 660, 660};
  EXPECT_EQ(GlowPlacement::shapes({moved})[0], (GlowShape{Kind::notch, {-882, 2000, 252, 62}, 30}));
}

TEST(GlowShape, LogDescriptionRoundsHalvesAwayFromZero) {
  const auto shapes = GlowPlacement::shapes({notched, plain});
  EXPECT_EQ(shapes[1].logDescription(1), "screen=1 bar x=2372 y=1050 w=200 h=30");
  const GlowShape halves{Kind::bar, {-0.5, 2.5, 199.49, 29.5}, 15};
  EXPECT_EQ(halves.logDescription(3), "screen=3 bar x=-1 y=3 w=199 h=30");
}

TEST(GlowPulse, PulsesOnlyForARaiseThatIsVisible) {
  struct Case {
    const char* what;
    std::vector<std::string> raised;
    std::set<std::string> visible;
    bool pulse;
  };
  const Case cases[] = {
      {"nothing raised", {}, {"head-1"}, false},
      {"nothing visible", {"head-1"}, {}, false},
      {"raised hidden", {"hand-2"}, {"head-1"}, false},
      {"a new head alert beside a shown one", {"head-3"}, {"hand-2", "head-3"}, true},
      {"the second raise is visible", {"hand-2", "head-3"}, {"head-3"}, true},
  };
  for (const auto& c : cases) EXPECT_EQ(GlowPulse::shouldPulse(c.raised, c.visible), c.pulse) << c.what;
}

}  // namespace
}  // namespace kestrel
