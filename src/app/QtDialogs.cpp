#include "app/QtDialogs.h"

#include "app/core/Global_var.h"

#include <QFileDialog>
#include <QPrintDialog>

namespace {
Dialogs* installedDialogs = nullptr;

QtDialogs& qtDialogs()
{
    static QtDialogs instance;
    return instance;
}
} // namespace

Dialogs& AppDialogs()
{
    return installedDialogs ? *installedDialogs : qtDialogs();
}

void SetAppDialogs(Dialogs* dialogs)
{
    installedDialogs = dialogs;
}

namespace {
// Message texts join their lines with LF CR (or CR LF); a label wants plain LF.
QString plainLines(QString text)
{
    text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
} // namespace

QMessageBox::StandardButton QtDialogs::MessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                                  const QString& text, QMessageBox::StandardButtons buttons,
                                                  QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, caption, plainLines(text), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void QtDialogs::ShowError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(ApplicationTitle), plainLines(text), QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtDialogs::GetOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                   const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString QtDialogs::GetSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                   const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, directory, filter);
}

QString QtDialogs::GetExistingDirectory(QWidget* parent, const QString& caption, const QString& directory)
{
    return QFileDialog::getExistingDirectory(parent, caption, directory);
}

bool QtDialogs::ExecPrintDialog(QWidget* parent, QPrinter* printer)
{
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
