#pragma once
// The application object: an exception that escapes an event handler is shown in the standard
// error box and the program keeps running (an exception must never unwind through Qt).
#include <QApplication>

class KmtApplication : public QApplication {
public:
    KmtApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
