#include "cli/ProgressDisplay.h"

#include <unistd.h>

namespace cli {

bool IsTerminal(int fd)
{
    return isatty(fd) == 1;
}

} // namespace cli
