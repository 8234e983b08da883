#include "core/launch/test_copy_mark.hpp"

namespace kestrel {

TestCopyMark TestCopyMark::standard() { return TestCopyMark{"TEST", "Test copy — not your Kestrel"}; }

}  // namespace kestrel
