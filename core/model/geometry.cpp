#include "core/model/geometry.hpp"

#include <algorithm>
#include <cmath>

namespace kestrel {

double Point::distance(const Point& q) const { return std::hypot(q.x - x, q.y - y); }

Rect Rect::widened(double f) const {
  const double w = width * (1 + f);
  const double h = height * (1 + f);
  return {midX() - w * 0.5, midY() - h * 0.5, w, h};
}

bool Rect::contains(const Point& p) const {
  return minX <= p.x && p.x <= maxX() && minY <= p.y && p.y <= maxY();
}

Rect Rect::clamped(const Rect& r) const {
  const double x = std::max(minX, r.minX);
  const double y = std::max(minY, r.minY);
  const double w = std::max(0.0, std::min(maxX(), r.maxX()) - x);
  const double h = std::max(0.0, std::min(maxY(), r.maxY()) - y);
  return {x, y, w, h};
}

std::optional<double> distanceFromLine(const Point& p, const Point& a, const Point& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double squared = dx * dx + dy * dy;
  if (!(squared > 0)) return std::nullopt;
  return std::abs((a.y - p.y) * dx - (a.x - p.x) * dy) / std::sqrt(squared);
}

std::optional<double> median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  if (n % 2 == 1) return values[n / 2];
  return (values[n / 2 - 1] + values[n / 2]) / 2;
}

void to_json(Json& j, const Point& p) { j = Json{{"x", p.x}, {"y", p.y}}; }

void from_json(const Json& j, Point& p) {
  p = {json_io::real(j, "x"), json_io::real(j, "y")};
}

void to_json(Json& j, const Rect& r) {
  j = Json{{"minX", r.minX}, {"minY", r.minY}, {"width", r.width}, {"height", r.height}};
}

void from_json(const Json& j, Rect& r) {
  r = {json_io::real(j, "minX"), json_io::real(j, "minY"), json_io::real(j, "width"),
       json_io::real(j, "height")};
}

}  // namespace kestrel
