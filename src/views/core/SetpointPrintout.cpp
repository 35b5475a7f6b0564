#include "views/core/SetpointPrintout.h"

#include "app/core/Global_var.h"

std::string SetpointColumnHeader(const std::string& NumberText, const std::string& ValueText)
{
    return PadRight(NumberText, 6) + "   " + PadLeft(ValueText, 12);
}

std::string SetpointPrintLine(int Number, int32_t Value)
{
    return SetpointColumnHeader(std::to_string(Number), std::to_string(Value));
}

void PrintSetpoints(TPrintJob& Job, const std::string& Title, const std::string& NumberText,
                    const std::string& ValueText)
{
    Job.PrintPageHeader();
    Job.Print(TitleFont, Title, Job.HeightOfA(TitleFont));
    Job.Print(ColumnHeaderFont, SetpointColumnHeader(NumberText, ValueText), Job.HeightOfA(ColumnHeaderFont));
    // No page break: the list always fits on the first page.
    for (int n = 1; n <= SetpointCount; ++n)
        Job.Print(LineFont, SetpointPrintLine(n, SetpointValues[static_cast<std::size_t>(n)]), Job.LineHeight());
}
