#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/base/enum_text.hpp"

namespace kestrel {

// How many days of alert pictures are kept.
enum class PictureRetention { day, week, month };

template <>
struct EnumTexts<PictureRetention> {
  static constexpr std::array table{std::pair{PictureRetention::day, std::string_view{"day"}},
                                    std::pair{PictureRetention::week, std::string_view{"week"}},
                                    std::pair{PictureRetention::month, std::string_view{"month"}}};
};

inline constexpr PictureRetention defaultPictureRetention = PictureRetention::week;

// The stored form, whole days: 1, 7, 30.
std::int64_t days(PictureRetention retention);
// The retention of exactly that many days; absent for any other number.
std::optional<PictureRetention> pictureRetentionFromRaw(std::int64_t rawDays);

// "Today only", "7 days", "30 days".
std::string label(PictureRetention retention);

}  // namespace kestrel
