# The manual pages: docs/man/<program>.1.scd, in scdoc's markup, turned into roff by scdoc (Debian's
# scdoc package, installed by scripts/setup.sh) and compressed as installed pages are. The roff
# lands in <build>/man/ for the tests, the compressed pages of the programs built go to
# share/man/man1.
set(KMT40_MAN_PAGES kmt40 kmt40-cli km4x-sim)
find_program(KMT40_SCDOC scdoc)
if(NOT KMT40_SCDOC)
  message(FATAL_ERROR "scdoc not found; it builds the manual pages: install it (scripts/setup.sh)")
endif()
set(KMT40_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(KMT40_MAN_OUTPUTS)
foreach(page ${KMT40_MAN_PAGES})
  set(source ${CMAKE_SOURCE_DIR}/docs/man/${page}.1.scd)
  # The version comes in at configure time (configure_file also re-runs CMake when the page changes).
  configure_file(${source} ${KMT40_MAN_DIR}/${page}.1.scd @ONLY)
  add_custom_command(
    OUTPUT ${KMT40_MAN_DIR}/${page}.1 ${KMT40_MAN_DIR}/${page}.1.gz
    COMMAND sh -c "'${KMT40_SCDOC}' < '${page}.1.scd' > '${page}.1' && gzip -9nc '${page}.1' > '${page}.1.gz'"
    DEPENDS ${KMT40_MAN_DIR}/${page}.1.scd
    WORKING_DIRECTORY ${KMT40_MAN_DIR}
    COMMENT "Manual page ${page}(1)"
    VERBATIM)
  list(APPEND KMT40_MAN_OUTPUTS ${KMT40_MAN_DIR}/${page}.1)
  if(page IN_LIST KMT40_INSTALLED_PROGRAMS)
    install(FILES ${KMT40_MAN_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
add_custom_target(manpages ALL DEPENDS ${KMT40_MAN_OUTPUTS})
