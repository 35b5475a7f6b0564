#pragma once
// application.ini reader and writer with the rules of the Windows profile functions: sections and
// keys match without regard to case, blanks around keys and values are dropped, a value in matching
// quotes loses them, the first of equal sections or keys counts. Integers may be hexadecimal
// ("0x1F", "$1F"). Writing changes only the keys written; every other line of the file (other
// sections, keys, comments) stays as it was.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Settings files are a few hundred bytes; anything past this is not a settings file.
constexpr std::size_t MaxIniFileBytes = 1024 * 1024;

// A value text as an integer: optional blanks and sign, then decimal digits, or "0x"/"0X"/"$" and
// hexadecimal digits (up to FFFFFFFF, taken as a 32-bit pattern, so 0xFFFFFFFF is -1). Nothing may
// follow. A decimal outside the 32-bit range is not an integer.
std::optional<int32_t> ParseIniInteger(std::string_view Text);

class TIniFile {
 public:
  enum class TLoadResult { Loaded, Missing, Unreadable, TooLarge };

  // Starts empty. Load reads Path (see ReadFileCapped: a directory or device counts as missing).
  // TooLarge: the first MaxIniFileBytes are loaded for reading, but SaveToFile refuses, so the
  // rest of such a file is never cut off.
  TLoadResult LoadFromFile(const std::string& Path);
  void LoadFromText(std::string_view Text);

  std::string ReadString(std::string_view Section, std::string_view Key,
                         std::string_view Default) const;
  int32_t ReadInteger(std::string_view Section, std::string_view Key, int32_t Default) const;
  bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;
  bool ValueExists(std::string_view Section, std::string_view Key) const;

  // Sets the first matching key, or adds it at the end of its section, or adds the section at
  // the end of the file. Line breaks in Value become blanks, so a value cannot forge lines.
  void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
  void WriteInteger(std::string_view Section, std::string_view Key, int32_t Value);
  void WriteBool(std::string_view Section, std::string_view Key, bool Value);  // "1" / "0"

  // The file text: the loaded lines with the changes, in the loaded file's line-end style (LF for
  // a new file on POSIX, CR LF on Windows).
  // A UTF-8 byte-order mark the file began with is written back.
  std::string Text() const;
  // True when the loaded file was UTF-16 text (it had its byte-order mark): its values are read,
  // but it is never written back, as 8-bit lines would make it a file in two encodings.
  bool Utf16() const { return utf16_; }
  // Writes Text() atomically (WriteFileAtomically). Refused after a TooLarge or UTF-16 load.
  bool SaveToFile(const std::string& Path, std::string& Error) const;

 private:
  struct TKeyLine {
    std::string_view Key;    // trimmed, into the line
    std::string_view Value;  // trimmed, quotes removed
  };
  std::optional<std::size_t> FindSection(std::string_view Section) const;  // index of its header
  std::size_t SectionEnd(std::size_t Header) const;  // index of the next header or lines_.size()
  std::optional<std::size_t> FindKey(std::string_view Section, std::string_view Key) const;
  static std::optional<std::string_view> SectionName(std::string_view Line);
  static std::optional<TKeyLine> KeyLine(std::string_view Line);

  std::vector<std::string> lines_;
  bool crlf_ = false;
  bool truncated_ = false;
  bool utf8Mark_ = false;
  bool utf16_ = false;
};
