#include "params/EditorFileCommands.h"

#include <string>

#include "app/core/Global_var.h"
#include "params/FileDialogs.h"
#include "params/FileErrorBox.h"
#include "params/core/ValueTableFiles.h"

namespace {

// What differs between the two kinds of value file.
struct TValueFileKind {
    const char* Section;
    const char* ItemLetter;
    const char* OpenFilter; // without a language text
    const char* SaveFilter;
    const char* Extension;
    TFileResult (*Open)(const std::string& Path);
    TFileResult (*Save)(const std::string& Path);
};

const TValueFileKind ParameterFiles{"EditParam", "P", "ASCII Parameterbestand (*.app)|*.app", "*.app", "app",
                                    OpenParameterFile, SaveParameterFileFromTables};
const TValueFileKind SetpointFiles{"EditSollwert", "S", "ASCII Sollwertbestand (*.aps)|*.aps", "*.aps", "aps",
                                   OpenSetpointFile, SaveSetpointFileFromTables};

std::string Text(const TValueFileKind& Kind, const char* Key, const char* Default)
{
    return LanguageLoaded ? LanguageFile.ReadString(Kind.Section, Key, Default) : std::string(Default);
}

bool OpenCommand(const TValueFileKind& Kind, QWidget* Parent, Dialogs& Dialogs)
{
    const QString path =
        AskOpenFileName(Dialogs, Parent, Text(Kind, "OpenCaption", ""), Text(Kind, "OpenFilter", Kind.OpenFilter));
    if (path.isEmpty())
        return false;
    const TFileResult result = Kind.Open(LocalPath(path));
    if (!result.Ok()) {
        ReportFileError(result, Kind.Section, Kind.ItemLetter, Parent, Dialogs);
        return false;
    }
    return true;
}

void SaveCommand(const TValueFileKind& Kind, QWidget* Parent, Dialogs& Dialogs)
{
    const QString path = AskSaveFileName(Dialogs, Parent, Text(Kind, "SaveCaption", ""),
                                         Text(Kind, "OpenFilter", Kind.SaveFilter), QString::fromLatin1(Kind.Extension));
    if (path.isEmpty())
        return;
    const TFileResult result = Kind.Save(LocalPath(path));
    if (!result.Ok())
        ReportFileError(result, Kind.Section, Kind.ItemLetter, Parent, Dialogs);
}

} // namespace

bool OpenParameterFileCommand(QWidget* Parent, Dialogs& Dialogs)
{
    return OpenCommand(ParameterFiles, Parent, Dialogs);
}

void SaveParameterFileCommand(QWidget* Parent, Dialogs& Dialogs)
{
    SaveCommand(ParameterFiles, Parent, Dialogs);
}

bool OpenSetpointFileCommand(QWidget* Parent, Dialogs& Dialogs)
{
    return OpenCommand(SetpointFiles, Parent, Dialogs);
}

void SaveSetpointFileCommand(QWidget* Parent, Dialogs& Dialogs)
{
    SaveCommand(SetpointFiles, Parent, Dialogs);
}
