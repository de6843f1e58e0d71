# Shared part of the Windows cross toolchains (mingw-w64, Debian's -posix
# compilers). Included by mingw-i686.cmake and mingw-x86_64.cmake after they
# set MINGW_TRIPLET and MINGW_WINE_LOADERS.
#
# The -posix compilers have the thread model GoogleTest needs (std::mutex);
# -static makes programs and DLLs depend on KERNEL32 and msvcrt alone, so the
# folder a user unzips needs nothing else.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine; ctest and test discovery go through this.
find_program(MINGW_WINE NAMES ${MINGW_WINE_LOADERS} PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(MINGW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MINGW_WINE})
endif()
