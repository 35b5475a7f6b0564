#include "app/core/Global_var.h"

// The references are bound at constant initialisation, so they are valid before any other
// static object of the program runs its constructor.
TGlobalVar Global_var;

std::string& ProgramDir = Global_var.ProgramDir;
TProgramSettings& ProgramSettings = Global_var.ProgramSettings;
int& UnitNo = Global_var.UnitNo;
int& LanguageIndex = Global_var.LanguageIndex;
std::array<std::optional<std::string>, 16>& AssignedDevicePaths = Global_var.AssignedDevicePaths;
TLanguageFile& LanguageFile = Global_var.LanguageFile;
bool& LanguageLoaded = Global_var.LanguageLoaded;
TParameterValues& ParameterValues = Global_var.ParameterValues;
TSetpointValues& SetpointValues = Global_var.SetpointValues;
TParameterSource& ParameterSource = Global_var.ParameterSource;
TSetpointSource& SetpointSource = Global_var.SetpointSource;
bool& ParametersSentNotLoaded = Global_var.ParametersSentNotLoaded;
TSelectedParameter& SelectedParameter = Global_var.SelectedParameter;
std::string& DeviceModel = Global_var.DeviceModel;
int& IdentificationStep = Global_var.IdentificationStep;
bool& ActualPolling = Global_var.ActualPolling;
bool& IoPolling = Global_var.IoPolling;
bool& ThumbwheelPolling = Global_var.ThumbwheelPolling;
TThumbwheelValues& ThumbwheelValues = Global_var.ThumbwheelValues;
