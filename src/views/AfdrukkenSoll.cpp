#include "views/AfdrukkenSoll.h"

#include "app/core/Global_var.h"
#include "views/core/SetpointPrintout.h"

TFormAfdrukkenSoll* FormAfdrukkenSoll = nullptr;

TFormAfdrukkenSoll::TFormAfdrukkenSoll(QWidget* Parent)
    : TPrintoutWindow("CaptionSoll", "Afdrukken Soll", Parent)
{
    setObjectName(QStringLiteral("FormAfdrukkenSoll"));
    if (!FormAfdrukkenSoll)
        FormAfdrukkenSoll = this;
}

TFormAfdrukkenSoll::~TFormAfdrukkenSoll()
{
    if (FormAfdrukkenSoll == this)
        FormAfdrukkenSoll = nullptr;
}

void TFormAfdrukkenSoll::ApplyPrintoutTexts()
{
    title_ = LanguageLoaded ? LanguageFile.ReadString("Afdrukken", "NaamSoll", "Solwerten") : "";
    numberText_ = LanguageLoaded ? LanguageFile.ReadString("EditSollWert", "Kolomtekst_no", "tekst 0") : "";
    valueText_ = LanguageLoaded ? LanguageFile.ReadString("EditSollWert", "Kolomtekst_waarde", "tekst 1") : "";
}

void TFormAfdrukkenSoll::PrintBody(TPrintJob& Job)
{
    PrintSetpoints(Job, title_, numberText_, valueText_);
}
