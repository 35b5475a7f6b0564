#include "params/FileErrorBox.h"

#include <QMessageBox>

#include "app/Dialogs.h"
#include "app/core/Global_var.h"
#include "params/Latin1Text.h"

void ReportFileError(const TFileResult& Result, const char* Section, const std::string& ItemLetter,
                     QWidget* Parent, Dialogs& Dialogs)
{
    const std::string key = FileErrorMessageKey(Result.Error);
    if (key.empty()) {
        Dialogs.ShowError(Parent, Latin1(DescribeFileResult(Result, ItemLetter)));
        return;
    }
    if (!LanguageLoaded)
        return;
    Dialogs.MessageBox(Parent, QMessageBox::Critical, Latin1(LanguageFile.ReadString(Section, "Msg_ErrorCaption", "")),
                       Latin1(LanguageFile.ReadString(Section, key, "")), QMessageBox::Ok);
}
