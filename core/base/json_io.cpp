#include "core/base/json_io.hpp"

namespace kestrel::json_io {

namespace {

[[noreturn]] void fail(std::string_view key, std::string_view what) {
  throw DecodeError("\"" + std::string(key) + "\": " + std::string(what));
}

}  // namespace

const Json& member(const Json& j, std::string_view key) {
  if (!j.is_object()) throw DecodeError("expected an object");
  auto it = j.find(key);
  if (it == j.end()) fail(key, "missing");
  return *it;
}

double asReal(const Json& value) {
  if (!value.is_number()) throw DecodeError("expected a number");
  return value.get<double>();
}

std::int64_t asCount(const Json& value) {
  if (value.is_number_unsigned()) {
    const auto u = value.get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(INT64_MAX)) throw DecodeError("integer out of range");
    return static_cast<std::int64_t>(u);
  }
  if (!value.is_number_integer()) throw DecodeError("expected an integer");
  return value.get<std::int64_t>();
}

double real(const Json& j, std::string_view key) {
  const Json& v = member(j, key);
  if (!v.is_number()) fail(key, "expected a number");
  return v.get<double>();
}

std::int64_t count(const Json& j, std::string_view key) {
  try {
    return asCount(member(j, key));
  } catch (const DecodeError& e) {
    fail(key, e.what());
  }
}

bool flag(const Json& j, std::string_view key) {
  const Json& v = member(j, key);
  if (!v.is_boolean()) fail(key, "expected a boolean");
  return v.get<bool>();
}

std::string text(const Json& j, std::string_view key) {
  const Json& v = member(j, key);
  if (!v.is_string()) fail(key, "expected a string");
  return v.get<std::string>();
}

void requireType(const Json& j, std::string_view type) {
  if (text(j, "type") != type) throw DecodeError("\"type\": expected \"" + std::string(type) + "\"");
}

std::optional<double> optionalReal(const Json& j, std::string_view key) {
  if (!j.contains(key)) return std::nullopt;
  return real(j, key);
}

std::optional<std::string> optionalText(const Json& j, std::string_view key) {
  if (!j.contains(key)) return std::nullopt;
  return text(j, key);
}

}  // namespace kestrel::json_io
