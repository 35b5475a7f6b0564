#pragma once
// Drives the modal windows that a menu command opens. The command runs the window's own event loop
// and returns only when the window has closed, so a test arranges beforehand what to do once the
// window is up, then triggers the command:
//
//   auto ok = modal_windows::ClickWhenEnabled("FormLeesParSoll", "CmdOK", 120000);
//   form.findChild<QAction*>("KM40ontvangen1")->trigger();
//   QVERIFY(ok->acted);
//
// A modal window still open when a step's time-out has passed is closed with Rejected, so the test
// fails on its checks instead of hanging.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace modal_windows {

inline void CloseRejected(QWidget* Window)
{
    if (auto* dialog = qobject_cast<QDialog*>(Window))
        dialog->done(QDialog::Rejected);
    else if (Window)
        Window->close();
}

struct StepState {
    bool acted = false;   // Act ran
    bool expired = false; // the time-out closed the window (or found none) instead
};

// Once the application's modal window is named WindowName and Ready(window) holds, Act(window)
// runs, once. Checked every 20 ms from the event loop of whichever window is modal. Until that
// window has closed, it is closed with Rejected when TimeoutMs have passed since the call.
inline std::shared_ptr<const StepState> When(const QString& WindowName, std::function<bool(QWidget*)> Ready,
                                             std::function<void(QWidget*)> Act, int TimeoutMs)
{
    auto state = std::make_shared<StepState>();
    auto* timer = new QTimer(qApp); // the application takes any step still waiting at its end
    auto clock = std::make_shared<QElapsedTimer>();
    auto actedOn = std::make_shared<QPointer<QWidget>>();
    clock->start();
    auto finish = [timer] {
        timer->stop();
        timer->deleteLater();
    };
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (state->acted) {
            QWidget* window = *actedOn;
            if (!window || !window->isVisible()) {
                finish();
            } else if (clock->elapsed() > TimeoutMs) {
                finish();
                state->expired = true;
                CloseRejected(window);
            }
            return;
        }
        QWidget* window = QApplication::activeModalWidget();
        const bool ours = window && window->isVisible() && window->objectName() == WindowName;
        if (ours && Ready(window)) {
            state->acted = true;
            *actedOn = window;
            Act(window);
            return;
        }
        if (clock->elapsed() <= TimeoutMs)
            return;
        finish();
        state->expired = true;
        if (ours)
            CloseRejected(window);
    });
    timer->start(20);
    return state;
}

// The button ButtonName of the modal window WindowName, or null.
inline QAbstractButton* Button(QWidget* Window, const QString& ButtonName)
{
    return Window ? Window->findChild<QAbstractButton*>(ButtonName) : nullptr;
}

// Clicks the button ButtonName of the modal window WindowName as soon as it is enabled.
inline std::shared_ptr<const StepState> ClickWhenEnabled(const QString& WindowName, const QString& ButtonName,
                                                         int TimeoutMs)
{
    return When(
        WindowName,
        [ButtonName](QWidget* window) {
            QAbstractButton* button = Button(window, ButtonName);
            return button && button->isEnabled();
        },
        [ButtonName](QWidget* window) { Button(window, ButtonName)->click(); }, TimeoutMs);
}

// For a command that must not open the modal window WindowName: while this lives, such a window is
// noted and closed with Rejected as soon as it shows.
class RefuseModal {
public:
    explicit RefuseModal(const QString& WindowName)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, WindowName] {
            QWidget* window = QApplication::activeModalWidget();
            if (window && window->isVisible() && window->objectName() == WindowName) {
                opened_ = true;
                CloseRejected(window);
            }
        });
        timer_.start(20);
    }
    RefuseModal(const RefuseModal&) = delete;
    RefuseModal& operator=(const RefuseModal&) = delete;

    bool Opened() const { return opened_; }

private:
    QTimer timer_;
    bool opened_ = false;
};

} // namespace modal_windows
