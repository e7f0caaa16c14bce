#pragma once

#include <functional>

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
};
