# What both mingw-w64 toolchain files share; they set CMAKE_SYSTEM_PROCESSOR
# (i686 or x86_64) first. The compiler's runtime is linked statically, so no
# mingw DLL travels with the programs. VEKX_MINGW_THREADS picks the compiler's
# thread model: posix (the default) gives the test peer std::thread; win32
# needs no winpthread, whose clock calls GetTickCount64, which Windows XP
# lacks, so the programs for users are built with it.
set(CMAKE_SYSTEM_NAME Windows)
set(VEKX_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
if(NOT VEKX_MINGW_THREADS)
  set(VEKX_MINGW_THREADS posix)
endif()
set(CMAKE_C_COMPILER ${VEKX_MINGW_TRIPLE}-gcc-${VEKX_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${VEKX_MINGW_TRIPLE}-g++-${VEKX_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${VEKX_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${VEKX_MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${VEKX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, 32-bit ones under wine32 and 64-bit ones
# under wine64: CTest and test discovery go through it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(_vekx_wine wine)
else()
  set(_vekx_wine wine64)
endif()
find_program(VEKX_WINE NAMES ${_vekx_wine} PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(VEKX_WINE NAMES ${_vekx_wine})
if(VEKX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEKX_WINE})
endif()
