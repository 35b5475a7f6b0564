#include "app/core/Settings.h"

#include "app/core/Global_var.h"
#include "app/core/IniFile.h"
#include "app/core/TextFileIO.h"

namespace {

// The ten port keys of [Serieel], in file order: default when missing and largest ordinal.
struct TPortKey {
  const char* Key;
  int Default;
  int Max;
  int PortSettings::*Field;
};
constexpr TPortKey PortKeys[] = {
    {"baudrate", 6, 8, &PortSettings::Baudrate},          // 38400
    {"databit", 1, 1, &PortSettings::FrameDatabits},      // 8
    {"parity", 1, 2, &PortSettings::FrameParitybit},      // even
    {"stopbit", 0, 1, &PortSettings::FrameStopbits},      // 1
    {"hardware", 2, 3, &PortSettings::Hardware},          // PhoenixPSM
    {"portaddr", 3, 3, &PortSettings::PortAddress},       // 2E8h
    {"portname", 0, PortCount - 1, &PortSettings::PortName},  // COM1
    {"porttype", 0, 2, &PortSettings::PortType},          // RS232C
    {"receivedrv", 0, 1, &PortSettings::ReceiveDriver},   // rdNone
    {"transmitdrv", 3, 3, &PortSettings::TransmitDriver}, // tdDTRto0
};

constexpr char Serieel[] = "Serieel";
constexpr char FastReplyEndKey[] = "fast_reply_end";
constexpr char Opties[] = "Opties";
constexpr char Algemeen[] = "Algemeen";
constexpr char Afdrukken[] = "Afdrukken";
constexpr char Grafiek[] = "Grafiek";
constexpr char Linearisatie[] = "Linearisatie";
constexpr char Poorten[] = "Poorten";

// A value outside 0..Max (a baud-rate index of 42, a negative language) reads as the default,
// the same as a missing key: the port and the windows only ever see an index of their tables.
int ReadIndex(const TIniFile& Ini, const char* Section, const char* Key, int Default, int Max) {
  const int32_t value = Ini.ReadInteger(Section, Key, Default);
  return value >= 0 && value <= Max ? value : Default;
}

std::string PortKeyName(int Index) { return "COM" + std::to_string(Index + 1); }

}  // namespace

std::string SettingsFilePath() {
  return (Global_var.SettingsDir.empty() ? ProgramDir : Global_var.SettingsDir) + SettingsFileName;
}

bool Configfile_lezen(PortSettings& Port, std::string* Warning) {
  TIniFile ini;
  const std::string path = SettingsFilePath();
  switch (ini.LoadFromFile(path)) {
    case TIniFile::TLoadResult::Missing:
    case TIniFile::TLoadResult::Unreadable:
      return false;
    case TIniFile::TLoadResult::Loaded:
    case TIniFile::TLoadResult::TooLarge:
      break;
  }
  ReadSettings(ini, Port);
  const char* why = ini.Utf16() ? " is UTF-16 text, which this program cannot write back unchanged"
                    : IsReadOnlyFile(path) ? " is read-only" : nullptr;
  if (why && Global_var.SettingsWritable) {
    Global_var.SettingsWritable = false;
    if (Warning)
      *Warning = "The settings cannot be kept: " + path + why + ". Changes to the settings will not be saved.";
  }
  return true;
}

