#pragma once
// A fresh directory under the system temp directory, removed with everything in it at the end.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kmt40-appcore-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern + "/";
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
