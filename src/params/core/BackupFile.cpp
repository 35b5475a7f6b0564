#include "params/core/BackupFile.h"

#include <array>

#include "app/core/TextFileIO.h"
#include "params/core/SaveFile.h"

namespace {

constexpr std::size_t StartMarkersOffset = 0;
constexpr std::size_t ParameterBlockOffset = 8;
constexpr std::size_t SetpointBlockOffset = ParameterBlockOffset + 4 * BackupParameterEntries;
constexpr std::size_t EndMarkersOffset = SetpointBlockOffset + 4 * BackupSetpointEntries;
static_assert(SetpointBlockOffset == 8012 && EndMarkersOffset == 16012);

// Little-endian whatever the machine, so a file moves between PCs unchanged.
void PutInt32(std::vector<uint8_t>& bytes, std::size_t offset, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t GetInt32(std::string_view bytes, std::size_t offset)
{
    uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
    return static_cast<int32_t>(bits);
}

} // namespace

std::vector<uint8_t> FormatBackup(std::span<const int32_t, 400> parameters,
                                  std::span<const int32_t, 48> setpoints)
{
    std::vector<uint8_t> bytes(BackupFileSize, 0);
    PutInt32(bytes, StartMarkersOffset, BackupStartMarker);
    PutInt32(bytes, StartMarkersOffset + 4, BackupStartMarker);
    for (std::size_t n = 0; n < parameters.size(); ++n)
        PutInt32(bytes, ParameterBlockOffset + 4 * n, parameters[n]);
    for (std::size_t k = 0; k < setpoints.size(); ++k)
        PutInt32(bytes, SetpointBlockOffset + 4 * k, setpoints[k]);
    PutInt32(bytes, EndMarkersOffset, BackupEndMarker);
    PutInt32(bytes, EndMarkersOffset + 4, BackupEndMarker);
    return bytes;
}

TFileResult SaveBackupFile(const std::string& path, std::span<const int32_t, 400> parameters,
                           std::span<const int32_t, 48> setpoints)
{
    const std::vector<uint8_t> bytes = FormatBackup(parameters, setpoints);
    return SaveFileReplacing(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

TFileResult ParseBackup(std::string_view bytes, std::span<int32_t, 400> parameters,
                        std::span<int32_t, 48> setpoints)
{
    TFileResult result;
    if (bytes.size() < BackupFileSize) {
        result.Error = TFileError::TooShort;
        result.Detail = std::to_string(bytes.size());
        return result;
    }
    // A backup is exactly its layout: bytes past it mean another file, or one something was
    // appended to, and are not restored from.
    if (bytes.size() > BackupFileSize) {
        result.Error = TFileError::TooLong;
        return result;
    }
    const bool startOk = GetInt32(bytes, StartMarkersOffset) == BackupStartMarker &&
                         GetInt32(bytes, StartMarkersOffset + 4) == BackupStartMarker;
    const bool endOk = GetInt32(bytes, EndMarkersOffset) == BackupEndMarker &&
                       GetInt32(bytes, EndMarkersOffset + 4) == BackupEndMarker;
    if (!startOk || !endOk) {
        result.Error = TFileError::WrongMarker;
        result.Detail = !startOk ? "start" : "end";
        return result;
    }
    for (std::size_t n = 0; n < parameters.size(); ++n)
        parameters[n] = GetInt32(bytes, ParameterBlockOffset + 4 * n);
    for (std::size_t k = 0; k < setpoints.size(); ++k)
        setpoints[k] = GetInt32(bytes, SetpointBlockOffset + 4 * k);
    return result;
}

TFileResult LoadBackupFile(const std::string& path, std::span<int32_t, 400> parameters,
                           std::span<int32_t, 48> setpoints)
{
    std::string bytes;
    // One byte more than the layout is read, so a longer file is seen to be longer.
    const TReadResult read = ReadFileCapped(path, BackupFileSize + 1, bytes);
    if (read == TReadResult::Missing || read == TReadResult::Unreadable) {
        TFileResult result;
        result.Error = TFileError::CannotOpen;
        result.Detail = path + ": " + ReasonNotReadable(path);
        return result;
    }
    return ParseBackup(bytes, parameters, setpoints);
}
