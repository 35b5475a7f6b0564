# nlohmann/json, header-only, for kmt40-cli's --json: Debian's nlohmann-json3-dev. The Windows
# cross-build finds no package under the mingw-w64 root, so it takes the same headers from the
# build machine, copied into the build tree on their own (adding /usr/include itself would put
# Linux's C headers before mingw-w64's).
find_package(nlohmann_json 3.10 QUIET CONFIG)
if(NOT nlohmann_json_FOUND)
  find_path(KMT40_JSON_HEADERS nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT KMT40_JSON_HEADERS)
    message(FATAL_ERROR "nlohmann/json not found: install nlohmann-json3-dev (scripts/setup.sh)")
  endif()
  file(COPY ${KMT40_JSON_HEADERS}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/json-headers)
  add_library(nlohmann_json INTERFACE)
  target_include_directories(nlohmann_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/json-headers)
  add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
endif()
