#pragma once
// Window texts of one language (Taal0.ini .. Taal2.ini), held in memory and looked up by section
// and key. The same line rules serve the parameter catalogue and the menu map:
// - a line whose first character is "[" and last is "]" starts a section named by the text between;
// - lines beginning with ";" and empty lines are ignored, as are lines before the first section;
// - any other line is a key line: key = text before the first "=", text = everything after it,
//   exactly as written (no trimming); a line without "=" is no key;
// - section and key names match without regard to case (ASCII and Latin-1 letters); of equal keys
//   in a section the first counts; a section that occurs twice continues the first one.
// Files are single-byte text; line ends CR LF, LF or CR. Nothing is converted.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// Language files are some tens of kilobytes; a file larger than this is read up to its last
// complete line within the limit.
constexpr std::size_t MaxLanguageFileBytes = 8 * 1024 * 1024;

class TLanguageFile {
 public:
  // Replaces the contents by the file's. False (contents unchanged) when the file is missing, not
  // a regular file or unreadable.
  bool LoadFromFile(const std::string& Path);
  void LoadFromText(std::string_view Text);
  void Clear();

  // The key's text, or Default when the section or key is absent.
  std::string ReadString(std::string_view Section, std::string_view Key,
                         std::string_view Default) const;
  bool SectionExists(std::string_view Section) const;
  bool ValueExists(std::string_view Section, std::string_view Key) const;
  bool Empty() const { return sections_.empty(); }

 private:
  using TKeys = std::unordered_map<std::string, std::string>;  // folded key -> text
  const std::string* Find(std::string_view Section, std::string_view Key) const;
  std::unordered_map<std::string, TKeys> sections_;            // folded section name -> keys
};

// "Taal1.ini" for 1, "Taal2.ini" for 2, "Taal0.ini" for every other index.
std::string LanguageFileName(int Index);

// Loads ProgramDir + LanguageFileName(LanguageIndex) into LanguageFile and sets LanguageLoaded
// when that file exists; otherwise changes nothing (the previous texts stay in use). Returns
// whether a file was loaded.
bool TekstFile_Lezen();
