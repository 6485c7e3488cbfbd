# What both mingw-w64 toolchain files share; they set CMAKE_SYSTEM_PROCESSOR
# (i686 or x86_64) first. The posix thread model variant gives the test peer
# std::thread; the compiler's runtime is linked statically, so no mingw DLL
# travels with the programs.
set(CMAKE_SYSTEM_NAME Windows)
set(VEKX_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${VEKX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEKX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEKX_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${VEKX_MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${VEKX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
