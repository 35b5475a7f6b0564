#include "app/core/IniFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "FolderNames.h"
#include "TempDir.h"
#include "app/core/TextFileIO.h"

#ifndef _WIN32
#include <limits.h>
#include <sys/stat.h>
#endif

namespace {

TEST(IniIntegerTest, DecimalAndHexadecimal) {
  EXPECT_EQ(ParseIniInteger("3"), 3);
  EXPECT_EQ(ParseIniInteger("0x3"), 3);
  EXPECT_EQ(ParseIniInteger("0X1f"), 31);
  EXPECT_EQ(ParseIniInteger("$1F"), 31);
  EXPECT_EQ(ParseIniInteger("-12"), -12);
  EXPECT_EQ(ParseIniInteger("+12"), 12);
  EXPECT_EQ(ParseIniInteger("  7"), 7);
  EXPECT_EQ(ParseIniInteger("007"), 7);
  EXPECT_EQ(ParseIniInteger("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), -1);  // a 32-bit pattern
  EXPECT_EQ(ParseIniInteger("-0x10"), -16);
}

TEST(IniIntegerTest, NotAnInteger) {
  for (const char* text : {"", " ", "-", "0x", "$", "abc", "3 ", "3a", "1.5", "0x1G", "2147483648",
                           "-2147483649", "0x100000000", "99999999999999999999999"}) {
    EXPECT_FALSE(ParseIniInteger(text).has_value()) << '"' << text << '"';
  }
}

TEST(IniFileTest, ReadRules) {
  TIniFile ini;
  ini.LoadFromText(
      "top=ignored?\r\n"
      "[Serieel]\r\n"
      "  BaudRate = 0x3 \r\n"
      "baudrate=5\r\n"          // the first of two equal keys counts
      "; comment=1\r\n"
      "name=\"quoted text\"\r\n"
      "path=  C:\\data  \r\n"
      "nokey\r\n"
      "[serieel]\r\n"           // a second section of the same name is not searched
      "unit_no=9\r\n"
      "[ Other ]\r\n"
      "x=1\r\n");
  EXPECT_EQ(ini.ReadInteger("SERIEEL", "baudrate", -1), 3);
  EXPECT_EQ(ini.ReadString("Serieel", "name", "?"), "quoted text");
  EXPECT_EQ(ini.ReadString("Serieel", "path", "?"), "C:\\data");
  EXPECT_EQ(ini.ReadString("Serieel", "comment", "?"), "?");
  EXPECT_EQ(ini.ReadString("Serieel", "nokey", "?"), "?");
  EXPECT_EQ(ini.ReadInteger("Serieel", "unit_no", -1), -1);
  EXPECT_EQ(ini.ReadString("", "top", "?"), "?");
  EXPECT_EQ(ini.ReadInteger(" Other ", "x", 0), 1);  // blanks inside the brackets belong to the name
  EXPECT_EQ(ini.ReadInteger("Other", "x", 0), 0);
}

TEST(IniFileTest, IntegersAndBooleansFallBackToDefault) {
  TIniFile ini;
  ini.LoadFromText("[G]\nnum=abc\nempty=\nt=2\nf=0\nneg=-1\nhex=0x0\n");
  EXPECT_EQ(ini.ReadInteger("G", "num", 6), 6);
  EXPECT_EQ(ini.ReadInteger("G", "empty", 6), 6);
  EXPECT_EQ(ini.ReadInteger("G", "missing", 6), 6);
  EXPECT_TRUE(ini.ReadBool("G", "t", false));
  EXPECT_TRUE(ini.ReadBool("G", "neg", false));
  EXPECT_FALSE(ini.ReadBool("G", "f", true));
  EXPECT_FALSE(ini.ReadBool("G", "hex", true));
  EXPECT_TRUE(ini.ReadBool("G", "num", true));
}

TEST(IniFileTest, WritingKeepsEverythingElse) {
  TIniFile ini;
  ini.LoadFromText(
      "; my notes\n"
      "[Serieel]\n"
      "BAUDRATE=5\n"
      "custom=keep me\n"
      "\n"
      "[Poorten]\n"
      "COM1=/dev/ttyUSB0\n");
  ini.WriteInteger("Serieel", "baudrate", 3);
  ini.WriteInteger("Serieel", "unit_no", 7);
  ini.WriteBool("Grafiek", "X_hulplijn", true);
  ini.WriteString("Afdrukken", "Firma", "ACME\r\nevil=1");
  EXPECT_EQ(ini.Text(),
            "; my notes\n"
            "[Serieel]\n"
            "BAUDRATE=3\n"
            "custom=keep me\n"
            "unit_no=7\n"
            "\n"
            "[Poorten]\n"
            "COM1=/dev/ttyUSB0\n"
            "\n"
            "[Grafiek]\n"
            "X_hulplijn=1\n"
            "\n"
            "[Afdrukken]\n"
            "Firma=ACME  evil=1\n");
}

TEST(IniFileTest, KeepsCrLfLineEnds) {
  TIniFile ini;
  ini.LoadFromText("[A]\r\nk=1\r\n");
  ini.WriteString("A", "k", "2");
  EXPECT_EQ(ini.Text(), "[A]\r\nk=2\r\n");
}

TEST(IniFileTest, MissingEmptyAndBinaryFiles) {
  TempDir dir;
  TIniFile ini;
  EXPECT_EQ(ini.LoadFromFile(dir.File("none.ini")), TIniFile::TLoadResult::Missing);
  std::filesystem::create_directory(dir.File("adir.ini"));
  EXPECT_EQ(ini.LoadFromFile(dir.File("adir.ini")), TIniFile::TLoadResult::Missing);
  EXPECT_EQ(ini.LoadFromFile("/dev/zero"), TIniFile::TLoadResult::Missing);

  dir.Write("empty.ini", "");
  EXPECT_EQ(ini.LoadFromFile(dir.File("empty.ini")), TIniFile::TLoadResult::Loaded);
  EXPECT_EQ(ini.ReadInteger("Serieel", "baudrate", 6), 6);

  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  binary += "\n[Serieel]\nbaudrate=2\n";
  dir.Write("binary.ini", binary);
  EXPECT_EQ(ini.LoadFromFile(dir.File("binary.ini")), TIniFile::TLoadResult::Loaded);
  EXPECT_EQ(ini.ReadInteger("Serieel", "baudrate", 6), 2);
}

TEST(IniFileTest, HugeFileIsReadInPartAndNeverSavedOver) {
  TempDir dir;
  std::string huge = "[Serieel]\nbaudrate=4\n";
  huge.append(MaxIniFileBytes, 'x');
  huge += "\nunit_no=5\n";
  dir.Write("huge.ini", huge);

  TIniFile ini;
  EXPECT_EQ(ini.LoadFromFile(dir.File("huge.ini")), TIniFile::TLoadResult::TooLarge);
  EXPECT_EQ(ini.ReadInteger("Serieel", "baudrate", 6), 4);
  EXPECT_EQ(ini.ReadInteger("Serieel", "unit_no", 0), 0);  // beyond the cap
  ini.WriteInteger("Serieel", "baudrate", 3);
  std::string error;
  EXPECT_FALSE(ini.SaveToFile(dir.File("huge.ini"), error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(dir.Read("huge.ini"), huge);
}

TEST(AtomicWriteTest, ReplacesOnlyTheTargetAndLeavesNoTemporary) {
  TempDir dir;
  dir.Write("a.ini", "old");
  // The user's own file under the old temporary name is no temporary of ours.
  dir.Write("a.ini.tmp", "mine");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(dir.File("a.ini"), "new", error)) << error;
  EXPECT_EQ(dir.Read("a.ini"), "new");
  EXPECT_EQ(dir.Read("a.ini.tmp"), "mine");
  EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"a.ini", "a.ini.tmp"}));

  // A name of 255 bytes, the longest a folder entry may have, saves.
  const std::string longest(251, 'n');
  ASSERT_TRUE(WriteFileAtomically(dir.File(longest + ".bak"), "long", error)) << error;
  EXPECT_EQ(dir.Read(longest + ".bak"), "long");
#ifndef _WIN32
  // So does a path a few bytes short of the longest the system takes, with a name shorter than
  // the temporary's.
  std::string deep = dir.File("");
  while (deep.size() + 201 <= PATH_MAX - 11) deep += std::string(200, 'd') + "/";
  deep += std::string(PATH_MAX - 11 - deep.size() - 1, 'e') + "/";
  std::filesystem::create_directories(deep);
  ASSERT_TRUE(WriteFileAtomically(deep + "u.bak", "deep", error)) << error;
  EXPECT_EQ(FolderNames(deep).size(), 1u);
#endif

  // The replaced file keeps its permission bits (as far as the system has them: Windows keeps
  // only a read-only flag).
  using std::filesystem::perms;
  std::filesystem::permissions(dir.File("a.ini"), perms::owner_read | perms::owner_write | perms::group_read);
  const perms before = std::filesystem::status(dir.File("a.ini")).permissions();
  ASSERT_TRUE(WriteFileAtomically(dir.File("a.ini"), "newer", error)) << error;
  EXPECT_EQ(std::filesystem::status(dir.File("a.ini")).permissions(), before);
  EXPECT_EQ(dir.Read("a.ini"), "newer");
}

TEST(AtomicWriteTest, FailureLeavesOldFileAndNoTemporary) {
  TempDir dir;
  // The rename cannot replace a directory: it stays, and the temporary file is cleaned up.
  std::filesystem::create_directory(dir.File("b.ini"));
  dir.Write("b.ini/inside", "x");
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(dir.File("b.ini"), "new", error));
  EXPECT_NE(error.find("b.ini"), std::string::npos) << error;
  EXPECT_EQ(dir.Read("b.ini/inside"), "x");
  EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"b.ini"}));

  // A missing directory.
  EXPECT_FALSE(WriteFileAtomically(dir.File("no/such/c.ini"), "new", error));
}

