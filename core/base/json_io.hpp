#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/base/enum_text.hpp"

namespace kestrel {

using Json = nlohmann::json;

// Raised while decoding when a required key is missing or a value has the wrong type.
// Decoders catch it (see decode) and report the whole record as undecodable.
struct DecodeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

namespace json_io {

// The member `key` of an object; DecodeError when `j` is not an object or lacks the key.
const Json& member(const Json& j, std::string_view key);

// Required values of strict JSON types: a boolean is never a number, a real never a count.
double real(const Json& j, std::string_view key);
std::int64_t count(const Json& j, std::string_view key);
bool flag(const Json& j, std::string_view key);
std::string text(const Json& j, std::string_view key);

// Fails unless the record's "type" is `type`, so a line of another kind is never read as this one.
void requireType(const Json& j, std::string_view type);

double asReal(const Json& value);
std::int64_t asCount(const Json& value);

// Optional values: a missing key is absent; a present key of the wrong type fails.
std::optional<double> optionalReal(const Json& j, std::string_view key);
std::optional<std::string> optionalText(const Json& j, std::string_view key);

template <class E>
E enumeration(const Json& j, std::string_view key) {
  auto value = fromText<E>(text(j, key));
  if (!value) throw DecodeError("unknown text for \"" + std::string(key) + "\"");
  return *value;
}

template <class E>
std::optional<E> optionalEnumeration(const Json& j, std::string_view key) {
  if (!j.contains(key)) return std::nullopt;
  return enumeration<E>(j, key);
}

template <class T>
T object(const Json& j, std::string_view key) {
  return member(j, key).template get<T>();
}

template <class T>
std::optional<T> optionalObject(const Json& j, std::string_view key) {
  if (!j.contains(key)) return std::nullopt;
  return member(j, key).template get<T>();
}

// Writes `value` under `key` only when present: an absent optional is left out, never null.
template <class T>
void putOptional(Json& j, std::string_view key, const std::optional<T>& value) {
  if (value) j[std::string(key)] = *value;
}

template <class E>
void putOptionalText(Json& j, std::string_view key, const std::optional<E>& value) {
  if (value) j[std::string(key)] = toText(*value);
}

}  // namespace json_io

// Decodes a value of T from JSON; absent when anything required is missing or mistyped.
template <class T>
std::optional<T> decode(const Json& j) {
  try {
    return j.get<T>();
  } catch (const DecodeError&) {
    return std::nullopt;
  } catch (const Json::exception&) {
    return std::nullopt;
  }
}

// The JSON value of a text; absent for text that is not JSON.
inline std::optional<Json> parseJson(std::string_view text) {
  // The parser stops at a zero byte as if the text ended there, which would let anything after
  // it pass; JSON text never holds one.
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  Json j = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (j.is_discarded()) return std::nullopt;
  return j;
}

// Parses text and decodes it; absent for text that is not JSON or not a T.
template <class T>
std::optional<T> decodeText(std::string_view text) {
  const auto j = parseJson(text);
  if (!j) return std::nullopt;
  return decode<T>(*j);
}

}  // namespace kestrel
