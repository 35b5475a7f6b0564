#include "app/core/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempDir.h"
#include "app/core/Global_var.h"
#include "app/core/IniFile.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Global_var.Reset();
    ProgramDir = dir.Path();
  }
  void TearDown() override { Global_var.Reset(); }

  void WriteSettings(std::string_view Text) { dir.Write(SettingsFileName, Text); }
  TIniFile Saved() {
    TIniFile ini;
    ini.LoadFromFile(dir.File(SettingsFileName));
    return ini;
  }
  void Save(const PortSettings& Port = {}) {
    std::string error;
    ASSERT_TRUE(ProgrammaInstellingen_opslaan(Port, error)) << error;
  }

  TempDir dir;
};

TEST_F(SettingsTest, MissingFileChangesNothing) {
  PortSettings port;
  port.Baudrate = 5;
  UnitNo = 3;
  ProgramSettings.PuntGrootte = 4;
  EXPECT_FALSE(Configfile_lezen(port));
  EXPECT_EQ(port.Baudrate, 5);
  EXPECT_EQ(UnitNo, 3);
  EXPECT_EQ(ProgramSettings.PuntGrootte, 4);
}

TEST_F(SettingsTest, DefaultsAtCreation) {
  const PortSettings port;
  EXPECT_EQ(port.Baudrate, 3);        // 9600
  EXPECT_EQ(port.FrameDatabits, 1);   // 8
  EXPECT_EQ(port.FrameParitybit, 2);  // odd
  EXPECT_EQ(port.FrameStopbits, 0);   // 1
  EXPECT_EQ(port.PortName, 0);        // COM1
  EXPECT_EQ(port.PortAddress, 0);     // 3F8h
  EXPECT_EQ(port.PortType, 2);        // RS485
  EXPECT_EQ(port.Hardware, 1);        // PCLabPCL745
  EXPECT_EQ(port.TransmitDriver, 1);  // tdRegister7to1
  EXPECT_EQ(port.ReceiveDriver, 1);   // rdRegister7to2
  EXPECT_EQ(UnitNo, 0);
  EXPECT_EQ(LanguageIndex, 0);
  EXPECT_EQ(ProgramSettings.PuntGrootte, 0);
}

TEST_F(SettingsTest, OnlyUnitNoGivesTheKeyDefaults) {
  WriteSettings("[Serieel]\nunit_no=7\n");
  PortSettings port;
  ASSERT_TRUE(Configfile_lezen(port));
  EXPECT_EQ(UnitNo, 7);
  EXPECT_EQ(port.Baudrate, 6);        // 38400
  EXPECT_EQ(port.FrameDatabits, 1);   // 8
  EXPECT_EQ(port.FrameParitybit, 1);  // even
  EXPECT_EQ(port.FrameStopbits, 0);   // 1
  EXPECT_EQ(port.Hardware, 2);        // Phoenix converter
  EXPECT_EQ(port.PortAddress, 3);     // 2E8h
  EXPECT_EQ(port.PortName, 0);        // COM1
  EXPECT_EQ(port.PortType, 0);        // RS232C
  EXPECT_EQ(port.ReceiveDriver, 0);   // none
  EXPECT_EQ(port.TransmitDriver, 3);  // DTR
  EXPECT_EQ(ProgramSettings.PuntGrootte, 1);  // the key is missing from an existing file
}

