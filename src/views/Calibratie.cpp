#include "views/Calibratie.h"

#include "app/Dialogs.h"
#include "app/KM40Main.h"
#include "device/PanelColors.h"

#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

TFormCalibratie* FormCalibratie = nullptr;

namespace {

const QColor DisabledTextColor{128, 128, 128};
const QString SetHint = QStringLiteral("Set Kalibratie mode actief");

QSpinBox* spinBox(const QString& Name, int Minimum, int Maximum, QWidget* Parent)
{
    auto* box = new QSpinBox(Parent);
    box->setObjectName(Name);
    box->setRange(Minimum, Maximum);
    box->setMinimumWidth(110);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QPushButton* button(const QString& Caption, const QString& Name, QWidget* Parent)
{
    auto* b = new QPushButton(Caption, Parent);
    b->setObjectName(Name);
    b->setAutoDefault(false);
    return b;
}

QLabel* label(const QString& Caption, QWidget* Buddy, QWidget* Parent)
{
    auto* l = new QLabel(Caption, Parent);
    if (Buddy) {
        l->setBuddy(Buddy);
        Buddy->setAccessibleName(Caption);
    }
    return l;
}

} // namespace

TFormCalibratie::TFormCalibratie(TZBComm* Port, QWidget* Parent) : QDialog(Parent), session_(*Port)
{
    FormCalibratie = this;
    setObjectName(QStringLiteral("FormCalibratie"));
    setModal(true);
    setWindowTitle(QStringLiteral("Calibratie"));

    GroupBox1 = channelGroup(QStringLiteral("Spanning"), QStringLiteral("GroupBox1"), SpinEdit_Offset_U,
                             SpinEdit_Gain_U, {&SpinEdit1, &SpinEdit2, &SpinEdit3},
                             {&CmdSetUmin, &CmdSetUnul, &CmdSetUmax},
                             {QStringLiteral("SpinEdit1"), QStringLiteral("SpinEdit2"), QStringLiteral("SpinEdit3")},
                             {QStringLiteral("CmdSetUmin"), QStringLiteral("CmdSetUnul"), QStringLiteral("CmdSetUmax")},
                             100000, QStringLiteral("U"), QStringLiteral("V"));
    SpinEdit_Offset_U->setObjectName(QStringLiteral("SpinEdit_Offset_U"));
    SpinEdit_Gain_U->setObjectName(QStringLiteral("SpinEdit_Gain_U"));
    GroupBox2 = channelGroup(QStringLiteral("Stroom"), QStringLiteral("GroupBox2"), SpinEdit_Offset_I, SpinEdit_Gain_I,
                             {&SpinEdit6, &SpinEdit7, &SpinEdit8}, {&CmdSetImin, &CmdSetInul, &CmdSetImax},
                             {QStringLiteral("SpinEdit6"), QStringLiteral("SpinEdit7"), QStringLiteral("SpinEdit8")},
                             {QStringLiteral("CmdSetImin"), QStringLiteral("CmdSetInul"), QStringLiteral("CmdSetImax")},
                             200000, QStringLiteral("I"), QStringLiteral("mA"));
    SpinEdit_Offset_I->setObjectName(QStringLiteral("SpinEdit_Offset_I"));
    SpinEdit_Gain_I->setObjectName(QStringLiteral("SpinEdit_Gain_I"));

    CmdSaveToEEPROM = button(QStringLiteral("EEPROM"), QStringLiteral("CmdSaveToEEPROM"), this);
    CmdSaveToEEPROM->setToolTip(SetHint);

    GroupBox3 = new QGroupBox(QStringLiteral("Calibratie mode"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    CmdSetKalibtatieMode = button(QStringLiteral("Aan"), QStringLiteral("CmdSetKalibtatieMode"), GroupBox3);
    CmdResCalibtatieMode = button(QStringLiteral("Uit"), QStringLiteral("CmdResCalibtatieMode"), GroupBox3);
    auto* modeLayout = new QHBoxLayout(GroupBox3);
    modeLayout->addWidget(CmdSetKalibtatieMode);
    modeLayout->addWidget(CmdResCalibtatieMode);

    GroupBox4 = new QGroupBox(QStringLiteral("DA Select"), this);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    CmdSet_U_actief = button(QStringLiteral("Spanning"), QStringLiteral("CmdSet_U_actief"), GroupBox4);
    CmdSet_I_actief = button(QStringLiteral("Stroom"), QStringLiteral("CmdSet_I_actief"), GroupBox4);
    CmdSet_I_InActief = button(QStringLiteral("Geen"), QStringLiteral("CmdSet_I_InActief"), GroupBox4);
    auto* daLayout = new QHBoxLayout(GroupBox4);
    daLayout->addWidget(CmdSet_U_actief);
    daLayout->addWidget(CmdSet_I_actief);
    daLayout->addWidget(CmdSet_I_InActief);

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setMinimumHeight(26);
    Panel1->setAccessibleName(QStringLiteral("Status"));
    QFont bold = Panel1->font();
    bold.setBold(true);
    Panel1->setFont(bold);

    auto* channels = new QHBoxLayout;
    channels->addWidget(GroupBox1);
    channels->addWidget(GroupBox2);
    auto* controls = new QHBoxLayout;
    controls->addWidget(GroupBox3);
    controls->addWidget(GroupBox4);
    controls->addStretch();
    controls->addWidget(CmdSaveToEEPROM);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(channels);
    layout->addLayout(controls);
    layout->addWidget(Panel1);

    connect(CmdSetKalibtatieMode, &QPushButton::clicked, this, [this] { session_.SendCommand("km 1"); });
    connect(CmdResCalibtatieMode, &QPushButton::clicked, this, [this] { session_.SendCommand("km 0"); });
    connect(CmdSet_U_actief, &QPushButton::clicked, this, [this] { session_.SendCommand("kf 1"); });
    connect(CmdSet_I_actief, &QPushButton::clicked, this, [this] { session_.SendCommand("kf 2"); });
    connect(CmdSet_I_InActief, &QPushButton::clicked, this, [this] { session_.SendCommand("kf 0"); });
    connect(CmdSaveToEEPROM, &QPushButton::clicked, this, [this] { session_.SendCommand("ks"); });
    const std::pair<QPushButton*, QSpinBox*> voltage[] = {{CmdSetUmin, SpinEdit1}, {CmdSetUnul, SpinEdit2},
                                                          {CmdSetUmax, SpinEdit3}};
    for (auto [set, box] : voltage)
        connect(set, &QPushButton::clicked, this, [this, box = box] { session_.SetReference(false, box->value()); });
    const std::pair<QPushButton*, QSpinBox*> current[] = {{CmdSetImin, SpinEdit6}, {CmdSetInul, SpinEdit7},
                                                          {CmdSetImax, SpinEdit8}};
    for (auto [set, box] : current)
        connect(set, &QPushButton::clicked, this, [this, box = box] { session_.SetReference(true, box->value()); });
    for (int code = CalibrationVoltageOffset; code <= CalibrationCurrentGain; ++code) {
        connect(boxOf(code), qOverload<int>(&QSpinBox::valueChanged), this, [this, code](int value) {
            if (!filling_)
                session_.BoxChanged(code, value);
        });
    }

    session_.OnChanged = [this] { showView(); };
    session_.OnValueRead = [this](int code, int32_t value) {
        filling_ = true;
        QSpinBox* box = boxOf(code);
        // A gain beyond the entry range is shown as the controller holds it, not cut to the range.
        if (IsCalibrationGain(code))
            box->setRange(std::min(value, -CalibrationGainLimit), std::max(value, CalibrationGainLimit));
        box->setValue(value);
        filling_ = false;
    };
}

TFormCalibratie::~TFormCalibratie()
{
    session_.OnChanged = nullptr;
    session_.OnValueRead = nullptr;
    if (FormCalibratie == this)
        FormCalibratie = nullptr;
}

QGroupBox* TFormCalibratie::channelGroup(const QString& Caption, const QString& Name, QSpinBox*& Offset,
                                         QSpinBox*& Gain, std::array<QSpinBox**, 3> References,
                                         std::array<QPushButton**, 3> Buttons,
                                         const std::array<QString, 3>& ReferenceNames,
                                         const std::array<QString, 3>& ButtonNames, int ReferenceLimit,
                                         const QString& Letter, const QString& Unit)
{
    auto* group = new QGroupBox(Caption, this);
    group->setObjectName(Name);
    auto* grid = new QGridLayout(group);
    Offset = spinBox(QString(), INT_MIN, INT_MAX, group);
    Gain = spinBox(QString(), -CalibrationGainLimit, CalibrationGainLimit, group);
    grid->addWidget(label(QStringLiteral("Offset"), Offset, group), 0, 0);
    grid->addWidget(Offset, 0, 1);
    grid->addWidget(label(QStringLiteral("in 0,1 mV eenheden"), nullptr, group), 0, 2, 1, 2);
    grid->addWidget(label(QStringLiteral("Gain"), Gain, group), 1, 0);
    grid->addWidget(Gain, 1, 1);
    grid->addWidget(label(QStringLiteral("in 311uV eenheden"), nullptr, group), 1, 2, 1, 2);
    const QString names[] = {Letter + QStringLiteral("min"), Letter + QStringLiteral("nul"),
                             Letter + QStringLiteral("max")};
    for (int i = 0; i < 3; ++i) {
        QSpinBox* box = spinBox(ReferenceNames[static_cast<std::size_t>(i)], -ReferenceLimit, ReferenceLimit, group);
        *References[static_cast<std::size_t>(i)] = box;
        QPushButton* set = button(QStringLiteral("Set ") + names[i], ButtonNames[static_cast<std::size_t>(i)], group);
        set->setToolTip(SetHint);
        *Buttons[static_cast<std::size_t>(i)] = set;
        grid->addWidget(label(names[i], box, group), 2 + i, 0);
        grid->addWidget(box, 2 + i, 1);
        grid->addWidget(label(Unit, nullptr, group), 2 + i, 2);
        grid->addWidget(set, 2 + i, 3);
    }
    Offset->setAccessibleName(Caption + QStringLiteral(" offset"));
    Gain->setAccessibleName(Caption + QStringLiteral(" gain"));
    return group;
}

QSpinBox* TFormCalibratie::boxOf(int Code) const
{
    switch (Code) {
    case CalibrationVoltageOffset: return SpinEdit_Offset_U;
    case CalibrationVoltageGain: return SpinEdit_Gain_U;
    case CalibrationCurrentOffset: return SpinEdit_Offset_I;
    default: return SpinEdit_Gain_I;
    }
}

void TFormCalibratie::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormCalibratie::FormActivate()
{
    filling_ = true;
    SpinEdit1->setValue(-100000);
    SpinEdit2->setValue(0);
    SpinEdit3->setValue(100000);
    SpinEdit6->setValue(-200000);
    SpinEdit7->setValue(0);
    SpinEdit8->setValue(200000);
    // Until the read-back delivers them the offsets and gains are unknown: empty, not the values
    // of an earlier opening (perhaps another controller).
    for (int code = CalibrationVoltageOffset; code <= CalibrationCurrentGain; ++code) {
        if (IsCalibrationGain(code))
            boxOf(code)->setRange(-CalibrationGainLimit, CalibrationGainLimit);
        boxOf(code)->clear();
    }
    filling_ = false;
    session_.Activate();
}

void TFormCalibratie::setGroupEnabled(QGroupBox* Group, bool Enabled)
{
    for (QWidget* child : Group->findChildren<QWidget*>())
        child->setEnabled(Enabled);
    const QColor textColor = Enabled ? palette().color(QPalette::WindowText) : DisabledTextColor;
    device::SetTextColor(Group, textColor);
    for (QLabel* child : Group->findChildren<QLabel*>())
        device::SetTextColor(child, textColor);
}

void TFormCalibratie::showView()
{
    const TCalibrationSession::TView& view = session_.View();
    setGroupEnabled(GroupBox1, view.VoltageGroupEnabled);
    setGroupEnabled(GroupBox2, view.CurrentGroupEnabled);
    setGroupEnabled(GroupBox4, view.DaSelectEnabled);
    // A box the read-back could not fill is not written from.
    for (int code = CalibrationVoltageOffset; code <= CalibrationCurrentGain; ++code)
        if (!session_.ValueRead(code))
            boxOf(code)->setEnabled(false);
    CmdSaveToEEPROM->setEnabled(view.EepromEnabled);
    Panel1->setText(QString::fromLatin1(view.Status.data(), static_cast<qsizetype>(view.Status.size())));
    device::SetTextColor(Panel1, view.StatusRed ? QColor(Qt::red) : palette().color(QPalette::WindowText));
}

bool TFormCalibratie::FormClose()
{
    const auto ask = [this](const std::string& text, QMessageBox::StandardButton defaultButton) {
        return AppDialogs().MessageBox(this, QMessageBox::Warning, QStringLiteral("Waarschuwing"),
                                       QString::fromLatin1(text.c_str()),
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, defaultButton);
    };
    if (session_.OutputHeld()) {
        // Left as it is, the controller keeps its analogue output on a reference value.
        const QMessageBox::StandardButton answer = ask(HeldOutputQuestion(session_.Unsaved()), QMessageBox::Yes);
        if (answer == QMessageBox::Yes)
            session_.EndCalibration();
        return answer == QMessageBox::Yes || answer == QMessageBox::No;
    }
    if (!session_.Unsaved())
        return true;
    return ask(UnsavedCalibrationWarning(), QMessageBox::No) == QMessageBox::Yes;
}

void TFormCalibratie::reject()
{
    if (FormClose())
        QDialog::reject();
}

void InstallCalibration(TFormMain& Main)
{
    if (!FormCalibratie)
        new TFormCalibratie(&Main.ZBComm1, &Main);
    Main.Windows.Calibration = [] {
        if (FormCalibratie)
            FormCalibratie->exec();
    };
}
