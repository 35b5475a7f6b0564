#include "params/core/SetComparison.h"

#include <algorithm>
#include <cctype>
#include <span>

#include "app/core/CsvText.h"
#include "app/core/Functies.h"
#include "params/core/BackupFile.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterDisplay.h"
#include "params/core/ValueFiles.h"

namespace {

// Setpoints and selector decimals follow parameter 203 of the set the value belongs to.
std::string ParameterText(int N, const TParameterValues& Set)
{
    const int32_t value = Set[static_cast<std::size_t>(N)];
    const int32_t dec = ResolveDecimalsSelector(ParameterCatalogue.Dec(N), Set);
    std::string text = FormatFixed(std::clamp<int32_t>(dec, 0, 8), value);
    if (ParameterCatalogue.Type(N) == ParameterTypeOptions)
        text += " (" + OptionText(ResolveOptionList(N), value) + ")";
    return text;
}

std::string SetpointText(int32_t Value, const std::optional<TParameterValues>& Set)
{
    const int32_t decimals = Set ? (*Set)[PositionDecimalsParameter] : ParameterValues[PositionDecimalsParameter];
    return FormatFixed(std::clamp<int32_t>(decimals, 0, 8), Value);
}

std::string Lower(std::string Text)
{
    std::transform(Text.begin(), Text.end(), Text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return Text;
}

} // namespace

std::string DifferenceItemName(const TValueDifference& Difference)
{
    std::string name(1, Difference.Setpoint ? 'S' : 'P');
    return name + TParameterCatalogue::SectionName(Difference.Number);
}

std::optional<std::vector<TValueDifference>> CompareValueSets(const TValueSet& A, const TValueSet& B,
                                                              bool WithSetpoints)
{
    const bool parameters = A.Parameters && B.Parameters;
    const bool setpoints = WithSetpoints && A.Setpoints && B.Setpoints;
    if (!parameters && !setpoints)
        return std::nullopt;
    std::vector<TValueDifference> differences;
    if (parameters) {
        for (int n = 0; n < ParameterCount; ++n) {
            if ((*A.Parameters)[static_cast<std::size_t>(n)] == (*B.Parameters)[static_cast<std::size_t>(n)])
                continue;
            TValueDifference d;
            d.Number = n;
            d.Name = ParameterCatalogue.Name(n, LanguageIndex);
            d.Before = ParameterText(n, *A.Parameters);
            d.After = ParameterText(n, *B.Parameters);
            differences.push_back(std::move(d));
        }
    }
    if (setpoints) {
        for (int k = 1; k <= SetpointCount; ++k) {
            const int32_t before = (*A.Setpoints)[static_cast<std::size_t>(k)];
            const int32_t after = (*B.Setpoints)[static_cast<std::size_t>(k)];
            if (before == after)
                continue;
            TValueDifference d;
            d.Setpoint = true;
            d.Number = k;
            d.Before = SetpointText(before, A.Parameters);
            d.After = SetpointText(after, B.Parameters);
            differences.push_back(std::move(d));
        }
    }
    return differences;
}

std::string DifferenceLine(const TValueDifference& Difference)
{
    const std::string name = Difference.Setpoint ? std::string() : Difference.Name + ": ";
    return DifferenceItemName(Difference) + "\t" + name + Difference.Before + " -> " + Difference.After;
}

std::string DifferenceCsvLine(const TValueDifference& Difference)
{
    return DifferenceItemName(Difference) + "," + CsvField(Difference.Name) + "," + CsvField(Difference.Before) + "," +
           CsvField(Difference.After);
}

namespace {

std::string Extension(const std::string& Path)
{
    const std::size_t dot = Path.rfind('.');
    return dot == std::string::npos ? std::string() : Lower(Path.substr(dot));
}

} // namespace

bool IsValueSetFile(const std::string& Path)
{
    const std::string extension = Extension(Path);
    return extension == ".app" || extension == ".aps" || extension == ".bak";
}

std::string ValueSetItemLetter(const std::string& Path)
{
    const std::string extension = Extension(Path);
    return extension == ".aps" ? "S" : extension == ".bak" ? "" : "P";
}

TFileResult LoadValueSet(const std::string& Path, TValueSet& Set)
{
    const std::string extension = Extension(Path);
    TValueSet loaded;
    TFileResult result;
    if (extension == ".app") {
        loaded.Parameters.emplace();
        result = LoadParameterFile(Path, *loaded.Parameters);
    } else if (extension == ".aps") {
        loaded.Setpoints.emplace();
        (*loaded.Setpoints)[0] = 0;
        result = LoadSetpointFile(Path, std::span<int32_t, SetpointCount>(loaded.Setpoints->data() + 1, SetpointCount));
    } else if (extension == ".bak") {
        loaded.Parameters.emplace();
        loaded.Setpoints.emplace();
        (*loaded.Setpoints)[0] = 0;
        result = LoadBackupFile(Path, *loaded.Parameters,
                                std::span<int32_t, SetpointCount>(loaded.Setpoints->data() + 1, SetpointCount));
    } else {
        result.Error = TFileError::CannotOpen;
        result.Detail = "unknown kind of file";
        return result;
    }
    if (result.Ok())
        Set = std::move(loaded);
    return result;
}
