#pragma once
// TFormApparaatZoeken: the device search window. The search itself is TDeviceSearch
// (comm/DeviceSearch.h) on the main window's port; the window shows its state, lists every find in
// StringGrid1 (which grows past its 31 data rows when more units answer), saves the list as CSV,
// and on OK hands the chosen unit number and line settings over.

#include "comm/DeviceSearch.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

class TFormApparaatZoeken : public QDialog {
    Q_OBJECT
public:
    static constexpr int DesignDataRows = 31;

    explicit TFormApparaatZoeken(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormApparaatZoeken() override;

    // Sets the main window's unit number on OK (SelecteerApparaat).
    std::function<void(int Unit)> SetUnitNumber;

    void FormActivate();
    void CmdStartZoekenClick();
    void CmdStopClick();
    void CmdVerderClick();
    void CmdOKClick();
    void CmdCancelClick();
    void CmdSaveCsvClick();
    // Backs up every listed unit into a folder the user chooses (TFormLijnBackup).
    void CmdBackupAllClick();
    void SelecteerApparaat(int Row);
    void ClearStringGrid();
    void ClearPanels();

    TDeviceSearch& Search() { return search_; }
    // The last search ended on a lost line and said so (until the next Start).
    bool LineLostReported() const { return lineLostReported_; }
    // The texts of the grid's found rows, in order.
    std::vector<TFoundDeviceTexts> FoundRows() const;

    QTableWidget* StringGrid1 = nullptr;
    QLabel* LabelStartenMet = nullptr;
    QComboBox* ComboBaudRate = nullptr;
    QGroupBox* GroupBoxParity = nullptr;
    QRadioButton* RB_parity_com = nullptr;
    QRadioButton* RB_parity_auto = nullptr;
    QGroupBox* GroupBoxStopBits = nullptr;
    QRadioButton* RB_stopbits_com = nullptr;
    QRadioButton* RB_stopbits_auto = nullptr;
    QLabel* Panel_parity_N = nullptr;
    QLabel* Panel_parity_O = nullptr;
    QLabel* Panel_parity_E = nullptr;
    QLabel* Panel_stopbits_1 = nullptr;
    QLabel* Panel_stopbits_2 = nullptr;
    QLabel* PanelZoekTekst = nullptr;
    QLabel* PanelBaudtare = nullptr;
    QLabel* PanelApparaatNo = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdVerder = nullptr;
    QPushButton* CmdStartZoeken = nullptr;
    QPushButton* CmdStop = nullptr;
    QPushButton* CmdCancel = nullptr;
    QPushButton* CmdSaveCsv = nullptr;
    QPushButton* CmdBackupAll = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;
    // Escape and the close box act as Cancel: the saved settings come back.
    void reject() override;

private:
    void applyTexts();
    void nameValueControls();
    void showProbe();
    void addFoundRow(const TFoundDevice& Device);
    void setSearchControls(bool Idle);
    void showIndicators();
    void showStoppedState();

    TZBComm& port_;
    TDeviceSearch search_;
    bool lineLostReported_ = false;
    int nextRow_ = 0; // data row of the next find (the header row is the table header)
    // Held texts: searching, stopped, finished, found (PanelTekst0..3); empty without a language file.
    std::array<QString, 4> heldTexts_;
    QString designCsvCaption_;
};

// The program's one device search window (null until created).
extern TFormApparaatZoeken* FormApparaatZoeken;
