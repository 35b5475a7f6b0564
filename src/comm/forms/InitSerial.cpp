#include "comm/forms/InitSerial.h"

#include "app/Dialogs.h"
#include "app/core/CommaText.h"
#include "app/core/Global_var.h"
#include "comm/PortNames.h"
#include "params/Latin1Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

TFormInitSerial* FormInitSerial = nullptr;

namespace {

constexpr char Section[] = "InitCom";
// Between a port name and the device it opens.
const QString DeviceSeparator = QStringLiteral(" \u2014 ");

QComboBox* list(const QString& Name, bool DesignItems, QWidget* Parent)
{
    auto* combo = new QComboBox(Parent);
    combo->setObjectName(Name);
    if (DesignItems)
        combo->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                         QStringLiteral("5")});
    combo->setMinimumWidth(150);
    return combo;
}

QLabel* label(const QString& Caption, const QString& Name, QComboBox* Buddy, QWidget* Parent)
{
    auto* l = new QLabel(Caption, Parent);
    l->setObjectName(Name);
    l->setBuddy(Buddy);
    Buddy->setAccessibleName(Caption);
    return l;
}

void setLabel(QLabel* Label, const char* Key, const char* Default)
{
    const QString caption = Latin1(LanguageFile.ReadString(Section, Key, Default));
    Label->setText(caption);
    if (Label->buddy())
        Label->buddy()->setAccessibleName(caption);
}

void setItems(QComboBox* Combo, const char* Key)
{
    Combo->clear();
    for (const std::string& item : SplitCommaText(LanguageFile.ReadString(Section, Key, "")))
        Combo->addItem(Latin1(item));
}

// Selects the item of an ordinal; an ordinal the list has no item for leaves it without selection.
void selectOrdinal(QComboBox* Combo, int Index)
{
    Combo->setCurrentIndex(Index >= 0 && Index < Combo->count() ? Index : -1);
}

// The setting behind a list only changes when the list has a selection that names a value.
template <typename E, typename Setter>
void storeSelection(const QComboBox* Combo, int Offset, Setter Set)
{
    if (Combo->currentIndex() < 0)
        return;
    if (const auto value = EnumFromOrdinal<E>(Combo->currentIndex() + Offset))
        Set(*value);
}

std::string overrideOf(TPort Port)
{
    const std::string path = PortDevicePath(Port);
    return path == DefaultPortDevicePath(Port) ? std::string() : path;
}

} // namespace

