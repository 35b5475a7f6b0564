#include "params/EditParam.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/KM40Main.h"
#include "app/core/Functies.h"
#include "app/core/Global_var.h"
#include "app/core/WrapText.h"
#include "params/EditorFileCommands.h"
#include "params/FileDialogs.h"
#include "params/FileErrorBox.h"
#include "params/Verschillen.h"
#include "params/FocusHighlightDelegate.h"
#include "params/LeesParSoll.h"
#include "params/Latin1Text.h"
#include "params/ParLoader.h"
#include "params/ParamService.h"
#include "params/SchrijfParSoll.h"
#include "params/core/MenuTree.h"
#include "params/core/MenuTreeFallback.h"
#include "params/core/ParameterCatalogue.h"
#include "params/core/ParameterDisplay.h"
#include "params/core/ParameterMenuMap.h"
#include "params/core/ParameterMenuRows.h"
#include "params/core/TransferReplies.h"

TFormEditParam* FormEditParam = nullptr;

namespace {

constexpr char Section[] = "EditParam";
constexpr int ValueColumn = 3;
constexpr int NumberColumn = 1;
constexpr int MenuNumberRole = Qt::UserRole;
constexpr int SubmenuNumberRole = Qt::UserRole + 1;
// Status bar panels.
constexpr int MinValuePanel = 1;
constexpr int MaxValuePanel = 3;
constexpr int DefaultValuePanel = 5;

QString Text(const char* Key, const char* Default)
{
    return Latin1(LanguageFile.ReadString(Section, Key, Default));
}

// A box of the language file's texts: only shown with a language file (callers check).
QMessageBox::StandardButton AskWarning(QWidget* Parent, const char* BoxSection, const QString& Message)
{
    return AppDialogs().MessageBox(Parent, QMessageBox::Warning,
                                   Latin1(LanguageFile.ReadString(BoxSection, "Msg_waarschuwingCaption", "")), Message,
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

// Keys Prefix<First>, Prefix<First+Step>, ... Prefix<Last> of a section, joined by LF CR.
QString JoinedKeys(const char* BoxSection, const std::string& Prefix, int First, int Last, int Step = 1)
{
    QStringList lines;
    for (int i = First; i <= Last; i += Step)
        lines << Latin1(LanguageFile.ReadString(BoxSection, Prefix + std::to_string(i), ""));
    return lines.join(QStringLiteral("\n\r"));
}

void CallHook(std::function<void()> TFormMain::TWindows::*Hook)
{
    if (FormMain && FormMain->Windows.*Hook)
        (FormMain->Windows.*Hook)();
}

} // namespace

TFormEditParam::TFormEditParam(TZBComm* Port, QWidget* Parent)
    : QDialog(Parent)
    , port_(Port)
{
    setObjectName(QStringLiteral("FormEditParam"));
    setModal(true);
    setWindowTitle(QStringLiteral("Edit param"));
    if (!FormEditParam)
        FormEditParam = this;

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setMinimumWidth(230);
    TreeView1->setAccessibleName(QStringLiteral("Menu"));

    StringGrid1 = new QTableWidget(RowCount, ColumnCount, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setTabKeyNavigation(false);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setWordWrap(false);
    StringGrid1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    StringGrid1->verticalHeader()->setDefaultSectionSize(StringGrid1->fontMetrics().height() + 6);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int charWidth = StringGrid1->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    StringGrid1->setColumnWidth(0, charWidth * 9);
    StringGrid1->setColumnWidth(1, charWidth * 6);
    StringGrid1->setColumnWidth(ValueColumn, charWidth * 13);
    StringGrid1->setColumnWidth(4, charWidth * 24);
    for (int column = 0; column < ColumnCount; ++column) {
        auto* header = new QTableWidgetItem(QStringLiteral("tekst %1").arg(column));
        if (column == ValueColumn)
            header->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        StringGrid1->setHorizontalHeaderItem(column, header);
    }
    for (int row = 0; row < RowCount; ++row)
        for (int column = 0; column < ColumnCount; ++column)
            StringGrid1->setItem(row, column, new QTableWidgetItem);
    listDelegate_ = new TFocusHighlightDelegate(StringGrid1);
    listDelegate_->SetRightAlignedColumns({ValueColumn});
    listDelegate_->MarkedRow = [this](int Row) { return RowMarked(Row + 1); };
    StringGrid1->setItemDelegate(listDelegate_);
    const int listHeight = StringGrid1->horizontalHeader()->sizeHint().height() +
                           RowCount * StringGrid1->verticalHeader()->defaultSectionSize() + 2 * StringGrid1->frameWidth();
    StringGrid1->setMinimumSize(charWidth * 86, listHeight);
    StringGrid1->installEventFilter(this);

    CmdClear = new QPushButton(QStringLiteral("Wissen"), this);
    CmdClear->setObjectName(QStringLiteral("CmdClear"));
    CmdClear->setAutoDefault(false);
    CmdClear->setEnabled(false);

    BuildMenu();
    BuildStatusBar();

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(StringGrid1, 1);
    auto* clearRow = new QHBoxLayout;
    clearRow->addStretch();
    clearRow->addWidget(CmdClear);
    rightLayout->addLayout(clearRow);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(TreeView1);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(ParamMenu1);
    layout->addWidget(splitter, 1);
    layout->addWidget(StatusBar1);

    connect(TreeView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* Current, QTreeWidgetItem*) { TreeSelectionChanged(Current); });
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int Row, int, int, int) { StringGrid1SelectCell(Row + 1); });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this](int Row, int) {
        SelectRow(Row + 1);
        StringGrid1DblClick();
    });
    connect(CmdClear, &QPushButton::clicked, this, &TFormEditParam::CmdClearClick);
}

