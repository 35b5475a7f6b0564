#pragma once
// TZBSetupCommForm: the serial library's own settings window for a port, on two pages
// ("Port configuration", "Extended"), in English or German. OK (only while the port is closed)
// writes every selection into the port. The lists of the Extended page are kept consistent with
// each other by the port component's own rules.

#include "comm/ZBComm.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

class TZBSetupCommForm : public QDialog {
    Q_OBJECT
public:
    // Language: zbLangEnglish or zbLangGerman (ZBCompsResources.h).
    TZBSetupCommForm(int Language, QWidget* Parent = nullptr);

    // Gives the window its port; the pages are enabled and show the port's values when it activates.
    void SetPort(TZBComm* Port) { port_ = Port; }
    int Language() const { return language_; }
    // "ZBInitCommE.hlp" or "ZBInitComm.hlp".
    QString HelpFile() const;

    void FormActivate();
    void CBAnschlussChange();
    void CBHardwareChange();
    void CBTypChange();
    void CBEmpfangenChange();
    void CBSendenChange();
    void OKButtonClick();

    QTabWidget* PageControl = nullptr;
    QWidget* TSAnschluss = nullptr;
    QWidget* TSErweitert = nullptr;
    QComboBox* CBAnschluss = nullptr;
    QComboBox* CBBereich = nullptr;
    QComboBox* CBBaudrate = nullptr;
    QComboBox* CBDatenbits = nullptr;
    QComboBox* CBParitaet = nullptr;
    QComboBox* CBStopbits = nullptr;
    QComboBox* CBHardware = nullptr;
    QComboBox* CBTyp = nullptr;
    QComboBox* CBEmpfangen = nullptr;
    QComboBox* CBSenden = nullptr;
    QLabel* PortLabel = nullptr;
    QLabel* IORangeLabel = nullptr;
    QLabel* BaudrateLabel = nullptr;
    QLabel* DatabitsLabel = nullptr;
    QLabel* ParityLabel = nullptr;
    QLabel* StopbitsLabel = nullptr;
    QLabel* HardwareLabel = nullptr;
    QLabel* PortTypeLabel = nullptr;
    QLabel* ReceiverLabel = nullptr;
    QLabel* TransmitterLabel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void updateTitle();
    // Runs one consistency rule on the selections (held in a closed scratch port, so the rules are
    // the port component's own), then shows the outcome in the four lists of page Extended.
    void applyRule(const std::function<void(TZBComm&)>& Rule);
    void showExtended();

    int language_;
    TZBComm* port_ = nullptr;
    std::unique_ptr<TZBComm> selections_;
};
