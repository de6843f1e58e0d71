# Tests of a Windows cross build, run under Wine (see the mingw-*.cmake
# toolchains). Included by tests/CMakeLists.txt in place of find_package(GTest).
#
# GoogleTest is built for the target from the sources Debian ships in
# /usr/src/googletest (package googletest); the build machine's libgtest is
# for Linux.
set(THERMO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources, built for the target")
if(NOT EXISTS ${THERMO_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${THERMO_GOOGLETEST_SOURCE} (Debian: googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${THERMO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main gmock gmock_main)
  if(TARGET ${library} AND NOT TARGET GTest::${library})
    add_library(GTest::${library} ALIAS ${library})
  endif()
endforeach()

# A test program that links the simulated adapter needs Ftd2xx.dll when it
# starts. The loader searches the program's folder, then PATH: Wine adds
# WINEPATH to PATH, so the simulated library is found from its own folder and
# never needs to sit beside the programs.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(THERMO_SIM_DLL_DIR ${CMAKE_BINARY_DIR}/sim/lib)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env "WINEPATH=Z:${THERMO_SIM_DLL_DIR}" ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()

# Test programs are listed when ctest runs, never at build time: a build
# machine that cannot run them (no Wine, or no 32-bit Wine) still builds them.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
