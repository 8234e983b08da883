#include "core/launch/login_item_status.hpp"

namespace kestrel {

std::string menuTitle(LoginItemStatus status) {
  if (status == LoginItemStatus::requiresApproval) {
    return "Start at login (needs approval in your desktop's autostart settings)";
  }
  return "Start at login";
}

}  // namespace kestrel
