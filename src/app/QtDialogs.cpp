#include "app/QtDialogs.h"

#include <QApplication>
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

QMessageBox::StandardButton QtDialogs::MessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                                  const QString& text, QMessageBox::StandardButtons buttons,
                                                  QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void QtDialogs::ShowError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
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

bool QtDialogs::ExecPrintDialog(QWidget* parent, QPrinter* printer)
{
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
