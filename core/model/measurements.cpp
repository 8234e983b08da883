#include "core/model/measurements.hpp"

namespace kestrel {

using namespace json_io;

void to_json(Json& j, const Joint& v) { j = Json{{"point", v.point}, {"confidence", v.confidence}}; }

void from_json(const Json& j, Joint& v) {
  v = {object<Point>(j, "point"), real(j, "confidence")};
}

void to_json(Json& j, const Face& v) {
  j = Json{{"box", v.box}};
  putOptional(j, "yaw", v.yaw);
  putOptional(j, "pitch", v.pitch);
}

void from_json(const Json& j, Face& v) {
  v = {object<Rect>(j, "box"), optionalReal(j, "yaw"), optionalReal(j, "pitch")};
}

void to_json(Json& j, const Body& v) {
  j = Json::object();
  putOptional(j, "nose", v.nose);
  putOptional(j, "neck", v.neck);
  putOptional(j, "leftShoulder", v.leftShoulder);
  putOptional(j, "rightShoulder", v.rightShoulder);
}

void from_json(const Json& j, Body& v) {
  if (!j.is_object()) throw DecodeError("body: expected an object");
  v = {optionalObject<Joint>(j, "nose"), optionalObject<Joint>(j, "neck"),
       optionalObject<Joint>(j, "leftShoulder"), optionalObject<Joint>(j, "rightShoulder")};
}

void to_json(Json& j, const Hand& v) { j = Json{{"joints", v.joints}}; }

void from_json(const Json& j, Hand& v) { v = {object<std::vector<Joint>>(j, "joints")}; }

void to_json(Json& j, const Measurements& v) {
  j = Json{{"frameWidth", v.frameWidth}, {"frameHeight", v.frameHeight}, {"meanLuma", v.meanLuma},
           {"faces", v.faces},           {"bodies", v.bodies},           {"hands", v.hands}};
}

void from_json(const Json& j, Measurements& v) {
  v = {real(j, "frameWidth"),
       real(j, "frameHeight"),
       real(j, "meanLuma"),
       object<std::vector<Face>>(j, "faces"),
       object<std::vector<Body>>(j, "bodies"),
       object<std::vector<Hand>>(j, "hands")};
}

}  // namespace kestrel
