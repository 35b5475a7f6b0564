#include "params/core/ValueTableFiles.h"

#include "params/core/ValueFiles.h"

TFileResult OpenParameterFile(const std::string& path)
{
    const TFileResult result = LoadParameterFile(path, ParameterValues);
    if (result.Ok())
        ParameterSource = TParameterSource::File;
    return result;
}

TFileResult SaveParameterFileFromTables(const std::string& path)
{
    return SaveParameterFile(path, ParameterValues, UnitNo);
}

TFileResult OpenSetpointFile(const std::string& path)
{
    const TFileResult result = LoadSetpointFile(path, NumberedSetpoints(SetpointValues));
    if (result.Ok())
        SetpointSource = TSetpointSource::File;
    return result;
}

TFileResult SaveSetpointFileFromTables(const std::string& path)
{
    return SaveSetpointFile(path, NumberedSetpoints(SetpointValues), UnitNo);
}
