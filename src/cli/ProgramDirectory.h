#pragma once
// The directory of the running program with a trailing separator: application.ini is looked up
// there, as the windowed program does.

#include <string>

namespace cli {

// argv0 is the fallback when the system cannot name the program file.
std::string ProgramDirectory(const char* argv0);

} // namespace cli
