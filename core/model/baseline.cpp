#include "core/model/baseline.hpp"

#include <cmath>

namespace kestrel {

using namespace json_io;

BaselineSet::BaselineSet(std::string id_, std::string cameraID_, std::vector<Baseline> baselines_, Reach reach_)
    : id(std::move(id_)), cameraID(std::move(cameraID_)), baselines(std::move(baselines_)), reach(reach_) {}

std::optional<Baseline> BaselineSet::nearest(double yaw) const {
  const Baseline* best = nullptr;
  for (const Baseline& b : baselines) {
    if (best == nullptr || std::abs(b.yaw - yaw) < std::abs(best->yaw - yaw)) best = &b;
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

BaselineSet BaselineSet::standIn() {
  Baseline laptop{ScreenRole::laptop, 0, 0, 0.3, 0.7, 0.25, std::nullopt};
  return BaselineSet("perf", "", {laptop}, Reach{0.3, 0.4});
}

void to_json(Json& j, const Baseline& v) {
  j = Json{{"screen", toText(v.screen)}, {"yaw", v.yaw}, {"pitch", v.pitch}, {"faceHeight", v.faceHeight}};
  putOptional(j, "noseShoulderRatio", v.noseShoulderRatio);
  putOptional(j, "shoulderWidth", v.shoulderWidth);
  putOptional(j, "faceCenterY", v.faceCenterY);
}

void from_json(const Json& j, Baseline& v) {
  v = {enumeration<ScreenRole>(j, "screen"),   real(j, "yaw"),
       real(j, "pitch"),                        real(j, "faceHeight"),
       optionalReal(j, "noseShoulderRatio"),    optionalReal(j, "shoulderWidth"),
       optionalReal(j, "faceCenterY")};
}

void to_json(Json& j, const Reach& v) { j = Json{{"faceGrowth", v.faceGrowth}, {"noseDrop", v.noseDrop}}; }

void from_json(const Json& j, Reach& v) { v = {real(j, "faceGrowth"), real(j, "noseDrop")}; }

void to_json(Json& j, const BaselineSet& v) {
  j = Json{{"schema", v.schema},       {"id", v.id},       {"cameraID", v.cameraID},
           {"baselines", v.baselines}, {"reach", v.reach}};
}

void from_json(const Json& j, BaselineSet& v) {
  BaselineSet set(text(j, "id"), text(j, "cameraID"), object<std::vector<Baseline>>(j, "baselines"),
                  object<Reach>(j, "reach"));
  set.schema = count(j, "schema");
  v = std::move(set);
}

}  // namespace kestrel
