#include "cli/ProgramDirectory.h"

#include <climits>
#include <unistd.h>

namespace cli {

std::string ProgramDirectory(const char* argv0)
{
    std::string program;
    char buffer[PATH_MAX];
    // /proc names the real file even when the program was started through a link or the PATH.
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0)
        program.assign(buffer, static_cast<std::size_t>(length));
    else if (argv0)
        program = argv0;
    const std::size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string("./") : program.substr(0, slash + 1);
}

} // namespace cli
