#include "ProcessFigures.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>

namespace bench {

namespace {

// Entries of a /proc directory, without "." and ".."; -1 when it cannot be read.
int EntriesOf(const char* path)
{
    DIR* dir = opendir(path);
    if (dir == nullptr)
        return -1;
    int count = 0;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            ++count;
    }
    closedir(dir);
    return count;
}

long ResidentKb()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return -1;
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1)
            break;
    }
    std::fclose(status);
    return kb;
}

} // namespace

ProcessFigures ProcessFigures::Now()
{
    ProcessFigures figures;
    figures.residentKb = ResidentKb();
    // The open directory of the count is one descriptor more than the process holds.
    const int entries = EntriesOf("/proc/self/fd");
    figures.descriptors = entries < 0 ? -1 : entries - 1;
    figures.threads = EntriesOf("/proc/self/task");
    return figures;
}

} // namespace bench
