#pragma once

#include <string>
#include <vector>

#include "core/monitor/active_alert.hpp"
#include "core/base/instant.hpp"
#include "core/monitor/monitor_io.hpp"

namespace kestrel {

// Asks the picture writer to keep the picture of one raised alert.
struct PictureRequest {
  std::string alertId;
  AlertModule module = AlertModule::head;
  std::string hint;
  Instant raisedAt = 0;  // the moment of the check that raised the alert

  bool operator==(const PictureRequest&) const = default;
};

namespace PictureRequests {

// One request per alert raised among the events of a check, in event order, each dated at
// the check's moment.
std::vector<PictureRequest> make(const std::vector<MonitorEvent>& events, Instant checkAt);

}  // namespace PictureRequests

}  // namespace kestrel
