#pragma once
// Every modal box and file/print dialog of the program goes through this service, so a test can
// replace it with a scripted fake (tests/support/FakeDialogs.h) and no modal box ever blocks a test.
#include <QMessageBox>
#include <QString>

class QPrinter;
class QWidget;

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box with caption, text, icon and buttons; returns the button the user chose
    // (Escape or closing the box gives the escape button Qt picks, usually Cancel or No).
    virtual QMessageBox::StandardButton MessageBox(QWidget* parent, QMessageBox::Icon icon,
                                                   const QString& caption, const QString& text,
                                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;

    // The standard error box for an error that no window handles itself (a failed port open,
    // an exception escaping a handler). Caption is the application title.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;

    // File dialogs: the chosen path, or an empty string when cancelled.
    virtual QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter) = 0;
    virtual QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter) = 0;

    // A folder to choose (or make); empty when cancelled.
    virtual QString GetExistingDirectory(QWidget* parent, const QString& caption, const QString& directory) = 0;

    // The print dialog for an existing printer; true when the user chose to print.
    virtual bool ExecPrintDialog(QWidget* parent, QPrinter* printer) = 0;
};

// The program-wide instance. The program installs the Qt one at start; tests install a fake.
// Passing nullptr restores the Qt implementation. The service is not owned.
Dialogs& AppDialogs();
void SetAppDialogs(Dialogs* dialogs);
