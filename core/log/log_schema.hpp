#pragma once

#include <cstdint>

namespace kestrel {

// The format numbers of the daily log's lines.
namespace LogSchema {

// A closed range of format numbers.
struct Range {
  std::int64_t first = 0;
  std::int64_t last = 0;

  constexpr bool contains(std::int64_t schema) const { return first <= schema && schema <= last; }
};

// Written into every new line.
inline constexpr std::int64_t version = 2;
// Lines of these formats are read back; lines of any other format are ignored.
inline constexpr Range readable{1, 2};

}  // namespace LogSchema

}  // namespace kestrel
