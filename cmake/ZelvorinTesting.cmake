include_guard(GLOBAL)

set(ZELVORIN_TEST_SERVICE "" CACHE FILEPATH
  "A zelvorin-service built elsewhere that the tests start instead of this tree's own (empty: this tree's)")

# zelvorin_tests_need(<tests> <executable>...): the tests start these programs, so they are built
# first. zelvorin-service is left out when ZELVORIN_TEST_SERVICE names one built elsewhere.
function(zelvorin_tests_need target)
  if(NOT TARGET ${target})
    return()
  endif()
  set(programs ${ARGN})
  if(ZELVORIN_TEST_SERVICE)
    list(REMOVE_ITEM programs zelvorin-service)
  endif()
  if(programs)
    add_dependencies(${target} ${programs})
  endif()
endfunction()

# zelvorin_add_tests(<target> SOURCES ... LIBS ... [LABEL ui])
#
# One GoogleTest binary per module. Every test is registered with CTest on its own so the
# suite runs in parallel. Suites whose name ends in "IntegrationTest" (real files, the real
# service over loopback, real OCR) get the label "integration"; all others "unit". With
# LABEL ui every test of the binary is labelled "ui" instead and runs with Qt's offscreen
# platform (the Qt-free trees, such as the sanitizer's, never build these).
function(zelvorin_add_tests target)
  if(NOT ZELVORIN_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  include(GoogleTest)
  if(ARG_LABEL)
    gtest_discover_tests(${target}
      TEST_PREFIX "${target}:"
      PROPERTIES LABELS ${ARG_LABEL} ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60)
    return()
  endif()
  gtest_discover_tests(${target}
    TEST_FILTER "*IntegrationTest.*"
    TEST_PREFIX "${target}:"
    PROPERTIES LABELS integration
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60)
  gtest_discover_tests(${target}
    TEST_FILTER "-*IntegrationTest.*"
    TEST_PREFIX "${target}:"
    PROPERTIES LABELS unit
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60)
endfunction()
