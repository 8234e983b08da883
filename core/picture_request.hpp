#pragma once

#include <string>

#include "core/alert_module.hpp"
#include "core/instant.hpp"

namespace kestrel {

// Asks the picture writer to keep the picture of one raised alert.
struct PictureRequest {
  std::string alertId;
  AlertModule module = AlertModule::head;
  std::string hint;
  Instant raisedAt = 0;  // the moment of the check that raised the alert

  bool operator==(const PictureRequest&) const = default;
};

}  // namespace kestrel
