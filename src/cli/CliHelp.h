#pragma once
// The text of kmt40-cli --help.

#include <string>

namespace cli {

std::string HelpText();

} // namespace cli
