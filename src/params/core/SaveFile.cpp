#include "params/core/SaveFile.h"

#include "app/core/TextFileIO.h"

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

