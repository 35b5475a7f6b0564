#pragma once
// The 48 setpoints on one page: a title, the column header and one line per setpoint with its
// raw value (no decimals), under the printouts' page header.

#include <string>

#include "views/core/PrintPage.h"

std::string SetpointColumnHeader(const std::string& NumberText, const std::string& ValueText);
std::string SetpointPrintLine(int Number, int32_t Value);

// Title is the "NaamSoll" text; the values come from SetpointValues.
void PrintSetpoints(TPrintJob& Job, const std::string& Title, const std::string& NumberText,
                    const std::string& ValueText);
