#pragma once
// The real dialogs: Qt message boxes, file dialogs and the print dialog.
#include "app/Dialogs.h"

class QtDialogs final : public Dialogs {
public:
    QMessageBox::StandardButton MessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) override;
    void ShowError(QWidget* parent, const QString& text) override;
    QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                            const QString& filter) override;
    QString GetSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                            const QString& filter) override;
    QString GetExistingDirectory(QWidget* parent, const QString& caption, const QString& directory) override;
    bool ExecPrintDialog(QWidget* parent, QPrinter* printer) override;
};
