# One way to register a test: every test binary gets the same warnings, a
# timeout and the headless backend, and gtest_discover_tests runs each test
# in a process of its own, so static initialisation happens afresh for each.
# PREFIX goes before the names of its tests, for a binary that runs tests
# another binary runs too; a test whose output matches SKIPPED_WHEN is
# reported as skipped (a test environment that skips every test leaves
# them counted as passed otherwise).
function(velmora_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT;PREFIX;SKIPPED_WHEN" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(skip "")
  if(ARG_SKIPPED_WHEN)
    # One expression with gtest's own skip mark in it, which it replaces.
    set(skip SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]|${ARG_SKIPPED_WHEN}")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}
    TEST_PREFIX "${ARG_PREFIX}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      TIMEOUT ${ARG_TIMEOUT}
      ENVIRONMENT "VELMORA_BACKEND=headless;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
      ${skip})
endfunction()
