#pragma once
// Program-wide state. Everything lives in one instance, Global_var, so a test can start from a
// clean state with Global_var.Reset(); the names below are references to its fields, so code
// reads as ProgramDir, ParameterValues[203], LanguageFile.ReadString(...). Used on the
// user-interface thread only.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "ProgramVersion.h"
#include "app/core/LanguageFile.h"
#include "app/core/ProgramSettings.h"

inline constexpr char ApplicationTitle[] = "Kelmor Software Tool (KMT40)";

constexpr int ParameterCount = 400;  // parameter numbers 0..399
constexpr int SetpointCount = 48;    // setpoint numbers 1..48
constexpr int ThumbwheelCount = 4;
constexpr int UnitNoMax = 31;        // unit numbers 0..31 on one line

enum class TParameterSource { None = 0, Device = 1, File = 2, Defaults = 3 };
enum class TSetpointSource { None = 0, Device = 1, File = 2 };

// The parameter handed to the single-parameter dialog.
struct TSelectedParameter {
  std::string Number;  // three digits, "000".."399"
  std::string Name;
  std::string ValueText;
  std::string MinText;
  int32_t Min = 0;
  std::string MaxText;
  int32_t Max = 0;
  std::string DefaultText;
};

// Indexed by parameter number 0..399.
using TParameterValues = std::array<int32_t, ParameterCount>;
// Indexed by setpoint number 1..48, as every command and file numbers them; element 0 is unused
// and stays 0.
using TSetpointValues = std::array<int32_t, SetpointCount + 1>;
// Thumbwheels 1..4 at index 0..3.
using TThumbwheelValues = std::array<int32_t, ThumbwheelCount>;

struct TGlobalVar {
  std::string ProgramDir;            // directory of the data files, with trailing separator
  std::string SettingsDir;           // directory of application.ini; empty: ProgramDir
  bool SettingsWritable = true;      // false when application.ini cannot be kept
  TProgramSettings ProgramSettings;  // application.ini values other than the port's
  int UnitNo = 0;                    // unit number 0..31 (shown in SpinEditUnitSelect)
  int LanguageIndex = 0;             // 0 Dutch, 1 English, 2 German
  // Device paths assigned to COM1..COM16 in the serial settings window during this run; saved into
  // [Poorten] at the end (an empty path: the default device). A --simulate mapping is never here.
  std::array<std::optional<std::string>, 16> AssignedDevicePaths;
  TLanguageFile LanguageFile;
  bool LanguageLoaded = false;       // set once a language file was loaded; never cleared

  TParameterValues ParameterValues{};
  TSetpointValues SetpointValues{};
  TParameterSource ParameterSource = TParameterSource::None;
  TSetpointSource SetpointSource = TSetpointSource::None;
  bool ParametersSentNotLoaded = false;  // a value was written without a following "bp"
  TSelectedParameter SelectedParameter;

  std::string DeviceModel;     // type text of the connected controller, e.g. "KM40"
  int IdentificationStep = 0;  // 0..2 while the identification chain runs
  bool ActualPolling = false;
  bool IoPolling = false;
  bool ThumbwheelPolling = false;
  TThumbwheelValues ThumbwheelValues{};

  // Back to the state at program start.
  void Reset() { *this = TGlobalVar{}; }
};

extern TGlobalVar Global_var;

extern std::string& ProgramDir;
extern TProgramSettings& ProgramSettings;
extern int& UnitNo;
extern int& LanguageIndex;
extern std::array<std::optional<std::string>, 16>& AssignedDevicePaths;
extern TLanguageFile& LanguageFile;
extern bool& LanguageLoaded;
extern TParameterValues& ParameterValues;
extern TSetpointValues& SetpointValues;
extern TParameterSource& ParameterSource;
extern TSetpointSource& SetpointSource;
extern bool& ParametersSentNotLoaded;
extern TSelectedParameter& SelectedParameter;
extern std::string& DeviceModel;
extern int& IdentificationStep;
extern bool& ActualPolling;
extern bool& IoPolling;
extern bool& ThumbwheelPolling;
extern TThumbwheelValues& ThumbwheelValues;