TFormInitSerial::TFormInitSerial(TZBComm* Port, QWidget* Parent) : QDialog(Parent), port_(*Port)
{
    FormInitSerial = this;
    setObjectName(QStringLiteral("FormInitSerial"));
    setModal(true);
    setWindowTitle(QStringLiteral("Seriele poort"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Interface"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Extended"));

    ComboPoort = list(QStringLiteral("ComboPoort"), false, TabSheet1);
    ComboPoort->setMinimumWidth(260);
    ComboApparaat = list(QStringLiteral("ComboApparaat"), false, TabSheet1);
    ComboApparaat->setMinimumWidth(260);
    ComboApparaat->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // Besides the devices found, a device can be typed: a network port (rfc2217://HOST:PORT or
    // tcp://HOST:PORT) or a path that is not plugged in now.
    ComboApparaat->setEditable(true);
    ComboApparaat->setInsertPolicy(QComboBox::NoInsert);
    Combo_IO = list(QStringLiteral("Combo_IO"), true, TabSheet1);
    Combo_IO->setEnabled(false);
    ComboBaud = list(QStringLiteral("ComboBaud"), true, TabSheet1);
    ComboDataBits = list(QStringLiteral("ComboDataBits"), true, TabSheet1);
    ComboParity = list(QStringLiteral("ComboParity"), true, TabSheet1);
    ComboStopBits = list(QStringLiteral("ComboStopBits"), true, TabSheet1);
    LabelPoort = label(QStringLiteral("Poort"), QStringLiteral("LabelPoort"), ComboPoort, TabSheet1);
    LabelApparaat = label(QStringLiteral("Apparaat"), QStringLiteral("LabelApparaat"), ComboApparaat, TabSheet1);
    Label_IO = label(QStringLiteral("IO"), QStringLiteral("Label_IO"), Combo_IO, TabSheet1);
    LabelBaud = label(QStringLiteral("Baud"), QStringLiteral("LabelBaud"), ComboBaud, TabSheet1);
    LabelDataBits = label(QStringLiteral("Bits"), QStringLiteral("LabelDataBits"), ComboDataBits, TabSheet1);
    LabelParity = label(QStringLiteral("Parity"), QStringLiteral("LabelParity"), ComboParity, TabSheet1);
    LabelStopBits = label(QStringLiteral("stopbits"), QStringLiteral("LabelStopBits"), ComboStopBits, TabSheet1);
    auto* page1 = new QFormLayout(TabSheet1);
    page1->addRow(LabelPoort, ComboPoort);
    page1->addRow(LabelApparaat, ComboApparaat);
    page1->addRow(Label_IO, Combo_IO);
    page1->addRow(LabelBaud, ComboBaud);
    page1->addRow(LabelDataBits, ComboDataBits);
    page1->addRow(LabelParity, ComboParity);
    page1->addRow(LabelStopBits, ComboStopBits);

    // The hardware settings are shown, not changed; only the fast end of reply can be chosen here.
    ComboHardware = list(QStringLiteral("ComboHardware"), true, TabSheet2);
    ComboPortType = list(QStringLiteral("ComboPortType"), true, TabSheet2);
    ComboReceiver = list(QStringLiteral("ComboReceiver"), true, TabSheet2);
    ComboTransmitter = list(QStringLiteral("ComboTransmitter"), true, TabSheet2);
    LabelHardware = label(QStringLiteral("hardware"), QStringLiteral("LabelHardware"), ComboHardware, TabSheet2);
    LabelPortType = label(QStringLiteral("Poorttype"), QStringLiteral("LabelPortType"), ComboPortType, TabSheet2);
    LabelReceiver = label(QStringLiteral("Receiver"), QStringLiteral("LabelReceiver"), ComboReceiver, TabSheet2);
    LabelTransmitter =
        label(QStringLiteral("Transmitter"), QStringLiteral("LabelTransmitter"), ComboTransmitter, TabSheet2);
    auto* page2 = new QFormLayout(TabSheet2);
    page2->addRow(LabelHardware, ComboHardware);
    page2->addRow(LabelPortType, ComboPortType);
    page2->addRow(LabelReceiver, ComboReceiver);
    page2->addRow(LabelTransmitter, ComboTransmitter);
    for (QComboBox* combo : {ComboHardware, ComboPortType, ComboReceiver, ComboTransmitter})
        combo->setEnabled(false);
    CheckFastReplyEnd = new QCheckBox(QStringLiteral("Fast end of reply (at CR LF, not after 50 ms of silence)"), TabSheet2);
    CheckFastReplyEnd->setObjectName(QStringLiteral("CheckFastReplyEnd"));
    page2->addRow(CheckFastReplyEnd);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdCancel = new QPushButton(QStringLiteral("Cansel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);

    connect(ComboPoort, qOverload<int>(&QComboBox::activated), this, &TFormInitSerial::ComboPoortClick);
    connect(ComboPoort, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        if (!filling_)
            fillDeviceList();
    });
    connect(ComboApparaat, qOverload<int>(&QComboBox::activated), this, &TFormInitSerial::ComboApparaatChange);
    connect(ComboApparaat->lineEdit(), &QLineEdit::editingFinished, this, &TFormInitSerial::ComboApparaatTyped);
    connect(CmdOK, &QPushButton::clicked, this, &TFormInitSerial::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormInitSerial::CmdCancelClick);
}

TFormInitSerial::~TFormInitSerial()
{
    if (FormInitSerial == this)
        FormInitSerial = nullptr;
}

void TFormInitSerial::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormInitSerial::FormActivate()
{
    try {
        port_.Close();
    } catch (const std::exception& e) {
        AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
    }
    applyTexts();
    for (int i = 0; i < 16; ++i)
        pending_[static_cast<std::size_t>(i)] = overrideOf(static_cast<TPort>(i));
    discovered_ = DiscoverSerialPorts(roots_);
    selectCurrentValues();
    PageControl1->setCurrentIndex(0);
}

void TFormInitSerial::applyTexts()
{
    if (!LanguageLoaded)
        return;
    setWindowTitle(Latin1(LanguageFile.ReadString(Section, "Caption", "Seriele poort")));
    PageControl1->setTabText(0, Latin1(LanguageFile.ReadString(Section, "RegInterface", "Interface")));
    PageControl1->setTabText(1, Latin1(LanguageFile.ReadString(Section, "RegExtended", "Extended")));
    CmdOK->setText(Latin1(LanguageFile.ReadString(Section, "CmdOK", "OK")));
    CmdCancel->setText(Latin1(LanguageFile.ReadString(Section, "CmdCancel", "Cancel")));
    setLabel(LabelPoort, "PortLabel", "Poort");
    setLabel(LabelApparaat, "DeviceLabel", "Apparaat");
    defaultDeviceText_ = Latin1(LanguageFile.ReadString(Section, "DeviceDefault", "standaard"));
    setLabel(Label_IO, "IOLabel", "IO");
    setLabel(LabelBaud, "BaudLabel", "Baud");
    setLabel(LabelDataBits, "DatabitLabel", "Bits");
    setLabel(LabelParity, "ParityLabel", "Parity");
    setLabel(LabelStopBits, "StopbitLabel", "stopbits");
    setLabel(LabelHardware, "HardwareLabel", "hardware");
    setLabel(LabelPortType, "PortTypeLabel", "Poorttype");
    setLabel(LabelReceiver, "ReceiverLabel", "Receiver");
    setLabel(LabelTransmitter, "TransmitterLabel", "Transmitter");
    CheckFastReplyEnd->setText(Latin1(LanguageFile.ReadString(
        Section, "FastReplyEnd", "Fast end of reply (at CR LF, not after 50 ms of silence)")));
    CheckFastReplyEnd->setToolTip(Latin1(LanguageFile.ReadString(Section, "FastReplyEndHint", "")));
    CheckFastReplyEnd->setAccessibleDescription(CheckFastReplyEnd->toolTip());
    filling_ = true;
    setItems(ComboPoort, "PortItems");
    filling_ = false;
    for (int i = 0; i < 16; ++i)
        portItemTexts_[static_cast<std::size_t>(i)] = i < ComboPoort->count() ? ComboPoort->itemText(i) : QString();
    setItems(Combo_IO, "IOItems");
    setItems(ComboBaud, "BaudItems");
    setItems(ComboDataBits, "DataBitItems");
    setItems(ComboParity, "ParityItems");
    setItems(ComboStopBits, "StopbitItems");
    setItems(ComboHardware, "HardwareItems");
    setItems(ComboPortType, "PortTypeItems");
    setItems(ComboReceiver, "ReceiverItems");
    setItems(ComboTransmitter, "TransmitterItems");
}

void TFormInitSerial::selectCurrentValues()
{
    filling_ = true;
    selectOrdinal(ComboPoort, Ordinal(port_.PortName()));
    filling_ = false;
    selectOrdinal(Combo_IO, Ordinal(port_.PortAddress()));
    selectOrdinal(ComboBaud, Ordinal(port_.Baudrate()) - Ordinal(TBaudrate::br9600));
    selectOrdinal(ComboDataBits, Ordinal(port_.FrameDatabits()));
    selectOrdinal(ComboParity, Ordinal(port_.FrameParitybit()));
    selectOrdinal(ComboStopBits, Ordinal(port_.FrameStopbits()));
    selectOrdinal(ComboHardware, Ordinal(port_.Hardware()));
    selectOrdinal(ComboPortType, Ordinal(port_.PortType()));
    selectOrdinal(ComboReceiver, Ordinal(port_.ReceiveDriver()));
    selectOrdinal(ComboTransmitter, Ordinal(port_.TransmitDriver()));
    CheckFastReplyEnd->setChecked(port_.FastReplyEnd());
    showPortDevices();
    fillDeviceList();
}

std::string TFormInitSerial::PendingDevicePath(TPort Port) const
{
    if (!IsValidEnum(Port))
        return std::string();
    const std::string& pending = pending_[static_cast<std::size_t>(Ordinal(Port))];
    return pending.empty() ? DefaultPortDevicePath(Port) : pending;
}

void TFormInitSerial::showPortDevices()
{
    // Each port name shows the device it opens: "COM 3 - /dev/ttyS2".
    for (int i = 0; i < ComboPoort->count() && i < 16; ++i) {
        const QString device = QString::fromLocal8Bit(PendingDevicePath(static_cast<TPort>(i)).c_str());
        ComboPoort->setItemText(i, portItemTexts_[static_cast<std::size_t>(i)] + DeviceSeparator + device);
        ComboPoort->setItemData(i, device, Qt::ToolTipRole);
    }
}

void TFormInitSerial::fillDeviceList()
{
    ComboApparaat->clear();
    const int index = ComboPoort->currentIndex();
    ComboApparaat->setEnabled(index >= 0 && index < 16);
    if (!ComboApparaat->isEnabled())
        return;
    const TPort port = static_cast<TPort>(index);
    const std::string assigned = pending_[static_cast<std::size_t>(index)];
    ComboApparaat->addItem(QString::fromLocal8Bit(DefaultPortDevicePath(port).c_str()) + QStringLiteral(" (") +
                               defaultDeviceText_ + QLatin1Char(')'),
                           QString());
    bool assignedListed = assigned.empty();
    for (const TDiscoveredPort& device : discovered_) {
        const QString path = QString::fromLocal8Bit(device.Path.c_str());
        if (device.Path == DefaultPortDevicePath(port))
            continue;
        const QString description = QString::fromLocal8Bit(device.Description.c_str());
        ComboApparaat->addItem(description.isEmpty() ? path : path + DeviceSeparator + description, path);
        assignedListed = assignedListed || device.Path == assigned;
    }
    // A device assigned earlier that is not present now (unplugged) stays choosable: nothing is lost.
    if (!assignedListed)
        ComboApparaat->addItem(QString::fromLocal8Bit(assigned.c_str()), QString::fromLocal8Bit(assigned.c_str()));
    const int selected = ComboApparaat->findData(QString::fromLocal8Bit(assigned.c_str()));
    ComboApparaat->setCurrentIndex(selected >= 0 ? selected : 0);
    for (int i = 0; i < ComboApparaat->count(); ++i)
        ComboApparaat->setItemData(i, ComboApparaat->itemText(i), Qt::ToolTipRole);
}

void TFormInitSerial::ComboPoortClick()
{
    selectOrdinal(Combo_IO, ComboPoort->currentIndex() < 4 ? ComboPoort->currentIndex() : -1);
}

void TFormInitSerial::ComboApparaatChange()
{
    const int index = ComboPoort->currentIndex();
    if (index < 0 || index >= 16 || ComboApparaat->currentIndex() < 0)
        return;
    pending_[static_cast<std::size_t>(index)] = ComboApparaat->currentData().toString().toLocal8Bit().toStdString();
    showPortDevices();
}

void TFormInitSerial::ComboApparaatTyped()
{
    const int index = ComboPoort->currentIndex();
    if (index < 0 || index >= 16)
        return;
    const QString typed = ComboApparaat->currentText().trimmed();
    // Text that names a listed item is that item (its data is the device; empty for the default).
    const int listed = ComboApparaat->findText(typed);
    const std::string device = listed >= 0 ? ComboApparaat->itemData(listed).toString().toLocal8Bit().toStdString()
                                           : typed.toLocal8Bit().toStdString();
    std::string& pending = pending_[static_cast<std::size_t>(index)];
    if (device == pending)
        return;
    pending = device == DefaultPortDevicePath(static_cast<TPort>(index)) ? std::string() : device;
    showPortDevices();
    fillDeviceList();
}

void TFormInitSerial::CmdOKClick()
{
    // What was typed last counts even when the field still has the focus.
    ComboApparaatTyped();
    // A list without a selection leaves its setting as it is (the port never gets an ordinal that
    // names no value).
    storeSelection<TPort>(ComboPoort, 0, [&](TPort v) { port_.SetPortName(v); });
    storeSelection<TPortAddr>(Combo_IO, 0, [&](TPortAddr v) { port_.SetPortAddress(v); });
    storeSelection<TBaudrate>(ComboBaud, Ordinal(TBaudrate::br9600), [&](TBaudrate v) { port_.SetBaudrate(v); });
    storeSelection<TDataBit>(ComboDataBits, 0, [&](TDataBit v) { port_.SetFrameDatabits(v); });
    storeSelection<TParityBit>(ComboParity, 0, [&](TParityBit v) { port_.SetFrameParitybit(v); });
    storeSelection<TStopBit>(ComboStopBits, 0, [&](TStopBit v) { port_.SetFrameStopbits(v); });
    storeSelection<THardware>(ComboHardware, 0, [&](THardware v) { port_.SetHardware(v); });
    storeSelection<TPortType>(ComboPortType, 0, [&](TPortType v) { port_.SetPortType(v); });
    storeSelection<TReceiveDriver>(ComboReceiver, 0, [&](TReceiveDriver v) { port_.SetReceiveDriver(v); });
    storeSelection<TTransmitDriver>(ComboTransmitter, 0, [&](TTransmitDriver v) { port_.SetTransmitDriver(v); });
    port_.SetFastReplyEnd(CheckFastReplyEnd->isChecked());

    for (int i = 0; i < 16; ++i) {
        const TPort port = static_cast<TPort>(i);
        const std::string& pending = pending_[static_cast<std::size_t>(i)];
        if (pending == overrideOf(port))
            continue;
        SetPortDevicePath(port, pending);
        AssignedDevicePaths[static_cast<std::size_t>(i)] = pending;
    }

    try {
        port_.SetActive(true);
    } catch (const std::exception& e) {
        // The settings are stored; the window stays open so the user can choose another port.
        AppDialogs().ShowError(this, QString::fromLocal8Bit(e.what()));
        return;
    }
    accept();
}

void TFormInitSerial::CmdCancelClick()
{
    reject();
}
