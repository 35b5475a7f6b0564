#pragma once
// What the read and write windows share: a small modal progress window without close box that
// shows a transfer run - status panel Panel1 (bold; red on errors), ProgressBar1, the buttons
// CmdOK, CmdAgain and CmdCancel - and closes when the run asks it to (Accepted = OK result).
//
// The run itself lives in the engine (params/core); the window adds the texts of its language
// section, applied each time it is opened, and turns the engine's view into controls.

#include <QDialog>
#include <QString>

#include <array>
#include <memory>
#include <string>

#include "params/core/TransferSequence.h"

class QLabel;
class QProgressBar;
class QPushButton;

class TTransferWindow : public QDialog {
    Q_OBJECT
public:
    ~TTransferWindow() override;

    // Opens the window modally in Mode (0..3) and runs it; true when it closed with OK.
    bool Execute(int Mode);
    void SetMode(int Mode);
    int Mode() const;

    // FormActivate: applies the texts and starts the run (StartCommunicatie). Runs on showing.
    void FormActivate();
    void CmdOKClick();
    void CmdAgainClick();
    void CmdCancelClick();

    // The panel's text as composed from the held language texts.
    QString PanelText() const;
    bool PanelRed() const;

    QLabel* Panel1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdAgain = nullptr;
    QPushButton* CmdCancel = nullptr;

protected:
    // Sequence is owned by the window; DesignCaption is the title without a language file.
    TTransferWindow(std::unique_ptr<TTransferSequence> Sequence, const QString& DesignCaption, QWidget* Parent);

    TTransferSequence& sequence() { return *sequence_; }
    const TTransferSequence& sequence() const { return *sequence_; }

    // Only called while LanguageLoaded: the title for the mode, button texts, and the held panel
    // texts PanelTekst0.. in panelTexts_.
    virtual void ApplyTexts() = 0;

    // Held panel texts (Latin-1 bytes); they stay empty without a language file.
    std::array<std::string, 12> panelTexts_{};

    void showEvent(QShowEvent* Event) override;
    // No close box: Escape and a close request from the window system act as Cancel.
    void reject() override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void ShowView();

    std::unique_ptr<TTransferSequence> sequence_;
};
