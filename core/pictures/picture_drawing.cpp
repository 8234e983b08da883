#include "core/pictures/picture_drawing.hpp"

#include <algorithm>

#include "core/judgement/head_chin_geometry.hpp"

namespace kestrel {

namespace {

bool drawn(const std::optional<Joint>& joint) {
  return joint && joint->confidence >= PictureDrawing::minConfidence;
}

Point normalised(const Point& p, double width, double height) { return {p.x / width, p.y / height}; }

Rect normalised(const Rect& r, double width, double height) {
  return {r.minX / width, r.minY / height, r.width / width, r.height / height};
}

}  // namespace

bool PictureDrawing::isEmpty() const {
  return !faceBox && !chinRegion && segments.empty() && bodyPoints.empty() && handPoints.empty();
}

PictureDrawing PictureDrawing::make(const Measurements& measurements, AlertModule module,
                                    const Thresholds& thresholds) {
  const double w = measurements.frameWidth;
  const double h = measurements.frameHeight;
  PictureDrawing drawing;
  if (!(w > 0) || !(h > 0)) return drawing;
  drawing.aspect = w / h;

  const Face* largest = nullptr;
  for (const Face& face : measurements.faces) {
    if (largest == nullptr || face.box.area() > largest->box.area()) largest = &face;
  }
  if (largest != nullptr) {
    drawing.faceBox = normalised(largest->box, w, h);
    if (module == AlertModule::hand) {
      const Rect region = HeadChinGeometry::chinRegion(largest->box, Rect{0, 0, w, h}, thresholds);
      drawing.chinRegion = normalised(region, w, h);
    }
  }

  if (!measurements.bodies.empty()) {
    const Body& body = measurements.bodies.front();
    for (const auto* joint : {&body.nose, &body.neck, &body.leftShoulder, &body.rightShoulder}) {
      if (drawn(*joint)) drawing.bodyPoints.push_back(normalised((*joint)->point, w, h));
    }
    if (drawn(body.leftShoulder) && drawn(body.rightShoulder)) {
      drawing.segments.push_back(
          {normalised(body.leftShoulder->point, w, h), normalised(body.rightShoulder->point, w, h)});
    }
    if (drawn(body.neck) && drawn(body.nose)) {
      drawing.segments.push_back({normalised(body.neck->point, w, h), normalised(body.nose->point, w, h)});
    }
  }

  for (const Hand& hand : measurements.hands) {
    for (const Joint& joint : hand.joints) {
      if (joint.confidence >= minConfidence) drawing.handPoints.push_back(normalised(joint.point, w, h));
    }
  }
  return drawing;
}

Rect PictureDrawingLayout::drawingArea(const Rect& bounds, double aspect) {
  const Rect insetArea{bounds.minX + inset, bounds.minY + inset, bounds.width - 2 * inset,
                       bounds.height - 2 * inset};
  if (!(insetArea.width > 0) || !(insetArea.height > 0) || !(aspect > 0)) return insetArea;
  const double width = std::min(insetArea.width, aspect * insetArea.height);
  const double height = width / aspect;
  return {insetArea.midX() - width / 2, insetArea.midY() - height / 2, width, height};
}

Point PictureDrawingLayout::place(const Point& normalised, const Rect& area) {
  return {area.maxX() - normalised.x * area.width, area.minY + normalised.y * area.height};
}

Rect PictureDrawingLayout::place(const Rect& normalised, const Rect& area) {
  return {area.maxX() - (normalised.minX + normalised.width) * area.width, area.minY + normalised.minY * area.height,
          normalised.width * area.width, normalised.height * area.height};
}

}  // namespace kestrel
