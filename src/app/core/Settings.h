#pragma once
// application.ini in SettingsDir (ProgramDir unless installed): read once when the main window is created, written once when it
// closes. Non-port values go to Global_var (UnitNo, LanguageIndex, ProgramSettings); the port
// settings are handed to the caller, who applies them to the port component.

#include <string>

#include "app/core/PortSettings.h"

inline constexpr char SettingsFileName[] = "application.ini";

// SettingsDir (ProgramDir when it is empty) + application.ini.
std::string SettingsFilePath();

// Reads SettingsFilePath(). When the file is missing (or is no readable regular file)
// nothing changes, Port included, and the result is false. Otherwise every key is read: a missing
// key, a value that is no integer, or an ordinal/index outside its range gives the key's default;
// a file larger than MaxIniFileBytes is read up to that size. A file this program cannot write
// back faithfully (read-only, UTF-16) is read and then left alone: SettingsWritable becomes false
// and Warning (when given) says so, once.
bool Configfile_lezen(PortSettings& Port, std::string* Warning = nullptr);
// The reading itself, from a loaded settings file.
class TIniFile;
void ReadSettings(const TIniFile& Ini, PortSettings& Port);

// Writes every key from Port and Global_var into SettingsFilePath(), keeping the other
// sections and keys of the file. The file is replaced as a whole (temporary file, flush, rename),
// so a failed save leaves the previous file untouched. Returns false with a message in Error when
// the save failed. Without SettingsWritable nothing is written (the user was told at start).
bool ProgrammaInstellingen_opslaan(const PortSettings& Port, std::string& Error);
