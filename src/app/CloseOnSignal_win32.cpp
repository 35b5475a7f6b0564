#include "app/CloseOnSignal.h"

#include <QGuiApplication>
#include <QWidget>

// Windows asks a program to end at logoff or shutdown (WM_QUERYENDSESSION), which Qt passes on as
// commitDataRequest; the main window is closed there as its close box would, so the port is closed
// and application.ini written before the program goes. There are no signals to catch.
CloseOnSignal::CloseOnSignal(QWidget* window, QObject* parent) : QObject(parent), window_(window)
{
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &CloseOnSignal::onSignal);
}

CloseOnSignal::~CloseOnSignal() = default;

void CloseOnSignal::onSignal()
{
    if (window_)
        window_->close();
}
