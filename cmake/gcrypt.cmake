# libgcrypt for the SHA-256 of the line manifest: Debian's libgcrypt20-dev on Linux and
# libgcrypt-mingw-w64-dev in the Windows cross-build (both installed by scripts/setup.sh). The
# Windows executables link it statically, as everything else, so they need no DLL beside them.
if(WIN32)
  find_library(KMT40_GCRYPT_LIBRARY NAMES libgcrypt.a gcrypt REQUIRED)
  find_library(KMT40_GPG_ERROR_LIBRARY NAMES libgpg-error.a gpg-error REQUIRED)
  set(KMT40_GCRYPT_EXTRA ws2_32)
else()
  find_library(KMT40_GCRYPT_LIBRARY NAMES gcrypt REQUIRED)
  find_library(KMT40_GPG_ERROR_LIBRARY NAMES gpg-error REQUIRED)
  set(KMT40_GCRYPT_EXTRA)
endif()
find_path(KMT40_GCRYPT_INCLUDE_DIR gcrypt.h REQUIRED)
add_library(kmt40_gcrypt INTERFACE)
target_include_directories(kmt40_gcrypt SYSTEM INTERFACE ${KMT40_GCRYPT_INCLUDE_DIR})
target_link_libraries(kmt40_gcrypt INTERFACE ${KMT40_GCRYPT_LIBRARY} ${KMT40_GPG_ERROR_LIBRARY} ${KMT40_GCRYPT_EXTRA})
