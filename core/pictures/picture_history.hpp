#pragma once

#include <optional>
#include <string_view>

#include "core/pictures/picture_store.hpp"

namespace kestrel {

// Texts and look-up of the History tab and the picture viewer.
namespace PictureHistory {

inline constexpr std::string_view emptyText = "No pictures yet. Each alert keeps one.";
inline constexpr std::string_view deletedText = "This picture was deleted.";

inline std::optional<PictureEntry> lookup(const PictureStore& store, std::string_view day, std::string_view stem) {
  return store.entry(day, stem);
}

}  // namespace PictureHistory

}  // namespace kestrel
