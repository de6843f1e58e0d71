# 32-bit Windows (x86): the program's own platform.
#   cmake --preset windows-x86
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
set(MINGW_WINE_LOADERS wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
