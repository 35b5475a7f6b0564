#include "params/core/SaveFile.h"

#include <filesystem>

#include "app/core/TextFileIO.h"

namespace {

// The save dialogs refuse read-only files; the command-line tool gets the same protection here,
// since a rename would otherwise replace the file regardless of its own permissions.
bool IsReadOnlyFile(const std::string& path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status))
        return false;
    using std::filesystem::perms;
    return (status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) ==
           perms::none;
}

} // namespace

TFileResult SaveFileReplacing(const std::string& path, std::string_view bytes)
{
    TFileResult result;
    std::string error;
    if (IsReadOnlyFile(path)) {
        result.Error = TFileError::WriteFailed;
        result.Detail = path + " is read-only";
    } else if (!WriteFileAtomically(path, bytes, error)) {
        result.Error = TFileError::WriteFailed;
        result.Detail = error;
    }
    return result;
}

