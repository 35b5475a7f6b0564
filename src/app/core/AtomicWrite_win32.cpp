#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <system_error>

#include "app/core/TextFileIO.h"

namespace {

std::string SystemMessage(const std::string& What, const std::string& Path, DWORD Err) {
  return What + " " + Path + ": " + std::system_category().message(static_cast<int>(Err));
}

}  // namespace

bool WriteFileAtomically(const std::string& Path, std::string_view Contents, std::string& Error) {
  const std::string temp = Path + ".tmp";
  const HANDLE file = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Error = SystemMessage("Cannot create", temp, ::GetLastError());
    return false;
  }
  DWORD err = 0;
  while (!Contents.empty() && err == 0) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(Contents.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, Contents.data(), want, &written, nullptr)) err = ::GetLastError();
    Contents.remove_prefix(written);
  }
  if (err == 0 && !::FlushFileBuffers(file)) err = ::GetLastError();
  ::CloseHandle(file);
  if (err != 0) {
    ::DeleteFileA(temp.c_str());
    Error = SystemMessage("Cannot write", temp, err);
    return false;
  }
  if (!::MoveFileExA(temp.c_str(), Path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    err = ::GetLastError();
    ::DeleteFileA(temp.c_str());
    Error = SystemMessage("Cannot replace", Path, err);
    return false;
  }
  return true;
}
#endif
