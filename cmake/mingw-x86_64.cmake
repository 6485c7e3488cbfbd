# Cross build for Windows with Debian's mingw-w64 (x86_64-w64-mingw32). The
# posix thread model variant gives the test peer std::thread; the compiler's
# runtime is linked statically, so no mingw DLL travels with the programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEKX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEKX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEKX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEKX_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${VEKX_MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${VEKX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine: CTest and test discovery go through it.
find_program(VEKX_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(VEKX_WINE64 NAMES wine64)
if(VEKX_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEKX_WINE64})
endif()
