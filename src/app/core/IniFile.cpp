#include "app/core/IniFile.h"

#include "app/core/CaseFold.h"
#include "app/core/TextFileIO.h"

namespace {

constexpr std::string_view Blanks = " \t\v\f";

std::string_view Trim(std::string_view Text) {
  const auto first = Text.find_first_not_of(Blanks);
  if (first == std::string_view::npos) return {};
  const auto last = Text.find_last_not_of(Blanks);
  return Text.substr(first, last - first + 1);
}

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

#ifdef _WIN32
constexpr bool NewFileUsesCrLf = true;
#else
constexpr bool NewFileUsesCrLf = false;
#endif

}  // namespace

std::optional<int32_t> ParseIniInteger(std::string_view Text) {
  std::size_t i = 0;
  while (i < Text.size() && Text[i] == ' ') ++i;
  bool negative = false;
  if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) negative = Text[i++] == '-';

  bool hex = false;
  if (i < Text.size() && Text[i] == '$') {
    hex = true;
    i += 1;
  } else if (i + 1 < Text.size() && Text[i] == '0' && (Text[i + 1] == 'x' || Text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == Text.size()) return std::nullopt;  // no digits

  uint64_t magnitude = 0;
  // Hexadecimal spans the whole 32-bit pattern; decimal stops at the signed range.
  const uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
  for (; i < Text.size(); ++i) {
    const int digit = hex ? HexDigit(Text[i]) : (Text[i] >= '0' && Text[i] <= '9' ? Text[i] - '0' : -1);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (magnitude > limit) return std::nullopt;
  }
  uint32_t bits = static_cast<uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  return static_cast<int32_t>(bits);
}

TIniFile::TLoadResult TIniFile::LoadFromFile(const std::string& Path) {
  std::string contents;
  const TReadResult result = ReadFileCapped(Path, MaxIniFileBytes, contents);
  lines_.clear();
  crlf_ = NewFileUsesCrLf;
  truncated_ = false;
  utf8Mark_ = utf16_ = false;
  switch (result) {
    case TReadResult::Missing:
      return TLoadResult::Missing;
    case TReadResult::Unreadable:
      return TLoadResult::Unreadable;
    case TReadResult::Truncated: {
      // Drop the cut-off last line; it would read as a wrong value.
      const auto lastEnd = contents.find_last_of("\r\n");
      contents.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
      LoadFromText(contents);
      truncated_ = true;
      return TLoadResult::TooLarge;
    }
    case TReadResult::Ok:
      break;
  }
  LoadFromText(contents);
  return TLoadResult::Loaded;
}

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// UTF-16 text (after its mark) as 8-bit text for reading: characters past U+00FF become '?'.
std::string NarrowUtf16(std::string_view Units, bool BigEndian) {
  std::string text;
  text.reserve(Units.size() / 2);
  for (std::size_t i = 0; i + 1 < Units.size(); i += 2) {
    const auto first = static_cast<unsigned char>(Units[i]);
    const auto second = static_cast<unsigned char>(Units[i + 1]);
    const unsigned unit = BigEndian ? (first << 8 | second) : (second << 8 | first);
    text += unit <= 0xFF ? static_cast<char>(unit) : '?';
  }
  return text;
}

}  // namespace

void TIniFile::LoadFromText(std::string_view Text) {
  lines_.clear();
  truncated_ = false;
  utf8Mark_ = Text.substr(0, Utf8Mark.size()) == Utf8Mark;
  if (utf8Mark_) Text.remove_prefix(Utf8Mark.size());
  const bool littleMark = Text.size() >= 2 && Text[0] == '\xFF' && Text[1] == '\xFE';
  const bool bigMark = Text.size() >= 2 && Text[0] == '\xFE' && Text[1] == '\xFF';
  // Without a mark, two 8-bit characters each beside a zero byte still give UTF-16 away.
  const auto zeroAt = [Text](std::size_t i) { return Text[i] == '\0' && Text[i ^ 1] != '\0'; };
  const bool unmarkedBig = !utf8Mark_ && Text.size() >= 4 && zeroAt(0) && zeroAt(2);
  const bool unmarkedLittle = !utf8Mark_ && Text.size() >= 4 && zeroAt(1) && zeroAt(3);
  utf16_ = littleMark || bigMark || unmarkedBig || unmarkedLittle;
  std::string narrowed;
  if (utf16_) {
    narrowed = NarrowUtf16(Text.substr(littleMark || bigMark ? 2 : 0), bigMark || unmarkedBig);
    Text = narrowed;
  }
  const auto lf = Text.find('\n');
  crlf_ = lf == std::string_view::npos ? NewFileUsesCrLf : (lf > 0 && Text[lf - 1] == '\r');
  ForEachLine(Text, [this](std::string_view line) { lines_.emplace_back(line); });
}

