# Our own code is built with many warnings; the project's own builds (scripts/test) make them
# errors with KESTREL_WERROR, a packager's build with another compiler or flags does not.
# Third-party headers come in as system includes.
option(KESTREL_WERROR "Treat warnings in Kestrel's own code as errors" OFF)
function(kestrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
  if(KESTREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# One test executable per module: every *.cpp under DIR and its folders, discovered test by test.
function(kestrel_test_executable name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_executable(${name} ${sources})
  kestrel_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
