#include "cli/CliCommands.h"

#include "cli/CliSession.h"
#include "cli/JsonRecords.h"
#include "cli/TransferRunner.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ReadSequence.h"
#include "params/core/SetComparison.h"

namespace cli {

namespace {

std::optional<CliOutcome> Load(const std::string& File, TValueSet& Set)
{
    if (!IsValueSetFile(File))
        return CliOutcome::Failure(File + ": not a parameter (.app), setpoint (.aps) or backup (.bak) file");
    const TFileResult loaded = LoadValueSet(File, Set);
    if (loaded.Ok())
        return std::nullopt;
    return CliOutcome::Failure(File + ": " + DescribeFileResult(loaded, ValueSetItemLetter(File)));
}

std::string Count(std::size_t N, const char* One, const char* Many)
{
    return std::to_string(N) + " " + (N == 1 ? One : Many);
}

// Prints the differences (as lines, or as one JSON document that Record names the sets in) and
// says how it ends.
CliOutcome Report(CliSession& Session, const TValueSet& A, const TValueSet& B, const std::string& What,
                  const std::optional<JsonRecord>& Record)
{
    // Names, decimals and option texts come from the catalogue beside the program, if there.
    ParameterDef_lezen();
    const std::optional<std::vector<TValueDifference>> differences = CompareValueSets(A, B);
    if (!differences)
        return CliOutcome::Failure(What + ": a parameter set and a setpoint set cannot be compared");
    std::size_t parameters = 0;
    for (const TValueDifference& d : *differences) {
        if (!Record)
            Session.Out() << DifferenceLine(d) << '\n';
        parameters += d.Setpoint ? 0 : 1;
    }
    if (Record) {
        JsonRecord document = *Record;
        document.update(DifferencesJson(*differences));
        PrintJson(Session.Out(), document);
    }
    Session.Out().flush();
    if (differences->empty()) {
        Session.Err() << What << ": the sets are equal\n";
        return CliOutcome::Success();
    }
    return CliOutcome::Failure(What + ": " + Count(differences->size(), "difference", "differences") + " (" +
                               Count(parameters, "parameter", "parameters") + ", " +
                               Count(differences->size() - parameters, "setpoint", "setpoints") + ")");
}

} // namespace

CliOutcome RunDiff(CliSession& Session, const std::string& First, const std::string& Second, bool Json)
{
    TValueSet a, b;
    if (auto failed = Load(First, a))
        return *failed;
    if (auto failed = Load(Second, b))
        return *failed;
    std::optional<JsonRecord> record;
    if (Json)
        record = JsonRecord{{"first", First}, {"second", Second}};
    return Report(Session, a, b, First + " and " + Second, record);
}

CliOutcome RunVerify(CliSession& Session, const std::string& File, bool Json)
{
    TValueSet expected;
    if (auto failed = Load(File, expected))
        return *failed;
    const TTransferMode mode = expected.Parameters && expected.Setpoints ? TTransferMode::ParametersAndSetpoints
                               : expected.Parameters                    ? TTransferMode::Parameters
                                                                        : TTransferMode::Setpoints;
    TReadSequence read(&Session.Link().Port());
    if (auto failed = ReadFromDevice(Session, read, mode))
        return *failed;
    TValueSet device;
    if (expected.Parameters)
        device.Parameters = read.ReadParameters();
    if (expected.Setpoints)
        device.Setpoints = read.ReadSetpoints();
    std::optional<JsonRecord> record;
    if (Json)
        record = JsonRecord{{"unit", Session.Setup().unit}, {"file", File}};
    return Report(Session, expected, device, "unit " + std::to_string(Session.Setup().unit) + " against " + File,
                  record);
}

} // namespace cli
