# kmt40core: the program's Qt-free logic. Files are picked up by directory so that each area
# can add its own sources without touching the build: src/<area>/core/*.cpp
file(GLOB KMT40CORE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/app/core/*.cpp
  ${CMAKE_SOURCE_DIR}/src/device/core/*.cpp
  ${CMAKE_SOURCE_DIR}/src/params/core/*.cpp
  ${CMAKE_SOURCE_DIR}/src/views/core/*.cpp)
add_library(kmt40core STATIC ${KMT40CORE_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
target_include_directories(kmt40core PUBLIC ${CMAKE_SOURCE_DIR}/src)
include(${CMAKE_SOURCE_DIR}/cmake/gcrypt.cmake)
target_link_libraries(kmt40core PUBLIC zbcomm Threads::Threads PRIVATE kmt40_gcrypt)
if(WIN32)
  # The user's application-data and documents folders (SHGetFolderPath).
  target_link_libraries(kmt40core PUBLIC shell32)
endif()
