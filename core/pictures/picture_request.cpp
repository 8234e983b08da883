#include "core/pictures/picture_request.hpp"

namespace kestrel {

std::vector<PictureRequest> PictureRequests::make(const std::vector<MonitorEvent>& events, Instant checkAt) {
  std::vector<PictureRequest> requests;
  for (const MonitorEvent& e : events) {
    if (const auto* raised = std::get_if<event::AlertRaised>(&e)) {
      requests.push_back({raised->alertId, raised->module, raised->hint, checkAt});
    }
  }
  return requests;
}

}  // namespace kestrel
