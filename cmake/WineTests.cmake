# Test programs are Windows programs: CTest starts them through the Wine of
# the tree's processor, in the tree's own prefix (see wine-env.sh.in): the
# i686 tree under the 32-bit Wine that cmake/setup.sh unpacks into
# build/wine32, the x86_64 tree under the system's wine64.
set(WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(WINE32_ROOT "${CMAKE_SOURCE_DIR}/build/wine32/root" CACHE PATH "32-bit Wine unpacked by cmake/setup.sh")
  set(WINE_KIND "32-bit Wine")
  set(WINE_ARCH win32)
  set(WINE_LOADER "${WINE32_ROOT}/usr/lib/wine/wine")
  set(WINE_LIBRARY_PATH "${WINE32_ROOT}/usr/lib/i386-linux-gnu:${WINE32_ROOT}/lib/i386-linux-gnu")
else()
  set(WINE_KIND "wine64")
  set(WINE_ARCH win64)
  set(WINE_LOADER /usr/lib/wine/wine64)
  set(WINE_LIBRARY_PATH "")
endif()
set(WINE_ENV "${CMAKE_BINARY_DIR}/wine-env.sh")
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-env.sh.in ${WINE_ENV} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

find_package(Threads REQUIRED)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# add_wine_test(name [OWN_MAIN] SOURCES ... LIBS ... [LOCK resource]
# [PROPERTIES ...]): one GoogleTest program, each of its tests a CTest test of
# its own with the given properties. Tests of programs with the same LOCK never
# run at the same time (for machine-wide places such as a fixed file name or
# HKLM key). With OWN_MAIN the program brings its main() (for options of its
# own).
function(add_wine_test name)
  cmake_parse_arguments(T "OWN_MAIN" "LOCK" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  endif()
  set(lock)
  if(T_LOCK)
    set(lock RESOURCE_LOCK ${T_LOCK})
  endif()
  # A fault on a thread other than the main one may end the program with
  # code 0 under Wine's debugger; its report still fails the test.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 120 FAIL_REGULAR_EXPRESSION "Unhandled (exception|page fault)" ${lock}
                                  ${T_PROPERTIES})
endfunction()

# add_hostile_input_test(name SOURCES ... LIBS ...): a component's hostile-input
# program, one source file per parser (tests/support/HostileInput.h). CTest
# runs a short pass with a fixed seed; run it by hand with --count for more.
function(add_hostile_input_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} hostile_input)
  add_test(NAME ${name} COMMAND ${name} --count 300 --seed 20261208)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()
