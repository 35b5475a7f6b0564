#include "app/core/TextFileIO.h"

#include "app/core/NativePath.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

TReadResult ReadFileCapped(const std::string& Path, std::size_t MaxBytes, std::string& Contents) {
  Contents.clear();
  std::error_code ec;
  // status() follows links: a link to a regular file is read, a link to a device is not.
  if (!std::filesystem::is_regular_file(std::filesystem::status(NativePath(Path), ec))) {
    return TReadResult::Missing;
  }
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(Path.c_str(), "rb"),
                                                             &std::fclose);
  if (!file) return TReadResult::Unreadable;

  // Grow in chunks rather than trusting the reported size, which may change while reading.
  constexpr std::size_t Chunk = 64 * 1024;
  while (Contents.size() <= MaxBytes) {
    const std::size_t old = Contents.size();
    const std::size_t want = std::min(Chunk, MaxBytes + 1 - old);
    Contents.resize(old + want);
    const std::size_t got = std::fread(Contents.data() + old, 1, want, file.get());
    Contents.resize(old + got);
    if (got < want) {
      if (std::ferror(file.get())) {
        Contents.clear();
        return TReadResult::Unreadable;
      }
      return TReadResult::Ok;
    }
  }
  Contents.resize(MaxBytes);
  return TReadResult::Truncated;
}

bool IsReadOnlyFile(const std::string& Path) {
  std::error_code ec;
  const auto status = std::filesystem::status(NativePath(Path), ec);
  if (ec || !std::filesystem::is_regular_file(status)) return false;
  using std::filesystem::perms;
  return (status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) ==
         perms::none;
}

std::string ReasonNotReadable(const std::string& Path) {
  std::error_code ec;
  const auto status = std::filesystem::status(NativePath(Path), ec);
  if (ec) return ec.message();
  if (std::filesystem::is_directory(status)) return "it is a folder";
  if (!std::filesystem::is_regular_file(status)) return "it is not a regular file";
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(Path.c_str(), "rb"),
                                                             &std::fclose);
  return file ? "it cannot be read" : std::strerror(errno);
}
