// The language files, the comma text of their option lists, and the Windows-1252 texts shown.
#include "FuzzInput.h"

#include "app/core/CommaText.h"
#include "app/core/LanguageFile.h"
#include "app/core/Windows1252.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    const std::string_view text = fuzz::AsText(Data, Size);
    TLanguageFile language;
    language.LoadFromText(text);
    (void)language.ReadString("Main", "CmdComOpen", "Open");
    (void)language.ValueExists("main", "cmdcomopen");

    const std::vector<std::string> items = SplitCommaText(text);
    // Joined and split again, a list comes back item for item.
    if (SplitCommaText(JoinCommaText(items)) != items)
        std::abort();

    if (EncodeWindows1252(DecodeWindows1252(text)) != text)
        std::abort();
    return 0;
}
