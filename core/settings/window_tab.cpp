#include "core/settings/window_tab.hpp"

namespace kestrel {

std::string title(WindowTab tab) {
  switch (tab) {
    case WindowTab::today: return "Today";
    case WindowTab::history: return "History";
    case WindowTab::settings: return "Settings";
    case WindowTab::howItWorks: return "How it works";
  }
  return {};
}

std::int64_t index(WindowTab tab) { return static_cast<std::int64_t>(tab); }

WindowTab windowTab(std::int64_t index) {
  const auto tabs = allCases<WindowTab>();
  if (index < 0 || index >= static_cast<std::int64_t>(tabs.size())) return WindowTab::today;
  return tabs[static_cast<std::size_t>(index)];
}

}  // namespace kestrel
