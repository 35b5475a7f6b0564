// The parameter printout's walk over the tree file's lines and the menu map, on a recording
// canvas: any tree, any map, and the pages stay within bounds.
#include "FuzzInput.h"

#include "RecordingCanvas.h"
#include "app/core/Global_var.h"
#include "app/core/TextFileIO.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterMenuMap.h"
#include "views/core/ParameterPrintout.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const std::vector<std::string> parts = fuzz::SplitAt(fuzz::AsText(Data, Size), '\0');
    if (parts.size() < 2)
        return 0;
    static bool catalogue = [] {
        ParameterCatalogue.LoadFromText("[000]\nnaam0=A\ntype=1\nopties0=x,y\ndec=2\n[001]\nnaam0=B\ndec=9\n");
        return CatalogueLoaded = true;
    }();
    (void)catalogue;
    ParameterMenuMap.LoadFromText(parts[1]);
    MenuMapLoaded = true;
    std::vector<std::string> lines;
    ForEachLine(parts[0], [&lines](std::string_view line) { lines.emplace_back(line); });
    TRecordingCanvas canvas;
    canvas.pageHeight = 2000;
    TPrintJob job(canvas, TPrintHeader{});
    PrintParameters(job, TParameterColumnTexts{}, &lines);
    for (const TRecordedText& text : canvas.texts)
        if (text.Y < 0 || text.Y > canvas.pageHeight)
            std::abort();
    return 0;
}
