#pragma once
// TFormInitSerial: the program's serial settings window for the main window's port. Opening it
// closes the port; OK stores the chosen settings in the port and opens it (an error keeps the
// window open), Cancel leaves the port closed. All texts and list items come from section
// "InitCom" of the language file.
//
// Beside the port name the window shows the device each COM name opens on this machine, and lets
// the user assign one of the serial devices present to the selected name (kept in [Poorten] of
// application.ini when the program ends).

#include "comm/SerialPortDiscovery.h"
#include "comm/ZBComm.h"

#include <QDialog>
#include <QString>

#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

class TFormInitSerial : public QDialog {
    Q_OBJECT
public:
    explicit TFormInitSerial(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormInitSerial() override;

    // Where the device list looks (tests use a directory of their own).
    void SetDiscoveryRoots(const TDiscoveryRoots& Roots) { roots_ = Roots; }

    void FormActivate();
    void ComboPoortClick();
    void ComboApparaatChange();
    // A device typed into the field (a network port, rfc2217://HOST:PORT, or a path not listed).
    void ComboApparaatTyped();
    void CmdOKClick();
    void CmdCancelClick();

    // The device the selected port name will open once OK is pressed.
    std::string PendingDevicePath(TPort Port) const;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QComboBox* ComboPoort = nullptr;
    QComboBox* Combo_IO = nullptr;
    QComboBox* ComboBaud = nullptr;
    QComboBox* ComboDataBits = nullptr;
    QComboBox* ComboParity = nullptr;
    QComboBox* ComboStopBits = nullptr;
    QComboBox* ComboHardware = nullptr;
    QComboBox* ComboPortType = nullptr;
    QComboBox* ComboReceiver = nullptr;
    QComboBox* ComboTransmitter = nullptr;
    // The port's fast end of reply (Extended page): the one extended setting the user may change.
    QCheckBox* CheckFastReplyEnd = nullptr;
    QLabel* LabelPoort = nullptr;
    QLabel* Label_IO = nullptr;
    QLabel* LabelBaud = nullptr;
    QLabel* LabelDataBits = nullptr;
    QLabel* LabelParity = nullptr;
    QLabel* LabelStopBits = nullptr;
    QLabel* LabelHardware = nullptr;
    QLabel* LabelPortType = nullptr;
    QLabel* LabelReceiver = nullptr;
    QLabel* LabelTransmitter = nullptr;
    // The device behind the selected port name: its default or one of the devices present.
    QLabel* LabelApparaat = nullptr;
    QComboBox* ComboApparaat = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void applyTexts();
    void selectCurrentValues();
    void showPortDevices();
    void fillDeviceList();

    TZBComm& port_;
    TDiscoveryRoots roots_;
    std::vector<TDiscoveredPort> discovered_;
    // Per port name: the device it opens after OK ("" = its default device).
    std::array<std::string, 16> pending_;
    std::array<QString, 16> portItemTexts_; // the language file's port items, without the devices
    QString defaultDeviceText_ = QStringLiteral("standaard"); // marks a port name's built-in device
    bool filling_ = false;
};

// The program's one serial settings window (null until created).
extern TFormInitSerial* FormInitSerial;
