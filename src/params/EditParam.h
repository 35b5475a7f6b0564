#pragma once
// TFormEditParam: the window in which the working parameter set is browsed by menu and edited one
// value at a time. The tree on the left holds the menus of the current language; the list on the
// right the parameters of the selected menu with their values; the status bar the limits and
// default of the selected parameter. Its menus read, write and compute the set, open and save
// parameter files, load the factory defaults and lead to the other parameter views.

#include <QDialog>

#include <array>
#include <optional>
#include <set>

#include "comm/ZBComm.h"
#include "params/core/SetComparison.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TFocusHighlightDelegate;

class TFormEditParam : public QDialog {
    Q_OBJECT
public:
    static constexpr int RowCount = 18;
    static constexpr int ColumnCount = 5;

    // Port is the main window's ZBComm1: the transfer commands are offered while it is open.
    explicit TFormEditParam(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormEditParam() override;

    // Opens the window modally.
    void Execute();

    void FormActivate();
    void ClearStringGrid();
    void InitParameterStringgrid();
    // Row 1..18 of the list became the selected one.
    void StringGrid1SelectCell(int Row);
    // Double-click or Enter on the selected row: the single-parameter dialog.
    void StringGrid1DblClick();
    void StringGrid1Exit();
    void CmdClearClick();

    void subOpenenClick();
    void subOpslaanAlsClick();
    // Compares the parameters with a parameter or backup file: the differing rows are marked in
    // every menu's list and the status bar counts them.
    void subVergelijkenClick();
    // The list of the differences, with Copy and Save as CSV.
    void subVerschillenClick();
    void subLaadDefaultClick();
    void subAfdrukkenClick();
    void subAfsluitenClick();
    void subParOntvangenClick();
    void subParZendenClick();
    void subLoaderClick();
    void subNokkenInfoClick();
    void subLinearisatieClick();
    void subErrorNummersClick();

    int MenuNumber() const { return menuNumber_; }
    int SubmenuNumber() const { return submenuNumber_; }
    // Cell of the list: Column 0..4, Row 1..18.
    QString Cell(int Column, int Row) const;
    // Data row 1..18 of the list's selected row, 0 when none.
    int SelectedRow() const;
    // Selects the list row 1..18 as a click would.
    void SelectRow(int Row);
    // Text of status bar panel 0..6.
    QString StatusPanelText(int Index) const;
    // The tree node for (menu, submenu), or null.
    QTreeWidgetItem* TreeNode(int Menu, int Submenu) const;
    bool ListHighlightsSelection() const;
    // Whether list row 1..18 shows a parameter that differs from the compared file.
    bool RowMarked(int Row) const;
    // The differences from the compared file (none without a comparison).
    std::vector<TValueDifference> Differences() const;

    QMenuBar* ParamMenu1 = nullptr;
    QMenu* menuBestand = nullptr;
    QAction* subOpenen = nullptr;
    QAction* subOpslaanAls = nullptr;
    QAction* subVergelijken = nullptr;
    QAction* subVerschillen = nullptr;
    QAction* subLaadDefault = nullptr;
    QAction* subAfdrukken = nullptr;
    QAction* subAfsluiten = nullptr;
    QMenu* menuZendenOntvangen = nullptr;
    QAction* subParOntvangen = nullptr;
    QAction* subParZenden = nullptr;
    QAction* subLoader = nullptr;
    QMenu* menuVenster = nullptr;
    QAction* subNokkenInfo = nullptr;
    QAction* subLinearisatie = nullptr;
    QMenu* menuHelp = nullptr;
    QAction* subErrorNummers = nullptr;

    QTreeWidget* TreeView1 = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QPushButton* CmdClear = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 7> StatusPanels{}; // min, value, max, value, default, value, spare

    // Closing (Afsluiten, Escape, the close box) asks first while sent values wait for "bp".
    void reject() override;

protected:
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void BuildMenu();
    void BuildStatusBar();
    void ApplyTexts();
    void LoadTree();
    void SetTransferItemsEnabled(bool Enabled);
    void ClearValuePanels();
    bool ConfirmClose();
    void RefreshMainFunctionTexts();
    void TreeSelectionChanged(QTreeWidgetItem* Item);

    TZBComm* port_;
    TFocusHighlightDelegate* listDelegate_ = nullptr;
    int menuNumber_ = 0;
    int submenuNumber_ = 0;
    int rowDecimals_ = 0; // raw "dec" of the parameter in the selected row
    void RefreshComparison();
    std::optional<TValueSet> comparison_; // the compared file's values
    QString comparisonName_;
    std::set<int> differing_;             // parameter numbers
};

// The program's one parameter editor (null until created).
extern TFormEditParam* FormEditParam;
