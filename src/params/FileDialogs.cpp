#include "params/FileDialogs.h"

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
    QString path = Dialogs.GetSaveFileName(Parent, Latin1(Caption), DisplayPath(ProgramSettings.OpenCloseDialoogPath),
                                           QtFileFilter(Filter));
    if (path.isEmpty())
        return path;
    if (QFileInfo(path).suffix().isEmpty() && !DefaultExtension.isEmpty())
        path += QLatin1Char('.') + DefaultExtension;
    RememberDirectory(path);
    return path;
}