TFormEditParam::~TFormEditParam()
{
    if (FormEditParam == this)
        FormEditParam = nullptr;
}

void TFormEditParam::BuildMenu()
{
    ParamMenu1 = new QMenuBar(this);
    ParamMenu1->setObjectName(QStringLiteral("ParamMenu1"));
    auto menu = [this](const char* Name, const char* Caption) {
        QMenu* m = ParamMenu1->addMenu(QString::fromLatin1(Caption));
        m->setObjectName(QString::fromLatin1(Name));
        m->menuAction()->setObjectName(QString::fromLatin1(Name));
        return m;
    };
    auto item = [this](QMenu* Menu, const char* Name, const char* Caption, void (TFormEditParam::*Handler)()) {
        QAction* action = Menu->addAction(QString::fromLatin1(Caption));
        action->setObjectName(QString::fromLatin1(Name));
        connect(action, &QAction::triggered, this, Handler);
        return action;
    };
    menuBestand = menu("menuBestand", "Bestand");
    subOpenen = item(menuBestand, "subOpenen", "Openen", &TFormEditParam::subOpenenClick);
    subOpslaanAls = item(menuBestand, "subOpslaanAls", "Opslaan als...", &TFormEditParam::subOpslaanAlsClick);
    subVergelijken =
        item(menuBestand, "subVergelijken", "Vergelijken met bestand...", &TFormEditParam::subVergelijkenClick);
    subVerschillen = item(menuBestand, "subVerschillen", "Verschillen...", &TFormEditParam::subVerschillenClick);
    menuBestand->addSeparator();
    subLaadDefault = item(menuBestand, "subLaadDefault", "Laad default", &TFormEditParam::subLaadDefaultClick);
    menuBestand->addSeparator();
    subAfdrukken = item(menuBestand, "subAfdrukken", "Afdrukken", &TFormEditParam::subAfdrukkenClick);
    menuBestand->addSeparator();
    subAfsluiten = item(menuBestand, "subAfsluiten", "Afsluiten", &TFormEditParam::subAfsluitenClick);

    menuZendenOntvangen = menu("menuZendenOntvangen", "Zenden & ontvangen");
    subParOntvangen = item(menuZendenOntvangen, "subParOntvangen", "Par ontvangen", &TFormEditParam::subParOntvangenClick);
    subParZenden = item(menuZendenOntvangen, "subParZenden", "Par zenden", &TFormEditParam::subParZendenClick);
    menuZendenOntvangen->addSeparator();
    subLoader = item(menuZendenOntvangen, "subLoader", "Loader", &TFormEditParam::subLoaderClick);

    menuVenster = menu("menuVenster", "Venster");
    subNokkenInfo = item(menuVenster, "subNokkenInfo", "Nokken info", &TFormEditParam::subNokkenInfoClick);
    subLinearisatie = item(menuVenster, "subLinearisatie", "Linearisatie", &TFormEditParam::subLinearisatieClick);

    menuHelp = menu("menuHelp", "Help");
    subErrorNummers = item(menuHelp, "subErrorNummers", "Error nummers", &TFormEditParam::subErrorNummersClick);
}

