# Run at every build (cmake -P): writes the commit and the build date into OUTPUT, touching
# the file only when they changed, so that a build without a new commit relinks nothing.
# SOURCE_DATE_EPOCH, when set, fixes the date (reproducible builds).
execute_process(COMMAND git -C "${SOURCE}" rev-parse --short=12 HEAD OUTPUT_VARIABLE commit
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  set(commit "")
endif()
string(TIMESTAMP date "%Y-%m-%d" UTC)
file(WRITE "${OUTPUT}.new" "// Made by cmake/BuildInfo.cmake at build time.
#include \"platform/build_info.hpp\"

namespace kestrel::BuildInfo {
std::string_view commit() { return \"${commit}\"; }
std::string_view date() { return \"${date}\"; }
}  // namespace kestrel::BuildInfo
")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.new" "${OUTPUT}")
file(REMOVE "${OUTPUT}.new")
