# libgcrypt for the SHA-256 of the line manifest: Debian's libgcrypt20-dev on Linux and
# libgcrypt-mingw-w64-dev in the Windows cross-build (both installed by scripts/setup.sh).
if(WIN32)
  # Linked as DLLs (libgcrypt-20.dll, libgpg-error-0.dll), which lie beside the executables, so
  # that a user can put their own build of them in their place, as the LGPL-2.1 allows.
  # Cache entries of their own: a build tree configured when they were linked statically keeps
  # KMT40_GCRYPT_LIBRARY pointing at libgcrypt.a.
  find_library(KMT40_GCRYPT_IMPORT_LIBRARY NAMES libgcrypt.dll.a REQUIRED)
  find_library(KMT40_GPG_ERROR_IMPORT_LIBRARY NAMES libgpg-error.dll.a REQUIRED)
  set(KMT40_GCRYPT_LIBRARY ${KMT40_GCRYPT_IMPORT_LIBRARY})
  set(KMT40_GPG_ERROR_LIBRARY ${KMT40_GPG_ERROR_IMPORT_LIBRARY})
  get_filename_component(gcrypt_lib_dir ${KMT40_GCRYPT_LIBRARY} DIRECTORY)
  set(KMT40_GCRYPT_DLLS)
  foreach(dll libgcrypt-20.dll libgpg-error-0.dll)
    set(dll_path ${gcrypt_lib_dir}/../bin/${dll})
    if(NOT EXISTS ${dll_path})
      message(FATAL_ERROR "${dll} was not found beside ${KMT40_GCRYPT_LIBRARY} (in ../bin)")
    endif()
    get_filename_component(dll_path ${dll_path} REALPATH)
    list(APPEND KMT40_GCRYPT_DLLS ${dll_path})
  endforeach()
  add_custom_target(gcrypt_dlls ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KMT40_GCRYPT_DLLS} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    COMMENT "Copying libgcrypt's DLLs beside the executables"
    VERBATIM)
  set(KMT40_GCRYPT_EXTRA)
else()
  find_library(KMT40_GCRYPT_LIBRARY NAMES gcrypt REQUIRED)
  find_library(KMT40_GPG_ERROR_LIBRARY NAMES gpg-error REQUIRED)
  set(KMT40_GCRYPT_EXTRA)
endif()
find_path(KMT40_GCRYPT_INCLUDE_DIR gcrypt.h REQUIRED)
add_library(kmt40_gcrypt INTERFACE)
target_include_directories(kmt40_gcrypt SYSTEM INTERFACE ${KMT40_GCRYPT_INCLUDE_DIR})
target_link_libraries(kmt40_gcrypt INTERFACE ${KMT40_GCRYPT_LIBRARY} ${KMT40_GPG_ERROR_LIBRARY} ${KMT40_GCRYPT_EXTRA})
if(WIN32)
  add_dependencies(kmt40core gcrypt_dlls)
endif()
