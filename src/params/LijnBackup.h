#pragma once
// TFormLijnBackup: backs up every unit the device search listed, with TLineSequence on the search's
// port: one progress bar for the line and one for the unit, a grid with each unit's outcome, and
// Cancel, which lets the running request end and keeps the units finished before (the manifest
// says which). The files and manifest are those of kmt40-cli line-backup.

#include "params/core/LineFolderLock.h"
#include "params/core/LineSequence.h"

#include <QDialog>
#include <QString>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

class TFormLijnBackup : public QDialog {
    Q_OBJECT
public:
    TFormLijnBackup(TZBComm& Port, QString Folder, std::vector<TLineTarget> Targets, QWidget* Parent = nullptr);

    TLineSequence& Line() { return line_; }

    void CmdCancelClick();

    QLabel* LabelMap = nullptr;
    QTableWidget* StringGridUnits = nullptr;
    QLabel* LabelLijn = nullptr;
    QProgressBar* ProgressBarLijn = nullptr;
    QLabel* LabelUnit = nullptr;
    QProgressBar* ProgressBarUnit = nullptr;
    QLineEdit* PanelStatus = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;
    // Escape and the close box act as Cancel: a running backup is cancelled, not left behind.
    void reject() override;

private:
    void applyTexts();
    void showProgress();
    void showFinished();
    void showRow(int Row);
    void setStatus(const QString& Text, bool Red);

    TLineSequence line_;
    QString folder_;
    std::vector<TLineTarget> targets_;
    bool started_ = false;
    std::unique_ptr<TLineFolderLock> folderLock_; // from the start until the run has ended
    // PanelTekst0..5: backing up unit, all saved, not all saved, cancelled, manifest failed, cancelling.
    std::array<QString, 6> texts_;
};
