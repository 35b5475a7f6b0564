#include "params/EditSollwerten.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/KM40Main.h"
#include "app/core/Functies.h"
#include "app/core/Global_var.h"
#include "params/EditorFileCommands.h"
#include "params/Latin1Text.h"
#include "params/LeesParSoll.h"
#include "params/SchrijfParSoll.h"
#include "params/SetpointGrid.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/SetpointEntry.h"

TFormEditSollwerten* FormEditSollwerten = nullptr;

namespace {

constexpr char Section[] = "EditSollwert";
constexpr int SetpointsPerColumn = TSetpointGrid::RowCount;
constexpr int ReadSetpointsMode = 1;
constexpr int WriteSetpointsMode = 1;

QString Text(const char* Key, const char* Default)
{
    return Latin1(LanguageFile.ReadString(Section, Key, Default));
}

int32_t PositionDecimals()
{
    return ParameterValues[PositionDecimalsParameter];
}

QMessageBox::StandardButton AskWarning(QWidget* Parent, const char* BoxSection, const char* Prefix)
{
    QStringList lines;
    for (int i = 10; i <= 50; i += 10)
        lines << Latin1(LanguageFile.ReadString(BoxSection, Prefix + std::to_string(i), ""));
    return AppDialogs().MessageBox(Parent, QMessageBox::Warning,
                                   Latin1(LanguageFile.ReadString(BoxSection, "Msg_waarschuwingCaption", "")),
                                   lines.join(QStringLiteral("\n\r")),
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

} // namespace

TFormEditSollwerten::TFormEditSollwerten(TZBComm* Port, QWidget* Parent)
    : QDialog(Parent)
    , port_(Port)
    // A refused entry is never silent, also without a language file.
    , msgSollwertOngeldig_("Ingane ongeldig!")
{
    setObjectName(QStringLiteral("FormEditSollwerten"));
    setModal(true);
    setWindowTitle(QStringLiteral("Edit Sollw"));
    if (!FormEditSollwerten)
        FormEditSollwerten = this;

    StringGrid1 = new TSetpointGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    const int charWidth = StringGrid1->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int column : {0, 3})
        StringGrid1->setColumnWidth(column, charWidth * 7);
    for (int column : {1, 4})
        StringGrid1->setColumnWidth(column, charWidth * 16);
    StringGrid1->setColumnWidth(2, charWidth * 3);
    StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 6);
    for (int column = 0; column < TSetpointGrid::ColumnCount; ++column)
        StringGrid1->setHorizontalHeaderItem(column, new QTableWidgetItem(column == 2 ? QString() : QStringLiteral("No")));
    int width = 2 * StringGrid1->frameWidth();
    for (int column = 0; column < TSetpointGrid::ColumnCount; ++column)
        width += StringGrid1->columnWidth(column);
    const int height = StringGrid1->horizontalHeader()->sizeHint().height() +
                       TSetpointGrid::RowCount * StringGrid1->verticalHeader()->defaultSectionSize() +
                       2 * StringGrid1->frameWidth();
    StringGrid1->setFixedSize(width, height);

    StringGrid1->OnKey = [this](int Key) { StringGrid1KeyDown(Key); };
    StringGrid1->OnEnter = [this] { StringGrid1Enter(); };
    StringGrid1->OnEscape = [this] { StringGrid1Escape(); };
    StringGrid1->SelectionLocked = [this] { return Editing() && lastKey_ != Qt::Key_Return && lastKey_ != Qt::Key_Enter; };
    StringGrid1->KeyFilter = [](const std::string& CellText, char Key) {
        return FilterSetpointKey(CellText, Key, PositionDecimals());
    };

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setMinimumHeight(24);
    Panel1->setAccessibleName(QStringLiteral("Status"));

