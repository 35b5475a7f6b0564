#include "params/ParamService.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/LineLostReport.h"
#include "app/core/Global_var.h"
#include "params/FilteredLineEdit.h"
#include "params/Latin1Text.h"
#include "params/StatusPanel.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/TransferReplies.h"

TFormParamService* FormParamService = nullptr;

namespace {

constexpr char Section[] = "ParamService";
constexpr int VisibleChoices = 12;

QLabel* ValuePanel(QWidget* Parent, const char* Name)
{
    auto* panel = new QLabel(Parent);
    panel->setObjectName(QString::fromLatin1(Name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setMinimumWidth(90);
    panel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return panel;
}

QPushButton* Button(QWidget* Parent, const char* Name, const QString& Caption)
{
    auto* button = new QPushButton(Caption, Parent);
    button->setObjectName(QString::fromLatin1(Name));
    button->setAutoDefault(false);
    return button;
}

QString Stripped(QString Label)
{
    Label.remove(QLatin1Char('&'));
    if (Label.endsWith(QLatin1Char(':')))
        Label.chop(1);
    return Label.trimmed();
}

} // namespace

TFormParamService::TFormParamService(TZBComm* Port, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , exchange_(Port)
{
    setObjectName(QStringLiteral("FormParamService"));
    setModal(true);
    if (!FormParamService)
        FormParamService = this;

    LabelMin = new QLabel(QStringLiteral("min"), this);
    LabelMin->setObjectName(QStringLiteral("LabelMin"));
    LabelMax = new QLabel(QStringLiteral("max"), this);
    LabelMax->setObjectName(QStringLiteral("LabelMax"));
    LabelDefault = new QLabel(QStringLiteral("default"), this);
    LabelDefault->setObjectName(QStringLiteral("LabelDefault"));
    PanelMin = ValuePanel(this, "PanelMin");
    PanelMax = ValuePanel(this, "PanelMax");
    PanelDefault = ValuePanel(this, "PanelDefault");

    LabelParData = new QLabel(QStringLiteral("default"), this);
    LabelParData->setObjectName(QStringLiteral("LabelParData"));
    ComboParData = new QComboBox(this);
    ComboParData->setObjectName(QStringLiteral("ComboParData"));
    ComboParData->setMaxVisibleItems(VisibleChoices);
    ComboParData->setMinimumWidth(260);
    MaskEditParData = new TFilteredLineEdit(this);
    MaskEditParData->setObjectName(QStringLiteral("MaskEditParData"));
    MaskEditParData->setAlignment(Qt::AlignRight);
    MaskEditParData->setMinimumWidth(160);
    MaskEditParData->SetKeyFilter(
        [this](const TEntryField& Field, char Key) { return FilterEntryKey(Field, Key, limits_); });

    PanelService = new QLabel(this);
    PanelService->setObjectName(QStringLiteral("PanelService"));
    PanelService->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelService->setMinimumHeight(26);
    PanelService->setAccessibleName(QStringLiteral("Status"));

    CmdOK = Button(this, "CmdOK", QStringLiteral("OK"));
    CmdOK->setDefault(true); // Enter in the field is OK
    CmdZenden = Button(this, "CmdZenden", QStringLiteral("Zenden"));
    CmdBerPar = Button(this, "CmdBerPar", QStringLiteral("Laad par"));
    CmdDefault = Button(this, "CmdDefault", QStringLiteral("Default"));
    CmdCancel = Button(this, "CmdCancel", QStringLiteral("annuleren"));

    auto* limits = new QHBoxLayout;
    for (auto [label, panel] : {std::pair{LabelMin, PanelMin}, {LabelMax, PanelMax}, {LabelDefault, PanelDefault}}) {
        limits->addWidget(label);
        limits->addWidget(panel, 1);
        limits->addSpacing(8);
    }
    auto* data = new QHBoxLayout;
    data->addWidget(LabelParData);
    data->addWidget(ComboParData, 1);
    data->addWidget(MaskEditParData, 1);
    LabelParData->setBuddy(MaskEditParData);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdZenden);
    buttons->addWidget(CmdBerPar);
    buttons->addWidget(CmdDefault);
    buttons->addStretch();
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(limits);
    layout->addSpacing(6);
    layout->addLayout(data);
    layout->addWidget(PanelService);
    layout->addLayout(buttons);

    connect(CmdOK, &QPushButton::clicked, this, &TFormParamService::CmdOKClick);
    connect(CmdZenden, &QPushButton::clicked, this, &TFormParamService::CmdZendenClick);
    connect(CmdBerPar, &QPushButton::clicked, this, &TFormParamService::CmdBerParClick);
    connect(CmdDefault, &QPushButton::clicked, this, &TFormParamService::CmdDefaultClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormParamService::CmdCancelClick);

    exchange_.OnChanged = [this] {
        ShowStatus();
        if (exchange_.Busy())
            DisableButtons();
        else
            EnableButtons();
    };
    // A pulled line: one message naming it and the port closed, as in every window.
    exchange_.OnCommError = [this](const TCommError& Error) {
        if (TZBComm* port = exchange_.KT750ZendServiceParameter.ZBComm())
            ReportLineLost(this, *port, Error, StatusText());
    };
}

TFormParamService::~TFormParamService()
{
    exchange_.OnChanged = nullptr;
    exchange_.OnCommError = nullptr;
    if (FormParamService == this)
        FormParamService = nullptr;
}

bool TFormParamService::Execute()
{
    return exec() == QDialog::Accepted;
}

void TFormParamService::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormParamService::ApplyTexts()
{
    auto text = [](const char* Key, const char* Default) {
        return Latin1(LanguageFile.ReadString(Section, Key, Default));
    };
    LabelMin->setText(text("LabelMin", "min"));
    LabelMax->setText(text("LabelMax", "max"));
    LabelDefault->setText(text("LabelDefault", "default"));
    LabelParData->setText(text("LabelParData", "default"));
    CmdOK->setText(text("CmdOK", "OK"));
    CmdDefault->setText(text("CmdDefault", "Default"));
    CmdZenden->setText(text("CmdZenden", "Zenden"));
    CmdCancel->setText(text("CmdCancel", "annuleren"));
    for (std::size_t i = 0; i < panelTexts_.size(); ++i) {
        const std::string key = "PanelTekst" + std::to_string(i);
        panelTexts_[i] = LanguageFile.ReadString(Section, key, "tekst " + std::to_string(i));
    }
}

void TFormParamService::FormActivate()
{
    if (LanguageLoaded)
        ApplyTexts();
    PanelMin->setAccessibleName(Stripped(LabelMin->text()));
    PanelMax->setAccessibleName(Stripped(LabelMax->text()));
    PanelDefault->setAccessibleName(Stripped(LabelDefault->text()));
    ComboParData->setAccessibleName(Stripped(LabelParData->text()));
    MaskEditParData->setAccessibleName(Stripped(LabelParData->text()));
    exchange_.SetStatus({}, false);

    const TSelectedParameter& selected = SelectedParameter;
    PanelMin->setText(Latin1(selected.MinText));
    PanelMax->setText(Latin1(selected.MaxText));
    PanelDefault->setText(Latin1(selected.DefaultText));
    setWindowTitle(QLatin1Char('[') + Latin1(selected.Number) + QStringLiteral("]   ") + Latin1(selected.Name));

    const std::optional<int32_t> number = ParseDecimalInt32(selected.Number);
    number_ = number && *number >= 0 && *number < ParameterCount ? *number : -1;
    const bool known = number_ >= 0;
    optionParameter_ = known && ParameterCatalogue.Type(number_) != ParameterTypeNumeric;
    limits_ = TEntryLimits{};
    limits_.Min = selected.Min;
    limits_.Max = selected.Max;

    ComboParData->setVisible(optionParameter_);
    MaskEditParData->setVisible(!optionParameter_);
    if (optionParameter_) {
        LabelParData->setBuddy(ComboParData);
        ComboParData->clear();
        const std::vector<std::string> options = ResolveOptionList(number_);
        for (std::size_t i = 0; i < options.size(); ++i)
            ComboParData->addItem(QString::number(i) + QStringLiteral(" - ") + Latin1(options[i]));
        const int32_t value = ParameterValues[static_cast<std::size_t>(number_)];
        ComboParData->setCurrentIndex(value >= 0 && value < ComboParData->count() ? value : -1);
        ComboParData->setFocus();
    } else {
        LabelParData->setBuddy(MaskEditParData);
        limits_.Decimals = known ? ResolveDecimals(number_) : 0;
        limits_.IntegerDigits = IntegerDigitsOf(selected.MinText, selected.MaxText, limits_.Decimals);
        MaskEditParData->setText(Latin1(selected.ValueText));
        MaskEditParData->setFocus();
        MaskEditParData->selectAll();
    }
    EnableButtons();
}

bool TFormParamService::TestIngave()
{
    exchange_.SetStatus({}, false);
    int32_t value = 0;
    if (optionParameter_) {
        // A value outside the option list opens with nothing selected; unless the user picks an
        // entry, the value stays what it was (never -1).
        if (ComboParData->currentIndex() < 0)
            return true;
        value = ComboParData->currentIndex();
    } else {
        const TEntryValue entry = CheckEntry(MaskEditParData->text().toLatin1().toStdString(), limits_);
        if (entry.Check != TEntryCheck::Ok) {
            exchange_.SetStatus(TPanelText::Of(entry.Check == TEntryCheck::TooManyDigits
                                                   ? TParamServiceExchange::TooManyDigitsText
                                                   : TParamServiceExchange::OutOfRangeText),
                                true);
            MaskEditParData->setFocus();
            return false;
        }
        value = entry.Value;
    }
    if (number_ < 0 || number_ >= ParameterCount)
        return false; // no parameter to take it over into
    ParameterValues[static_cast<std::size_t>(number_)] = value;
    return true;
}

void TFormParamService::CmdOKClick()
{
    if (TestIngave())
        accept();
}

void TFormParamService::CmdZendenClick()
{
    if (!TestIngave())
        return;
    if (optionParameter_ && ComboParData->currentIndex() < 0) {
        // No entry picked: there is no option to send.
        exchange_.SetStatus(TPanelText::Of(TParamServiceExchange::OutOfRangeText), true);
        ComboParData->setFocus();
        return;
    }
    exchange_.SendValue(number_, ParameterValues[static_cast<std::size_t>(number_)]);
}

void TFormParamService::CmdBerParClick()
{
    exchange_.Compute();
}

void TFormParamService::CmdDefaultClick()
{
    const QString defaultText = Latin1(SelectedParameter.DefaultText);
    if (optionParameter_) {
        bool ok = false;
        const int index = defaultText.toInt(&ok);
        ComboParData->setCurrentIndex(ok && index >= 0 && index < ComboParData->count() ? index : -1);
    } else {
        MaskEditParData->setText(defaultText);
    }
}

void TFormParamService::CmdCancelClick()
{
    reject();
}

void TFormParamService::reject()
{
    if (exchange_.Busy())
        return;
    QDialog::reject();
}

void TFormParamService::closeEvent(QCloseEvent* Event)
{
    if (exchange_.Busy())
        Event->ignore();
    else
        QDialog::closeEvent(Event);
}

QString TFormParamService::StatusText() const
{
    return StatusPanelText(exchange_.Status(), panelTexts_);
}

void TFormParamService::ShowStatus()
{
    ShowStatusPanel(*PanelService, StatusText(), exchange_.StatusRed());
}

void TFormParamService::EnableButtons()
{
    const bool portOpen = exchange_.KT750ZendServiceParameter.ZBComm() &&
                          exchange_.KT750ZendServiceParameter.ZBComm()->Active();
    CmdOK->setEnabled(true);
    CmdCancel->setEnabled(true);
    CmdDefault->setEnabled(true);
    CmdZenden->setEnabled(portOpen);
    CmdBerPar->setEnabled(portOpen);
}

void TFormParamService::DisableButtons()
{
    for (QPushButton* button : {CmdOK, CmdZenden, CmdCancel, CmdDefault, CmdBerPar})
        button->setEnabled(false);
}
