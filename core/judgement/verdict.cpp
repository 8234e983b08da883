#include "core/judgement/verdict.hpp"

namespace kestrel {

using namespace json_io;

void to_json(Json& j, const HeadResult& v) {
  j = Json{{"verdict", toText(v.verdict)}, {"clearOK", v.clearOK}};
  putOptionalText(j, "cause", v.cause);
  putOptionalText(j, "basis", v.basis);
  putOptionalText(j, "reason", v.reason);
}

void from_json(const Json& j, HeadResult& v) {
  v = {enumeration<HeadVerdict>(j, "verdict"), optionalEnumeration<HeadCause>(j, "cause"),
       optionalEnumeration<HeadBasis>(j, "basis"), optionalEnumeration<InconclusiveReason>(j, "reason"),
       flag(j, "clearOK")};
}

void to_json(Json& j, const FrameVote& v) {
  j = Json::object();
  putOptionalText(j, "skip", v.skip);
  putOptionalText(j, "head", v.head);
  putOptionalText(j, "hand", v.hand);
}

void from_json(const Json& j, FrameVote& v) {
  if (!j.is_object()) throw DecodeError("frame vote: expected an object");
  v = {optionalEnumeration<SkipReason>(j, "skip"), optionalEnumeration<HeadVerdict>(j, "head"),
       optionalEnumeration<HandVerdict>(j, "hand")};
}

}  // namespace kestrel
