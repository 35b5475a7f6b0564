#pragma once
// The main window: owner of the one serial port ZBComm1, the status bar, the live display panels
// and the main menu through which every other window is reached.
//
// Windows that are added later hook in through TFormMain::Windows (set by the program entry):
// the menu item keeps its own steps (stopping the live polls, switching Timer1 off, closing and
// reopening the port around the device search) and calls the hook to show the window.
#include "app/core/Global_var.h"
#include "comm/KT750Protocol.h"
#include "comm/ZBComm.h"
#include "device/core/ErrorStatus.h"
#include "device/core/IdentificationChain.h"
#include "device/core/TerminalHistory.h"
#include "device/core/ThumbwheelChain.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // programDir: the directory data files are read from (with or without trailing separator);
    // empty means the directory of the program file. arguments: the command-line arguments
    // after the program name (the first one is compared with "adjustkit").
    explicit TFormMain(const QString& programDir = {}, const QStringList& arguments = {},
                       QWidget* parent = nullptr);
    ~TFormMain() override;

    // --- hooks for the windows of later parts ------------------------------------------------
    struct ReadEverythingResult {
        TParameterValues parameters{}; // numbers 0..399
        TSetpointValues setpoints{};   // numbers 1..48 (index 0 unused)
    };
    struct TWindows {
        std::function<void()> ParameterEditor;  // Par11 (modal)
        std::function<void()> SetpointEditor;   // Par21 (modal)
        std::function<void()> SerialSettings;   // Serial1 (modal)
        std::function<void()> Options;          // ww1 (modal); calls LezenTeksten on OK
        // KM40ontvangen1: the read window in mode 2, modal; a value only on OK.
        std::function<std::optional<ReadEverythingResult>()> ReadEverything;
        std::function<void()> Backup;           // Backup1
        std::function<void()> Restore;          // Restore1
        // KM40zoeken1 (modal, port closed meanwhile); true when it told the user the line was lost.
        std::function<bool()> DeviceSearch;
        std::function<void()> CamDisplay;       // displaynokken1 (modal)
        std::function<void()> LiveGraph;        // Grafiek1 (modal, Timer1 off meanwhile)
        std::function<void()> Linearisation;    // Grafiek2 (modal)
        std::function<void()> About;            // FormAbout (modal)
        std::function<void()> ErrorHelp;        // Errno1 (modeless)
        std::function<void()> Calibration;      // CmdCalibratie (modal)
        // The printouts, started from the parameter and setpoint editors (modal).
        std::function<void()> ParameterPrintout;
        std::function<void()> SetpointPrintout;
    } Windows;

    // Object names of the windows during whose activity the main window keeps quiet
    // (no "rf", no identification): the device search, read and write windows.
    static constexpr const char* DeviceSearchWindowName = "FormApparaatZoeken";
    static constexpr const char* LineBackupWindowName = "FormLijnBackup";
    static constexpr const char* ReadWindowName = "FormLeesParSoll";
    static constexpr const char* WriteWindowName = "FormSchrijfParSoll";
    // The single-parameter dialog: a poll that timed out on a slow controller would answer late,
    // inside the dialog's own longer wait, and be taken for its reply.
    static constexpr const char* ParameterDialogWindowName = "FormParamService";

    // --- creation and closing -----------------------------------------------------------------
    void FormCreate();
    void FormClose();
    // Applies the texts of the language file (also after the Options window's OK).
    void LezenTeksten();
    // Stops the actual-value, thumbwheel and I/O polls before an editor or transfer window opens.
    void StopLivePolls();
    // Rebuilds the function labels of the inputs and outputs.
    void InputFunctieTeksten();
    void OutputFunctieTeksten();
    // Gives the sixteen input and output lamps the neutral colour.
    void Disable_checkboxen_status_klemmen();

    // --- connection and identification --------------------------------------------------------
    void CmdSelectUnitClick();
    void ZBComm1Activate(TObject* Sender);
    void ZBComm1Deactivate(TObject* Sender);
    void KT750UnitSelectCommResult(TObject* Sender, TMemoryStream& Result);
    void KT750TypeInfoCommResult(TObject* Sender, TMemoryStream& Result);
    // A failed identification request: "?" in its panel, the communication error, the chain ends.
    void KT750TypeInfoCommError(TObject* Sender, TCommError& CommError, TMemoryStream& Result);
    // The shared error handler of KT750UnitSelect, KT750_in, KT750Protocol1 and KT750ReadError.
    void KT750UnitSelectCommError(TObject* Sender, TCommError& CommError, TMemoryStream& Result);

    // --- error status and terminal ------------------------------------------------------------
    void Timer1Timer();
    void KT750ReadErrorCommResult(TObject* Sender, TMemoryStream& Result);
    void KT750ResetErrorCommResult(TObject* Sender, TMemoryStream& Result);
    void CmdResetErrorClick();
    void CmdTerminalZendenClick();
    void KT750Protocol1CommResult(TObject* Sender, TMemoryStream& Result);

    // --- live values, thumbwheels, inputs and outputs (src/device/MainLivePolls.cpp) -----------
    void CmdActualClick();
    void CmdDuimwielClick();
    void CmdInUitClick();
    // Toggles: switch the poll on, or off when it runs.
    void ActualActief();
    void DuimwielActief();
    void InUitActief();
    void KT750DuimwielCommResult(TObject* Sender, TMemoryStream& Result);
    void KT750DuimwielCommError(TObject* Sender, TCommError& CommError, TMemoryStream& Result);
    // Shows a thumbwheel reply or failure in its panel and asks for the next thumbwheel.
    void showThumbwheelStep(const device::ThumbwheelChain::Outcome& Outcome);

    // --- menu ---------------------------------------------------------------------------------
    void Exit1Click();
    void Par11Click();
    void Par21Click();
    void Serial1Click();
    void ww1Click();
    void KM40ontvangen1Click();
    void Backup1Click();
    void Restore1Click();
    void KM40zoeken1Click();
    void displaynokken1Click();
    void Grafiek1Click();
    void Grafiek2Click();
    void FormAboutClick();
    void Errno1Click();
    void CmdCalibratieClick();

    // The text of status bar panel 0..5.
    QString StatusPanelText(int index) const;
    // The activity dots of the error replies (status panel 5 while the port is open).
    const std::string& ErrorActivityDots() const { return errorDots_.Text(); }

    // --- components ---------------------------------------------------------------------------
    TZBComm ZBComm1;
    TKT750Protocol KT750UnitSelect;
    TKT750Protocol KT750TypeInfo;
    TKT750Protocol KT750ReadError;
    TKT750Protocol KT750ResetError;
    TKT750Protocol KT750Protocol1; // terminal
    // Live values and inputs/outputs (their polls are switched by CmdActual, CmdDuimwiel, CmdInUit).
    TKT750Protocol KT750ActPos;
    TKT750Protocol KT750ActPosLin;
    TKT750Protocol KT750Snelheid;
    TKT750Protocol KT750Spanning;
    TKT750Protocol KT750Stroom;
    TKT750Protocol KT750Duimwiel;
    TKT750Protocol KT750_in;
    TKT750Protocol KT750_uit;
    TKT750Protocol KT750_data_in;
    TKT750Protocol KT750_data_uit;

    // --- controls (object names are these member names) ---------------------------------------
    QPushButton* CmdSelectUnit = nullptr;
    QSpinBox* SpinEditUnitSelect = nullptr;
    QLabel* PanelComInfo = nullptr;
    QLabel* PanelErrorNo = nullptr;

    QGroupBox* GroepIngangen = nullptr;
    QGroupBox* GroepUitgangen = nullptr;
    QGroupBox* GroepData_IO = nullptr;
    QGroupBox* GroepActual = nullptr;
    QGroupBox* GroepDuimwiel = nullptr;
    QGroupBox* GroepTerminal = nullptr;

    QFrame* TB_K0 = nullptr;
    std::array<QFrame*, 6> Tb_in{};       // Tb_in1 .. Tb_in5, TB_in6
    std::array<QFrame*, 9> TbUitgang{};   // TbUitgang1 .. TbUitgang9
    QLabel* LabelFun_K0 = nullptr;
    std::array<QLabel*, 6> LabelFun_in{}; // LabelFun_in1 .. LabelFun_in6
    std::array<QLabel*, 9> LabelFun_uit{};

    QLabel* LabelDataIn = nullptr;
    QLabel* LabelDataUit = nullptr;
    QLabel* PanelData_IO_in = nullptr;
    QLabel* PanelData_IO_uit = nullptr;

    QLabel* LabelActualPositie = nullptr;
    QLabel* LabelActualSnelheid = nullptr;
    QLabel* LabelActualSpanning = nullptr;
    QLabel* LabelActualStroom = nullptr;
    QLabel* LabelActualLinPos = nullptr;
    QLabel* PanelActPos = nullptr;
    QLabel* PanelSnelheid = nullptr;
    QLabel* PanelSpanning = nullptr;
    QLabel* PanelStroom = nullptr;
    QLabel* PanelActPosLin = nullptr;
    std::array<QLabel*, 4> Panel_DW{}; // Panel_DW1 .. Panel_DW4

    QLineEdit* EditZenden = nullptr;
    QPushButton* CmdTerminalZenden = nullptr;
    QPlainTextEdit* MemoReceive = nullptr;

    QPushButton* CmdActual = nullptr;
    QPushButton* CmdInUit = nullptr;
    QPushButton* CmdDuimwiel = nullptr;
    QPushButton* CmdResetError = nullptr;
    QPushButton* CmdCalibratie = nullptr;

    std::array<QLabel*, 6> StatusPanels{}; // StatusPanel0 .. StatusPanel5

    QTimer* Timer1 = nullptr;

    // Main menu (object names are these member names; a top-level menu's action carries it too).
    QMenu* File1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Edit = nullptr;
    QAction* Par11 = nullptr;
    QAction* Par21 = nullptr;
    QMenu* Extra = nullptr;
    QAction* Serial1 = nullptr;
    QAction* ww1 = nullptr;
    QMenu* Zendenenontvangen1 = nullptr;
    QAction* KM40ontvangen1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Backup1 = nullptr;
    QAction* Restore1 = nullptr;
    QAction* N2 = nullptr;
    QAction* KM40zoeken1 = nullptr;
    QMenu* Venster = nullptr;
    QAction* displaynokken1 = nullptr;
    QAction* Grafiek1 = nullptr;
    QAction* Grafiek2 = nullptr;
    QMenu* Info1 = nullptr;
    QAction* FormAbout = nullptr;
    QAction* Errno1 = nullptr;

