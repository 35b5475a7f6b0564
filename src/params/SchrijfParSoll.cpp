#include "params/SchrijfParSoll.h"

#include <QPushButton>

#include "params/Latin1Text.h"

TFormSchrijfParSoll* FormSchrijfParSoll = nullptr;

TFormSchrijfParSoll::TFormSchrijfParSoll(TZBComm* Port, QWidget* Parent)
    : TTransferWindow(std::make_unique<TWriteSequence>(Port), QStringLiteral("Schrijf Param"), Parent)
{
    setObjectName(QStringLiteral("FormSchrijfParSoll"));
    if (!FormSchrijfParSoll)
        FormSchrijfParSoll = this;
}

TFormSchrijfParSoll::~TFormSchrijfParSoll()
{
    if (FormSchrijfParSoll == this)
        FormSchrijfParSoll = nullptr;
}

void TFormSchrijfParSoll::ApplyTexts()
{
    switch (Mode()) {
    case 1:
        setWindowTitle(Latin1(LanguageFile.ReadString("SchrijfParSoll", "CaptionMode1", "Schrijf Sollw")));
        break;
    case 2:
        setWindowTitle(Latin1(LanguageFile.ReadString("SchrijfParSoll", "CaptionMode2", "Schrijf Param en sollw")));
        break;
    case 3:
        setWindowTitle(Latin1(LanguageFile.ReadString("SchrijfParSoll", "CaptionMode3", "Schrijf Apparaat")));
        break;
    default:
        setWindowTitle(Latin1(LanguageFile.ReadString("SchrijfParSoll", "CaptionMode0", "Schrijf Param")));
        break;
    }
    CmdOK->setText(Latin1(LanguageFile.ReadString("SchrijfParSoll", "CmdOK", "OK")));
    CmdAgain->setText(Latin1(LanguageFile.ReadString("SchrijfParSoll", "CmdAgain", "Again")));
    CmdCancel->setText(Latin1(LanguageFile.ReadString("SchrijfParSoll", "CmdCancel", "Cancel")));
    panelTexts_[0] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst0", "tekst 0");
    panelTexts_[1] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst1", "tekst 1");
    panelTexts_[2] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst2", "tekst 2");
    panelTexts_[3] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst3", "tekst 3");
    panelTexts_[4] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst4", "tekst 4");
    panelTexts_[5] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst5", "tekst 5");
    panelTexts_[6] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst6", "tekst 6");
    panelTexts_[7] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst7", "tekst 7");
    panelTexts_[8] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst8", "tekst 8");
    panelTexts_[9] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst9", "tekst 9");
    panelTexts_[10] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst10", "tekst 10");
    panelTexts_[11] = LanguageFile.ReadString("SchrijfParSoll", "PanelTekst11", "tekst 11");
}
