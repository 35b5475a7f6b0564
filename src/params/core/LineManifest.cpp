#include "params/core/LineManifest.h"

#include <algorithm>
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
// The header of this release: one column more, naming the closing line's check.
const std::vector<std::string> ClosedHeader = [] {
    std::vector<std::string> names = Header;
    names.push_back("manifest_check");
    return names;
}();
constexpr char ClosingWord[] = "end";
constexpr std::size_t RowCheckDigits = 16;
constexpr std::size_t MaxSerialInName = 40;
constexpr int Rates[] = {1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};

std::string TwoDigits(int Unit)
{
    return std::string(1, static_cast<char>('0' + Unit / 10)) + static_cast<char>('0' + Unit % 10);
}

std::string Lower(std::string Text)
{
    std::transform(Text.begin(), Text.end(), Text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return Text;
}

// The format holds one row per line.
std::string OneLine(std::string Text)
{
    std::replace_if(Text.begin(), Text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return Text;
}

std::vector<std::string> Fields(const TLineRow& Row)
{
    const bool saved = !Row.File.empty();
    return {TwoDigits(Row.Unit), OneLine(Row.Type), OneLine(Row.Version), OneLine(Row.Serial), OneLine(Row.File),
            saved ? std::to_string(Row.Bytes) : std::string(), Lower(OneLine(Row.Sha256)), OneLine(Row.Time),
            OneLine(Row.Status),
            Row.LineSetByServer ? std::string(LineSetByServerText)
            : Row.Line          ? UnitLineText(*Row.Line)
                                : std::string()};
}

// The closing line's digest: over each row's fields as written (digests in lower case), joined as
// this release joins them, so a manifest re-quoted or given CR LF line ends by a spreadsheet still
// closes.
std::string RowsDigest(const std::vector<std::vector<std::string>>& Rows)
{
    std::string text;
    for (const std::vector<std::string>& fields : Rows)
        text += CsvLine(fields) + "\n";
    return Sha256Hex(text);
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
    // The digest's digits count in either case, whichever case the row check was taken over.
    std::vector<std::string> written(F.begin(), F.end() - 1);
    std::vector<std::string> lowered = written;
    lowered[6] = Lower(lowered[6]);
    if (RowCheck(written) != Lower(F.back()) && RowCheck(lowered) != Lower(F.back()))
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
    Row.Sha256 = Lower(F[6]);
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

// A spreadsheet saves every line as wide as its widest one, with empty fields, and a unit number
// as the number it reads ("01" as "1"); both are undone so that such a manifest is read as written.
void UndoSpreadsheetSave(std::vector<std::string>& Fields, std::size_t Width, bool Row)
{
    while (Fields.size() > Width && Fields.back().empty())
        Fields.pop_back();
    if (Row && !Fields.empty() && Fields.front().size() == 1 && Fields.front()[0] >= '0' && Fields.front()[0] <= '9')
        Fields.front().insert(0, 1, '0');
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
    std::string text = CsvLine(ClosedHeader) + "\n";
    std::vector<std::vector<std::string>> written;
    for (const TLineRow& row : Rows) {
        std::vector<std::string> fields = Fields(row);
        fields.push_back(RowCheck(fields));
        text += CsvLine(fields) + "\n";
        written.push_back(std::move(fields));
    }
    return text + CsvLine({ClosingWord, std::to_string(Rows.size()), RowsDigest(written)}) + "\n";
}

TManifestResult ParseLineManifest(const std::string& Text)
{
    TManifestResult result;
    int lineNumber = 0;
    std::set<int> units;
    bool headerSeen = false;
    bool closable = false; // the header is this release's: a closing line must end the rows
    std::optional<std::vector<std::string>> closing;
    std::vector<std::vector<std::string>> written;
    char separator = ','; // or ';', as a spreadsheet set to a language with the decimal comma saves
    // A spreadsheet may put a byte order mark before the header.
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    const std::string_view body = std::string_view(Text).substr(Text.rfind(Bom, 0) == 0 ? Bom.size() : 0);
    ForEachLine(body, [&](std::string_view line) {
        ++lineNumber;
        if (!result.Error.empty())
            return;
        const std::string where = std::string(LineManifestName) + " line " + std::to_string(lineNumber);
        if (!headerSeen && line.find(',') == std::string_view::npos && line.find(';') != std::string_view::npos)
            separator = ';'; // the header alone tells: it holds no comma
        auto fields = SplitCsvLine(line, separator);
        if (fields)
            UndoSpreadsheetSave(*fields, headerSeen ? Header.size() : ClosedHeader.size(), false);
        if (!headerSeen) {
            headerSeen = true;
            closable = fields && *fields == ClosedHeader;
            if (!closable && (!fields || *fields != Header))
                result.Error = where + ": not the header of a line manifest (" + CsvLine(ClosedHeader) + ")";
            return;
        }
        if (line.empty())
            return;
        if (closing) {
            result.Error = where + " follows the closing line \"" + ClosingWord + ",...\"; a row was added after it";
            return;
        }
        if (closable && fields && !fields->empty() && fields->front() == ClosingWord) {
            closing = *fields;
            UndoSpreadsheetSave(*closing, 3, false);
            if (closing->size() != 3)
                result.Error = where + ": the closing line has " + std::to_string(closing->size()) + " fields, not 3";
            return;
        }
        TLineRow row;
        if (fields)
            UndoSpreadsheetSave(*fields, Header.size(), true);
        const std::string problem = fields ? CheckRow(*fields, row, units) : "has an unclosed quote";
        if (!problem.empty()) {
            const std::string first = fields && !fields->empty() ? fields->front() : std::string(line.substr(0, line.find(',')));
            const std::string unit = " (unit " + first + ")";
            result.Error = where + unit + " " + problem;
            return;
        }
        result.Rows.push_back(row);
        // Digits of a digest count in either case.
        written.push_back(*fields);
        written.back()[6] = Lower(written.back()[6]);
        written.back().back() = Lower(written.back().back());
    });
    if (result.Error.empty() && !headerSeen)
        result.Error = std::string(LineManifestName) + " is empty";
    if (result.Error.empty() && closable) {
        if (!closing) {
            result.Error = std::string(LineManifestName) + " has no closing line \"" + ClosingWord +
                           ",...\" after its " + std::to_string(result.Rows.size()) +
                           " rows: it was cut short, rows may be missing";
        } else if (Whole((*closing)[1]) != std::optional<std::uint64_t>(result.Rows.size())) {
            result.Error = std::string(LineManifestName) + " holds " + std::to_string(result.Rows.size()) +
                           (result.Rows.size() == 1 ? " row" : " rows") + ", but its closing line says " + (*closing)[1] +
                           ": a row was removed or added";
        } else if (Lower((*closing)[2]) != RowsDigest(written)) {
            result.Error = std::string(LineManifestName) + ": its closing line's check does not match the rows: a row "
                           "was removed, added or moved";
        }
    }
    if (result.Error.empty() && !closable)
        result.Warning = std::string(LineManifestName) +
                         " was written by an earlier release: it has no closing line, so a lost row cannot be noticed";
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
