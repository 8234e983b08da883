#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/base/enum_text.hpp"
#include "core/base/instant.hpp"

namespace kestrel {

// How long after an alert is raised its chime plays.
enum class ChimeDelay { atRaise, s30, min1, min3 };

template <>
struct EnumTexts<ChimeDelay> {
  static constexpr std::array table{std::pair{ChimeDelay::atRaise, std::string_view{"atRaise"}},
                                    std::pair{ChimeDelay::s30, std::string_view{"s30"}},
                                    std::pair{ChimeDelay::min1, std::string_view{"min1"}},
                                    std::pair{ChimeDelay::min3, std::string_view{"min3"}}};
};

inline constexpr ChimeDelay defaultChimeDelay = ChimeDelay::s30;

// The stored form, whole seconds: 0, 30, 60, 180.
std::int64_t rawValue(ChimeDelay delay);
Seconds seconds(ChimeDelay delay);
// The delay of exactly that many seconds; absent for any other number.
std::optional<ChimeDelay> chimeDelayFromRaw(std::int64_t rawSeconds);

// "When alert starts", "30 s", "1 min", "3 min".
std::string label(ChimeDelay delay);

}  // namespace kestrel
