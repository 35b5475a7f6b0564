# The program version, read from the one place the programs take it from, for the package and the
# manual pages.
file(STRINGS ${CMAKE_SOURCE_DIR}/src/app/core/Global_var.h KMT40_VERSION_LINE REGEX "ProgramVersion\\[\\] = \"")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" KMT40_VERSION "${KMT40_VERSION_LINE}")
if(NOT KMT40_VERSION MATCHES "^[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "no program version in src/app/core/Global_var.h")
endif()
