# Installing: the programs into bin/, the data files into share/kmt40/ (where an installed
# kmt40 finds them when they are not beside it), a desktop entry, its icon and AppStream metainfo,
# the manual pages, kmt40-cli's bash completion, the copyright file and the changelog; and a .deb
# of it all through CPack (cpack -G DEB in the build directory).
include(GNUInstallDirs)
include(${CMAKE_SOURCE_DIR}/cmake/version.cmake)
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
install(FILES ${CMAKE_SOURCE_DIR}/packaging/org.example.kmt40.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
if(NOT WIN32)
  include(${CMAKE_SOURCE_DIR}/cmake/manpages.cmake)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/completion/kmt40-cli
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  # The changelog compressed as Debian keeps it (no time stamp in the gzip header).
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND sh -c "gzip -9nc '${CMAKE_SOURCE_DIR}/packaging/changelog' > '${CMAKE_BINARY_DIR}/packaging/changelog.gz'"
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
    VERBATIM)
  add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kmt40)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME kmt40)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kmt40)
set(CPACK_PACKAGE_VERSION ${KMT40_VERSION})
set(CPACK_PACKAGE_CONTACT "KMT40 developers <kmt40@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service tool for KM40/KM41 cam and position controllers")
# Lines of at most 80 characters, as Debian's description format wants them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Connects to KM40/KM41 controllers over a serial port (one controller or an\n"
    "RS485 line), reads, edits, writes, saves, backs up and restores their\n"
    "parameters and setpoints. Includes the command-line tool kmt40-cli and the\n"
    "controller simulator km4x-sim.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins are only recommended by the Qt libraries; without them no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
