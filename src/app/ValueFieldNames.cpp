#include "app/ValueFieldNames.h"

#include "app/KM40Main.h"
#include "app/Windows1252Text.h"
#include "app/core/Global_var.h"
#include "app/core/LanguageFile.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// "&Positie:" -> "Positie".
QString nameOfLabel(const QLabel* label)
{
    QString text = label->text();
    text.remove(QLatin1Char('&'));
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

QString nameText(const char* key, const char* dutchDefault)
{
    return FromWindows1252(LanguageLoaded ? LanguageFile.ReadString("Main", key, dutchDefault) : dutchDefault);
}

void nameAfterLabel(QWidget* field, QLabel* label)
{
    label->setBuddy(field);
    field->setAccessibleName(nameOfLabel(label));
}

} // namespace

void NameValueFields(TFormMain& Form)
{
    nameAfterLabel(Form.PanelActPos, Form.LabelActualPositie);
    nameAfterLabel(Form.PanelSnelheid, Form.LabelActualSnelheid);
    nameAfterLabel(Form.PanelSpanning, Form.LabelActualSpanning);
    nameAfterLabel(Form.PanelStroom, Form.LabelActualStroom);
    nameAfterLabel(Form.PanelActPosLin, Form.LabelActualLinPos);
    nameAfterLabel(Form.PanelData_IO_in, Form.LabelDataIn);
    nameAfterLabel(Form.PanelData_IO_uit, Form.LabelDataUit);

    // The thumbwheels stand beside their bare numbers: the group says what they are.
    for (std::size_t i = 0; i < Form.Panel_DW.size(); ++i)
        Form.Panel_DW[i]->setAccessibleName(Form.GroepDuimwiel->title() + QLatin1Char(' ') + QString::number(i + 1));

    static constexpr const char* statusKeys[6][2] = {
        {"NaamStatus0", "Poort"},           {"NaamStatus1", "Lijninstellingen"},
        {"NaamStatus2", "Apparaattype"},    {"NaamStatus3", "Identificatie 2"},
        {"NaamStatus4", "Identificatie 3"}, {"NaamStatus5", "Foutactiviteit"},
    };
    for (std::size_t i = 0; i < Form.StatusPanels.size(); ++i)
        Form.StatusPanels[i]->setAccessibleName(nameText(statusKeys[i][0], statusKeys[i][1]));

    Form.PanelErrorNo->setAccessibleName(nameText("NaamFoutnummer", "Foutnummer"));
    Form.PanelComInfo->setAccessibleName(nameText("NaamComInfo", "Communicatiefout"));
    Form.EditZenden->setAccessibleName(nameText("NaamZenden", "Commando"));
    Form.MemoReceive->setAccessibleName(nameText("NaamOntvangen", "Antwoord"));
}
