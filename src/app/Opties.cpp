#include "app/Opties.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/KM40Main.h"
#include "app/InfoErrorNummers.h"
#include "app/core/CommaText.h"
#include "app/core/Global_var.h"
#include "params/Latin1Text.h"
#include "params/core/ParameterCatalogue.h"

TFormOpties* FormOpties = nullptr;

namespace {

constexpr char Section[] = "Opties";
const char* const DesignItems[] = {"NE", "EN", "D"};

QString Text(const char* Key, const char* Default)
{
    return Latin1(LanguageFile.ReadString(Section, Key, Default));
}

} // namespace

TFormOpties::TFormOpties(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormOpties"));
    setModal(true);
    setWindowTitle(QStringLiteral("Instellingem"));
    resize(384, 312);
    if (!FormOpties)
        FormOpties = this;

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Algemeen"));
    LabelTaal = new QLabel(QStringLiteral("Taal:"), TabSheet1);
    LabelTaal->setObjectName(QStringLiteral("LabelTaal"));
    ComboTaal = new QComboBox(TabSheet1);
    ComboTaal->setObjectName(QStringLiteral("ComboTaal"));
    for (const char* item : DesignItems)
        ComboTaal->addItem(QString::fromLatin1(item));
    LabelTaal->setBuddy(ComboTaal);
    auto* page = new QGridLayout(TabSheet1);
    page->addWidget(LabelTaal, 0, 0);
    page->addWidget(ComboTaal, 0, 1);
    page->setColumnStretch(1, 1);
    page->setRowStretch(1, 1);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

    connect(CmdOK, &QPushButton::clicked, this, &TFormOpties::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormOpties::CmdCancelClick);
}

TFormOpties::~TFormOpties()
{
    if (FormOpties == this)
        FormOpties = nullptr;
}

void TFormOpties::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormOpties::FormActivate()
{
    if (LanguageLoaded) {
        setWindowTitle(Text("Caption", "Instellingem"));
        PageControl1->setTabText(0, Text("RegAlgemeen", "Algemeen"));
        LabelTaal->setText(Text("TaalLabel", "Error"));
        CmdOK->setText(Text("CmdOK", "OK"));
        CmdCancel->setText(Text("CmdCancel", "Cancel"));
        ComboTaal->clear();
        for (const std::string& item : SplitCommaText(LanguageFile.ReadString(Section, "TaalItems", "\"0\",\"1\",\"2\"")))
            ComboTaal->addItem(Latin1(item));
    }
    QString name = LabelTaal->text();
    name.remove(QLatin1Char('&'));
    name.remove(QLatin1Char(':'));
    ComboTaal->setAccessibleName(name.trimmed());
    ComboTaal->setCurrentIndex(LanguageIndex >= 0 && LanguageIndex < ComboTaal->count() ? LanguageIndex : -1);
    shownIndex_ = ComboTaal->currentIndex();
}

void TFormOpties::CmdOKClick()
{
    LanguageIndex = ComboTaal->currentIndex();
    if (LanguageIndex != shownIndex_)
        TekstFile_Lezen();
    if (FormMain)
        FormMain->LezenTeksten();
    ParameterDef_lezen();
    // The help page beside the main window follows at once.
    if (FormInfoErrorNummers && FormInfoErrorNummers->isVisible())
        FormInfoErrorNummers->FormActivate();
    accept();
}

void TFormOpties::CmdCancelClick()
{
    reject();
}