void TFormEditParam::BuildStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    const char* captions[] = {"min", "", "max", "", "default", "", ""};
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        auto* panel = new QLabel(QString::fromLatin1(captions[i]), StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        const bool value = i % 2 == 1 && i < 6;
        if (value) {
            panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            panel->setMinimumWidth(110);
        }
        StatusBar1->addWidget(panel, i == 6 ? 1 : 0);
        StatusPanels[i] = panel;
    }
}

void TFormEditParam::Execute()
{
    exec();
}

void TFormEditParam::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        FormActivate();
}

void TFormEditParam::ApplyTexts()
{
    setWindowTitle(Text("Caption", "Edit param"));
    for (int column = 0; column < ColumnCount; ++column) {
        const std::string key = "KolomTekst" + std::to_string(column);
        StringGrid1->horizontalHeaderItem(column)->setText(
            Latin1(LanguageFile.ReadString(Section, key, "tekst " + std::to_string(column))));
    }
    StatusPanels[0]->setText(Text("min", "min"));
    StatusPanels[2]->setText(Text("max", "max"));
    StatusPanels[4]->setText(Text("default", "default"));
    CmdClear->setText(Text("CmdClear", "Wissen"));
    menuBestand->setTitle(Text("menuBestand", "Bestand"));
    subOpenen->setText(Text("subOpenen", "Openen"));
    subOpslaanAls->setText(Text("subOpslaanAls", "Opslaan als..."));
    subVergelijken->setText(Text("subVergelijken", "Vergelijken met bestand..."));
    subVerschillen->setText(Text("subVerschillen", "Verschillen..."));
    subLaadDefault->setText(Text("subLaadDefault", "Laad default"));
    subAfdrukken->setText(Text("subAfdrukken", "Afdrukken"));
    subAfsluiten->setText(Text("subAfsluiten", "Afsluiten"));
    menuZendenOntvangen->setTitle(Text("menuZendenOntvangen", "Zenden & ontvangen"));
    subParOntvangen->setText(Text("subParOntvangen", "Par ontvangen"));
    subParZenden->setText(Text("subParZenden", "Par zenden"));
    subLoader->setText(Text("subLoader", "Loader"));
    menuVenster->setTitle(Text("menuVenster", "Venster"));
    subNokkenInfo->setText(Text("subNokkenInfo", "Nokken info"));
    subLinearisatie->setText(Text("subLinearisatie", "Linearisatie"));
    menuHelp->setTitle(Text("menuHelp", "Help"));
    subErrorNummers->setText(Text("subErrorNummers", "Error nummers"));
}

void TFormEditParam::FormActivate()
{
    ClearStringGrid();
    if (LanguageLoaded)
        ApplyTexts();
    // The value panels are named after the labels beside them.
    for (int value : {MinValuePanel, MaxValuePanel, DefaultValuePanel}) {
        QString name = StatusPanels[static_cast<std::size_t>(value - 1)]->text();
        name.remove(QLatin1Char(':'));
        StatusPanels[static_cast<std::size_t>(value)]->setAccessibleName(name.trimmed());
    }
    StringGrid1->setAccessibleName(windowTitle());
    LoadTree();
    SetTransferItemsEnabled(port_ && port_->Active());
    // ParametersSentNotLoaded stays as it is: a value sent in an earlier session and not computed
    // since is still not computed.
}

void TFormEditParam::RefreshComparison()
{
    differing_.clear();
    subVerschillen->setEnabled(comparison_.has_value());
    if (!comparison_) {
        StatusPanels[6]->clear();
        return;
    }
    for (const TValueDifference& d : Differences())
        differing_.insert(d.Number);
    QString text = LanguageLoaded ? Text("VerschillenTekst", "%1 verschillen met %2")
                                  : QStringLiteral("%1 verschillen met %2");
    StatusPanels[6]->setText(text.replace(QStringLiteral("%1"), QString::number(differing_.size()))
                                 .replace(QStringLiteral("%2"), comparisonName_));
    StringGrid1->viewport()->update();
}

std::vector<TValueDifference> TFormEditParam::Differences() const
{
    if (!comparison_)
        return {};
    TValueSet editor;
    editor.Parameters = ParameterValues;
    return CompareValueSets(*comparison_, editor, false).value_or(std::vector<TValueDifference>{});
}

