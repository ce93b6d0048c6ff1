# One helper per kind of test. Test targets link the libraries; they never re-list sources.
find_package(GTest REQUIRED)
include(GoogleTest)

# tavrel_add_gtest(name SOURCES a.cpp ... LIBS tavrel::text ...)
function(tavrel_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${TAVREL_ROOT})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# tavrel_add_qtest(name SOURCES a.cpp ... LIBS ...): a QtTest program run offscreen.
function(tavrel_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  target_include_directories(${name} PRIVATE ${TAVREL_ROOT})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
