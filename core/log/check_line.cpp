#include "core/log/check_line.hpp"

#include "core/base/json_text.hpp"
#include "core/log/score.hpp"

namespace kestrel {

using namespace json_io;

namespace {

std::vector<std::vector<Joint>> jointsOfHands(const std::vector<Hand>& hands) {
  std::vector<std::vector<Joint>> joints;
  joints.reserve(hands.size());
  for (const Hand& hand : hands) joints.push_back(hand.joints);
  return joints;
}

// A list of reals; a boolean or any other kind among them fails.
std::vector<double> reals(const Json& j, std::string_view key) {
  const Json& list = member(j, key);
  if (!list.is_array()) throw DecodeError("\"" + std::string(key) + "\": expected an array");
  std::vector<double> values;
  values.reserve(list.size());
  for (const Json& item : list) values.push_back(asReal(item));
  return values;
}

}  // namespace

BurstFrame BurstFrame::of(const Measurements& frame) {
  const Face* tallest = nullptr;
  for (const Face& face : frame.faces) {
    if (tallest == nullptr || face.box.height > tallest->box.height) tallest = &face;
  }
  BurstFrame burst;
  if (tallest != nullptr) burst.faceBox = tallest->box;
  burst.handJoints = jointsOfHands(frame.hands);
  return burst;
}

CheckLine::CheckLine(const CheckResult& result, const std::optional<Measurements>& measurements,
                     const std::vector<Measurements>& burst, bool stale_, std::string thresholdsId_,
                     std::optional<std::string> baselineId_, std::string time, double ms_,
                     std::optional<double> burstMs_)
    : thresholdsId(std::move(thresholdsId_)),
      baselineId(std::move(baselineId_)),
      t(std::move(time)),
      skip(result.skip),
      faceHeightRatio(result.faceHeightRatio),
      noseShoulderRatio(result.noseShoulderRatio),
      shoulderConf(result.shoulderConfidence),
      noseConf(result.noseConfidence),
      borrowed(result.borrowed),
      votes(result.frameVotes),
      head(result.head),
      hand(result.hand),
      stale(stale_),
      ms(ms_),
      burstMs(burstMs_) {
  if (result.subjectFace) {
    yaw = result.subjectFace->yaw;
    pitch = result.subjectFace->pitch;
    faceBox = result.subjectFace->box;
  }
  if (measurements) handJoints = jointsOfHands(measurements->hands);
  burstFrames.reserve(burst.size());
  for (const Measurements& frame : burst) burstFrames.push_back(BurstFrame::of(frame));
}

bool CheckLine::isScored() const { return ScoreRules::isScored(skip, head, hand, stale); }

bool CheckLine::isGood() const { return ScoreRules::isGood(skip, head, hand, stale); }

std::string lineText(const CheckLine& line) { return compactJSON(Json(line)); }

void to_json(Json& j, const BurstFrame& v) {
  j = Json{{"handJoints", v.handJoints}};
  putOptional(j, "faceBox", v.faceBox);
}

void from_json(const Json& j, BurstFrame& v) {
  v = {optionalObject<Rect>(j, "faceBox"), object<std::vector<std::vector<Joint>>>(j, "handJoints")};
}

void to_json(Json& j, const CheckLine& v) {
  j = Json{{"type", v.type},
           {"schema", v.schema},
           {"thresholdsId", v.thresholdsId},
           {"t", v.t},
           {"shoulderConf", v.shoulderConf},
           {"handJoints", v.handJoints},
           {"borrowed", v.borrowed},
           {"burstFrames", v.burstFrames},
           {"stale", v.stale},
           {"ms", v.ms}};
  putOptional(j, "baselineId", v.baselineId);
  putOptionalText(j, "skip", v.skip);
  putOptional(j, "yaw", v.yaw);
  putOptional(j, "pitch", v.pitch);
  putOptional(j, "faceBox", v.faceBox);
  putOptional(j, "faceHeightRatio", v.faceHeightRatio);
  putOptional(j, "noseShoulderRatio", v.noseShoulderRatio);
  putOptional(j, "noseConf", v.noseConf);
  putOptional(j, "votes", v.votes);
  putOptional(j, "head", v.head);
  putOptionalText(j, "hand", v.hand);
  putOptional(j, "burstMs", v.burstMs);
}

void from_json(const Json& j, CheckLine& v) {
  requireType(j, "check");
  CheckLine line;
  line.schema = count(j, "schema");
  line.thresholdsId = text(j, "thresholdsId");
  line.baselineId = optionalText(j, "baselineId");
  line.t = text(j, "t");
  line.skip = optionalEnumeration<SkipReason>(j, "skip");
  line.yaw = optionalReal(j, "yaw");
  line.pitch = optionalReal(j, "pitch");
  line.faceBox = optionalObject<Rect>(j, "faceBox");
  line.faceHeightRatio = optionalReal(j, "faceHeightRatio");
  line.noseShoulderRatio = optionalReal(j, "noseShoulderRatio");
  line.shoulderConf = reals(j, "shoulderConf");
  line.noseConf = optionalReal(j, "noseConf");
  line.handJoints = object<std::vector<std::vector<Joint>>>(j, "handJoints");
  line.borrowed = flag(j, "borrowed");
  line.votes = optionalObject<std::vector<FrameVote>>(j, "votes");
  line.burstFrames = object<std::vector<BurstFrame>>(j, "burstFrames");
  line.head = optionalObject<HeadResult>(j, "head");
  line.hand = optionalEnumeration<HandVerdict>(j, "hand");
  line.stale = flag(j, "stale");
  line.ms = real(j, "ms");
  line.burstMs = optionalReal(j, "burstMs");
  v = std::move(line);
}

}  // namespace kestrel
