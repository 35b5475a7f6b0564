#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <system_error>

#include "app/core/TextFileIO.h"

namespace {

std::string SystemMessage(const std::string& What, const std::string& Path, DWORD Err) {
  return What + " " + Path + ": " + std::system_category().message(static_cast<int>(Err));
}

std::string DirectoryOf(const std::string& Path) {
  const auto slash = Path.find_last_of("/\\:");
  return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

// A new file beside Target under a name of its own (CREATE_NEW never opens an existing file),
// so saves running at once never share one; its name is short whatever the target's length.
HANDLE CreateTemporaryBeside(const std::string& Target, std::string& Temp) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const unsigned long long mixed =
        (static_cast<unsigned long long>(::GetTickCount64()) * 0x9E3779B97F4A7C15ull) ^
        (static_cast<unsigned long long>(::GetCurrentProcessId()) << 20) ^ ++counter;
    char name[40];
    std::snprintf(name, sizeof name, ".kmt40-%012llx.tmp", mixed & 0xFFFFFFFFFFFFull);
    Temp = DirectoryOf(Target) + name;
    const HANDLE file = ::CreateFileA(Temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool WriteFileAtomically(const std::string& Path, std::string_view Contents, std::string& Error) {
  std::string temp;
  const HANDLE file = CreateTemporaryBeside(Path, temp);
  if (file == INVALID_HANDLE_VALUE) {
    Error = SystemMessage("Cannot create a temporary file beside", Path, ::GetLastError());
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
    Error = SystemMessage("Cannot write", Path, err);
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
