# GoogleTest: the installed package where there is one (Debian's libgtest-dev for the native build);
# otherwise built from its sources (Debian's googletest package), as the Windows cross-build needs,
# since mingw-w64 comes without it.
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  set(KMT40_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources, built when no package is found")
  if(NOT EXISTS ${KMT40_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest not found: install it, point KMT40_GTEST_SOURCE_DIR at its sources, "
                        "or configure with -DKMT40_TESTS=OFF")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KMT40_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Warnings in GoogleTest's own sources are not ours to mend (and KMT40_WERROR would stop on them).
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
  if(NOT TARGET GTest::gtest_main) # GoogleTest 1.11 and later name them so themselves
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
