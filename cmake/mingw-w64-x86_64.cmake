# Cross-build for 64-bit Windows with Debian's mingw-w64 (the POSIX-thread variant, which std::thread
# needs), run through Wine where CMake or CTest has to execute what it built:
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKMT40_GUI=OFF
#
# The executables are linked statically, so they need nothing beside them but Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KMT40_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KMT40_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KMT40_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KMT40_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KMT40_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian's wine64 package has the 64-bit loader only, outside PATH; the "wine" package adds the
# usual wrapper.
find_program(KMT40_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KMT40_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KMT40_WINE})
endif()
