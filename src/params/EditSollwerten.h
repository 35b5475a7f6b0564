#pragma once
// TFormEditSollwerten: the window in which the 48 setpoints are edited in place in a grid, read
// from and written to the controller, kept in setpoint files and printed. Every setpoint is shown
// and typed with the decimals parameter 203 holds. An accepted entry goes straight into
// SetpointValues; Escape before Enter is the only undo.

#include <QDialog>

#include <string>

#include "comm/ZBComm.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class TSetpointGrid;

class TFormEditSollwerten : public QDialog {
    Q_OBJECT
public:
    // Port is the main window's ZBComm1: the transfer commands are offered while it is open.
    explicit TFormEditSollwerten(TZBComm* Port, QWidget* Parent = nullptr);
    ~TFormEditSollwerten() override;

    // Opens the window modally.
    void Execute();

    void FormActivate();
    void InitSollwertStringgrid();
    void StringGrid1KeyDown(int Key);
    // Enter and Escape on the current cell, editing or not.
    void StringGrid1Enter();
    void StringGrid1Escape();

    void subOpenenClick();
    void subOpslaanAlsClick();
    void subAfdrukkenClick();
    void subAfsluitenClick();
    void subParOntvangenClick();
    void subParZendenClick();

    // Cell text: Column 0..4, Row 1..24 (the in-place editor's text counts once Enter stored it).
    QString Cell(int Column, int Row) const;
    // The current cell: Column 1 or 4, Row 1..24.
    int CurrentColumn() const;
    int CurrentRow() const;
    // Makes (Column, Row) the current cell as a click would.
    void SelectCell(int Column, int Row);
    bool Editing() const;
    QLineEdit* CellEditor() const;

    QMenuBar* MainMenu1 = nullptr;
    QMenu* menuBestand = nullptr;
    QAction* subOpenen = nullptr;
    QAction* subOpslaanAls = nullptr;
    QAction* subAfdrukken = nullptr;
    QAction* subAfsluiten = nullptr;
    QMenu* menuZendenOntvangen = nullptr;
    QAction* subParOntvangen = nullptr;
    QAction* subParZenden = nullptr;

    TSetpointGrid* StringGrid1 = nullptr;
    QLabel* Panel1 = nullptr;

    // An entry typed but not yet confirmed with Enter, before a command uses the values: taken over
    // as Enter would take it (the edit ends), or refused with the refusal text, which returns false
    // so the command does nothing.
    bool TakeOverPendingEntry();

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void BuildMenu();
    // Stores Text as the setpoint when it is a valid entry; otherwise shows the stored value again
    // with the refusal text. True when stored.
    bool StoreEntry(int Setpoint, const QString& Text);
    void ApplyTexts();
    // The setpoint the current cell shows (1..48).
    int CurrentSetpoint() const;
    void ShowSetpoint(int Setpoint);

    TZBComm* port_;
    int lastKey_ = 0;
    int lastColumn_ = 1;
    int lastRow_ = 1;
    std::string msgSollwertOngeldig_;
};

// The program's one setpoint editor (null until created).
extern TFormEditSollwerten* FormEditSollwerten;
