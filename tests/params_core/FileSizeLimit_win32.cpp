#include "FileSizeLimit.h"

// Windows has no per-process limit on a file's size; Active() stays false.
FileSizeLimit::FileSizeLimit(std::uintmax_t) {}

FileSizeLimit::~FileSizeLimit() = default;
