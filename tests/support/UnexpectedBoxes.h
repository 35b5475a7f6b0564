#pragma once
// A screenshot program has nobody to press a button: a message box it did not ask for would wait
// for ever. This watch prints each such box's text, closes it and counts it, so the program ends
// and says why instead of hanging.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

class UnexpectedBoxes {
public:
    UnexpectedBoxes()
    {
        timer_.setInterval(250);
        QObject::connect(&timer_, &QTimer::timeout, [this] { closeShownBoxes(); });
        timer_.start();
    }

    int Count() const { return count_; }

private:
    void closeShownBoxes()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible())
                continue;
            std::printf("unexpected message box \"%s\": %s\n", qPrintable(box->windowTitle()), qPrintable(box->text()));
            std::fflush(stdout);
            ++count_;
            box->reject();
        }
    }

    QTimer timer_;
    int count_ = 0;
};
