#include "views/ModalView.h"

#include <QShowEvent>

void TModalView::Execute()
{
    if (parentWidget())
        move(parentWidget()->window()->geometry().center() - rect().center());
    exec();
}

void TModalView::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    // A window restored from being minimised is not opened anew.
    if (!Event->spontaneous())
        FormActivate();
}

void TModalView::done(int Result)
{
    FormClose();
    QDialog::done(Result);
}