signals:
    // The main window has closed: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void buildStatusBar();
    void bindComponents();
    void bindLivePolls();
    void applyWindowFrame();
    void setPortDependentMenuItems(bool enabled);
    void setStatusPanel(int index, const QString& text);
    void showComError(const QString& text);
    void unitNotProven();
    // The error says the line is gone: reported once, the port closed. True when it did.
    bool lineLost(const TCommError& Error);
    bool isActiveWindow(const char* objectName) const;
    void sendFromTerminalShortcut();

    QString programDirOverride_;
    QStringList arguments_;
    bool closed_ = false;
    bool centred_ = false;
    // "sc n" came back as "sc n": until then no poll takes a value, which might be another unit's.
    bool unitProven_ = false;

    device::IdentificationChain identification_;
    device::TerminalHistory terminalHistory_; // texts sent from EditZenden in this run
    bool terminalListing_ = false;            // the memo lists several commands with their replies
    device::ErrorActivityDots errorDots_;
    device::ThumbwheelChain thumbwheels_;

    // Held texts: applied whenever the state they belong to changes.
    QString heldCmdIO_ON, heldCmdIO_OFF;
    QString heldCmdActual_ON, heldCmdActual_OFF;
    QString heldCmdDuimwiel_ON, heldCmdDuimwiel_OFF;
    QString heldCmdComOpen, heldCmdComClose;
    QString heldPanelTekst0, heldPanelTekst1;
};

// The single main window of the program (null before it is created and after it is gone).
extern TFormMain* FormMain;