TEST_F(SettingsTest, ReadsEveryKey) {
  WriteSettings(
      "[Serieel]\r\nbaudrate=0x3\r\ndatabit=0\r\nparity=2\r\nstopbit=1\r\nhardware=3\r\n"
      "portaddr=1\r\nportname=15\r\nporttype=2\r\nreceivedrv=1\r\ntransmitdrv=2\r\nunit_no=31\r\n"
      "[Opties]\r\nTaal=2\r\n"
      "[Algemeen]\r\nOpenCloseDialoogPath=C:\\Kelmor\\Par\\\r\n"
      "[Afdrukken]\r\nFirma=M\xFCller GmbH\r\nType=KM40\r\nSn=1234\r\n"
      "[Grafiek]\r\nX_Div=5\r\nY_Div=20\r\nBronItem=4\r\nX_hulplijn=2\r\nY_hulplijn=0\r\n"
      "[Linearisatie]\r\nX_hulplijn=0\r\nY_hulplijn=1\r\nPuntGrootte=10\r\n"
      "[Poorten]\r\nCOM1=/dev/ttyUSB0\r\nCOM16=/dev/serial/by-id/usb-x\r\n");
  PortSettings port;
  ASSERT_TRUE(Configfile_lezen(port));
  EXPECT_EQ(port.Baudrate, 3);
  EXPECT_EQ(port.FrameDatabits, 0);
  EXPECT_EQ(port.FrameParitybit, 2);
  EXPECT_EQ(port.FrameStopbits, 1);
  EXPECT_EQ(port.Hardware, 3);
  EXPECT_EQ(port.PortAddress, 1);
  EXPECT_EQ(port.PortName, 15);
  EXPECT_EQ(port.PortType, 2);
  EXPECT_EQ(port.ReceiveDriver, 1);
  EXPECT_EQ(port.TransmitDriver, 2);
  EXPECT_EQ(UnitNo, 31);
  EXPECT_EQ(LanguageIndex, 2);
  const TProgramSettings& s = ProgramSettings;
  EXPECT_EQ(s.OpenCloseDialoogPath, "C:\\Kelmor\\Par\\");
  EXPECT_EQ(s.Firma, "M\xFCller GmbH");
  EXPECT_EQ(s.Type, "KM40");
  EXPECT_EQ(s.Sn, "1234");
  EXPECT_EQ(s.X_Div, 5);
  EXPECT_EQ(s.Y_Div, 20);
  EXPECT_EQ(s.BronItem, 4);
  EXPECT_TRUE(s.Grafiek_X_hulplijn);
  EXPECT_FALSE(s.Grafiek_Y_hulplijn);
  EXPECT_FALSE(s.Linearisatie_X_hulplijn);
  EXPECT_TRUE(s.Linearisatie_Y_hulplijn);
  EXPECT_EQ(s.PuntGrootte, 10);
  EXPECT_EQ(port.DevicePaths[0], "/dev/ttyUSB0");
  EXPECT_EQ(port.DevicePaths[1], "");
  EXPECT_EQ(port.DevicePaths[15], "/dev/serial/by-id/usb-x");
}

TEST_F(SettingsTest, OutOfRangeAndTextValuesFallBackToTheKeyDefault) {
  WriteSettings(
      "[Serieel]\nbaudrate=42\ndatabit=-1\nparity=odd\nstopbit=0xFFFFFFFF\nhardware=4\n"
      "portaddr=99999999999\nportname=16\nporttype=3\nreceivedrv=2\ntransmitdrv=\nunit_no=32\n"
      "[Opties]\nTaal=-1\n"
      "[Grafiek]\nX_Div=6\nY_Div=-3\nBronItem=5\nX_hulplijn=yes\n"
      "[Linearisatie]\nPuntGrootte=11\n");
  PortSettings port;
  ASSERT_TRUE(Configfile_lezen(port));
  EXPECT_EQ(port.Baudrate, 6);
  EXPECT_EQ(port.FrameDatabits, 1);
  EXPECT_EQ(port.FrameParitybit, 1);
  EXPECT_EQ(port.FrameStopbits, 0);
  EXPECT_EQ(port.Hardware, 2);
  EXPECT_EQ(port.PortAddress, 3);
  EXPECT_EQ(port.PortName, 0);
  EXPECT_EQ(port.PortType, 0);
  EXPECT_EQ(port.ReceiveDriver, 0);
  EXPECT_EQ(port.TransmitDriver, 3);
  EXPECT_EQ(UnitNo, 0);
  EXPECT_EQ(LanguageIndex, 0);
  EXPECT_EQ(ProgramSettings.X_Div, 0);
  EXPECT_EQ(ProgramSettings.Y_Div, 0);
  EXPECT_EQ(ProgramSettings.BronItem, 0);
  EXPECT_FALSE(ProgramSettings.Grafiek_X_hulplijn);
  EXPECT_EQ(ProgramSettings.PuntGrootte, 1);

  WriteSettings("[Opties]\nTaal=3\n");
  ASSERT_TRUE(Configfile_lezen(port));
  EXPECT_EQ(LanguageIndex, 0);
}

TEST_F(SettingsTest, BinaryOrEmptyFileReadsAsDefaults) {
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary += static_cast<char>(i * 131);
  for (const std::string& contents : {std::string(), binary}) {
    WriteSettings(contents);
    PortSettings port;
    ASSERT_TRUE(Configfile_lezen(port));
    EXPECT_EQ(port.Baudrate, 6);
    EXPECT_EQ(UnitNo, 0);
    EXPECT_EQ(ProgramSettings.PuntGrootte, 1);
  }
}

