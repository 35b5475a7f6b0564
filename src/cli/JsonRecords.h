#pragma once
// The records of kmt40-cli as JSON, for --json: the same fields as the text form. Texts from the
// controller and the catalogue are Windows-1252 and leave here as UTF-8, as JSON requires.

#include "comm/FoundDevice.h"
#include "params/core/SetComparison.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

namespace cli {

using JsonRecord = nlohmann::ordered_json;

// identify: the unit and its replies to "rt", "rh" and "rx".
JsonRecord IdentificationJson(int Unit, const std::vector<std::string>& Replies);
// search: the units found, as the CSV lines ("unit", "identification", "baud", "parity", "stopbits").
JsonRecord FoundDevicesJson(const std::vector<TFoundDevice>& Devices);
// diff and verify: one record per difference ("item", "name", "before", "after"), plus what was
// compared ("first" and "second" for diff, "unit" and "file" for verify: the caller adds those).
JsonRecord DifferencesJson(const std::vector<TValueDifference>& Differences);

// One document, indented, ending in a line feed.
void PrintJson(std::ostream& Out, const JsonRecord& Record);

} // namespace cli
