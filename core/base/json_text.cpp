#include "core/base/json_text.hpp"

#include <cmath>

namespace kestrel {

namespace {

// JSON has no text for NaN or the infinities; the library would quietly write null.
void requireFinite(const Json& value) {
  switch (value.type()) {
    case Json::value_t::number_float:
      if (!std::isfinite(value.get<double>())) throw EncodeError("a real is not finite");
      break;
    case Json::value_t::object:
    case Json::value_t::array:
      for (const Json& item : value) requireFinite(item);
      break;
    default:
      break;
  }
}

std::string dump(const Json& value, int indent) {
  requireFinite(value);
  try {
    return value.dump(indent);
  } catch (const Json::type_error& e) {
    throw EncodeError(e.what());
  }
}

}  // namespace

std::string compactJSON(const Json& value) { return dump(value, -1); }

std::string indentedJSON(const Json& value) { return dump(value, 2); }

}  // namespace kestrel
