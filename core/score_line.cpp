#include "core/score_line.hpp"

#include <simdjson.h>

#include "core/score.hpp"

namespace kestrel {

using namespace json_io;

bool ScoreLine::isScored() const { return ScoreRules::isScored(skip, head, hand, stale); }

bool ScoreLine::isGood() const { return ScoreRules::isGood(skip, head, hand, stale); }

void from_json(const Json& j, ScoreLine& v) {
  if (text(j, "type") != "check") throw DecodeError("\"type\": expected \"check\"");
  v = {count(j, "schema"), optionalEnumeration<SkipReason>(j, "skip"), optionalObject<HeadResult>(j, "head"),
       optionalEnumeration<HandVerdict>(j, "hand"), flag(j, "stale")};
}

namespace {

namespace od = simdjson::ondemand;
using Value = simdjson::simdjson_result<od::value>;

// Every step below gives false on the first error; the line is then dropped.

template <class E>
bool readEnumeration(Value value, std::optional<E>& out) {
  std::string_view text;
  if (value.get_string().get(text) != simdjson::SUCCESS) return false;
  out = fromText<E>(text);
  return out.has_value();
}

bool readHead(Value value, std::optional<HeadResult>& out) {
  od::object object;
  if (value.get_object().get(object) != simdjson::SUCCESS) return false;
  HeadResult head;
  std::optional<HeadVerdict> verdict;
  std::optional<bool> clearOK;
  for (auto field : object) {
    std::string_view key;
    if (field.unescaped_key().get(key) != simdjson::SUCCESS) return false;
    if (key == "verdict") {
      if (!readEnumeration(field.value(), verdict)) return false;
    } else if (key == "clearOK") {
      bool flag = false;
      if (field.value().get_bool().get(flag) != simdjson::SUCCESS) return false;
      clearOK = flag;
    } else if (key == "cause") {
      if (!readEnumeration(field.value(), head.cause)) return false;
    } else if (key == "basis") {
      if (!readEnumeration(field.value(), head.basis)) return false;
    } else if (key == "reason") {
      if (!readEnumeration(field.value(), head.reason)) return false;
    }
  }
  if (!verdict || !clearOK) return false;
  head.verdict = *verdict;
  head.clearOK = *clearOK;
  out = head;
  return true;
}

bool readLine(od::document& document, ScoreLine& line) {
  od::object object;
  if (document.get_object().get(object) != simdjson::SUCCESS) return false;
  bool typed = false;
  std::optional<std::int64_t> schema;
  std::optional<bool> stale;
  for (auto field : object) {
    std::string_view key;
    if (field.unescaped_key().get(key) != simdjson::SUCCESS) return false;
    if (key == "type") {
      std::string_view type;
      if (field.value().get_string().get(type) != simdjson::SUCCESS) return false;
      typed = type == "check";
    } else if (key == "schema") {
      std::int64_t number = 0;
      if (field.value().get_int64().get(number) != simdjson::SUCCESS) return false;
      schema = number;
    } else if (key == "stale") {
      bool flag = false;
      if (field.value().get_bool().get(flag) != simdjson::SUCCESS) return false;
      stale = flag;
    } else if (key == "skip") {
      if (!readEnumeration(field.value(), line.skip)) return false;
    } else if (key == "hand") {
      if (!readEnumeration(field.value(), line.hand)) return false;
    } else if (key == "head") {
      if (!readHead(field.value(), line.head)) return false;
    }
  }
  // Nothing but white space may follow the object: past its end there is no location.
  const char* rest = nullptr;
  if (document.current_location().get(rest) == simdjson::SUCCESS) return false;
  if (!typed || !schema || !stale) return false;
  line.schema = *schema;
  line.stale = *stale;
  return true;
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
  ScoreLine line;
  if (!readLine(document, line)) return std::nullopt;
  return line;
}

}  // namespace kestrel
