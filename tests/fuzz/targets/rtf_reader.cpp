// The error help pages' rich-text reader.
#include "FuzzInput.h"

#include "app/core/RtfReader.h"
#include "Utf8Check.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const TRtfResult result = ParseRtf(fuzz::AsText(Data, Size));
    if (!result.Ok)
        return 0;
    // Every run's colour is looked up in the table by the view; the reader keeps sizes in bounds and
    // writes well-formed UTF-8 whatever the file holds.
    for (const TRtfParagraph& paragraph : result.Document.Paragraphs)
        for (const TRtfRun& run : paragraph.Runs)
            if (run.HalfPoints < 2 || run.HalfPoints > 400 || run.Color < 0 || run.Color > 255 ||
                !IsValidUtf8(run.Text))
                std::abort();
    return 0;
}
