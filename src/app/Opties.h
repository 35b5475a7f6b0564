#pragma once
// TFormOpties: the options window, in which the user picks the language. OK applies the texts
// of the chosen language to the main window and reloads the parameter catalogue, so names and
// option texts follow; the choice is stored in the settings when the program ends.

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

class TFormOpties : public QDialog {
    Q_OBJECT
public:
    explicit TFormOpties(QWidget* Parent = nullptr);
    ~TFormOpties() override;

    void FormActivate();
    void CmdOKClick();
    void CmdCancelClick();

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QLabel* LabelTaal = nullptr;
    QComboBox* ComboTaal = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    int shownIndex_ = 0; // the entry shown when the window was activated
};

// The program's one options window (null until created).
extern TFormOpties* FormOpties;
