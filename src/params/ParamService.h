#pragma once
// TFormParamService: the modal dialog in which one parameter - the one SelectedParameter
// describes - is edited: a choice list for option parameters, an entry field that takes only
// what the parameter can hold for numeric ones. OK takes the value over into ParameterValues;
// Zenden also writes it to the controller ("wp"), Laad par has the controller compute ("bp").

#include <QDialog>

#include <array>
#include <string>

#include "comm/ZBComm.h"
#include "params/core/ParamEntry.h"
#include "params/core/ParamServiceExchange.h"

class QComboBox;
class QLabel;
class QPushButton;
class TFilteredLineEdit;

class TFormParamService : public QDialog {
    Q_OBJECT
public:
    // Both protocol components are bound to Port (the main window's ZBComm1).
    explicit TFormParamService(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormParamService() override;

    // Opens the dialog modally for SelectedParameter; true when it closed with OK.
    bool Execute();

    // FormActivate: texts, limits, the value and the enabled buttons. Runs on showing.
    void FormActivate();
    void CmdOKClick();
    void CmdZendenClick();
    void CmdBerParClick();
    void CmdDefaultClick();
    void CmdCancelClick();
    // Validates the entry and takes it over into ParameterValues; false (with a red status line)
    // when it was refused.
    bool TestIngave();

    bool OptionParameter() const { return optionParameter_; }
    const TEntryLimits& Limits() const { return limits_; }
    int IntegerDigits() const { return limits_.IntegerDigits; }
    QString StatusText() const;
    bool StatusRed() const { return exchange_.StatusRed(); }
    bool Busy() const { return exchange_.Busy(); }
    TParamServiceExchange& Exchange() { return exchange_; }

    QLabel* LabelMin = nullptr;
    QLabel* LabelMax = nullptr;
    QLabel* LabelDefault = nullptr;
    QLabel* PanelMin = nullptr;
    QLabel* PanelMax = nullptr;
    QLabel* PanelDefault = nullptr;
    QLabel* LabelParData = nullptr;
    QComboBox* ComboParData = nullptr;
    TFilteredLineEdit* MaskEditParData = nullptr;
    QLabel* PanelService = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdZenden = nullptr;
    QPushButton* CmdCancel = nullptr;
    QPushButton* CmdDefault = nullptr;
    QPushButton* CmdBerPar = nullptr;

    // No close box; Escape closes, but only while no request is outstanding.
    void reject() override;

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void ApplyTexts();
    void ShowStatus();
    void EnableButtons();
    void DisableButtons();

    TParamServiceExchange exchange_;
    int number_ = -1;
    bool optionParameter_ = false;
    TEntryLimits limits_;
    // Held status texts PanelTekst0..10 (Latin-1); empty without a language file.
    std::array<std::string, 11> panelTexts_{};
};

// The program's one single-parameter dialog (null until created).
extern TFormParamService* FormParamService;
