# Cross build for Windows with Debian's mingw-w64 (x86_64-w64-mingw32).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run under Wine: CTest and test discovery go through it.
find_program(VEKX_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(VEKX_WINE64 NAMES wine64)
if(VEKX_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEKX_WINE64})
endif()
