#pragma once
// The command line of kmt40. "--simulate" (anywhere) starts a simulated controller on COM1
// (SimulatedLine.h); it is taken out before the program's own rule looks at the first argument
// ("adjustkit").
#include <QStringList>

struct StartOptions {
    bool simulate = false;
    QStringList arguments; // the remaining arguments, program name excluded
};

// arguments: as QCoreApplication::arguments() gives them, program name first.
StartOptions ParseStartOptions(const QStringList& arguments);