bool TFormEditParam::RowMarked(int Row) const
{
    bool ok = false;
    const int n = Cell(NumberColumn, Row).toInt(&ok);
    return ok && differing_.count(n) > 0;
}

void TFormEditParam::subVergelijkenClick()
{
    QString caption = subVergelijken->text();
    caption.remove(QLatin1Char('&'));
    const QString path = AskOpenFileName(
        AppDialogs(), this, caption.toLatin1().toStdString(),
        LanguageLoaded ? LanguageFile.ReadString(Section, "VergelijkFilter", "*.app;*.bak") : std::string("*.app;*.bak"));
    if (path.isEmpty())
        return;
    const std::string file = LocalPath(path);
    TValueSet set;
    TFileResult loaded;
    loaded.Error = TFileError::WrongHeader; // not a kind of file that holds parameters
    if (IsValueSetFile(file))
        loaded = LoadValueSet(file, set);
    if (!loaded.Ok()) {
        ReportFileError(loaded, Section, "P", this, AppDialogs());
        return;
    }
    if (!set.Parameters) {
        AppDialogs().ShowError(this, LanguageLoaded ? Text("Msg_GeenParameters", "")
                                                    : QStringLiteral("This file holds no parameters."));
        return;
    }
    set.Setpoints.reset();
    comparison_ = std::move(set);
    comparisonName_ = QFileInfo(path).fileName();
    InitParameterStringgrid();
}

void TFormEditParam::subVerschillenClick()
{
    if (!comparison_)
        return;
    TFormVerschillen window(this);
    window.Execute(Differences());
}

void TFormEditParam::LoadTree()
{
    TreeView1->clear();
    const std::string fileName = TreeFileName(LanguageIndex);
    TMenuTree tree = LoadMenuTree(ProgramDir + fileName);
    // A file that exists but cannot be read is reported; only a missing one falls back silently.
    if (!tree.Ok() && !tree.Missing)
        AppDialogs().ShowError(this, Latin1(tree.ErrorKind + " error raised, with message : " + tree.ErrorMessage));
    if (tree.Nodes.empty()) {
        // No menu to select: offer every menu of the menu map under their numbers instead.
        const char* defaultCaption = "Menu's op nummer (geen menuboom in %1)";
        QString caption = LanguageLoaded ? Text("MenuTreeMissing", defaultCaption) : QString::fromLatin1(defaultCaption);
        caption.replace(QStringLiteral("%1"), QString::fromLatin1(fileName.c_str()));
        tree = MenuTreeFromMenuMap(ParameterMenuMap, caption.toLatin1().toStdString());
    }

    QIcon folder;
    folder.addPixmap(style()->standardPixmap(QStyle::SP_DirClosedIcon), QIcon::Normal);
    folder.addPixmap(style()->standardPixmap(QStyle::SP_DirOpenIcon), QIcon::Selected);
    std::vector<QTreeWidgetItem*> items;
    items.reserve(tree.Nodes.size());
    for (const TMenuTreeNode& node : tree.Nodes) {
        QTreeWidgetItem* item = node.Parent < 0 ? new QTreeWidgetItem(TreeView1)
                                                : new QTreeWidgetItem(items[static_cast<std::size_t>(node.Parent)]);
        item->setText(0, Latin1(node.Caption));
        item->setIcon(0, folder);
        item->setData(0, MenuNumberRole, node.MenuNumber);
        item->setData(0, SubmenuNumberRole, node.SubmenuNumber);
        items.push_back(item);
    }
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i)
        TreeView1->topLevelItem(i)->setExpanded(true);
    if (QTreeWidgetItem* root = TreeView1->topLevelItem(0)) {
        TreeView1->setCurrentItem(root);
        root->setSelected(true);
    }
    TreeSelectionChanged(TreeView1->currentItem());
}

void TFormEditParam::TreeSelectionChanged(QTreeWidgetItem* Item)
{
    menuNumber_ = Item ? Item->data(0, MenuNumberRole).toInt() : 0;
    submenuNumber_ = Item ? Item->data(0, SubmenuNumberRole).toInt() : 0;
    InitParameterStringgrid();
}

void TFormEditParam::ClearStringGrid()
{
    for (int row = 0; row < RowCount; ++row)
        for (int column = 0; column < ColumnCount; ++column)
            StringGrid1->item(row, column)->setText(QString());
}

