#include "ui/QtBusyIndicator.h"

#include <QApplication>
#include <QCursor>

QtBusyIndicator::~QtBusyIndicator()
{
    SetBusy(false);
}

void QtBusyIndicator::SetBusy(bool busy)
{
    if (busy == m_busy) {
        return;
    }
    m_busy = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}
