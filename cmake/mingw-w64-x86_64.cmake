# Cross-build for 64-bit Windows with Debian's mingw-w64 (the POSIX-thread variant, which std::thread
# needs), run through Wine where CMake or CTest has to execute what it built:
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKMT40_GUI=OFF
#
# With the windows, give Qt for Windows as CMAKE_PREFIX_PATH (scripts/windows-qt.sh finds it) and
# Debian's Qt host tools of the same version: -DQT_HOST_PATH=/usr
# -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake. How the runtime is linked: the top
# CMakeLists.txt (static, except where Qt's DLLs share it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KMT40_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KMT40_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KMT40_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KMT40_MINGW_TRIPLE}-windres)

# Qt for Windows lives outside the mingw root: searched as a root of its own.
set(CMAKE_FIND_ROOT_PATH /usr/${KMT40_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's wine64 package has the 64-bit loader only, outside PATH; the "wine" package adds the
# usual wrapper.
find_program(KMT40_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KMT40_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KMT40_WINE})
endif()
