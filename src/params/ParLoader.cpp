#include "params/ParLoader.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/core/Global_var.h"
#include "params/Latin1Text.h"
#include "params/StatusPanel.h"

TFormParLoader* FormParLoader = nullptr;

TFormParLoader::TFormParLoader(TZBComm* Port, QWidget* Parent)
    : QDialog(Parent)
    , computation_(Port)
{
    setObjectName(QStringLiteral("FormParLoader"));
    setModal(true);
    setWindowTitle(QStringLiteral("Loader"));

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setWordWrap(true);
    Panel1->setMinimumSize(360, 64);
    QFont large = Panel1->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.5);
    Panel1->setFont(large);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addLayout(buttons);
    connect(CmdOK, &QPushButton::clicked, this, &TFormParLoader::CmdOKClick);

    computation_.OnChanged = [this] { ShowView(); };
    // The device has now been told to compute, whatever it reported.
    computation_.OnComputed = [](bool, const std::string&) { ParametersSentNotLoaded = false; };
    if (!FormParLoader)
        FormParLoader = this;
}

TFormParLoader::~TFormParLoader()
{
    computation_.OnChanged = nullptr;
    computation_.OnComputed = nullptr;
    if (FormParLoader == this)
        FormParLoader = nullptr;
}

void TFormParLoader::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormParLoader::FormActivate()
{
    if (LanguageLoaded)
        ApplyTexts();
    computation_.Start();
    ShowView();
}

void TFormParLoader::CmdOKClick()
{
    accept();
}

void TFormParLoader::done(int Result)
{
    computation_.Dismiss();
    QDialog::done(Result);
}

void TFormParLoader::ApplyTexts()
{
    setWindowTitle(Latin1(LanguageFile.ReadString("Loader", "Caption", "Loader")));
    CmdOK->setText(Latin1(LanguageFile.ReadString("Loader", "CmdOK", "OK")));
    panelTexts_[0] = LanguageFile.ReadString("Loader", "PanelTekst0", "tekst 0");
    panelTexts_[2] = LanguageFile.ReadString("Loader", "PanelTekst2", "tekst 2");
    panelTexts_[4] = LanguageFile.ReadString("Loader", "PanelTekst4", "tekst 4");
    panelTexts_[5] = LanguageFile.ReadString("Loader", "PanelTekst5", "tekst 5");
    panelTexts_[6] = LanguageFile.ReadString("Loader", "PanelTekst6", "tekst 6");
}

QString TFormParLoader::PanelText() const
{
    return StatusPanelText(computation_.View().Panel, panelTexts_);
}

bool TFormParLoader::PanelRed() const
{
    return computation_.View().PanelRed;
}

void TFormParLoader::ShowView()
{
    ShowStatusPanel(*Panel1, PanelText(), PanelRed());
}
