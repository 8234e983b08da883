#pragma once

#include <string>

#include "core/base/enum_text.hpp"
#include "core/base/instant.hpp"

namespace kestrel {

// The two alerts, in the order in which they are visited, listed and chimed.
enum class AlertModule { head, hand };

template <>
struct EnumTexts<AlertModule> {
  static constexpr std::array table{std::pair{AlertModule::head, std::string_view{"head"}},
                                    std::pair{AlertModule::hand, std::string_view{"hand"}}};
};

// One raised alert. Its id ties together the raise, chime, wrong and clear events and the
// alert's picture record.
struct ActiveAlert {
  std::string id;
  AlertModule module = AlertModule::head;
  std::string hint;              // may follow the latest cause while raised
  Instant raisedAt = 0;
  bool hiddenByWrong = false;    // no glow, no status line, no chime
  bool chimed = false;
  Instant chimeTimerStart = 0;   // the chime delay counts from here

  ActiveAlert() = default;
  ActiveAlert(std::string alertId, AlertModule alertModule, std::string alertHint, Instant at)
      : id(std::move(alertId)), module(alertModule), hint(std::move(alertHint)), raisedAt(at), chimeTimerStart(at) {}

  bool operator==(const ActiveAlert&) const = default;
};

}  // namespace kestrel