#ifndef _WIN32
TEST(AtomicWriteTest, SavingThroughALinkReplacesTheFileItNames) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("archive"));
  dir.Write("archive/unit0.bak", "old");
  std::filesystem::create_symlink("archive/unit0.bak", dir.File("current.bak"));
  // A chain of two links, the second one relative to its own folder.
  std::filesystem::create_symlink("current.bak", dir.File("latest.bak"));
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(dir.File("latest.bak"), "new", error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("current.bak")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("latest.bak")));
  EXPECT_EQ(dir.Read("archive/unit0.bak"), "new");
  EXPECT_EQ(FolderNames(dir.File("archive")), (std::vector<std::string>{"unit0.bak"}));

  // A dangling link creates the file it names; a loop of links is refused and changes nothing.
  std::filesystem::create_symlink("archive/unit1.bak", dir.File("next.bak"));
  ASSERT_TRUE(WriteFileAtomically(dir.File("next.bak"), "one", error)) << error;
  EXPECT_EQ(dir.Read("archive/unit1.bak"), "one");
  std::filesystem::create_symlink("loop2", dir.File("loop1"));
  std::filesystem::create_symlink("loop1", dir.File("loop2"));
  EXPECT_FALSE(WriteFileAtomically(dir.File("loop1"), "x", error));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("loop1")));

  // A link to a pipe (or a device such as /dev/null) is refused: what it names stays.
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
  std::filesystem::create_symlink("pipe", dir.File("pipe.bak"));
  EXPECT_FALSE(WriteFileAtomically(dir.File("pipe.bak"), "x", error));
  EXPECT_NE(error.find("not a plain file"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe")));
}
#endif

}  // namespace

// Marks, UTF-16 with a mark and read-only files: through the program (MainWindowCreateTest).
TEST(IniFileTest, Utf16WithoutAMarkIsReadButNeverWrittenBack) {
  const std::string text = "[Serieel]\r\nunit_no=7\r\n";
  std::string wide;
  for (const char c : text) wide += std::string(1, '\0') + c;
  TempDir dir;
  dir.Write("w.ini", wide);
  TIniFile utf16;
  ASSERT_EQ(utf16.LoadFromFile(dir.File("w.ini")), TIniFile::TLoadResult::Loaded);
  EXPECT_TRUE(utf16.Utf16());
  EXPECT_EQ(utf16.ReadInteger("Serieel", "unit_no", 0), 7);
  utf16.WriteInteger("Serieel", "unit_no", 1);
  std::string error;
  EXPECT_FALSE(utf16.SaveToFile(dir.File("w.ini"), error));
  EXPECT_NE(error.find("UTF-16"), std::string::npos) << error;
  EXPECT_EQ(dir.Read("w.ini"), wide);
}
