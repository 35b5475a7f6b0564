# Installing: the programs into bin/, the data files into share/kmt40/ (where an installed
# kmt40 finds them when they are not beside it), a desktop entry and its icon; and a .deb of it
# all through CPack (cpack -G DEB in the build directory).
include(GNUInstallDirs)
set(KMT40_INSTALLED_PROGRAMS kmt40-cli)
foreach(program km4x-sim kmt40)
  if(TARGET ${program})
    list(APPEND KMT40_INSTALLED_PROGRAMS ${program})
  endif()
endforeach()
install(TARGETS ${KMT40_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${KMT40_DATA_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kmt40 PATTERN ".keep" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/kmt40.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/kmt40.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kmt40)
set(CPACK_PACKAGE_VERSION 6.02)
set(CPACK_PACKAGE_CONTACT "KMT40 developers <kmt40@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service tool for KM40/KM41 cam and position controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "Connects to KM40/KM41 controllers over a serial port (one controller or an RS485 line), reads, edits, writes, saves, backs up and restores their parameters and setpoints. Includes the command-line tool kmt40-cli and the controller simulator km4x-sim.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins are only recommended by the Qt libraries; without them no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
