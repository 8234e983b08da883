#pragma once

#include <string>

namespace kestrel {

// A new random (version 4) UUID in its standard upper-case text form,
// "8-4-4-4-12" hexadecimal digits.
std::string randomUUID();

}  // namespace kestrel
