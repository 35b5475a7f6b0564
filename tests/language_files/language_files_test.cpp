// The language files are data the program cannot check at run time: a key
// missing from one language silently falls back to the Dutch built-in text,
// and a UTF-8 umlaut shows as two garbage characters. These tests read the
// files with the same line rules as the program and keep them complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

// One language file as the program sees it, plus everything a careless edit
// could get wrong that the program would silently accept.
struct LanguageFileContents {
  std::string name;
  std::string bytes;
  // lower-case section -> lower-case key -> text (first occurrence wins)
  std::map<std::string, std::map<std::string, std::string>> sections;
  std::vector<std::string> problems;

  bool Has(const std::string& section, const std::string& key) const {
    auto s = sections.find(Lower(section));
    return s != sections.end() && s->second.count(Lower(key)) != 0;
  }
  std::string Text(const std::string& section, const std::string& key) const {
    auto s = sections.find(Lower(section));
    if (s == sections.end()) return {};
    auto k = s->second.find(Lower(key));
    return k == s->second.end() ? std::string() : k->second;
  }
};

LanguageFileContents Parse(const std::string& name, const std::string& bytes) {
  LanguageFileContents file;
  file.name = name;
  file.bytes = bytes;
  std::string current;
  bool inSection = false;
  int lineNo = 0;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string where = name + " line " + std::to_string(lineNo);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      current = Lower(line.substr(1, line.size() - 2));
      if (file.sections.count(current))
        file.problems.push_back(where + ": section [" + current + "] opened twice");
      file.sections[current];
      inSection = true;
      continue;
    }
    if (!inSection) {
      file.problems.push_back(where + ": text before the first section");
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) {
      file.problems.push_back(where + ": line without \"=\": " + line);
      continue;
    }
    const std::string key = line.substr(0, eq);
    const std::string text = line.substr(eq + 1);
    if (key.empty() || key.front() == ' ' || key.back() == ' ' || key.back() == '\t')
      file.problems.push_back(where + ": blank around the key \"" + key + "\"");
    if (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
      file.problems.push_back(where + ": blank after \"=\" in " + key);
    if (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
      file.problems.push_back(where + ": trailing blank in " + key);
    if (text.empty()) file.problems.push_back(where + ": empty text for " + key);
    auto& keys = file.sections[current];
    if (!keys.emplace(Lower(key), text).second)
      file.problems.push_back(where + ": key " + key + " repeated in [" + current + "]");
  }
  return file;
}

const std::vector<LanguageFileContents>& Files() {
  static const std::vector<LanguageFileContents> files = [] {
    std::vector<LanguageFileContents> out;
    for (const char* name : {"Taal0.ini", "Taal1.ini", "Taal2.ini"}) {
      const fs::path path = fs::path(KMT40_LANGUAGE_DIR) / name;
      out.push_back(Parse(name, fs::exists(path) ? ReadBytes(path) : std::string()));
    }
    return out;
  }();
  return files;
}

// Comma text as the windows split it: items separated by commas or blanks,
// an item in double quotes may hold both ("" inside quotes is one quote).
std::vector<std::string> SplitCommaText(const std::string& text) {
  std::vector<std::string> items;
  std::size_t i = 0;
  auto skipSeparators = [&] {
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  };
  skipSeparators();
  while (i < text.size()) {
    std::string item;
    if (text[i] == '"') {
      ++i;
      while (i < text.size()) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      while (i < text.size() && text[i] != ',' && static_cast<unsigned char>(text[i]) > ' ')
        item += text[i++];
    }
    items.push_back(item);
    skipSeparators();
    if (i < text.size() && text[i] == ',') {
      ++i;
      skipSeparators();
    }
  }
  return items;
}

std::set<std::pair<std::string, std::string>> KeySet(const LanguageFileContents& f) {
  std::set<std::pair<std::string, std::string>> keys;
  for (const auto& [section, entries] : f.sections)
    for (const auto& entry : entries) keys.emplace(section, entry.first);
  return keys;
}

struct Lookup {
  std::string section, key, where;
};

// Every ReadString("Section", "Key", ...) in the program's sources.
std::vector<Lookup> ScanSourceLookups() {
  static const std::regex call(R"re(ReadString\(\s*"([^"]+)"\s*,\s*"([^"]+)")re");
  std::vector<Lookup> found;
  const fs::path root(KMT40_SOURCE_SCAN_DIR);
  if (!fs::exists(root)) return found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const auto ext = entry.path().extension();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    const std::string source = ReadBytes(entry.path());
    // Match at each occurrence only, so the regex never walks a whole file.
    for (std::size_t at = source.find("ReadString("); at != std::string::npos;
         at = source.find("ReadString(", at + 1)) {
      const std::string window = source.substr(at, 400);
      std::smatch m;
      if (std::regex_search(window, m, call, std::regex_constants::match_continuous)) {
        const auto line = std::count(source.begin(), source.begin() + at, '\n') + 1;
        found.push_back({m[1], m[2],
                         fs::relative(entry.path(), root.parent_path()).generic_string() + ":" +
                             std::to_string(line)});
      }
    }
  }
  return found;
}

