#pragma once
// A fresh directory under the system temp directory, removed with everything in it at the end.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

class TempDir {
 public:
  TempDir() {
    // create_directory says false for a name that exists, so each test gets a directory of its own
    // on every platform, as mkdtemp would give it.
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path dir = base / ("kmt40-appcore-" + std::to_string(random() % 1000000000));
      std::error_code ec;
      if (std::filesystem::create_directory(dir, ec)) {
        path_ = dir.string() + "/";
        return;
      }
    }
    std::abort();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // With trailing separator, the form ProgramDir has.
  const std::string& Path() const { return path_; }
  std::string File(std::string_view Name) const {
    std::string file = path_;  // appended: GCC 12 warns about path_ + std::string(Name) at -O3
    file += Name;
    return file;
  }

  void Write(std::string_view Name, std::string_view Bytes) const {
    std::ofstream out(File(Name), std::ios::binary | std::ios::trunc);
    out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  }
  std::string Read(std::string_view Name) const {
    std::ifstream in(File(Name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};
