#pragma once

#include "core/base/calendar.hpp"

namespace kestrel {

// The user's time zone: $TZ, else the zone /etc/localtime names, else UTC.
Calendar localTimeZone();

}  // namespace kestrel