void TFormEditParam::InitParameterStringgrid()
{
    CmdClear->setEnabled(menuNumber_ == 9);
    RefreshComparison();
    if (!CatalogueLoaded || !MenuMapLoaded)
        return;
    for (int row = 1; row <= RowCount; ++row) {
        const TParameterMenuRow cells = ParameterMenuRow(menuNumber_, submenuNumber_, row);
        for (int column = 0; column < ColumnCount; ++column)
            StringGrid1->item(row - 1, column)->setText(Latin1(cells.Cells[static_cast<std::size_t>(column)]));
    }
}

QString TFormEditParam::Cell(int Column, int Row) const
{
    const QTableWidgetItem* item = StringGrid1->item(Row - 1, Column);
    return item ? item->text() : QString();
}

int TFormEditParam::SelectedRow() const
{
    const int row = StringGrid1->currentRow();
    return row >= 0 ? row + 1 : 0;
}

void TFormEditParam::SelectRow(int Row)
{
    if (Row >= 1 && Row <= RowCount)
        StringGrid1->setCurrentCell(Row - 1, NumberColumn);
    if (SelectedRow() == Row)
        StringGrid1SelectCell(Row); // also when the row was selected already
}

QString TFormEditParam::StatusPanelText(int Index) const
{
    return Index >= 0 && Index < static_cast<int>(StatusPanels.size()) ? StatusPanels[static_cast<std::size_t>(Index)]->text()
                                                                       : QString();
}

QTreeWidgetItem* TFormEditParam::TreeNode(int Menu, int Submenu) const
{
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it)
        if ((*it)->data(0, MenuNumberRole).toInt() == Menu && (*it)->data(0, SubmenuNumberRole).toInt() == Submenu)
            return *it;
    return nullptr;
}

bool TFormEditParam::ListHighlightsSelection() const
{
    return listDelegate_->ViewHasFocus();
}

void TFormEditParam::StringGrid1SelectCell(int Row)
{
    SelectedParameter.Number = Cell(1, Row).toLatin1().toStdString();
    SelectedParameter.Name = Cell(2, Row).toLatin1().toStdString();
    const std::optional<int32_t> n = ParseDecimalInt32(SelectedParameter.Number);
    if (SelectedParameter.Number.empty() || !n || *n < 0 || *n >= ParameterCount) {
        ClearValuePanels();
        return;
    }
    const TSelectedParameter selected = SelectedParameterOf(*n);
    rowDecimals_ = ParameterCatalogue.Dec(*n);
    SelectedParameter.ValueText = selected.ValueText;
    SelectedParameter.Min = selected.Min;
    SelectedParameter.Max = selected.Max;
    SelectedParameter.MinText = selected.MinText;
    SelectedParameter.MaxText = selected.MaxText;
    SelectedParameter.DefaultText = selected.DefaultText;
    StatusPanels[MinValuePanel]->setText(Latin1(selected.MinText));
    StatusPanels[MaxValuePanel]->setText(Latin1(selected.MaxText));
    StatusPanels[DefaultValuePanel]->setText(Latin1(selected.DefaultText));
}

void TFormEditParam::ClearValuePanels()
{
    for (int value : {MinValuePanel, MaxValuePanel, DefaultValuePanel})
        StatusPanels[static_cast<std::size_t>(value)]->clear();
}

void TFormEditParam::StringGrid1DblClick()
{
    const int row = SelectedRow();
    if (row == 0 || Cell(NumberColumn, row).isEmpty() || !FormParamService)
        return;
    // The selection may stem from another menu's list: act on what the row shows now.
    StringGrid1SelectCell(row);
    const std::optional<int32_t> n = ParseDecimalInt32(SelectedParameter.Number);
    if (!n || *n < 0 || *n >= ParameterCount)
        return;
    FormParamService->Execute();
    InitParameterStringgrid();
    SelectedParameter.ValueText = FormatFixed(rowDecimals_, ParameterValues[static_cast<std::size_t>(*n)]);
}

void TFormEditParam::StringGrid1Exit()
{
    ClearValuePanels();
}

