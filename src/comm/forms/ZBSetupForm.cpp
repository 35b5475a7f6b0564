#include "comm/forms/ZBSetupForm.h"

#include "comm/ZBCompsResources.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QComboBox* list(const QString& Name, int HelpContext, const QStringList& Items, QWidget* Parent)
{
    auto* combo = new QComboBox(Parent);
    combo->setObjectName(Name);
    combo->setProperty("HelpContext", HelpContext);
    combo->addItems(Items);
    combo->setMinimumWidth(170);
    return combo;
}

} // namespace

TZBSetupCommForm::TZBSetupCommForm(int Language, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint)
    , language_(Language == zbLangGerman ? zbLangGerman : zbLangEnglish)
    , selections_(std::make_unique<TZBComm>())
{
    setObjectName(QStringLiteral("ZBSetupCommForm"));
    // Library texts are Windows-1252; the dialog's own ones are Latin-1 as well.
    auto msg = [this](int Row) { return QString::fromLatin1(ZBMessage(Row, language_)); };
    auto rows = [&](int First, int Count) {
        QStringList items;
        for (int i = 0; i < Count; ++i)
            items << msg(First + i);
        return items;
    };
    setWindowTitle(msg(zbDlgTitle));

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    TSAnschluss = new QWidget;
    TSAnschluss->setObjectName(QStringLiteral("TSAnschluss"));
    TSErweitert = new QWidget;
    TSErweitert->setObjectName(QStringLiteral("TSErweitert"));
    PageControl->addTab(TSAnschluss, msg(zbDlgPageAnschluss));
    PageControl->addTab(TSErweitert, msg(zbDlgPageErweitert));
    TSAnschluss->setEnabled(false);
    TSErweitert->setEnabled(false);

    QStringList ports;
    for (int i = 1; i <= 16; ++i)
        ports << QStringLiteral("COM %1").arg(i);
    CBAnschluss = list(QStringLiteral("CBAnschluss"), 1, ports, TSAnschluss);
    CBBereich = list(QStringLiteral("CBBereich"), 2,
                     {QStringLiteral("03F8 - 03FF"), QStringLiteral("02F8 - 02FF"), QStringLiteral("03E8 - 03EF"),
                      QStringLiteral("02E8 - 02EF")},
                     TSAnschluss);
    CBBaudrate = list(QStringLiteral("CBBaudrate"), 3,
                      {QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"),
                       QStringLiteral("19200"), QStringLiteral("28800"), QStringLiteral("38400"),
                       QStringLiteral("57600"), QStringLiteral("115200")},
                      TSAnschluss);
    CBDatenbits = list(QStringLiteral("CBDatenbits"), 4, {QStringLiteral("7"), QStringLiteral("8")}, TSAnschluss);
    CBParitaet = list(QStringLiteral("CBParitaet"), 5, rows(zbDlgParityNone, 3), TSAnschluss);
    CBStopbits = list(QStringLiteral("CBStopbits"), 6, {QStringLiteral("1"), QStringLiteral("2")}, TSAnschluss);
    CBHardware = list(QStringLiteral("CBHardware"), 7, rows(zbDlgHardwareStandard, 4), TSErweitert);
    CBTyp = list(QStringLiteral("CBTyp"), 8,
                 {QStringLiteral("RS 232 C"), QStringLiteral("RS 422"), QStringLiteral("RS 485")}, TSErweitert);
    CBEmpfangen = list(QStringLiteral("CBEmpfangen"), 9, rows(zbDlgReceiverNone, 2), TSErweitert);
    CBSenden = list(QStringLiteral("CBSenden"), 10, rows(zbDlgTransmitterNone, 4), TSErweitert);

    auto labelled = [&](QLabel*& Label, const char* Name, int Row, QComboBox* Buddy) {
        Label = new QLabel(msg(Row), Buddy->parentWidget());
        Label->setObjectName(QString::fromLatin1(Name));
        Label->setBuddy(Buddy);
        Buddy->setAccessibleName(msg(Row).remove(QLatin1Char('&')));
    };
    labelled(PortLabel, "PortLabel", zbDlgPortLabel, CBAnschluss);
    labelled(IORangeLabel, "IORangeLabel", zbDlgIORangeLabel, CBBereich);
    labelled(BaudrateLabel, "BaudrateLabel", zbDlgBaudrateLabel, CBBaudrate);
    labelled(DatabitsLabel, "DatabitsLabel", zbDlgDatabitsLabel, CBDatenbits);
    labelled(ParityLabel, "ParityLabel", zbDlgParityLabel, CBParitaet);
    labelled(StopbitsLabel, "StopbitsLabel", zbDlgStopbitsLabel, CBStopbits);
    labelled(HardwareLabel, "HardwareLabel", zbDlgHardwareLabel, CBHardware);
    labelled(PortTypeLabel, "PortTypeLabel", zbDlgPortTypeLabel, CBTyp);
    labelled(ReceiverLabel, "ReceiverLabel", zbDlgReceiverLabel, CBEmpfangen);
    labelled(TransmitterLabel, "TransmitterLabel", zbDlgTransmitterLabel, CBSenden);

    auto* page1 = new QFormLayout(TSAnschluss);
    page1->addRow(PortLabel, CBAnschluss);
    page1->addRow(IORangeLabel, CBBereich);
    page1->addRow(BaudrateLabel, CBBaudrate);
    page1->addRow(DatabitsLabel, CBDatenbits);
    page1->addRow(ParityLabel, CBParitaet);
    page1->addRow(StopbitsLabel, CBStopbits);
    auto* page2 = new QFormLayout(TSErweitert);
    page2->addRow(HardwareLabel, CBHardware);
    page2->addRow(PortTypeLabel, CBTyp);
    page2->addRow(ReceiverLabel, CBEmpfangen);
    page2->addRow(TransmitterLabel, CBSenden);

    OKButton = new QPushButton(msg(zbDlgOK), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    OKButton->setEnabled(false);
    CancelButton = new QPushButton(msg(zbDlgCancel), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(buttons);
    PageControl->setCurrentIndex(0);

    connect(CBAnschluss, qOverload<int>(&QComboBox::activated), this, &TZBSetupCommForm::CBAnschlussChange);
    connect(CBHardware, qOverload<int>(&QComboBox::activated), this, &TZBSetupCommForm::CBHardwareChange);
    connect(CBTyp, qOverload<int>(&QComboBox::activated), this, &TZBSetupCommForm::CBTypChange);
    connect(CBEmpfangen, qOverload<int>(&QComboBox::activated), this, &TZBSetupCommForm::CBEmpfangenChange);
    connect(CBSenden, qOverload<int>(&QComboBox::activated), this, &TZBSetupCommForm::CBSendenChange);
    connect(OKButton, &QPushButton::clicked, this, &TZBSetupCommForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QString TZBSetupCommForm::HelpFile() const
{
    return QString::fromLatin1(ZBMessage(zbDlgHelpFile, language_));
}

void TZBSetupCommForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TZBSetupCommForm::FormActivate()
{
    if (!port_)
        return;
    TSAnschluss->setEnabled(true);
    TSErweitert->setEnabled(true);
    OKButton->setEnabled(!port_->Active());
    CBAnschluss->setCurrentIndex(Ordinal(port_->PortName()));
    CBBereich->setCurrentIndex(Ordinal(port_->PortAddress()));
    CBBaudrate->setCurrentIndex(Ordinal(port_->Baudrate()));
    CBDatenbits->setCurrentIndex(Ordinal(port_->FrameDatabits()));
    CBParitaet->setCurrentIndex(Ordinal(port_->FrameParitybit()));
    CBStopbits->setCurrentIndex(Ordinal(port_->FrameStopbits()));
    selections_->SetHardware(THardware::UserDefined);
    selections_->SetPortType(port_->PortType());
    selections_->SetTransmitDriver(port_->TransmitDriver());
    selections_->SetReceiveDriver(port_->ReceiveDriver());
    selections_->SetHardware(port_->Hardware());
    showExtended();
    updateTitle();
}

void TZBSetupCommForm::updateTitle()
{
    setWindowTitle(QStringLiteral("%1 %2").arg(QString::fromLatin1(ZBMessage(zbDlgTitle, language_)),
                                               CBAnschluss->currentText()));
}

void TZBSetupCommForm::CBAnschlussChange()
{
    const int index = CBAnschluss->currentIndex();
    CBBereich->setCurrentIndex(index < CBBereich->count() ? index : -1);
    updateTitle();
}

void TZBSetupCommForm::showExtended()
{
    CBHardware->setCurrentIndex(Ordinal(selections_->Hardware()));
    CBTyp->setCurrentIndex(Ordinal(selections_->PortType()));
    CBEmpfangen->setCurrentIndex(Ordinal(selections_->ReceiveDriver()));
    CBSenden->setCurrentIndex(Ordinal(selections_->TransmitDriver()));
}

void TZBSetupCommForm::applyRule(const std::function<void(TZBComm&)>& Rule)
{
    Rule(*selections_);
    showExtended();
}

void TZBSetupCommForm::CBHardwareChange()
{
    const auto value = EnumFromOrdinal<THardware>(CBHardware->currentIndex());
    if (value)
        applyRule([&](TZBComm& port) { port.SetHardware(*value); });
}

void TZBSetupCommForm::CBTypChange()
{
    const auto value = EnumFromOrdinal<TPortType>(CBTyp->currentIndex());
    if (value)
        applyRule([&](TZBComm& port) { port.SetPortType(*value); });
}

void TZBSetupCommForm::CBEmpfangenChange()
{
    const auto value = EnumFromOrdinal<TReceiveDriver>(CBEmpfangen->currentIndex());
    if (value)
        applyRule([&](TZBComm& port) { port.SetReceiveDriver(*value); });
}

void TZBSetupCommForm::CBSendenChange()
{
    const auto value = EnumFromOrdinal<TTransmitDriver>(CBSenden->currentIndex());
    if (value)
        applyRule([&](TZBComm& port) { port.SetTransmitDriver(*value); });
}

void TZBSetupCommForm::OKButtonClick()
{
    if (!port_ || port_->Active())
        return;
    auto set = [](auto Value, auto Setter) {
        if (Value)
            Setter(*Value);
    };
    set(EnumFromOrdinal<TPort>(CBAnschluss->currentIndex()), [&](TPort v) { port_->SetPortName(v); });
    set(EnumFromOrdinal<TPortAddr>(CBBereich->currentIndex()), [&](TPortAddr v) { port_->SetPortAddress(v); });
    set(EnumFromOrdinal<TBaudrate>(CBBaudrate->currentIndex()), [&](TBaudrate v) { port_->SetBaudrate(v); });
    set(EnumFromOrdinal<TDataBit>(CBDatenbits->currentIndex()), [&](TDataBit v) { port_->SetFrameDatabits(v); });
    set(EnumFromOrdinal<TParityBit>(CBParitaet->currentIndex()), [&](TParityBit v) { port_->SetFrameParitybit(v); });
    set(EnumFromOrdinal<TStopBit>(CBStopbits->currentIndex()), [&](TStopBit v) { port_->SetFrameStopbits(v); });
    set(EnumFromOrdinal<THardware>(CBHardware->currentIndex()), [&](THardware v) { port_->SetHardware(v); });
    set(EnumFromOrdinal<TPortType>(CBTyp->currentIndex()), [&](TPortType v) { port_->SetPortType(v); });
    set(EnumFromOrdinal<TReceiveDriver>(CBEmpfangen->currentIndex()), [&](TReceiveDriver v) { port_->SetReceiveDriver(v); });
    set(EnumFromOrdinal<TTransmitDriver>(CBSenden->currentIndex()), [&](TTransmitDriver v) { port_->SetTransmitDriver(v); });
    accept();
}
