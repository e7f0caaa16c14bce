#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <utility>

// The program's message loop as headless code sees it: script pauses, element waits and the
// usage notice run their timers on it, and long waits let it process pending events.
class EventLoop
{
public:
    virtual ~EventLoop() = default;

    // Handles the events waiting now and returns.
    virtual void ProcessEvents() = 0;
    // Calls `callback` once on the loop after `milliseconds`; returns an id for CancelTimer.
    virtual int StartTimer(int milliseconds, std::function<void()> callback) = 0;
    virtual void CancelTimer(int id) = 0;
    // Waits until at least one event (a timer, input) has been handled.
    virtual void WaitForEvents() { ProcessEvents(); }
};

// The loop of the program. The program installs its user interface's loop; until then (tools,
// headless tests) a TimerEventLoop of the process serves.
EventLoop &CurrentEventLoop();
// Installs `loop` (not owned) and returns the one it replaces; nullptr restores the default.
EventLoop *SetEventLoop(EventLoop *loop);

// A loop without a user interface: only timers, run in the order they fall due.
class TimerEventLoop final : public EventLoop
{
public:
    void ProcessEvents() override;
    int StartTimer(int milliseconds, std::function<void()> callback) override;
    void CancelTimer(int id) override;
    // Sleeps until the next timer is due and runs it; returns at once without timers.
    void WaitForEvents() override;

    int PendingTimers() const { return static_cast<int>(m_timers.size()); }

private:
    using Clock = std::chrono::steady_clock;
    // Keyed by due time, then id, so equal times run in the order they were started.
    std::map<std::pair<Clock::time_point, int>, std::function<void()>> m_timers;
    int m_lastId = 0;
};
