#include "app/core/TextFileIO.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

TReadResult ReadFileCapped(const std::string& Path, std::size_t MaxBytes, std::string& Contents) {
  Contents.clear();
  std::error_code ec;
  // status() follows links: a link to a regular file is read, a link to a device is not.
  if (!std::filesystem::is_regular_file(std::filesystem::status(Path, ec))) {
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
