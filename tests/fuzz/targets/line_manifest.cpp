// The line manifest (line.csv), the CSV lines it is made of and the line settings of its rows: a
// manifest that is accepted is written again as the same rows.
#include "FuzzInput.h"

#include "app/core/CsvText.h"
#include "params/core/LineManifest.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const std::string text(fuzz::AsText(Data, Size));
    const TManifestResult parsed = ParseLineManifest(text);
    if (parsed.Ok()) {
        const TManifestResult again = ParseLineManifest(FormatLineManifest(parsed.Rows));
        if (!again.Ok() || again.Rows.size() != parsed.Rows.size())
            std::abort();
        for (std::size_t i = 0; i < again.Rows.size(); ++i)
            if (again.Rows[i].Unit != parsed.Rows[i].Unit || again.Rows[i].File != parsed.Rows[i].File ||
                again.Rows[i].Serial != parsed.Rows[i].Serial || again.Rows[i].Sha256 != parsed.Rows[i].Sha256)
                std::abort();
    } else if (!parsed.Rows.empty()) {
        std::abort();
    }
    if (const auto fields = SplitCsvLine(text))
        if (SplitCsvLine(CsvLine(*fields)) != fields)
            std::abort();
    if (const auto line = UnitLineOfText(text))
        if (UnitLineOfText(UnitLineText(*line)) != line)
            std::abort();
    (void)LineBackupFileName(static_cast<int>(Size % 32), text);
    return 0;
}
