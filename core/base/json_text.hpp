#pragma once

#include <stdexcept>
#include <string>

#include "core/base/json_io.hpp"

namespace kestrel {

// Raised when a value cannot be written as JSON: a real that is not finite, or a text that
// is not valid UTF-8. Nothing is written in that case.
struct EncodeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One line of JSON without any white space: keys in ascending byte order at every level,
// "/" unescaped, reals in the shortest form that reads back to the same double.
std::string compactJSON(const Json& value);

// The same, indented by two spaces per level, for files people may read.
std::string indentedJSON(const Json& value);

}  // namespace kestrel