TEST(LanguageFiles, AllThreeExistAndFollowTheLineRules) {
  for (const auto& f : Files()) {
    EXPECT_FALSE(f.bytes.empty()) << f.name << " is missing or empty";
    EXPECT_GE(f.sections.size(), 17u) << f.name;
    for (const auto& p : f.problems) ADD_FAILURE() << p;
  }
}

TEST(LanguageFiles, AreSingleByteWindowsTextWithCrLfLines) {
  for (const auto& f : Files()) {
    const std::string& b = f.bytes;
    EXPECT_NE(b.rfind("\xEF\xBB\xBF", 0), 0u) << f.name << " starts with a UTF-8 byte order mark";
    for (std::size_t i = 0; i < b.size(); ++i) {
      const auto c = static_cast<unsigned char>(b[i]);
      if (c == '\n') {
        EXPECT_TRUE(i > 0 && b[i - 1] == '\r') << f.name << ": bare LF at byte " << i;
      } else if (c == '\r') {
        EXPECT_TRUE(i + 1 < b.size() && b[i + 1] == '\n') << f.name << ": bare CR at byte " << i;
      } else if (c < 0x20 || c == 0x7F) {
        ADD_FAILURE() << f.name << ": control byte " << int(c) << " at byte " << i;
      } else if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) {
        ADD_FAILURE() << f.name << ": byte " << int(c) << " has no Windows-1252 character, at " << i;
      } else if (c >= 0xC2 && c <= 0xF4 && i + 1 < b.size() &&
                 (static_cast<unsigned char>(b[i + 1]) & 0xC0) == 0x80) {
        // A lead byte followed by a continuation byte: almost surely UTF-8
        // (no text of ours has e.g. "Ã" followed by "©").
        ADD_FAILURE() << f.name << ": UTF-8 sequence at byte " << i << " near \""
                      << b.substr(i > 20 ? i - 20 : 0, 40) << "\"";
      }
    }
    EXPECT_TRUE(b.empty() || b.back() == '\n') << f.name << ": last line has no line end";
  }
}

TEST(LanguageFiles, GermanAndDutchUseWindows1252Letters) {
  // Spot checks that the non-ASCII letters really are the single bytes the
  // windows convert with Latin-1 (ä = E4, ü = FC, ß = DF, ë = EB).
  const auto& files = Files();
  EXPECT_EQ(files[2].Text("Main", "GroepIngangen"), "Eing\xE4nge");
  EXPECT_EQ(files[2].Text("Main", "CmdComClose"), "Schlie\xDF" "en");
  EXPECT_EQ(files[0].Text("Main", "subInitCom"), "&Seri\xEBle poort...");
}

TEST(LanguageFiles, HaveTheSameSectionsAndKeys) {
  const auto& files = Files();
  const auto reference = KeySet(files[0]);
  for (std::size_t i = 1; i < files.size(); ++i) {
    const auto other = KeySet(files[i]);
    for (const auto& [section, key] : reference)
      EXPECT_TRUE(other.count({section, key}))
          << files[i].name << " lacks [" << section << "] " << key << " that " << files[0].name
          << " has";
    for (const auto& [section, key] : other)
      EXPECT_TRUE(reference.count({section, key}))
          << files[0].name << " lacks [" << section << "] " << key << " that " << files[i].name
          << " has";
  }
}