    BuildMenu();
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(StringGrid1);
    layout->addWidget(Panel1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TFormEditSollwerten::~TFormEditSollwerten()
{
    if (FormEditSollwerten == this)
        FormEditSollwerten = nullptr;
}

void TFormEditSollwerten::BuildMenu()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [this](const char* Name, const char* Caption) {
        QMenu* m = MainMenu1->addMenu(QString::fromLatin1(Caption));
        m->setObjectName(QString::fromLatin1(Name));
        m->menuAction()->setObjectName(QString::fromLatin1(Name));
        return m;
    };
    auto item = [this](QMenu* Menu, const char* Name, const char* Caption, void (TFormEditSollwerten::*Handler)()) {
        QAction* action = Menu->addAction(QString::fromLatin1(Caption));
        action->setObjectName(QString::fromLatin1(Name));
        connect(action, &QAction::triggered, this, Handler);
        return action;
    };
    menuBestand = menu("menuBestand", "Bestand");
    subOpenen = item(menuBestand, "subOpenen", "Openen", &TFormEditSollwerten::subOpenenClick);
    subOpslaanAls = item(menuBestand, "subOpslaanAls", "Opslaan als...", &TFormEditSollwerten::subOpslaanAlsClick);
    menuBestand->addSeparator();
    subAfdrukken = item(menuBestand, "subAfdrukken", "Afdruk", &TFormEditSollwerten::subAfdrukkenClick);
    menuBestand->addSeparator();
    subAfsluiten = item(menuBestand, "subAfsluiten", "Afsluiten", &TFormEditSollwerten::subAfsluitenClick);
    menuZendenOntvangen = menu("menuZendenOntvangen", "Zenden & ontvangen");
    subParOntvangen =
        item(menuZendenOntvangen, "subParOntvangen", "Par ontvangen", &TFormEditSollwerten::subParOntvangenClick);
    subParZenden = item(menuZendenOntvangen, "subParZenden", "Par zenden", &TFormEditSollwerten::subParZendenClick);
}

void TFormEditSollwerten::Execute()
{
    exec();
}

void TFormEditSollwerten::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormEditSollwerten::ApplyTexts()
{
    setWindowTitle(Text("Caption", "Edit Sollw"));
    for (int column : {0, 3})
        StringGrid1->horizontalHeaderItem(column)->setText(Text("Kolomtekst_no", "No"));
    for (int column : {1, 4})
        StringGrid1->horizontalHeaderItem(column)->setText(Text("Kolomtekst_waarde", "No"));
    menuBestand->setTitle(Text("menuBestand", "Bestand"));
    subOpenen->setText(Text("subOpenen", "Openen"));
    subOpslaanAls->setText(Text("subOpslaanAls", "Opslaan als..."));
    subAfdrukken->setText(Text("subAfdrukken", "Afdruk"));
    subAfsluiten->setText(Text("subAfsluiten", "Afsluiten"));
    menuZendenOntvangen->setTitle(Text("menuZendenOntvangen", "Zenden & ontvangen"));
    subParOntvangen->setText(Text("subParOntvangen", "Par ontvangen"));
    subParZenden->setText(Text("subParZenden", "Par zenden"));
    msgSollwertOngeldig_ = LanguageFile.ReadString(Section, "Msg_SollwertOngeldig", "Ingane ongeldig!");
}

void TFormEditSollwerten::FormActivate()
{
    if (LanguageLoaded)
        ApplyTexts();
    StringGrid1->setAccessibleName(windowTitle());
    StringGrid1->CloseCellEditor();
    lastKey_ = 0;
    SelectCell(TSetpointGrid::FirstValueColumn, 1);
    const bool portOpen = port_ && port_->Active();
    subParOntvangen->setEnabled(portOpen);
    subParZenden->setEnabled(portOpen);
    InitSollwertStringgrid();
    Panel1->clear();
    StringGrid1->setFocus();
}

void TFormEditSollwerten::InitSollwertStringgrid()
{
    for (int row = 1; row <= SetpointsPerColumn; ++row) {
        StringGrid1->item(row - 1, 0)->setText(QString::number(row));
        StringGrid1->item(row - 1, 3)->setText(QString::number(row + SetpointsPerColumn));
        ShowSetpoint(row);
        ShowSetpoint(row + SetpointsPerColumn);
    }
}

void TFormEditSollwerten::ShowSetpoint(int Setpoint)
{
    const int row = (Setpoint - 1) % SetpointsPerColumn;
    const int column = Setpoint > SetpointsPerColumn ? TSetpointGrid::SecondValueColumn : TSetpointGrid::FirstValueColumn;
    const QString text = Latin1(FormatFixed(DecimalsOfPosition, SetpointValues[static_cast<std::size_t>(Setpoint)]));
    StringGrid1->item(row, column)->setText(text);
    if (QLineEdit* editor = CellEditor(); editor && row == StringGrid1->currentRow() && column == StringGrid1->currentColumn()) {
        editor->setText(text);
        editor->selectAll();
    }
}

QString TFormEditSollwerten::Cell(int Column, int Row) const
{
    const QTableWidgetItem* item = StringGrid1->item(Row - 1, Column);
    return item ? item->text() : QString();
}

int TFormEditSollwerten::CurrentColumn() const
{
    return StringGrid1->currentColumn();
}

int TFormEditSollwerten::CurrentRow() const
{
    return StringGrid1->currentRow() + 1;
}

void TFormEditSollwerten::SelectCell(int Column, int Row)
{
    if (TSetpointGrid::IsValueColumn(Column) && Row >= 1 && Row <= SetpointsPerColumn)
        StringGrid1->setCurrentCell(Row - 1, Column);
}

bool TFormEditSollwerten::Editing() const
{
    return StringGrid1->Editing();
}

QLineEdit* TFormEditSollwerten::CellEditor() const
{
    return StringGrid1->CellEditor();
}

int TFormEditSollwerten::CurrentSetpoint() const
{
    return CurrentColumn() == TSetpointGrid::SecondValueColumn ? CurrentRow() + SetpointsPerColumn : CurrentRow();
}

void TFormEditSollwerten::StringGrid1KeyDown(int Key)
{
    lastKey_ = Key;
    lastColumn_ = CurrentColumn();
    lastRow_ = CurrentRow();
}

void TFormEditSollwerten::StringGrid1Escape()
{
    ShowSetpoint(CurrentSetpoint());
    StringGrid1->CloseCellEditor();
    Panel1->clear();
}

bool TFormEditSollwerten::StoreEntry(int Setpoint, const QString& Text)
{
    const int32_t value = ParseSetpointEntry(Text.toLatin1().toStdString(), PositionDecimals());
    if (value == ParseFormatError || value == ParseRangeError) {
        ShowSetpoint(Setpoint);
        Panel1->setText(Latin1(msgSollwertOngeldig_));
        return false;
    }
    Panel1->clear();
    SetpointValues[static_cast<std::size_t>(Setpoint)] = value;
    ShowSetpoint(Setpoint);
    return true;
}

bool TFormEditSollwerten::TakeOverPendingEntry()
{
    const QLineEdit* editor = CellEditor();
    if (!editor)
        return true;
    const int setpoint = CurrentSetpoint();
    // An edit opened but left as it was changes nothing, even for a stored value outside what
    // can be typed.
    const bool unchanged = editor->text() == Cell(CurrentColumn(), CurrentRow());
    if (!unchanged && !StoreEntry(setpoint, editor->text()))
        return false;
    StringGrid1->CloseCellEditor();
    return true;
}

void TFormEditSollwerten::closeEvent(QCloseEvent* Event)
{
    if (!TakeOverPendingEntry()) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void TFormEditSollwerten::StringGrid1Enter()
{
    const int setpoint = CurrentSetpoint();
    const QLineEdit* editor = CellEditor();
    if (!StoreEntry(setpoint, editor ? editor->text() : Cell(CurrentColumn(), CurrentRow())))
        return;
    if (CurrentRow() < SetpointsPerColumn) {
        StringGrid1->CloseCellEditor();
        SelectCell(CurrentColumn(), CurrentRow() + 1);
        StringGrid1->OpenCellEditor();
    }
}

void TFormEditSollwerten::subOpenenClick()
{
    if (OpenSetpointFileCommand(this, AppDialogs()))
        InitSollwertStringgrid();
}

void TFormEditSollwerten::subOpslaanAlsClick()
{
    if (!TakeOverPendingEntry())
        return;
    SaveSetpointFileCommand(this, AppDialogs());
}

void TFormEditSollwerten::subAfdrukkenClick()
{
    if (!TakeOverPendingEntry())
        return;
    const bool print = SetpointSource != TSetpointSource::None ||
                       (LanguageLoaded && AskWarning(this, "Afdrukken", "AfdrukMsg_") == QMessageBox::Yes);
    if (print && FormMain && FormMain->Windows.SetpointPrintout)
        FormMain->Windows.SetpointPrintout();
    InitSollwertStringgrid();
}

void TFormEditSollwerten::subAfsluitenClick()
{
    close();
}

void TFormEditSollwerten::subParOntvangenClick()
{
    if (FormLeesParSoll && FormLeesParSoll->Execute(ReadSetpointsMode)) {
        const TSetpointValues& read = FormLeesParSoll->ReadSetpoints();
        for (int k = 1; k <= SetpointCount; ++k)
            SetpointValues[static_cast<std::size_t>(k)] = read[static_cast<std::size_t>(k)];
        SetpointSource = TSetpointSource::Device;
    }
    InitSollwertStringgrid();
}

void TFormEditSollwerten::subParZendenClick()
{
    // A second Send while the write runs would change its values under it.
    if ((FormSchrijfParSoll && FormSchrijfParSoll->isVisible()) || !TakeOverPendingEntry())
        return;
    const bool send = SetpointSource != TSetpointSource::None ||
                      (LanguageLoaded && AskWarning(this, Section, "ZendMsg_") == QMessageBox::Yes);
    if (send && FormSchrijfParSoll) {
        FormSchrijfParSoll->SetSetpoints(SetpointValues);
        FormSchrijfParSoll->Execute(WriteSetpointsMode);
    }
    InitSollwertStringgrid();
}
