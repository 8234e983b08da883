#include "tools/kestrel-fixtures/drawing.hpp"

#include <opencv2/imgproc.hpp>

namespace kestrel::fixtures {

namespace {

struct Canvas {
  cv::Mat image;
  double height;
  int thickness;

  cv::Point at(const Point& p) const {
    return {static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(height - p.y))};
  }

  void dot(const Point& p, const cv::Scalar& colour, bool solid) const {
    cv::circle(image, at(p), 2 * thickness + 1, colour, solid ? cv::FILLED : thickness, cv::LINE_AA);
  }

  void line(const Point& a, const Point& b, const cv::Scalar& colour) const {
    cv::line(image, at(a), at(b), colour, thickness, cv::LINE_AA);
  }
};

const cv::Scalar grey(160, 160, 160);
const cv::Scalar green(80, 220, 80);
const cv::Scalar orange(0, 150, 255);
const cv::Scalar magenta(220, 60, 220);
const cv::Scalar yellow(0, 230, 255);
const cv::Scalar white(255, 255, 255);

}  // namespace

cv::Mat drawAnalysis(const cv::Mat& image, const Analyzer::Output& output, const Analyzer::Trace& trace,
                     double minConfidence) {
  const int thickness = std::max(1, static_cast<int>(std::lround(std::max(image.cols, image.rows) / 400.0)));
  const Canvas canvas{image.clone(), static_cast<double>(image.rows), thickness};
  const Measurements& m = output.measurements;

  for (const auto& region : trace.regions) {
    for (std::size_t i = 0; i < region.size(); ++i) canvas.line(region[i], region[(i + 1) % region.size()], grey);
  }
  for (const auto& [name, points] : output.landmarks) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i) canvas.line(points[i], points[i + 1], yellow);
  }
  for (std::size_t i = 0; i < m.faces.size(); ++i) {
    const Rect& box = m.faces[i].box;
    cv::rectangle(canvas.image, canvas.at({box.minX, box.maxY()}), canvas.at({box.maxX(), box.minY}), green, thickness,
                  cv::LINE_AA);
    if (i < trace.faceKeypoints.size()) {
      for (const auto& k : trace.faceKeypoints[i]) canvas.dot(k, green, true);
    }
  }
  for (const auto& body : m.bodies) {
    const auto link = [&](const std::optional<Joint>& a, const std::optional<Joint>& b) {
      if (a && b) canvas.line(a->point, b->point, orange);
    };
    link(body.nose, body.neck);
    link(body.neck, body.leftShoulder);
    link(body.neck, body.rightShoulder);
    for (const auto& joint : {body.nose, body.neck, body.leftShoulder, body.rightShoulder}) {
      if (joint) canvas.dot(joint->point, orange, joint->confidence >= minConfidence);
    }
    if (body.leftShoulder) {
      cv::putText(canvas.image, "L", canvas.at(body.leftShoulder->point) + cv::Point(6 * thickness, 0),
                  cv::FONT_HERSHEY_SIMPLEX, 0.4 * thickness, white, thickness, cv::LINE_AA);
    }
  }
  for (const auto& hand : m.hands) {
    for (const auto& joint : hand.joints) canvas.dot(joint.point, magenta, joint.confidence >= minConfidence);
  }
  return canvas.image;
}

}  // namespace kestrel::fixtures
