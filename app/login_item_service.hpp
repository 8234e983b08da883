#pragma once

#include <optional>
#include <string>

#include "core/launch/login_item_status.hpp"

namespace kestrel {

// Whether the program starts when the user logs in, and the facts the first offer needs.
class LoginItemService {
 public:
  virtual ~LoginItemService() = default;
  virtual LoginItemStatus status() = 0;
  // Both give the failure as "<domain>:<code>", such as "errno:13", or none on success.
  virtual std::optional<std::string> enable() = 0;
  virtual std::optional<std::string> disable() = 0;
  // Where the running program lies, and whether that volume is mounted read-only (an error
  // reading it counts as writable).
  virtual std::string executablePath() = 0;
  virtual bool isReadOnlyVolume() = 0;
};

}  // namespace kestrel