TEST(LanguageFiles, HoldEveryKeyTheWindowsUse) {
  std::ifstream list(KMT40_REQUIRED_KEYS);
  ASSERT_TRUE(list) << "cannot read " << KMT40_REQUIRED_KEYS;
  std::string line;
  int count = 0;
  while (std::getline(list, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string section, key, extra;
    fields >> section >> key;
    ASSERT_FALSE(key.empty()) << "malformed list line: " << line;
    ASSERT_FALSE(fields >> extra) << "malformed list line: " << line;
    ++count;
    for (const auto& f : Files())
      EXPECT_TRUE(f.Has(section, key)) << f.name << " lacks [" << section << "] " << key;
  }
  EXPECT_GT(count, 250) << "the list of keys looks truncated";
}

TEST(LanguageFiles, HoldEveryKeyTheProgramLooksUp) {
  const auto lookups = ScanSourceLookups();
  if (lookups.empty())
    std::cout << "[ NOTE     ] no ReadString(\"Section\", \"Key\", ...) found under "
              << KMT40_SOURCE_SCAN_DIR << "\n";
  for (const auto& l : lookups)
    for (const auto& f : Files())
      EXPECT_TRUE(f.Has(l.section, l.key))
          << f.name << " lacks [" << l.section << "] " << l.key << " looked up at " << l.where;
}

TEST(LanguageFiles, ListTextsHaveOneItemPerChoice) {
  // The windows index these lists by position; a translated item with a blank
  // but no quotes would split in two and shift every later choice.
  const std::vector<std::tuple<const char*, const char*, std::size_t>> lists = {
      {"Opties", "TaalItems", 3},        {"InitCom", "PortItems", 16},
      {"InitCom", "IOItems", 4},         {"InitCom", "BaudItems", 5},
      {"InitCom", "DataBitItems", 2},    {"InitCom", "ParityItems", 3},
      {"InitCom", "StopbitItems", 2},    {"InitCom", "HardwareItems", 4},
      {"InitCom", "PortTypeItems", 3},   {"InitCom", "ReceiverItems", 2},
      {"InitCom", "TransmitterItems", 4}, {"Grafiek", "optiesBron", 5},
  };
  for (const auto& f : Files())
    for (const auto& [section, key, count] : lists) {
      const auto items = SplitCommaText(f.Text(section, key));
      EXPECT_EQ(items.size(), count) << f.name << " [" << section << "] " << key;
      for (const auto& item : items) EXPECT_FALSE(item.empty()) << f.name << " " << key;
    }
  // Values the windows compare or convert must be the same in every language.
  for (const auto& f : Files()) {
    EXPECT_EQ(SplitCommaText(f.Text("InitCom", "BaudItems")),
              (std::vector<std::string>{"9600", "19200", "28800", "38400", "57600"}));
    EXPECT_EQ(SplitCommaText(f.Text("InitCom", "PortItems"))[15], "COM 16");
    EXPECT_EQ(SplitCommaText(f.Text("Opties", "TaalItems")),
              (std::vector<std::string>{"Nederlands", "English", "Deutsch"}));
  }
}

TEST(LanguageFiles, CommaTextSplitterFollowsTheQuotingRules) {
  EXPECT_EQ(SplitCommaText(R"(a,"b c", d  e,"x""y")"),
            (std::vector<std::string>{"a", "b c", "d", "e", "x\"y"}));
  EXPECT_TRUE(SplitCommaText("").empty());
}

TEST(LanguageFiles, MenuMnemonicsAreUniqueWithinEachMenu) {
  // Two items with the same Alt letter in one menu make the second unreachable.
  const std::vector<std::pair<const char*, std::vector<std::vector<const char*>>>> menus = {
      {"Main",
       {{"menuBestand", "menuEdit", "menuInstellingen", "menuCommunicatie", "menuVenster", "menuHelp"},
        {"subParameters", "subSollwerten"},
        {"subInitCom", "subOpties"},
        {"subParSoll", "subBackup", "subRestore", "subZoeken"},
        {"subNokkenInfo", "subGrafiek", "subLinearisatie"},
        {"subInfo", "subErrorNummers"}}},
      {"EditParam",
       {{"menuBestand", "menuZendenOntvangen", "menuVenster", "menuHelp"},
        {"subOpenen", "subOpslaanAls", "subLaadDefault", "subAfdrukken", "subAfsluiten"},
        {"subParOntvangen", "subParZenden", "subLoader"},
        {"subNokkenInfo", "subLinearisatie"}}},
      {"EditSollwert",
       {{"menuBestand", "menuZendenOntvangen"},
        {"subOpenen", "subOpslaanAls", "subAfdrukken", "subAfsluiten"},
        {"subParOntvangen", "subParZenden"}}},
  };
  for (const auto& f : Files())
    for (const auto& [section, groups] : menus)
      for (const auto& group : groups) {
        std::map<char, std::string> used;
        for (const char* key : group) {
          const std::string text = f.Text(section, key);
          const auto amp = text.find('&');
          if (amp == std::string::npos || amp + 1 >= text.size()) continue;
          const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[amp + 1])));
          auto [it, fresh] = used.emplace(letter, key);
          EXPECT_TRUE(fresh) << f.name << " [" << section << "] " << key << " and " << it->second
                             << " share the Alt letter " << letter;
        }
      }
}

}  // namespace
