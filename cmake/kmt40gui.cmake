# kmt40gui: every window (Qt Widgets). Files are picked up by directory:
# src/app/*.cpp, src/device/*.cpp, src/params/*.cpp, src/views/*.cpp, src/comm/forms/*.cpp
# (main.cpp excluded).
file(GLOB KMT40GUI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/app/*.cpp ${CMAKE_SOURCE_DIR}/src/app/*.h
  ${CMAKE_SOURCE_DIR}/src/device/*.cpp ${CMAKE_SOURCE_DIR}/src/device/*.h
  ${CMAKE_SOURCE_DIR}/src/params/*.cpp ${CMAKE_SOURCE_DIR}/src/params/*.h
  ${CMAKE_SOURCE_DIR}/src/views/*.cpp ${CMAKE_SOURCE_DIR}/src/views/*.h
  ${CMAKE_SOURCE_DIR}/src/comm/forms/*.cpp ${CMAKE_SOURCE_DIR}/src/comm/forms/*.h)
list(FILTER KMT40GUI_SOURCES EXCLUDE REGEX "/src/app/main\\.cpp$")
# Files ending in _posix.cpp / _win32.cpp are platform variants; the build picks the platform's own.
if(WIN32)
  list(FILTER KMT40GUI_SOURCES EXCLUDE REGEX "_posix\\.cpp$")
else()
  list(FILTER KMT40GUI_SOURCES EXCLUDE REGEX "_win32\\.cpp$")
endif()
add_library(kmt40gui STATIC ${KMT40GUI_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
target_include_directories(kmt40gui PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(kmt40gui PUBLIC kmt40core zbcomm_qt Qt6::Widgets Qt6::PrintSupport Qt6::Network)
# The simulated controller of --simulate: the simulator, or on Windows the controller alone.
if(TARGET km4xsim)
  target_link_libraries(kmt40gui PUBLIC km4xsim)
elseif(TARGET km4xunit)
  target_link_libraries(kmt40gui PUBLIC km4xunit)
endif()
if(WIN32)
  # Whatever links the windows shares the runtime DLLs of Qt's DLLs (see the top CMakeLists.txt).
  set_property(TARGET kmt40gui PROPERTY INTERFACE_KMT40_SHARED_RUNTIME ON)
  set_property(TARGET kmt40gui APPEND PROPERTY COMPATIBLE_INTERFACE_BOOL KMT40_SHARED_RUNTIME)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
  add_executable(kmt40 ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
  target_link_libraries(kmt40 PRIVATE kmt40gui)
  add_dependencies(kmt40 copy_data)
  # A program of windows: Windows opens no console window beside it.
  set_target_properties(kmt40 PROPERTIES WIN32_EXECUTABLE ON)
  if(WIN32)
    include(${CMAKE_SOURCE_DIR}/cmake/windows-deploy.cmake)
  endif()
endif()

# The Qt Widgets headers take about half of each window file's compile time: parse them once.
# On by default where no compiler launcher is set (a clean build, as the test run makes); a ccache
# build leaves it off, since ccache cannot cache a compile that uses a precompiled header.
if(CMAKE_CXX_COMPILER_LAUNCHER)
  set(KMT40_PCH_DEFAULT OFF)
else()
  set(KMT40_PCH_DEFAULT ON)
endif()
option(KMT40_PCH "Precompile the Qt headers of the windows (kmt40gui)" ${KMT40_PCH_DEFAULT})
if(KMT40_PCH)
  target_precompile_headers(kmt40gui PRIVATE
    <QAction> <QApplication> <QCheckBox> <QComboBox> <QDialog> <QDir> <QFile> <QGroupBox>
    <QHBoxLayout> <QHeaderView> <QLabel> <QLineEdit> <QMenu> <QPainter> <QPlainTextEdit>
    <QProgressBar> <QPushButton> <QSpinBox> <QTableWidget> <QTimer> <QVBoxLayout> <QWidget>
    <functional> <map> <memory> <string> <vector>)
endif()
