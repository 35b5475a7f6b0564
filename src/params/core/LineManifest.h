#pragma once
// The manifest of a line backup, DIR/line.csv: a header line, then one row per unit:
//   unit,type,version,serial,file,bytes,sha256,time,status,line,row_check
// unit as two digits; type, version and serial as the unit answered "rt", "rh" and "rx"; file the
// backup's name in DIR ("05-SN_004705.bak", empty when none was saved), its size in bytes and the
// SHA-256 of its bytes; time when it was saved (UTC, ISO 8601); status "ok" or why the unit was not
// saved ("no reply", "time-out at P123", "line lost at S005", ...); line the settings the unit
// answered at ("38400,E,8,1"); row_check the first 16 hexadecimal digits of the SHA-256 of the
// row's other fields as written, so a row that was edited or damaged is refused by its row.
// The header names one more column, manifest_check, and a closing line follows the rows:
//   end,<number of rows>,<SHA-256 of the rows as written, each ended by LF>
// so a row that was lost or added (a file cut at a row boundary, a row deleted by hand) is noticed.
// A manifest of an earlier release has neither; it is still read, with a warning.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "comm/ZBTypes.h"

inline constexpr char LineManifestName[] = "line.csv";

// The settings a unit is addressed at.
struct TUnitLine {
    TBaudrate Baudrate = TBaudrate::br38400;
    TDataBit Databits = TDataBit::db_8;
    TParityBit Parity = TParityBit::Even;
    TStopBit Stopbits = TStopBit::sb_1;

    bool operator==(const TUnitLine&) const = default;
};
// "38400,E,8,1" and back (nullopt for anything else).
std::string UnitLineText(const TUnitLine& Line);
std::optional<TUnitLine> UnitLineOfText(const std::string& Text);

struct TLineRow {
    int Unit = 0;
    std::string Type;
    std::string Version;
    std::string Serial;
    std::string File;     // empty when no backup was saved
    std::uint64_t Bytes = 0;
    std::string Sha256;   // lower-case hexadecimal, empty when no backup was saved
    std::string Time;
    std::string Status = "ok";
    std::optional<TUnitLine> Line;
    bool LineSetByServer = false; // a server that sets the line itself: no settings of ours are known

    bool Saved() const { return Status == "ok"; }
};

// The line column of a unit reached through a server that keeps its own line settings.
inline constexpr char LineSetByServerText[] = "set by the server";

// The status of a saved unit.
inline constexpr char LineStatusOk[] = "ok";

// "05-SN_004705.bak": the unit as two digits and the serial reduced to characters every file system
// takes (letters, digits, '-', '_', '.'; anything else becomes '_'; at most 40 characters; "noserial"
// when nothing is left).
std::string LineBackupFileName(int Unit, const std::string& Serial);

// The whole manifest text. A line break inside a text field (a system's error message) is written as
// a blank: the format holds one row per line.
std::string FormatLineManifest(const std::vector<TLineRow>& Rows);

struct TManifestResult {
    std::vector<TLineRow> Rows;
    std::string Error; // empty when the manifest is sound; else what is wrong, naming the line
    std::string Warning; // what a sound manifest of an earlier release cannot prove

    bool Ok() const { return Error.empty(); }
};
// Checks every row (fields, unit 00..31 once, the file name that belongs to its unit and serial, size
// and digest of a saved unit, the row check) and the closing line before handing any out. Line breaks
// a text field held were written as blanks; digits of a digest are taken in either case and handed
// out in lower case.
TManifestResult ParseLineManifest(const std::string& Text);

// "2026-12-07T19:03:12Z" for now.
std::string UtcTimeStamp();
