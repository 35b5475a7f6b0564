#pragma once
// What the cam display, the live graph and the linearisation editor share as modal windows: shown
// centred on the main window, prepared (FormActivate) each time they are opened, and FormClose
// run however they are closed (close box, Escape).
#include <QDialog>

class TModalView : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    // Shows the window modally, centred on its parent's window.
    void Execute();

    virtual void FormActivate() = 0;
    virtual void FormClose() {}

protected:
    void showEvent(QShowEvent* Event) override;
    void done(int Result) override;
};