void ReadSettings(const TIniFile& ini, PortSettings& Port) {
  for (const TPortKey& key : PortKeys) {
    Port.*key.Field = ReadIndex(ini, Serieel, key.Key, key.Default, key.Max);
  }
  UnitNo = ReadIndex(ini, Serieel, "unit_no", 0, UnitNoMax);
  Port.FastReplyEnd = ini.ReadBool(Serieel, FastReplyEndKey, false);
  LanguageIndex = ReadIndex(ini, Opties, "Taal", 0, 2);

  TProgramSettings& s = ProgramSettings;
  s.OpenCloseDialoogPath = ini.ReadString(Algemeen, "OpenCloseDialoogPath", "");
  s.Firma = ini.ReadString(Afdrukken, "Firma", "");
  s.Type = ini.ReadString(Afdrukken, "Type", "");
  s.Sn = ini.ReadString(Afdrukken, "Sn", "");
  s.X_Div = ReadIndex(ini, Grafiek, "X_Div", 0, GrafiekXDivMax);
  s.Y_Div = ReadIndex(ini, Grafiek, "Y_Div", 0, GrafiekYDivMax);
  s.BronItem = ReadIndex(ini, Grafiek, "BronItem", 0, GrafiekBronMax);
  s.Grafiek_X_hulplijn = ini.ReadBool(Grafiek, "X_hulplijn", false);
  s.Grafiek_Y_hulplijn = ini.ReadBool(Grafiek, "Y_hulplijn", false);
  s.Linearisatie_X_hulplijn = ini.ReadBool(Linearisatie, "X_hulplijn", false);
  s.Linearisatie_Y_hulplijn = ini.ReadBool(Linearisatie, "Y_hulplijn", false);
  s.PuntGrootte = ReadIndex(ini, Linearisatie, "PuntGrootte", 1, PuntGrootteMax);

  for (int i = 0; i < PortCount; ++i) {
    Port.DevicePaths[static_cast<std::size_t>(i)] = ini.ReadString(Poorten, PortKeyName(i), "");
  }
}

bool ProgrammaInstellingen_opslaan(const PortSettings& Port, std::string& Error) {
  if (!Global_var.SettingsWritable) return true;  // the user was told at start
  const std::string path = SettingsFilePath();
  TIniFile ini;
  // The file is rewritten as a whole; one that exists but cannot be read would lose its other
  // sections, so it is left alone.
  if (ini.LoadFromFile(path) == TIniFile::TLoadResult::Unreadable) {
    Error = "Cannot read " + path + "; it was left unchanged.";
    return false;
  }
  for (const TPortKey& key : PortKeys) ini.WriteInteger(Serieel, key.Key, Port.*key.Field);
  ini.WriteInteger(Serieel, "unit_no", UnitNo);
  ini.WriteBool(Serieel, FastReplyEndKey, Port.FastReplyEnd);
  ini.WriteInteger(Opties, "Taal", LanguageIndex);

  const TProgramSettings& s = ProgramSettings;
  ini.WriteString(Algemeen, "OpenCloseDialoogPath", s.OpenCloseDialoogPath);
  ini.WriteString(Afdrukken, "Firma", s.Firma);
  ini.WriteString(Afdrukken, "Type", s.Type);
  ini.WriteString(Afdrukken, "Sn", s.Sn);
  ini.WriteInteger(Grafiek, "X_Div", s.X_Div);
  ini.WriteInteger(Grafiek, "Y_Div", s.Y_Div);
  ini.WriteInteger(Grafiek, "BronItem", s.BronItem);
  ini.WriteBool(Grafiek, "X_hulplijn", s.Grafiek_X_hulplijn);
  ini.WriteBool(Grafiek, "Y_hulplijn", s.Grafiek_Y_hulplijn);
  ini.WriteBool(Linearisatie, "X_hulplijn", s.Linearisatie_X_hulplijn);
  ini.WriteBool(Linearisatie, "Y_hulplijn", s.Linearisatie_Y_hulplijn);
  ini.WriteInteger(Linearisatie, "PuntGrootte", s.PuntGrootte);
  // [Poorten] is the user's own mapping: only the ports assigned in the serial settings window are
  // written; every other line stays exactly as in the file.
  for (int i = 0; i < PortCount; ++i) {
    if (const auto& assigned = AssignedDevicePaths[static_cast<std::size_t>(i)])
      ini.WriteString(Poorten, PortKeyName(i), *assigned);
  }
  return ini.SaveToFile(path, Error);
}
