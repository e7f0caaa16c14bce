#include "core/EventLoop.h"

#include <thread>

namespace {

EventLoop *g_installed = nullptr;

TimerEventLoop &DefaultLoop()
{
    static TimerEventLoop loop;
    return loop;
}

} // namespace

EventLoop &CurrentEventLoop()
{
    return g_installed != nullptr ? *g_installed : DefaultLoop();
}

EventLoop *SetEventLoop(EventLoop *loop)
{
    EventLoop *previous = g_installed;
    g_installed = loop;
    return previous;
}

void TimerEventLoop::ProcessEvents()
{
    const Clock::time_point now = Clock::now();
    // Timers started by a callback wait for the next call.
    const int last = m_lastId;
    for (;;) {
        auto due = m_timers.begin();
        while (due != m_timers.end() && due->first.first <= now && due->first.second > last) {
            ++due;
        }
        if (due == m_timers.end() || due->first.first > now) {
            return;
        }
        std::function<void()> callback = std::move(due->second);
        m_timers.erase(due);
        callback();
    }
}

int TimerEventLoop::StartTimer(int milliseconds, std::function<void()> callback)
{
    const int id = ++m_lastId;
    const auto due = Clock::now() + std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
    m_timers.emplace(std::make_pair(due, id), std::move(callback));
    return id;
}

void TimerEventLoop::CancelTimer(int id)
{
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->first.second == id) {
            m_timers.erase(it);
            return;
        }
    }
}

void TimerEventLoop::WaitForEvents()
{
    if (m_timers.empty()) {
        return;
    }
    const Clock::time_point due = m_timers.begin()->first.first;
    if (due > Clock::now()) {
        std::this_thread::sleep_until(due);
    }
    ProcessEvents();
}
