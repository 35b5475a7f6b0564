#pragma once
// TFormParLoader: the small modal window that has the controller compute its internal values from
// its parameter set ("bp") and shows whether it accepted them. Opening it sends "bp" at once; OK
// closes it at any time. Any computation reply, also one that arrives after the window closed,
// clears ParametersSentNotLoaded.

#include <QDialog>

#include <array>
#include <string>

#include "comm/ZBComm.h"
#include "params/core/ComputeParameters.h"

class QLabel;
class QPushButton;

class TFormParLoader : public QDialog {
    Q_OBJECT
public:
    // KT750ParLoader is bound to Port (the main window's ZBComm1).
    explicit TFormParLoader(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormParLoader() override;

    // FormActivate: texts, then "bp". Runs on showing.
    void FormActivate();
    void CmdOKClick();

    QString PanelText() const;
    bool PanelRed() const;

    TComputeParameters& Computation() { return computation_; }

    QLabel* Panel1 = nullptr;
    QPushButton* CmdOK = nullptr;

    void done(int Result) override;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void ApplyTexts();
    void ShowView();

    TComputeParameters computation_;
    // Held panel texts PanelTekst0..6 (Latin-1); empty without a language file.
    std::array<std::string, 7> panelTexts_{};
};

// The program's one loader window (null until created).
extern TFormParLoader* FormParLoader;
