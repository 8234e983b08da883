#include "core/log/score_line.hpp"

#include <simdjson.h>

#include "core/log/score.hpp"

namespace kestrel {

using namespace json_io;

bool ScoreLine::isScored() const { return ScoreRules::isScored(skip, head, hand, stale); }

bool ScoreLine::isGood() const { return ScoreRules::isGood(skip, head, hand, stale); }

void from_json(const Json& j, ScoreLine& v) {
  requireType(j, "check");
  v = {count(j, "schema"), optionalEnumeration<SkipReason>(j, "skip"), optionalObject<HeadResult>(j, "head"),
       optionalEnumeration<HandVerdict>(j, "hand"), flag(j, "stale")};
}

namespace {

namespace od = simdjson::ondemand;
using Value = simdjson::simdjson_result<od::value>;

// The value of one key as the tree decoder would see it: when a key occurs more than once the
// last occurrence counts, so an unusable value is only remembered as such until a later
// occurrence replaces it.
template <class T>
struct Slot {
  std::optional<T> value;
  bool unusable = false;

  void take(std::optional<T> read) {
    value = read;
    unusable = !read.has_value();
  }
};

template <class E>
std::optional<E> readEnumeration(Value value) {
  std::string_view text;
  if (value.get_string().get(text) != simdjson::SUCCESS) return std::nullopt;
  return fromText<E>(text);
}

std::optional<bool> readFlag(Value value) {
  bool flag = false;
  if (value.get_bool().get(flag) != simdjson::SUCCESS) return std::nullopt;
  return flag;
}

std::optional<HeadResult> readHead(Value value) {
  od::object object;
  if (value.get_object().get(object) != simdjson::SUCCESS) return std::nullopt;
  Slot<HeadVerdict> verdict;
  Slot<bool> clearOK;
  Slot<HeadCause> cause;
  Slot<HeadBasis> basis;
  Slot<InconclusiveReason> reason;
  for (auto field : object) {
    std::string_view key;
    if (field.unescaped_key().get(key) != simdjson::SUCCESS) return std::nullopt;
    if (key == "verdict") {
      verdict.take(readEnumeration<HeadVerdict>(field.value()));
    } else if (key == "clearOK") {
      clearOK.take(readFlag(field.value()));
    } else if (key == "cause") {
      cause.take(readEnumeration<HeadCause>(field.value()));
    } else if (key == "basis") {
      basis.take(readEnumeration<HeadBasis>(field.value()));
    } else if (key == "reason") {
      reason.take(readEnumeration<InconclusiveReason>(field.value()));
    }
  }
  if (!verdict.value || !clearOK.value || cause.unusable || basis.unusable || reason.unusable) return std::nullopt;
  return HeadResult{*verdict.value, cause.value, basis.value, reason.value, *clearOK.value};
}

std::optional<ScoreLine> readLine(od::document& document) {
  od::object object;
  if (document.get_object().get(object) != simdjson::SUCCESS) return std::nullopt;
  Slot<bool> typed;
  Slot<std::int64_t> schema;
  Slot<bool> stale;
  Slot<SkipReason> skip;
  Slot<HandVerdict> hand;
  Slot<HeadResult> head;
  for (auto field : object) {
    // An error here means the line itself is broken, not just one value.
    std::string_view key;
    if (field.unescaped_key().get(key) != simdjson::SUCCESS) return std::nullopt;
    if (key == "type") {
      std::string_view type;
      const bool text = field.value().get_string().get(type) == simdjson::SUCCESS;
      typed.take(text && type == "check" ? std::optional(true) : std::nullopt);
    } else if (key == "schema") {
      std::int64_t number = 0;
      const bool integer = field.value().get_int64().get(number) == simdjson::SUCCESS;
      schema.take(integer ? std::optional(number) : std::nullopt);
    } else if (key == "stale") {
      stale.take(readFlag(field.value()));
    } else if (key == "skip") {
      skip.take(readEnumeration<SkipReason>(field.value()));
    } else if (key == "hand") {
      hand.take(readEnumeration<HandVerdict>(field.value()));
    } else if (key == "head") {
      head.take(readHead(field.value()));
    }
  }
  // Nothing but white space may follow the object: past its end there is no location.
  const char* rest = nullptr;
  if (document.current_location().get(rest) == simdjson::SUCCESS) return std::nullopt;
  if (!typed.value || !schema.value || !stale.value || skip.unusable || hand.unusable || head.unusable) {
    return std::nullopt;
  }
  return ScoreLine{*schema.value, skip.value, head.value, hand.value, *stale.value};
}

}  // namespace

struct ScoreLineReader::Parser {
  od::parser parser;
};

const std::size_t ScoreLineReader::padding = simdjson::SIMDJSON_PADDING;

ScoreLineReader::ScoreLineReader() : parser_(std::make_unique<Parser>()) {}

ScoreLineReader::~ScoreLineReader() = default;

std::optional<ScoreLine> ScoreLineReader::read(std::string_view text) {
  od::document document;
  if (parser_->parser.iterate(text.data(), text.size(), text.size() + padding).get(document) !=
      simdjson::SUCCESS) {
    return std::nullopt;
  }
  return readLine(document);
}

}  // namespace kestrel
