#include "cli/CliCommands.h"

#include "cli/CliSession.h"
#include "cli/TransferRunner.h"
#include "params/core/BackupFile.h"
#include "params/core/ReadSequence.h"
#include "params/core/ValueFiles.h"
#include "params/core/WriteSequence.h"

#include <algorithm>
#include <array>
#include <span>

namespace cli {

namespace {

CliOutcome FileFailure(const std::string& File, const TFileResult& Result, const char* ItemLetter)
{
    return CliOutcome::Failure(File + ": " + DescribeFileResult(Result, ItemLetter));
}

// Setpoints 1..48 of a table indexed by setpoint number, as the file formats take them.
std::span<const int32_t, SetpointCount> SetpointsOf(const TSetpointValues& Table)
{
    return std::span<const int32_t, SetpointCount>(Table.data() + 1, SetpointCount);
}

CliOutcome WriteToDevice(CliSession& Session, TTransferMode Mode, const TParameterValues& Parameters,
                         const TSetpointValues& Setpoints)
{
    if (auto failed = Session.Connect())
        return *failed;
    TWriteSequence write(&Session.Link().Port());
    write.SetMode(Mode);
    write.SetParameters(Parameters);
    write.SetSetpoints(Setpoints);
    if (auto failed = RunTransfer(Session, write, TransferDirection::Write))
        return *failed;
    return CliOutcome::Success();
}

void Report(CliSession& Session, const std::string& Text)
{
    Session.Err() << Text << '\n';
}

} // namespace

CliOutcome RunReadParams(CliSession& Session, const std::string& File)
{
    TReadSequence read(&Session.Link().Port());
    if (auto failed = ReadFromDevice(Session, read, TTransferMode::Parameters))
        return *failed;
    const TFileResult saved = SaveParameterFile(File, read.ReadParameters(), Session.Setup().unit);
    if (!saved.Ok())
        return FileFailure(File, saved, "P");
    Report(Session, "Saved 400 parameters in " + File);
    return CliOutcome::Success();
}

CliOutcome RunReadSetpoints(CliSession& Session, const std::string& File)
{
    TReadSequence read(&Session.Link().Port());
    if (auto failed = ReadFromDevice(Session, read, TTransferMode::Setpoints))
        return *failed;
    const TFileResult saved = SaveSetpointFile(File, SetpointsOf(read.ReadSetpoints()), Session.Setup().unit);
    if (!saved.Ok())
        return FileFailure(File, saved, "S");
    Report(Session, "Saved 48 setpoints in " + File);
    return CliOutcome::Success();
}

CliOutcome RunBackup(CliSession& Session, const std::string& File)
{
    TReadSequence read(&Session.Link().Port());
    if (auto failed = ReadFromDevice(Session, read, TTransferMode::Device))
        return *failed;
    const TFileResult saved = SaveBackupFile(File, read.ReadParameters(), SetpointsOf(read.ReadSetpoints()));
    if (!saved.Ok())
        return FileFailure(File, saved, "");
    Report(Session, "Saved the backup of unit " + std::to_string(Session.Setup().unit) + " in " + File);
    return CliOutcome::Success();
}

CliOutcome RunWriteParams(CliSession& Session, const std::string& File)
{
    TParameterValues parameters{};
    const TFileResult loaded = LoadParameterFile(File, parameters);
    if (!loaded.Ok())
        return FileFailure(File, loaded, "P");
    return WriteToDevice(Session, TTransferMode::Parameters, parameters, TSetpointValues{});
}

CliOutcome RunWriteSetpoints(CliSession& Session, const std::string& File)
{
    std::array<int32_t, SetpointCount> fromFile{};
    const TFileResult loaded = LoadSetpointFile(File, fromFile);
    if (!loaded.Ok())
        return FileFailure(File, loaded, "S");
    TSetpointValues setpoints{};
    std::copy(fromFile.begin(), fromFile.end(), setpoints.begin() + 1);
    return WriteToDevice(Session, TTransferMode::Setpoints, TParameterValues{}, setpoints);
}

CliOutcome RunRestore(CliSession& Session, const std::string& File)
{
    TParameterValues parameters{};
    std::array<int32_t, SetpointCount> fromFile{};
    const TFileResult loaded = LoadBackupFile(File, parameters, fromFile);
    if (!loaded.Ok())
        return FileFailure(File, loaded, "");
    TSetpointValues setpoints{};
    std::copy(fromFile.begin(), fromFile.end(), setpoints.begin() + 1);
    return WriteToDevice(Session, TTransferMode::Device, parameters, setpoints);
}

} // namespace cli
