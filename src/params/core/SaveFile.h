#pragma once
// Saving a parameter, setpoint or backup file: the bytes replace the file as a whole (temporary
// file, flushed, renamed into place), so a failed save (disk full, no permission) leaves the
// previous file whole and is reported as WriteFailed. An existing read-only file is refused, as
// the save dialogs refuse it.

#include <string>
#include <string_view>

#include "params/core/FileResult.h"

TFileResult SaveFileReplacing(const std::string& path, std::string_view bytes);
