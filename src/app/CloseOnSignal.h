#pragma once
// On Linux and other POSIX systems a desktop program is asked to end by a signal: SIGTERM at logout
// or shutdown, SIGINT for Ctrl+C in the terminal that started it, SIGHUP when that terminal goes.
// Without this the program would die on the spot, with its settings unsaved; here the signal closes
// the main window as its close box does, so the port is closed and application.ini written first
// (CloseOnSignal_posix.cpp). On Windows the end of the session does the same (CloseOnSignal_win32.cpp).
#include <QObject>
#include <QPointer>
#include <QWidget>

class QSocketNotifier;

class CloseOnSignal : public QObject {
    Q_OBJECT
public:
    // One at a time: a second instance leaves the signals alone.
    explicit CloseOnSignal(QWidget* window, QObject* parent = nullptr);
    ~CloseOnSignal() override;
    CloseOnSignal(const CloseOnSignal&) = delete;
    CloseOnSignal& operator=(const CloseOnSignal&) = delete;

private:
    void onSignal();

    QPointer<QWidget> window_;
    QSocketNotifier* notifier_ = nullptr; // POSIX: the read end of the signal pipe
};
