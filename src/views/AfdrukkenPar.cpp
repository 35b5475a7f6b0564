#include "views/AfdrukkenPar.h"

#include "app/Dialogs.h"
#include "app/core/Global_var.h"
#include "app/core/TextFileIO.h"
#include "params/Latin1Text.h"
#include "params/core/MenuTree.h"

TFormAfdrukkenPar* FormAfdrukkenPar = nullptr;

namespace {

// Tree files are a few kilobytes; the cap only keeps a mistaken huge file out of memory.
constexpr std::size_t MaxTreeFileBytes = 1024 * 1024;

} // namespace

TFormAfdrukkenPar::TFormAfdrukkenPar(QWidget* Parent)
    : TPrintoutWindow("CaptionPar", "Afdrukken param", Parent)
{
    setObjectName(QStringLiteral("FormAfdrukkenPar"));
    if (!FormAfdrukkenPar)
        FormAfdrukkenPar = this;
}

TFormAfdrukkenPar::~TFormAfdrukkenPar()
{
    if (FormAfdrukkenPar == this)
        FormAfdrukkenPar = nullptr;
}

void TFormAfdrukkenPar::ApplyPrintoutTexts()
{
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const std::string key = "KolomTekst" + std::to_string(i);
        columns_[i] = LanguageLoaded ? LanguageFile.ReadString("EditParam", key, "tekst " + std::to_string(i)) : "";
    }
}

void TFormAfdrukkenPar::PrintBody(TPrintJob& Job)
{
    const std::string path = ProgramDir + TreeFileName(LanguageIndex);
    std::string contents;
    const TReadResult read = ReadFileCapped(path, MaxTreeFileBytes, contents);
    if (read == TReadResult::Missing) {
        PrintParameters(Job, columns_, nullptr);
        return;
    }
    if (read == TReadResult::Unreadable)
        AppDialogs().ShowError(this, Latin1("EFOpenError error raised, with message : Cannot open file \"" + path + "\""));
    std::vector<std::string> lines;
    ForEachLine(contents, [&lines](std::string_view line) { lines.emplace_back(line); });
    PrintParameters(Job, columns_, &lines);
}
