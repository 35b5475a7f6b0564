#include "params/LeesParSoll.h"

#include <QPushButton>

#include "params/Latin1Text.h"

TFormLeesParSoll* FormLeesParSoll = nullptr;

TFormLeesParSoll::TFormLeesParSoll(TZBComm* Port, QWidget* Parent)
    : TTransferWindow(std::make_unique<TReadSequence>(Port), QStringLiteral("Lees Param"), Parent)
{
    setObjectName(QStringLiteral("FormLeesParSoll"));
    if (!FormLeesParSoll)
        FormLeesParSoll = this;
}

TFormLeesParSoll::~TFormLeesParSoll()
{
    if (FormLeesParSoll == this)
        FormLeesParSoll = nullptr;
}

void TFormLeesParSoll::ApplyTexts()
{
    switch (Mode()) {
    case 1:
        setWindowTitle(Latin1(LanguageFile.ReadString("LeesParSoll", "CaptionMode1", "Lees Sollw")));
        break;
    case 2:
        setWindowTitle(Latin1(LanguageFile.ReadString("LeesParSoll", "CaptionMode2", "Lees Param en sollw")));
        break;
    case 3:
        setWindowTitle(Latin1(LanguageFile.ReadString("LeesParSoll", "CaptionMode3", "Lees Apparaat")));
        break;
    default:
        setWindowTitle(Latin1(LanguageFile.ReadString("LeesParSoll", "CaptionMode0", "Lees Param")));
        break;
    }
    CmdOK->setText(Latin1(LanguageFile.ReadString("LeesParSoll", "CmdOK", "OK")));
    CmdAgain->setText(Latin1(LanguageFile.ReadString("LeesParSoll", "CmdAgain", "Again")));
    CmdCancel->setText(Latin1(LanguageFile.ReadString("LeesParSoll", "CmdCancel", "Cancel")));
    panelTexts_[0] = LanguageFile.ReadString("LeesParSoll", "PanelTekst0", "tekst 0");
    panelTexts_[1] = LanguageFile.ReadString("LeesParSoll", "PanelTekst1", "tekst 1");
    panelTexts_[2] = LanguageFile.ReadString("LeesParSoll", "PanelTekst2", "tekst 2");
    panelTexts_[3] = LanguageFile.ReadString("LeesParSoll", "PanelTekst3", "tekst 3");
    panelTexts_[4] = LanguageFile.ReadString("LeesParSoll", "PanelTekst4", "tekst 4");
    panelTexts_[5] = LanguageFile.ReadString("LeesParSoll", "PanelTekst5", "tekst 5");
    panelTexts_[6] = LanguageFile.ReadString("LeesParSoll", "PanelTekst6", "tekst 6");
    panelTexts_[7] = LanguageFile.ReadString("LeesParSoll", "PanelTekst7", "tekst 7");
}
