#pragma once

#include <cstdint>
#include <string>

#include "core/base/enum_text.hpp"

namespace kestrel {

// The tabs of the main window, in their order (indices 0 to 3).
enum class WindowTab { today, history, settings, howItWorks };

template <>
struct EnumTexts<WindowTab> {
  static constexpr std::array table{std::pair{WindowTab::today, std::string_view{"today"}},
                                    std::pair{WindowTab::history, std::string_view{"history"}},
                                    std::pair{WindowTab::settings, std::string_view{"settings"}},
                                    std::pair{WindowTab::howItWorks, std::string_view{"howItWorks"}}};
};

// "Today", "History", "Settings", "How it works".
std::string title(WindowTab tab);
std::int64_t index(WindowTab tab);
// The tab at that index; any index outside 0 to 3 is `today`.
WindowTab windowTab(std::int64_t index);

}  // namespace kestrel
