#pragma once
// Backup files (.bak): a whole controller, 16020 bytes of little-endian signed 32-bit integers:
//   offset     0: two start markers 11223344 (bytes 30 41 AB 00)
//   offset     8: 2001 parameter entries, entry n = parameter n for n < 400, the rest 0
//   offset  8012: 2000 setpoint entries, entry k = setpoint k + 1 for k < 48, the rest 0
//   offset 16012: two end markers 123456789 (bytes 15 CD 5B 07)

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "params/core/FileResult.h"

inline constexpr int32_t BackupStartMarker = 11223344;
inline constexpr int32_t BackupEndMarker = 123456789;
inline constexpr std::size_t BackupParameterEntries = 2001;
inline constexpr std::size_t BackupSetpointEntries = 2000;
inline constexpr std::size_t BackupFileSize = 4 * (2 + BackupParameterEntries + BackupSetpointEntries + 2);
static_assert(BackupFileSize == 16020);

std::vector<uint8_t> FormatBackup(std::span<const int32_t, 400> parameters,
                                  std::span<const int32_t, 48> setpoints);

TFileResult SaveBackupFile(const std::string& path, std::span<const int32_t, 400> parameters,
                           std::span<const int32_t, 48> setpoints);

// Checks the four blocks of the layout (a shorter file is an error, bytes after the layout are not
// read) and the markers before anything is handed out; on any error both spans are left untouched,
// so a restore sends nothing.
TFileResult ParseBackup(std::string_view bytes, std::span<int32_t, 400> parameters,
                        std::span<int32_t, 48> setpoints);
TFileResult LoadBackupFile(const std::string& path, std::span<int32_t, 400> parameters,
                           std::span<int32_t, 48> setpoints);
