#pragma once
// Outcome of opening or saving a parameter, setpoint or backup file, so that windows can pick
// their message key and the command-line tool can word a one-line message.

#include <string>

enum class TFileError {
    None,
    CannotOpen,        // the file cannot be opened for reading
    WrongHeader,       // first line is not this kind of file
    MalformedLine,     // a line that is neither empty nor a value line
    BadNumber,         // the number of a value line is no decimal integer
    NumberOutOfRange,  // the number of a value line lies outside the file's range (000..399, 000..048)
    BadValue,          // the value of a value line is no decimal integer or does not fit 32 bits
    DuplicateNumber,   // a number occurs on a second value line
    WrongCount,        // not exactly the required number of value lines
    TooShort,          // backup: fewer bytes than the layout needs (a read error)
    TooLong,           // backup: bytes beyond the layout (not a backup as this program writes it)
    WrongMarker,       // backup: a start or end marker differs
    WriteFailed,       // saving failed; the previous file is unchanged
};

struct TFileResult {
    TFileError Error = TFileError::None;
    int Line = 0;       // 1-based line of the offending value line (text files), else 0
    int Number = -1;    // parameter or setpoint number concerned, -1 when none
    std::string Detail; // the offending text, or the system's message for open/write failures
    // WrongCount: the first repeated or out-of-range number among the value lines (whose Line and
    // Number are then set), already worded; empty when there was none.
    std::string Note;

    bool Ok() const { return Error == TFileError::None; }
};

// Language key (sections EditParam, EditSollwert, BackupRestore) that reports the error:
// "OpenMsg1".."OpenMsg4", or "" for errors shown with the general error message: read and write
// failures, and a number or value that is no decimal integer (a conversion error, not a malformed
// line).
const char* FileErrorMessageKey(TFileError error);

// One English line naming what went wrong and where, for the command-line tool and for the
// general error message. itemLetter is "P" for parameter files, "S" for setpoint files, "" for
// backups.
std::string DescribeFileResult(const TFileResult& result, const std::string& itemLetter);
