#include "cli/ProgramDirectory.h"

#include <windows.h>

namespace cli {

std::string ProgramDirectory(const char* argv0)
{
    char buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string program = (length > 0 && length < MAX_PATH) ? std::string(buffer, length) : std::string(argv0 ? argv0 : "");
    const std::size_t separator = program.find_last_of("\\/");
    return separator == std::string::npos ? std::string(".\\") : program.substr(0, separator + 1);
}

} // namespace cli
