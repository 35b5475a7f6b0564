#pragma once
// TFormVerschillen: the differences between the editor's parameters and a compared file, one line
// each as kmt40-cli diff prints them; Copy puts those lines on the clipboard, Save as CSV writes
// them as a table.

#include <QDialog>

#include <vector>

#include "params/core/SetComparison.h"

class QPlainTextEdit;
class QPushButton;

class TFormVerschillen : public QDialog {
    Q_OBJECT
public:
    explicit TFormVerschillen(QWidget* Parent = nullptr);

    // Shows the list modally.
    void Execute(const std::vector<TValueDifference>& Differences);

    void CmdKopierenClick();
    void CmdOpslaanCsvClick();

    // The lines as shown (and copied).
    QString Lines() const;

    QPlainTextEdit* MemoVerschillen = nullptr;
    QPushButton* CmdKopieren = nullptr;
    QPushButton* CmdOpslaanCsv = nullptr;
    QPushButton* CmdSluiten = nullptr;

private:
    void ApplyTexts();

    std::vector<TValueDifference> differences_;
};
