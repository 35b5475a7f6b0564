# The program version: the one place it is kept. The package and the manual pages take it from here,
# and the programs from ProgramVersion.h, generated from it into the build tree. The target
# kmt40version carries that header; the serial library passes it on, so the simulator, the
# command-line tool and the windows all read the same one.
include_guard(GLOBAL)
set(KMT40_VERSION 6.02)
if(NOT KMT40_VERSION MATCHES "^[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "the program version must be MAJOR.MINOR")
endif()
configure_file(${CMAKE_SOURCE_DIR}/cmake/ProgramVersion.h.in ${CMAKE_BINARY_DIR}/generated/ProgramVersion.h @ONLY)
add_library(kmt40version INTERFACE)
target_include_directories(kmt40version INTERFACE ${CMAKE_BINARY_DIR}/generated)
