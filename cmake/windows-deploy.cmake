# Windows: what kmt40.exe needs beside it, in two places.
#  - build-win/kmt40/ (target kmt40_deploy): exactly what a Windows user gets installed, laid out as
#    the program looks for it beside itself: kmt40.exe, kmt40-cli.exe, Qt's DLLs and the platform and
#    style plugins, the compiler's runtime DLLs, libgcrypt's DLLs, the data files and the shipped
#    application.ini; its executables and DLLs stripped.
#  - build-win/bin/ (target windows_runtime): the same DLLs and plugins, and the offscreen platform
#    and QtTest, so that the window tests run there under Wine.
# Everything comes from this machine: Qt for Windows and the mingw-w64 toolchain.

# The runtime DLLs Qt's DLLs were linked against, where the compiler itself finds them.
set(KMT40_MINGW_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "the toolchain's ${dll} was not found (${CMAKE_CXX_COMPILER} -print-file-name)")
  endif()
  list(APPEND KMT40_MINGW_RUNTIME_DLLS ${path})
endforeach()

set(KMT40_QT_DLLS $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
                  $<TARGET_FILE:Qt6::PrintSupport> $<TARGET_FILE:Qt6::Network>)

# copy_runtime_commands(DIR OUT): the commands that put the DLLs and plugins into DIR.
function(kmt40_runtime_commands dir out)
  set(commands
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/platforms ${dir}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KMT40_QT_DLLS} ${KMT40_MINGW_RUNTIME_DLLS} ${KMT40_GCRYPT_DLLS} ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> ${dir}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> ${dir}/styles)
  set(${out} ${commands} PARENT_SCOPE)
endfunction()

kmt40_runtime_commands(${CMAKE_BINARY_DIR}/bin runtime_into_bin)
add_custom_target(windows_runtime ALL
  ${runtime_into_bin}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::Test> ${CMAKE_BINARY_DIR}/bin
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>
          ${CMAKE_BINARY_DIR}/bin/platforms
  COMMENT "Copying Qt's and the toolchain's DLLs beside the executables"
  VERBATIM)

set(KMT40_DEPLOY_DIR ${CMAKE_BINARY_DIR}/kmt40)
kmt40_runtime_commands(${KMT40_DEPLOY_DIR} runtime_into_deploy)
add_custom_target(kmt40_deploy ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KMT40_DEPLOY_DIR}
  ${runtime_into_deploy}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:kmt40> $<TARGET_FILE:kmt40-cli> ${KMT40_DEPLOY_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${KMT40_DATA_DIR} ${KMT40_DEPLOY_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/windows/application.ini ${KMT40_DEPLOY_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${KMT40_DEPLOY_DIR}/.keep
  COMMAND ${CMAKE_COMMAND} -DSTRIP=${CMAKE_STRIP} -DDIR=${KMT40_DEPLOY_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/strip-binaries.cmake
  COMMENT "Putting together build-win/kmt40/, the folder a Windows user gets installed"
  VERBATIM)
add_dependencies(kmt40_deploy kmt40 kmt40-cli)
