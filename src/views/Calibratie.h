#pragma once
// TFormCalibratie: the calibration window of the analogue voltage and current output (shown from
// the main window's "Calibratie" button). Its texts are built in (Dutch). The exchanges and what
// the replies unlock are TCalibrationSession's; the window shows them and, on closing, warns when
// written offsets or gains are not yet stored in the controller's EEPROM and offers to end a
// calibration mode the controller is still in.

#include "views/core/CalibrationSession.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TFormMain;

class TFormCalibratie : public QDialog {
    Q_OBJECT
public:
    explicit TFormCalibratie(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormCalibratie() override;

    void FormActivate();
    // True when the window may close (asks first when values are unsaved or the controller is
    // still in calibration mode; ending it queues "kf 0" and "km 0").
    bool FormClose();

    TCalibrationSession& Session() { return session_; }

    QGroupBox* GroupBox1 = nullptr; // Spanning
    QGroupBox* GroupBox2 = nullptr; // Stroom
    QGroupBox* GroupBox3 = nullptr; // Calibratie mode
    QGroupBox* GroupBox4 = nullptr; // DA Select
    QSpinBox* SpinEdit_Offset_U = nullptr;
    QSpinBox* SpinEdit_Gain_U = nullptr;
    QSpinBox* SpinEdit_Offset_I = nullptr;
    QSpinBox* SpinEdit_Gain_I = nullptr;
    QSpinBox* SpinEdit1 = nullptr; // Umin
    QSpinBox* SpinEdit2 = nullptr; // Unul
    QSpinBox* SpinEdit3 = nullptr; // Umax
    QSpinBox* SpinEdit6 = nullptr; // Imin
    QSpinBox* SpinEdit7 = nullptr; // Inul
    QSpinBox* SpinEdit8 = nullptr; // Imax
    QPushButton* CmdSetUmin = nullptr;
    QPushButton* CmdSetUnul = nullptr;
    QPushButton* CmdSetUmax = nullptr;
    QPushButton* CmdSetImin = nullptr;
    QPushButton* CmdSetInul = nullptr;
    QPushButton* CmdSetImax = nullptr;
    QPushButton* CmdSaveToEEPROM = nullptr;
    QPushButton* CmdSetKalibtatieMode = nullptr;
    QPushButton* CmdResCalibtatieMode = nullptr;
    QPushButton* CmdSet_U_actief = nullptr;
    QPushButton* CmdSet_I_actief = nullptr;
    QPushButton* CmdSet_I_InActief = nullptr;
    QLabel* Panel1 = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;
    // Escape and the close box come here: closing may be refused (unsaved values).
    void reject() override;

private:
    QGroupBox* channelGroup(const QString& Caption, const QString& Name, QSpinBox*& Offset, QSpinBox*& Gain,
                            std::array<QSpinBox**, 3> References, std::array<QPushButton**, 3> Buttons,
                            const std::array<QString, 3>& ReferenceNames, const std::array<QString, 3>& ButtonNames,
                            int ReferenceLimit, const QString& Letter, const QString& Unit);
    void showView();
    void setGroupEnabled(QGroupBox* Group, bool Enabled);
    QSpinBox* boxOf(int Code) const;

    TCalibrationSession session_;
    bool filling_ = false;
};

// The program's one calibration window (null until created).
extern TFormCalibratie* FormCalibratie;

// Creates the calibration window (a child of the main window, bound to its port) and hooks it into
// the main window's calibration button.
void InstallCalibration(TFormMain& Main);
