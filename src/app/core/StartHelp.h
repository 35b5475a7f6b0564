#pragma once
// What "kmt40 --help" and "kmt40 --version" print. Looked at before the application object is
// made, so both work without a display.
#include <optional>
#include <string>
#include <vector>

// args excludes the program name. The text to print, or nothing when the window is to start.
std::optional<std::string> StartInformation(const std::vector<std::string>& args);
