# The folder a Windows user unzips and runs: the programs and the guides.
#   cmake --install build/win --prefix thermo-win32 --strip
#   cpack --config build/win/CPackConfig.cmake     (a .zip of the same)
# The simulated adapter library is never part of it: beside thermo.exe goes
# the vendor's Ftd2xx.dll (and inpout32.dll for the parallel port).
install(TARGETS thermo RUNTIME DESTINATION .)
if(TARGET bustool)
  install(TARGETS bustool RUNTIME DESTINATION .)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/windows.md DESTINATION . RENAME WINDOWS.md)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME thermo)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
