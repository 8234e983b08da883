#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel {

// Drops the oldest entries of a list kept oldest first until at most `length` remain; a
// negative length empties it.
template <class T>
void keepLast(std::vector<T>& list, std::int64_t length) {
  const auto limit = static_cast<std::size_t>(std::max<std::int64_t>(length, 0));
  if (list.size() > limit) list.erase(list.begin(), list.end() - static_cast<std::ptrdiff_t>(limit));
}

}  // namespace kestrel
