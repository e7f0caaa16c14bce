#include "ui/QtEventLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

QtEventLoop::QtEventLoop() = default;
QtEventLoop::~QtEventLoop() = default;

void QtEventLoop::ProcessEvents()
{
    QCoreApplication::processEvents();
}

int QtEventLoop::StartTimer(int milliseconds, std::function<void()> callback)
{
    const int id = ++m_lastId;
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [this, id, callback = std::move(callback)] {
                         // The timer is freed later: it is still emitting this signal.
                         if (auto found = m_timers.find(id); found != m_timers.end()) {
                             found->second.release()->deleteLater();
                             m_timers.erase(found);
                         }
                         callback();
                     });
    timer->start(milliseconds < 0 ? 0 : milliseconds);
    m_timers.emplace(id, std::move(timer));
    return id;
}

void QtEventLoop::WaitForEvents()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtEventLoop::CancelTimer(int id)
{
    m_timers.erase(id);
}
