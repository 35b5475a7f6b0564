#include "cli/ProgressDisplay.h"

#include <io.h>

namespace cli {

bool IsTerminal(int fd)
{
    return _isatty(fd) != 0;
}

} // namespace cli
