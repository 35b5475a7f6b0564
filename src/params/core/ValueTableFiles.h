#pragma once
// The file commands of the parameter and setpoint editors on the program-wide tables: opening
// takes a sound file over into ParameterValues (SetpointValues 1..48) and sets the source to File;
// a refused file leaves tables and sources as they were. Saving writes the current unit number
// (UnitNo, which follows the main window's unit field) into the header.

#include <span>
#include <string>

#include "app/core/Global_var.h"
#include "params/core/FileResult.h"

TFileResult OpenParameterFile(const std::string& path);
TFileResult SaveParameterFileFromTables(const std::string& path);
TFileResult OpenSetpointFile(const std::string& path);
TFileResult SaveSetpointFileFromTables(const std::string& path);

// Setpoints 1..48 of a table indexed by setpoint number, as the file and backup functions take them.
inline std::span<int32_t, SetpointCount> NumberedSetpoints(TSetpointValues& values)
{
    return std::span<int32_t, SetpointCount>(values.data() + 1, SetpointCount);
}
inline std::span<const int32_t, SetpointCount> NumberedSetpoints(const TSetpointValues& values)
{
    return std::span<const int32_t, SetpointCount>(values.data() + 1, SetpointCount);
}