TEST_F(SettingsTest, WithoutFileSavesCreationValues) {
  Save();
  TIniFile ini = Saved();
  EXPECT_EQ(ini.ReadString("Linearisatie", "PuntGrootte", "?"), "0");
  EXPECT_EQ(ini.ReadString("Serieel", "baudrate", "?"), "3");
  EXPECT_EQ(ini.ReadString("Serieel", "transmitdrv", "?"), "1");
  EXPECT_EQ(ini.ReadString("Grafiek", "X_hulplijn", "?"), "0");
  EXPECT_EQ(ini.ReadString("Algemeen", "OpenCloseDialoogPath", "?"), "");
  EXPECT_FALSE(ini.ValueExists("Poorten", "COM1"));
}

TEST_F(SettingsTest, SavedFileHasKeysInTableOrder) {
  Save();
  const std::string text = dir.Read(SettingsFileName);
  const char* order[] = {"[Serieel]", "baudrate=", "databit=", "parity=", "stopbit=", "hardware=",
                         "portaddr=", "portname=", "porttype=", "receivedrv=", "transmitdrv=",
                         "unit_no=", "[Opties]", "Taal=", "[Algemeen]", "OpenCloseDialoogPath=",
                         "[Afdrukken]", "Firma=", "Type=", "Sn=", "[Grafiek]", "X_Div=", "Y_Div=",
                         "BronItem=", "X_hulplijn=", "Y_hulplijn=", "[Linearisatie]",
                         "X_hulplijn=", "Y_hulplijn=", "PuntGrootte="};
  std::size_t at = 0;
  for (const char* piece : order) {
    const auto found = text.find(piece, at);
    ASSERT_NE(found, std::string::npos) << piece << " after " << at << " in\n" << text;
    at = found + 1;
  }
}

TEST_F(SettingsTest, TrueIsReadFromAnyNonZeroAndWrittenAsOne) {
  WriteSettings("[Grafiek]\nX_hulplijn=2\n");
  PortSettings port;
  ASSERT_TRUE(Configfile_lezen(port));
  EXPECT_TRUE(ProgramSettings.Grafiek_X_hulplijn);
  Save(port);
  EXPECT_EQ(Saved().ReadString("Grafiek", "X_hulplijn", "?"), "1");
}

TEST_F(SettingsTest, RoundTripKeepsForeignSectionsAndThePortMap) {
  WriteSettings(
      "; written by hand\n[Serieel]\nbaudrate=4\nmystery=keep\n\n[Poorten]\nCOM1=/dev/ttyUSB0\n"
      "[Extra]\nfoo=bar\n");
  PortSettings port;
  ASSERT_TRUE(Configfile_lezen(port));
  port.Baudrate = 7;
  port.DevicePaths[0] = "/dev/pts/9";  // e.g. a simulator mapping made while running
  UnitNo = 12;
  LanguageIndex = 1;
  ProgramSettings.Firma = "Kelmor";
  ProgramSettings.PuntGrootte = 3;
  Save(port);

  TIniFile ini = Saved();
  EXPECT_EQ(ini.ReadString("Poorten", "COM1", ""), "/dev/ttyUSB0");
  EXPECT_EQ(ini.ReadString("Serieel", "mystery", ""), "keep");
  EXPECT_EQ(ini.ReadString("Extra", "foo", ""), "bar");
  EXPECT_EQ(dir.Read(SettingsFileName).rfind("; written by hand\n", 0), 0u);

  Global_var.Reset();
  ProgramDir = dir.Path();
  PortSettings again;
  ASSERT_TRUE(Configfile_lezen(again));
  EXPECT_EQ(again.Baudrate, 7);
  EXPECT_EQ(UnitNo, 12);
  EXPECT_EQ(LanguageIndex, 1);
  EXPECT_EQ(ProgramSettings.Firma, "Kelmor");
  EXPECT_EQ(ProgramSettings.PuntGrootte, 3);
}

TEST_F(SettingsTest, SaveLeavesTheUsersOwnTmpNameAlone) {
  WriteSettings("[Serieel]\nbaudrate=4\n");
  std::filesystem::create_directory(dir.File(std::string(SettingsFileName) + ".tmp"));
  std::string error;
  EXPECT_TRUE(ProgrammaInstellingen_opslaan(PortSettings{}, error)) << error;
  EXPECT_TRUE(std::filesystem::is_directory(dir.File(std::string(SettingsFileName) + ".tmp")));
}

TEST_F(SettingsTest, SettingsPathThatIsADirectoryIsNeitherReadNorReplaced) {
  std::filesystem::create_directory(dir.File(SettingsFileName));
  PortSettings port;
  EXPECT_FALSE(Configfile_lezen(port));
  std::string error;
  EXPECT_FALSE(ProgrammaInstellingen_opslaan(port, error));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File(SettingsFileName)));
}

}  // namespace
