#include "comm/qt/QtUiDispatcher.h"

#include <QAbstractEventDispatcher>
#include <QtGlobal>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>

QtUiDispatcher::QtUiDispatcher() : context_(std::make_unique<QObject>()) {}

QtUiDispatcher::~QtUiDispatcher() = default;

bool QtUiDispatcher::isUiThread() const
{
    return QThread::currentThread() == context_->thread();
}

void QtUiDispatcher::runAndWait(const std::function<void()>& Call)
{
    if (isUiThread()) {
        Call();
        return;
    }
    // Runs in the context object's thread, also inside a modal dialog's event loop.
    QMetaObject::invokeMethod(
        context_.get(),
        [this, &Call] {
            try {
                Call();
            } catch (...) {
                if (exceptionHandler_) {
                    exceptionHandler_(std::current_exception());
                } else {
                    try {
                        throw;
                    } catch (const std::exception& e) {
                        qWarning("Unhandled exception in a serial event handler: %s", e.what());
                    } catch (...) {
                        qWarning("Unhandled exception in a serial event handler");
                    }
                }
            }
        },
        Qt::BlockingQueuedConnection);
}

void QtUiDispatcher::setExceptionHandler(std::function<void(std::exception_ptr)> Handler)
{
    exceptionHandler_ = std::move(Handler);
}

void QtUiDispatcher::processUntil(const std::function<bool()>& Done)
{
    // wakeUp makes the blocked event dispatcher return; the timer is only a backstop so that a
    // wake-up lost inside a foreign event dispatcher cannot hang the program.
    QTimer backstop;
    backstop.start(50);
    QEventLoop loop;
    while (!Done()) {
        // Called from a queued call (a zero-time single shot), the event loop does not deliver the
        // next queued call while this one runs: the serial thread's blocking call into this thread
        // is sent here by hand, or the two would wait for each other.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        if (Done())
            break;
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void QtUiDispatcher::wakeUp()
{
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(context_->thread()))
        dispatcher->wakeUp();
}
