// Parameter (.app), setpoint (.aps) and backup (.bak) files; the first byte chooses.
#include "FuzzInput.h"

#include "params/core/BackupFile.h"
#include "params/core/ValueFiles.h"

#include <array>
#include <cstdlib>

namespace {

// A refused file hands nothing out.
template <std::size_t N>
void expectUntouchedUnlessOk(const TFileResult& result, const std::array<int32_t, N>& values)
{
    if (result.Ok())
        return;
    for (int32_t v : values)
        if (v != 7)
            std::abort();
    (void)DescribeFileResult(result, "P");
    (void)FileErrorMessageKey(result.Error);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const fuzz::Choice input = fuzz::TakeSelector(Data, Size);
    std::array<int32_t, 400> parameters;
    std::array<int32_t, 48> setpoints;
    parameters.fill(7);
    setpoints.fill(7);
    switch (input.selector % 3) {
    case 0:
        expectUntouchedUnlessOk(ParseParameterText(input.rest, parameters), parameters);
        break;
    case 1:
        expectUntouchedUnlessOk(ParseSetpointText(input.rest, setpoints), setpoints);
        break;
    default: {
        const TFileResult result = ParseBackup(input.rest, parameters, setpoints);
        expectUntouchedUnlessOk(result, parameters);
        expectUntouchedUnlessOk(result, setpoints);
        break;
    }
    }
    return 0;
}
