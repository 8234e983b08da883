#include "core/monitor/glow_placement.hpp"

#include <cmath>

namespace kestrel {

namespace {

std::string rounded(double value) { return std::to_string(std::llround(value)); }

GlowShape shapeFor(const ScreenInfo& screen) {
  const Rect& f = screen.frame;
  const double top = f.maxY();
  constexpr double t = GlowPlacement::thickness;
  if (screen.safeAreaTop > 0 && screen.auxiliaryLeftWidth && screen.auxiliaryRightWidth) {
    const double left = *screen.auxiliaryLeftWidth;
    const double notchWidth = f.width - left - *screen.auxiliaryRightWidth;
    if (notchWidth > 0) {
      // Framing the notch: a glow's thickness beyond it left, right and below, up to the top edge.
      return {GlowShape::Kind::notch,
              {f.minX + left - t, top - screen.safeAreaTop - t, notchWidth + 2 * t, screen.safeAreaTop + t},
              t};
    }
  }
  return {GlowShape::Kind::bar,
          {f.minX + f.width / 2 - GlowPlacement::plainWidth / 2, top - t, GlowPlacement::plainWidth, t},
          t / 2};
}

}  // namespace

Rect GlowShape::hoverFrame() const { return {frame.minX, frame.minY - 8, frame.width, 46}; }

std::string GlowShape::logDescription(std::int64_t screen) const {
  return "screen=" + std::to_string(screen) + " " + std::string(toText(kind)) + " x=" + rounded(frame.minX) +
         " y=" + rounded(frame.minY) + " w=" + rounded(frame.width) + " h=" + rounded(frame.height);
}

std::vector<GlowShape> GlowPlacement::shapes(const std::vector<ScreenInfo>& screens) {
  std::vector<GlowShape> result;
  result.reserve(screens.size());
  for (const ScreenInfo& screen : screens) result.push_back(shapeFor(screen));
  return result;
}

}  // namespace kestrel
