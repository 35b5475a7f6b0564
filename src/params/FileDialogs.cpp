#include "params/FileDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "app/Dialogs.h"
#include "app/core/Global_var.h"
#include "params/Latin1Text.h"

QString QtFileFilter(const std::string& Filter)
{
    const QStringList parts = Latin1(Filter).split(QLatin1Char('|'));
    if (parts.size() < 2)
        return parts.value(0);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString text = parts[i].trimmed();
        const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        // Qt takes the patterns from the last parentheses; a text that shows them already keeps its look.
        filters << (text.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')'))
                        ? text
                        : text + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

std::string LocalPath(const QString& Path)
{
    return QFile::encodeName(Path).toStdString();
}

QString DisplayPath(const std::string& Path)
{
    return QFile::decodeName(QByteArray::fromStdString(Path));
}

namespace {

void RememberDirectory(const QString& ChosenFile)
{
    ProgramSettings.OpenCloseDialoogPath = LocalPath(QFileInfo(ChosenFile).absolutePath());
}

// The dialog asked about the name as typed; the name with the default extension added is another
// file, so ask about that one in the dialog's own words.
bool ReplaceConfirmed(Dialogs& Dialogs, QWidget* Parent, const std::string& Caption, const QString& Path)
{
    const QString question =
        QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
            .arg(QFileInfo(Path).fileName());
    return Dialogs.MessageBox(Parent, QMessageBox::Warning, Latin1(Caption), question,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

QString AskOpenFileName(Dialogs& Dialogs, QWidget* Parent, const std::string& Caption, const std::string& Filter)
{
    const QString path = Dialogs.GetOpenFileName(Parent, Latin1(Caption), DisplayPath(ProgramSettings.OpenCloseDialoogPath),
                                                 QtFileFilter(Filter));
    if (!path.isEmpty())
        RememberDirectory(path);
    return path;
}

QString AskSaveFileName(Dialogs& Dialogs, QWidget* Parent, const std::string& Caption, const std::string& Filter,
                        const QString& DefaultExtension)
{
    for (;;) {
        QString path = Dialogs.GetSaveFileName(Parent, Latin1(Caption),
                                               DisplayPath(ProgramSettings.OpenCloseDialoogPath), QtFileFilter(Filter));
        if (path.isEmpty())
            return path;
        if (QFileInfo(path).suffix().isEmpty() && !DefaultExtension.isEmpty()) {
            path += QLatin1Char('.') + DefaultExtension;
            // Not replaced: the user chooses again, as in the dialog itself.
            if (QFileInfo::exists(path) && !ReplaceConfirmed(Dialogs, Parent, Caption, path))
                continue;
        }
        RememberDirectory(path);
        return path;
    }
}