bool TFormEditParam::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == StringGrid1) {
        if (Event->type() == QEvent::FocusOut) {
            StringGrid1Exit();
        } else if (Event->type() == QEvent::FocusIn) {
            if (const int row = SelectedRow())
                StringGrid1SelectCell(row);
        } else if (Event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(Event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                StringGrid1DblClick();
                return true;
            }
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TFormEditParam::CmdClearClick()
{
    ClearMenuParameters(MenuId(menuNumber_, submenuNumber_));
    InitParameterStringgrid();
}

void TFormEditParam::SetTransferItemsEnabled(bool Enabled)
{
    subParOntvangen->setEnabled(Enabled);
    subParZenden->setEnabled(Enabled);
    subLoader->setEnabled(Enabled);
}

void TFormEditParam::RefreshMainFunctionTexts()
{
    if (FormMain) {
        FormMain->InputFunctieTeksten();
        FormMain->OutputFunctieTeksten();
    }
}

void TFormEditParam::subOpenenClick()
{
    if (!OpenParameterFileCommand(this, AppDialogs()))
        return;
    InitParameterStringgrid();
    RefreshMainFunctionTexts();
}

void TFormEditParam::subOpslaanAlsClick()
{
    SaveParameterFileCommand(this, AppDialogs());
}

void TFormEditParam::subLaadDefaultClick()
{
    if (!CatalogueLoaded) {
        if (LanguageLoaded)
            AppDialogs().MessageBox(this, QMessageBox::Critical, Text("Msg_ErrorCaption", ""),
                                    Text("msg_ErrorSetDefaultPar", ""), QMessageBox::Ok);
        return;
    }
    ParameterValues = CatalogueDefaultValues();
    if (LanguageLoaded)
        AppDialogs().MessageBox(this, QMessageBox::Information, Text("Msg_InfoCaption", ""),
                                Text("msg_DefaultParGeladen", ""), QMessageBox::Ok);
    InitParameterStringgrid();
    ParameterSource = TParameterSource::Defaults;
    RefreshMainFunctionTexts();
}

void TFormEditParam::subAfdrukkenClick()
{
    if (ParameterSource == TParameterSource::None) {
        if (!LanguageLoaded || AskWarning(this, "Afdrukken", JoinedKeys("Afdrukken", "AfdrukMsg_", 1, 6)) !=
                                   QMessageBox::Yes)
            return;
    }
    CallHook(&TFormMain::TWindows::ParameterPrintout);
}

void TFormEditParam::subAfsluitenClick()
{
    close();
}

void TFormEditParam::subParOntvangenClick()
{
    if (!FormLeesParSoll || !FormLeesParSoll->Execute(0))
        return; // cancelled or failed: the table stays as it was
    ParameterValues = FormLeesParSoll->ReadParameters();
    ParameterSource = TParameterSource::Device;
    InitParameterStringgrid();
    RefreshMainFunctionTexts();
}

void TFormEditParam::subParZendenClick()
{
    // A second Send while the write runs would change its values under it.
    if (!FormSchrijfParSoll || FormSchrijfParSoll->isVisible())
        return;
    if (ParameterSource == TParameterSource::None) {
        if (!LanguageLoaded || AskWarning(this, Section, JoinedKeys(Section, "ZendMsg_", 1, 6)) != QMessageBox::Yes)
            return;
    }
    FormSchrijfParSoll->SetParameters(ParameterValues);
    // The run keeps ParametersSentNotLoaded: set by its first "wp", cleared by an answered "bp".
    FormSchrijfParSoll->Execute(0);
}

void TFormEditParam::subLoaderClick()
{
    if (FormParLoader)
        FormParLoader->exec();
}

void TFormEditParam::subNokkenInfoClick()
{
    CallHook(&TFormMain::TWindows::CamDisplay);
}

void TFormEditParam::subLinearisatieClick()
{
    CallHook(&TFormMain::TWindows::Linearisation);
    InitParameterStringgrid(); // the curve's points are parameters
}

void TFormEditParam::subErrorNummersClick()
{
    CallHook(&TFormMain::TWindows::ErrorHelp);
}

bool TFormEditParam::ConfirmClose()
{
    if (!ParametersSentNotLoaded || !LanguageLoaded)
        return true;
    const QString message = Latin1(WrapMessage42(LanguageFile.ReadString(Section, "Msg_ParGezondenEnNietGeladen", "")));
    return AskWarning(this, Section, message) == QMessageBox::Yes;
}

void TFormEditParam::reject()
{
    const bool close = ConfirmClose();
    RefreshMainFunctionTexts();
    if (close)
        QDialog::reject();
}
