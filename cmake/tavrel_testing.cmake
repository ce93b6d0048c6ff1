# One helper per kind of test. Test targets link the libraries; they never re-list sources.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  # Cross-built: GoogleTest from Debian's source package (googletest), built with this
  # toolchain; the tests run under Wine (cmake/mingw-w64-x86_64.cmake).
  set(TAVREL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TAVREL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

  # One Wine prefix for every test: made before the first, its wineserver stopped after the last.
  set(tavrel_wine_prefix ${TAVREL_ROOT}/scripts/wine-prefix)
  add_test(NAME wine_prefix_setup COMMAND ${tavrel_wine_prefix} ${CMAKE_BINARY_DIR}/wine-prefix)
  add_test(NAME wine_prefix_stop
           COMMAND ${tavrel_wine_prefix} --stop ${CMAKE_BINARY_DIR}/wine-prefix)
  set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 900)
  set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine)

  add_test(NAME windows_system_dlls_only
           COMMAND ${TAVREL_ROOT}/scripts/check-windows-dlls ${CMAKE_OBJDUMP} ${CMAKE_BINARY_DIR})
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# tavrel_add_gtest(name SOURCES a.cpp ... LIBS tavrel::text ...)
function(tavrel_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${TAVREL_ROOT})
  if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # One test per program: listing the cases would start Wine at build time, and every case
    # in a Wine process of its own is slow.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
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
