#include "params/core/FileResult.h"

#include <cstdio>

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string LineRef(const TFileResult& r)
{
    return "line " + std::to_string(r.Line);
}

std::string ItemName(const std::string& letter, int number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%03d", letter.c_str(), number);
    return text;
}

} // namespace

const char* FileErrorMessageKey(TFileError error)
{
    switch (error) {
    case TFileError::CannotOpen:
        return "OpenMsg1";
    case TFileError::WrongHeader:
    case TFileError::WrongMarker:
        return "OpenMsg2";
    case TFileError::MalformedLine:
    case TFileError::NumberOutOfRange:
    case TFileError::DuplicateNumber:
        return "OpenMsg3";
    case TFileError::WrongCount:
        return "OpenMsg4";
    case TFileError::None:
    case TFileError::BadNumber:
    case TFileError::BadValue:
    case TFileError::TooShort:
    case TFileError::TooLong:
    case TFileError::WriteFailed:
        break;
    }
    return "";
}

std::string DescribeFileResult(const TFileResult& r, const std::string& itemLetter)
{
    const bool setpoints = itemLetter == "S";
    const std::string kind = itemLetter.empty() ? "backup" : setpoints ? "setpoint" : "parameter";
    switch (r.Error) {
    case TFileError::None:
        return "ok";
    case TFileError::CannotOpen:
        return "cannot open the " + kind + " file: " + r.Detail;
    case TFileError::WrongHeader:
        return "not a " + kind + " file: the first line does not begin with " + Quoted(r.Detail);
    case TFileError::MalformedLine:
        return LineRef(r) + " is not a value line: " + Quoted(r.Detail);
    case TFileError::BadNumber:
    case TFileError::NumberOutOfRange:
        return LineRef(r) + ": " + Quoted(r.Detail) + " is no " + kind + " number " +
               (setpoints ? "000..048" : "000..399");
    case TFileError::BadValue:
        return LineRef(r) + ": the value of " + ItemName(itemLetter, r.Number) +
               " is no whole 32-bit number: " + Quoted(r.Detail);
    case TFileError::DuplicateNumber:
        return LineRef(r) + ": " + ItemName(itemLetter, r.Number) + " occurs a second time";
    case TFileError::WrongCount:
        return "the file holds " + r.Detail + " value lines instead of " + (setpoints ? "49" : "400") +
               (r.Note.empty() ? "" : " (" + r.Note + ")");
    case TFileError::TooShort:
        return "read error: the backup file is shorter than 16020 bytes (" + r.Detail + " bytes)";
    case TFileError::TooLong:
        return "not a backup file: it is longer than 16020 bytes";
    case TFileError::WrongMarker:
        return "not a backup file: the " + r.Detail + " marker is wrong";
    case TFileError::WriteFailed:
        return "cannot save the " + kind + " file: " + r.Detail;
    }
    return "unknown error";
}
