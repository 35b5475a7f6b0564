#pragma once
// TFormInfoErrorNummers: the controller's error numbers and what to do about each, from the
// rich-text help page of the current language (ErrorHelp0.rtf .. ErrorHelp2.rtf). It stays open
// beside the main window and loads the page again each time it becomes active, so it follows a
// change of language.

#include <QDialog>

#include <QPointer>

#include <string>

class QTextBrowser;

class TFormInfoErrorNummers : public QDialog {
    Q_OBJECT
public:
    explicit TFormInfoErrorNummers(QWidget* Parent = nullptr);
    ~TFormInfoErrorNummers() override;

    // Shows the window without blocking the main window, or brings it to the front; opened from a
    // modal window, it takes input while that window is open.
    void ShowHelp();
    void FormActivate();

    QTextBrowser* RichEdit1 = nullptr;

protected:
    void changeEvent(QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    QPointer<QWidget> home_; // the window it belongs to when no modal window is open
    // A page that failed to load is reported once, not at every activation.
    std::string failedPage_;
};

// "ErrorHelp<n>.rtf" for language 0..2, empty for any other index.
std::string ErrorHelpFileName(int LanguageIndex);

// The program's one error-help window (null until created).
extern TFormInfoErrorNummers* FormInfoErrorNummers;
