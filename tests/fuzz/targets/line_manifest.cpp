// The line manifest (line.csv), the CSV lines it is made of and the line settings of its rows: a
// manifest that is accepted is written again as the same rows; and, with the first byte odd, rows
// made of the input are written and must be read back as they were (line breaks as blanks, digests
// in lower case).
#include "FuzzInput.h"

#include "app/core/CsvText.h"
#include "params/core/BackupFile.h"
#include "params/core/LineManifest.h"
#include "params/core/Sha256.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

std::string Flat(std::string Text)
{
    std::replace_if(Text.begin(), Text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return Text;
}

// Rows from the input: five texts each (type, version, serial, time, status), then a byte that
// chooses the unit, whether it was saved and its line settings.
std::vector<TLineRow> RowsOf(std::string_view Text)
{
    const std::vector<std::string> parts = fuzz::SplitAt(Text, '\0');
    std::vector<TLineRow> rows;
    std::set<int> units;
    for (std::size_t at = 0; at + 6 <= parts.size() && rows.size() < 32; at += 6) {
        const unsigned char choice = parts[at + 5].empty() ? 0 : static_cast<unsigned char>(parts[at + 5][0]);
        int unit = choice % 32;
        while (units.count(unit))
            unit = (unit + 1) % 32;
        units.insert(unit);
        TLineRow row;
        row.Unit = unit;
        row.Type = parts[at];
        row.Version = parts[at + 1];
        row.Serial = parts[at + 2];
        row.Time = parts[at + 3];
        if (choice & 0x20) {
            row.Status = LineStatusOk;
            row.File = LineBackupFileName(unit, row.Serial);
            row.Bytes = BackupFileSize;
            row.Sha256 = Sha256Hex(parts[at + 4]);
            if (choice & 0x40)
                std::transform(row.Sha256.begin(), row.Sha256.end(), row.Sha256.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
        } else {
            row.Status = Flat(parts[at + 4]) == LineStatusOk ? parts[at + 4] + "?" : parts[at + 4];
        }
        if (choice & 0x80)
            row.Line = TUnitLine{static_cast<TBaudrate>(choice % 9), (choice & 1) ? TDataBit::db_7 : TDataBit::db_8,
                                 static_cast<TParityBit>(choice % 3), (choice & 2) ? TStopBit::sb_2 : TStopBit::sb_1};
        rows.push_back(row);
    }
    return rows;
}

void WrittenRowsReadBack(std::string_view Text)
{
    const std::vector<TLineRow> rows = RowsOf(Text);
    const TManifestResult back = ParseLineManifest(FormatLineManifest(rows));
    if (!back.Ok() || !back.Warning.empty() || back.Rows.size() != rows.size())
        std::abort();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TLineRow& a = rows[i];
        const TLineRow& b = back.Rows[i];
        std::string sha = a.Sha256;
        std::transform(sha.begin(), sha.end(), sha.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
        if (b.Unit != a.Unit || b.Type != Flat(a.Type) || b.Version != Flat(a.Version) || b.Serial != Flat(a.Serial) ||
            b.Time != Flat(a.Time) || b.Status != Flat(a.Status) || b.File != a.File || b.Bytes != a.Bytes ||
            b.Sha256 != sha || b.Line != a.Line)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const std::string text(fuzz::AsText(Data, Size));
    if (Size > 0 && (Data[0] & 1))
        WrittenRowsReadBack(fuzz::AsText(Data + 1, Size - 1));
    const TManifestResult parsed = ParseLineManifest(text);
    if (parsed.Ok()) {
        const TManifestResult again = ParseLineManifest(FormatLineManifest(parsed.Rows));
        if (!again.Ok() || again.Rows.size() != parsed.Rows.size())
            std::abort();
        for (std::size_t i = 0; i < again.Rows.size(); ++i)
            if (again.Rows[i].Unit != parsed.Rows[i].Unit || again.Rows[i].File != parsed.Rows[i].File ||
                again.Rows[i].Serial != parsed.Rows[i].Serial || again.Rows[i].Sha256 != parsed.Rows[i].Sha256 ||
                again.Rows[i].Status != parsed.Rows[i].Status || again.Rows[i].Line != parsed.Rows[i].Line)
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