std::optional<std::string_view> TIniFile::SectionName(std::string_view Line) {
  Line = Trim(Line);
  if (Line.empty() || Line.front() != '[') return std::nullopt;
  const auto close = Line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Line.substr(1, close - 1);
}

std::optional<TIniFile::TKeyLine> TIniFile::KeyLine(std::string_view Line) {
  Line = Trim(Line);
  if (Line.empty() || Line.front() == ';' || SectionName(Line)) return std::nullopt;
  const auto equals = Line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  std::string_view value = Trim(Line.substr(equals + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return TKeyLine{Trim(Line.substr(0, equals)), value};
}

std::optional<std::size_t> TIniFile::FindSection(std::string_view Section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionName(lines_[i]);
    if (name && EqualFold(*name, Section)) return i;
  }
  return std::nullopt;
}

std::size_t TIniFile::SectionEnd(std::size_t Header) const {
  std::size_t i = Header + 1;
  while (i < lines_.size() && !SectionName(lines_[i])) ++i;
  return i;
}

std::optional<std::size_t> TIniFile::FindKey(std::string_view Section, std::string_view Key) const {
  const auto header = FindSection(Section);
  if (!header) return std::nullopt;
  const std::size_t end = SectionEnd(*header);
  for (std::size_t i = *header + 1; i < end; ++i) {
    const auto line = KeyLine(lines_[i]);
    if (line && EqualFold(line->Key, Key)) return i;
  }
  return std::nullopt;
}

std::string TIniFile::ReadString(std::string_view Section, std::string_view Key,
                                 std::string_view Default) const {
  const auto index = FindKey(Section, Key);
  if (!index) return std::string(Default);
  return std::string(KeyLine(lines_[*index])->Value);
}

int32_t TIniFile::ReadInteger(std::string_view Section, std::string_view Key,
                              int32_t Default) const {
  const auto index = FindKey(Section, Key);
  if (!index) return Default;
  return ParseIniInteger(KeyLine(lines_[*index])->Value).value_or(Default);
}

bool TIniFile::ReadBool(std::string_view Section, std::string_view Key, bool Default) const {
  return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

bool TIniFile::ValueExists(std::string_view Section, std::string_view Key) const {
  return FindKey(Section, Key).has_value();
}

void TIniFile::WriteString(std::string_view Section, std::string_view Key, std::string_view Value) {
  std::string value(Value);
  for (char& c : value) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  if (const auto index = FindKey(Section, Key)) {
    // Keep the key as the file spells it.
    const std::string key(KeyLine(lines_[*index])->Key);
    lines_[*index] = key + "=" + value;
    return;
  }
  std::string line = std::string(Key) + "=" + value;
  if (const auto header = FindSection(Section)) {
    // After the section's last non-blank line, so the blank line before the next section stays.
    std::size_t at = SectionEnd(*header);
    while (at > *header + 1 && Trim(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    return;
  }
  if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
  // Appended, not `"[" + name`: GCC 12 warns about that at -O3 (-Wrestrict).
  std::string header = "[";
  header += Section;
  header += ']';
  lines_.push_back(std::move(header));
  lines_.push_back(std::move(line));
}

void TIniFile::WriteInteger(std::string_view Section, std::string_view Key, int32_t Value) {
  WriteString(Section, Key, std::to_string(Value));
}

void TIniFile::WriteBool(std::string_view Section, std::string_view Key, bool Value) {
  WriteString(Section, Key, Value ? "1" : "0");
}

std::string TIniFile::Text() const {
  const std::string_view eol = crlf_ ? "\r\n" : "\n";
  std::string text(utf8Mark_ ? Utf8Mark : std::string_view());
  for (const auto& line : lines_) {
    text += line;
    text += eol;
  }
  return text;
}

bool TIniFile::SaveToFile(const std::string& Path, std::string& Error) const {
  if (truncated_) {
    Error = Path + " is larger than " + std::to_string(MaxIniFileBytes / 1024) +
            " KiB; it was left unchanged.";
    return false;
  }
  if (utf16_) {
    Error = Path + " is UTF-16 text; it was left unchanged.";
    return false;
  }
  return WriteFileAtomically(Path, Text(), Error);
}
