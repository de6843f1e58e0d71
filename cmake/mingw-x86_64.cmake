# 64-bit Windows (x64). Runs under a 64-bit Wine without 32-bit support on
# the build machine, so it is the build whose tests run where 32-bit code
# cannot.
#   cmake --preset windows-x64
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
# Debian's wine64 loader, then any wine that starts 64-bit programs.
set(MINGW_WINE_LOADERS wine64 wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
