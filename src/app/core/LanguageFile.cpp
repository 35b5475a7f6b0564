#include "app/core/LanguageFile.h"

#include <utility>

#include "app/core/CaseFold.h"
#include "app/core/Global_var.h"
#include "app/core/TextFileIO.h"

bool TLanguageFile::LoadFromFile(const std::string& Path) {
  std::string contents;
  switch (ReadFileCapped(Path, MaxLanguageFileBytes, contents)) {
    case TReadResult::Missing:
    case TReadResult::Unreadable:
      return false;
    case TReadResult::Truncated: {
      // Keep only complete lines: a cut-off text would show half a word.
      const auto lastEnd = contents.find_last_of("\r\n");
      contents.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
      break;
    }
    case TReadResult::Ok:
      break;
  }
  LoadFromText(contents);
  return true;
}

void TLanguageFile::LoadFromText(std::string_view Text) {
  sections_.clear();
  TKeys* section = nullptr;  // lines before the first section belong nowhere
  ForEachLine(Text, [&](std::string_view line) {
    if (line.empty() || line.front() == ';') return;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      section = &sections_[FoldCase(line.substr(1, line.size() - 2))];
      return;
    }
    const auto equals = line.find('=');
    if (section == nullptr || equals == std::string_view::npos) return;
    // try_emplace keeps the first text of a key that occurs twice.
    section->try_emplace(FoldCase(line.substr(0, equals)), line.substr(equals + 1));
  });
}

void TLanguageFile::Clear() { sections_.clear(); }

const std::string* TLanguageFile::Find(std::string_view Section, std::string_view Key) const {
  const auto section = sections_.find(FoldCase(Section));
  if (section == sections_.end()) return nullptr;
  const auto key = section->second.find(FoldCase(Key));
  return key == section->second.end() ? nullptr : &key->second;
}

std::string TLanguageFile::ReadString(std::string_view Section, std::string_view Key,
                                      std::string_view Default) const {
  const std::string* text = Find(Section, Key);
  return text ? *text : std::string(Default);
}

bool TLanguageFile::SectionExists(std::string_view Section) const {
  return sections_.count(FoldCase(Section)) > 0;
}

bool TLanguageFile::ValueExists(std::string_view Section, std::string_view Key) const {
  return Find(Section, Key) != nullptr;
}

std::string LanguageFileName(int Index) {
  switch (Index) {
    case 1:
      return "Taal1.ini";
    case 2:
      return "Taal2.ini";
    default:
      return "Taal0.ini";
  }
}

bool TekstFile_Lezen() {
  TLanguageFile loaded;
  if (!loaded.LoadFromFile(ProgramDir + LanguageFileName(LanguageIndex))) return false;
  LanguageFile = std::move(loaded);
  LanguageLoaded = true;
  return true;
}
