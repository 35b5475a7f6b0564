#pragma once
// What the parameter and setpoint printout windows share: the three header fields (customer,
// machine type, serial number) with their labels, OK to print through the print dialog, Cancel,
// and Save as PDF, which draws the same pages into a PDF file. The fields are stored in the
// settings before anything is printed, and the window closes after the job.

#include <QDialog>

#include <string>

#include "views/core/PrintPage.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TPrintoutWindow : public QDialog {
    Q_OBJECT
public:
    ~TPrintoutWindow() override;

    void FormActivate();
    void CmdOKClick();
    void CmdCancelClick();
    void CmdPdfClick();

    // The page header as the job will print it now.
    TPrintHeader Header() const;
    // Lays the whole printout out on Canvas (also used by the tests with a recording canvas).
    void Print(TPrintCanvas& Canvas);

    QLabel* LabelFirma = nullptr;
    QLabel* LabelType = nullptr;
    QLabel* LabelSn = nullptr;
    QLineEdit* EditFirma = nullptr;
    QLineEdit* EditType = nullptr;
    QLineEdit* EditSn = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;
    QPushButton* CmdPdf = nullptr;

protected:
    // CaptionKey and DesignCaption: the window title's language key and its text without one.
    TPrintoutWindow(const char* CaptionKey, const char* DesignCaption, QWidget* Parent);

    void showEvent(QShowEvent* Event) override;
    // The printout's own texts (only with a language file) and its pages.
    virtual void ApplyPrintoutTexts() = 0;
    virtual void PrintBody(TPrintJob& Job) = 0;

    std::string pageWord_;

private:
    void StoreFields();

    const char* captionKey_;
    const char* designCaption_;
};
