#include "params/core/LineManifest.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <set>

#include "app/core/CsvText.h"
#include "app/core/TextFileIO.h"
#include "params/core/BackupFile.h"
#include "params/core/Sha256.h"

namespace {

const std::vector<std::string> Header{"unit", "type", "version", "serial", "file", "bytes", "sha256",
                                      "time", "status", "line", "row_check"};
constexpr std::size_t RowCheckDigits = 16;
constexpr std::size_t MaxSerialInName = 40;
constexpr int Rates[] = {1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};

std::string TwoDigits(int Unit)
{
    return std::string(1, static_cast<char>('0' + Unit / 10)) + static_cast<char>('0' + Unit % 10);
}

std::vector<std::string> Fields(const TLineRow& Row)
{
    const bool saved = !Row.File.empty();
    return {TwoDigits(Row.Unit), Row.Type, Row.Version, Row.Serial, Row.File,
            saved ? std::to_string(Row.Bytes) : std::string(), Row.Sha256, Row.Time, Row.Status,
            Row.LineSetByServer ? std::string(LineSetByServerText)
            : Row.Line          ? UnitLineText(*Row.Line)
                                : std::string()};
}

std::string RowCheck(const std::vector<std::string>& Fields)
{
    return Sha256Hex(CsvLine(Fields)).substr(0, RowCheckDigits);
}

std::optional<std::uint64_t> Whole(const std::string& Text)
{
    std::uint64_t value = 0;
    const char* end = Text.data() + Text.size();
    const auto [ptr, ec] = std::from_chars(Text.data(), end, value);
    if (Text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

// What is wrong with one row's fields, or "".
std::string CheckRow(const std::vector<std::string>& F, TLineRow& Row, std::set<int>& Units)
{
    if (F.size() != Header.size())
        return "has " + std::to_string(F.size()) + " fields, not " + std::to_string(Header.size());
    const std::vector<std::string> written(F.begin(), F.end() - 1);
    if (RowCheck(written) != F.back())
        return "was edited or damaged (its row_check does not match)";
    const auto unit = Whole(F[0]);
    if (F[0].size() != 2 || !unit || *unit > 31)
        return "has no unit number 00..31";
    Row.Unit = static_cast<int>(*unit);
    if (!Units.insert(Row.Unit).second)
        return "names unit " + F[0] + " a second time";
    Row.Type = F[1];
    Row.Version = F[2];
    Row.Serial = F[3];
    Row.File = F[4];
    Row.Sha256 = F[6];
    Row.Time = F[7];
    Row.Status = F[8];
    if (F[9] == LineSetByServerText) {
        Row.LineSetByServer = true;
    } else if (!F[9].empty()) {
        Row.Line = UnitLineOfText(F[9]);
        if (!Row.Line)
            return "has no line settings such as 38400,E,8,1";
    }
    if (!Row.Saved())
        return {};
    if (Row.File != LineBackupFileName(Row.Unit, Row.Serial))
        return "names file \"" + Row.File + "\", not " + LineBackupFileName(Row.Unit, Row.Serial) +
               " of its unit and serial";
    const auto bytes = Whole(F[5]);
    if (!bytes || *bytes != BackupFileSize)
        return "gives " + F[5] + " bytes, not the " + std::to_string(BackupFileSize) + " of a backup";
    Row.Bytes = *bytes;
    if (!IsSha256Hex(Row.Sha256))
        return "has no SHA-256 of 64 hexadecimal digits";
    return {};
}

} // namespace

std::string UnitLineText(const TUnitLine& Line)
{
    static constexpr char Parities[] = {'N', 'E', 'O'};
    return std::to_string(Rates[Ordinal(Line.Baudrate)]) + "," + Parities[Ordinal(Line.Parity)] + "," +
           (Line.Databits == TDataBit::db_7 ? "7" : "8") + "," + (Line.Stopbits == TStopBit::sb_2 ? "2" : "1");
}

std::optional<TUnitLine> UnitLineOfText(const std::string& Text)
{
    const auto parts = SplitCsvLine(Text);
    if (!parts || parts->size() != 4)
        return std::nullopt;
    const std::vector<std::string>& p = *parts;
    TUnitLine line;
    const auto rate = Whole(p[0]);
    bool known = false;
    for (int i = 0; i < static_cast<int>(std::size(Rates)); ++i)
        if (rate && *rate == static_cast<std::uint64_t>(Rates[i])) {
            line.Baudrate = static_cast<TBaudrate>(i);
            known = true;
        }
    if (!known)
        return std::nullopt;
    if (p[1] == "N")
        line.Parity = TParityBit::None;
    else if (p[1] == "E")
        line.Parity = TParityBit::Even;
    else if (p[1] == "O")
        line.Parity = TParityBit::Odd;
    else
        return std::nullopt;
    if (p[2] != "7" && p[2] != "8")
        return std::nullopt;
    line.Databits = p[2] == "7" ? TDataBit::db_7 : TDataBit::db_8;
    if (p[3] != "1" && p[3] != "2")
        return std::nullopt;
    line.Stopbits = p[3] == "2" ? TStopBit::sb_2 : TStopBit::sb_1;
    return line;
}

std::string LineBackupFileName(int Unit, const std::string& Serial)
{
    std::string safe;
    for (char c : Serial) {
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_' || c == '.';
        safe += keep ? c : '_';
    }
    // Blanks around the serial are no part of it; dots at the ends would make odd names on Windows.
    while (!safe.empty() && (safe.front() == '_' || safe.front() == '.'))
        safe.erase(safe.begin());
    while (!safe.empty() && (safe.back() == '_' || safe.back() == '.'))
        safe.pop_back();
    if (safe.size() > MaxSerialInName)
        safe.resize(MaxSerialInName);
    if (safe.empty())
        safe = "noserial";
    return TwoDigits(Unit) + "-" + safe + ".bak";
}

std::string FormatLineManifest(const std::vector<TLineRow>& Rows)
{
    std::string text = CsvLine(Header) + "\n";
    for (const TLineRow& row : Rows) {
        std::vector<std::string> fields = Fields(row);
        fields.push_back(RowCheck(fields));
        text += CsvLine(fields) + "\n";
    }
    return text;
}

TManifestResult ParseLineManifest(const std::string& Text)
{
    TManifestResult result;
    int lineNumber = 0;
    std::set<int> units;
    bool headerSeen = false;
    ForEachLine(Text, [&](std::string_view line) {
        ++lineNumber;
        if (!result.Error.empty())
            return;
        const std::string where = std::string(LineManifestName) + " line " + std::to_string(lineNumber);
        const auto fields = SplitCsvLine(line);
        if (!headerSeen) {
            headerSeen = true;
            if (!fields || *fields != Header)
                result.Error = where + ": not the header of a line manifest (" + CsvLine(Header) + ")";
            return;
        }
        if (line.empty())
            return;
        TLineRow row;
        const std::string problem = fields ? CheckRow(*fields, row, units) : "has an unclosed quote";
        if (!problem.empty()) {
            const std::string first = fields && !fields->empty() ? fields->front() : std::string(line.substr(0, line.find(',')));
            const std::string unit = " (unit " + first + ")";
            result.Error = where + unit + " " + problem;
            return;
        }
        result.Rows.push_back(row);
    });
    if (result.Error.empty() && !headerSeen)
        result.Error = std::string(LineManifestName) + " is empty";
    if (!result.Error.empty())
        result.Rows.clear();
    return result;
}

std::string UtcTimeStamp()
{
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{now - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}
