#include "app/core/LanguageFile.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "app/core/Global_var.h"

namespace {

TEST(LanguageFileTest, LineAndCaseRules) {
  TLanguageFile file;
  file.LoadFromText(
      "GroepActual=before any section\n"
      "[main]\n"
      "groepactual=Istwerte\n"
      "GroepActual=second occurrence\n"
      "GroepIngangen = Eing\xE4nge\n"
      "CmdTerminalZenden=Send \n"
      ";CmdResetError=commented\n"
      "\n"
      "LabelDataIn\n"
      "Formula=a=b\n"
      "Empty=\n"
      "[Main] \n"             // not a section line: its last character is a blank
      "K0_Inactief=still Main\n"
      "[]\n"
      "x=in the nameless section\n");
  EXPECT_EQ(file.ReadString("Main", "GroepActual", "Actual"), "Istwerte");
  EXPECT_EQ(file.ReadString("MAIN", "GROEPACTUAL", "Actual"), "Istwerte");
  // The key read from "GroepIngangen = ..." ends in a blank, so it does not match.
  EXPECT_EQ(file.ReadString("Main", "GroepIngangen", "Ingangen"), "Ingangen");
  EXPECT_EQ(file.ReadString("Main", "GroepIngangen ", "Ingangen"), " Eing\xE4nge");
  EXPECT_EQ(file.ReadString("Main", "CmdTerminalZenden", "Zenden"), "Send ");
  EXPECT_EQ(file.ReadString("Main", "CmdResetError", "Res error"), "Res error");
  EXPECT_EQ(file.ReadString("Main", "LabelDataIn", "Data in:"), "Data in:");
  EXPECT_EQ(file.ReadString("Main", "Formula", ""), "a=b");
  EXPECT_EQ(file.ReadString("Main", "Empty", "default"), "");
  EXPECT_EQ(file.ReadString("Main", "K0_Inactief", "Inactief"), "still Main");
  EXPECT_EQ(file.ReadString("", "x", "?"), "in the nameless section");
  EXPECT_EQ(file.ReadString("About", "GroepActual", "Actual"), "Actual");
  EXPECT_FALSE(file.SectionExists("About"));
}

TEST(LanguageFileTest, LatinOneLettersMatchWithoutCase) {
  TLanguageFile file;
  file.LoadFromText("[\xC4nderung]\n\xDC" "ber=1\n");
  EXPECT_EQ(file.ReadString("\xE4nderung", "\xFC" "ber", "0"), "1");
}

TEST(LanguageFileTest, RepeatedSectionContinuesTheFirst) {
  TLanguageFile file;
  file.LoadFromText("[Main]\na=1\n[About]\nb=2\n[MAIN]\na=3\nc=4\n");
  EXPECT_EQ(file.ReadString("Main", "a", ""), "1");
  EXPECT_EQ(file.ReadString("Main", "c", ""), "4");
}

TEST(LanguageFileTest, AllLineEnds) {
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    TLanguageFile file;
    const std::string e(eol);
    file.LoadFromText("[Main]" + e + "CmdComOpen=Open" + e + "CmdComClose=Close");
    EXPECT_EQ(file.ReadString("Main", "CmdComOpen", ""), "Open");
    EXPECT_EQ(file.ReadString("Main", "CmdComClose", ""), "Close");
  }
}

TEST(LanguageFileTest, BadFilesNeverBreakLookups) {
  TempDir dir;
  TLanguageFile file;
  file.LoadFromText("[Main]\nk=kept\n");
  EXPECT_FALSE(file.LoadFromFile(dir.File("missing.ini")));
  EXPECT_FALSE(file.LoadFromFile(dir.Path()));  // a directory
  EXPECT_FALSE(file.LoadFromFile("/dev/zero"));
  EXPECT_EQ(file.ReadString("Main", "k", ""), "kept");

  dir.Write("empty.ini", "");
  EXPECT_TRUE(file.LoadFromFile(dir.File("empty.ini")));
  EXPECT_TRUE(file.Empty());

  std::string binary(200000, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 31 + (i >> 8));
  binary += "\r\n[Main]\r\nk=after binary\r\n";
  dir.Write("binary.ini", binary);
  EXPECT_TRUE(file.LoadFromFile(dir.File("binary.ini")));
  EXPECT_EQ(file.ReadString("Main", "k", ""), "after binary");
}

TEST(LanguageFileTest, HugeFileKeepsOnlyCompleteLinesWithinTheLimit) {
  TempDir dir;
  std::string text = "[Main]\nfirst=1\nfiller=";
  text.append(MaxLanguageFileBytes - text.size() - 4, 'x');
  text += "\nlast=cut off\n";  // straddles the limit
  dir.Write("huge.ini", text);
  TLanguageFile file;
  ASSERT_TRUE(file.LoadFromFile(dir.File("huge.ini")));
  EXPECT_EQ(file.ReadString("Main", "first", ""), "1");
  EXPECT_EQ(file.ReadString("Main", "last", "default"), "default");
}

class TekstFileLezenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Global_var.Reset();
    ProgramDir = dir.Path();
  }
  void TearDown() override { Global_var.Reset(); }
  TempDir dir;
};

TEST_F(TekstFileLezenTest, FileNameByLanguageIndex) {
  EXPECT_EQ(LanguageFileName(0), "Taal0.ini");
  EXPECT_EQ(LanguageFileName(1), "Taal1.ini");
  EXPECT_EQ(LanguageFileName(2), "Taal2.ini");
  EXPECT_EQ(LanguageFileName(7), "Taal0.ini");
  EXPECT_EQ(LanguageFileName(-1), "Taal0.ini");
}

TEST_F(TekstFileLezenTest, NoFileLeavesLanguageUnloaded) {
  EXPECT_FALSE(TekstFile_Lezen());
  EXPECT_FALSE(LanguageLoaded);
}

TEST_F(TekstFileLezenTest, IndexSevenLoadsDutch) {
  dir.Write("Taal0.ini", "[Main]\nGroepActual=Actueel\n");
  LanguageIndex = 7;
  EXPECT_TRUE(TekstFile_Lezen());
  EXPECT_TRUE(LanguageLoaded);
  EXPECT_EQ(LanguageFile.ReadString("Main", "GroepActual", "Actual"), "Actueel");
}

TEST_F(TekstFileLezenTest, SwitchToMissingLanguageKeepsThePrevious) {
  dir.Write("Taal1.ini", "[Main]\nGroepActual=Actual values\n");
  LanguageIndex = 1;
  ASSERT_TRUE(TekstFile_Lezen());
  LanguageIndex = 2;
  EXPECT_FALSE(TekstFile_Lezen());
  EXPECT_TRUE(LanguageLoaded);
  EXPECT_EQ(LanguageFile.ReadString("Main", "GroepActual", "Actual"), "Actual values");

  dir.Write("Taal2.ini", "[Main]\nGroepActual=Istwerte\n");
  EXPECT_TRUE(TekstFile_Lezen());
  EXPECT_EQ(LanguageFile.ReadString("Main", "GroepActual", "Actual"), "Istwerte");
}

}  // namespace
