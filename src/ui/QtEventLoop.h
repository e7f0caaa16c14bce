#pragma once

#include "core/EventLoop.h"

#include <map>
#include <memory>

class QTimer;

// The Qt message loop behind the headless EventLoop: single-shot QTimers. Timers still pending
// when the object goes never fire.
class QtEventLoop final : public EventLoop
{
public:
    QtEventLoop();
    ~QtEventLoop() override;
    QtEventLoop(const QtEventLoop &) = delete;
    QtEventLoop &operator=(const QtEventLoop &) = delete;

    void ProcessEvents() override;
    int StartTimer(int milliseconds, std::function<void()> callback) override;
    void CancelTimer(int id) override;
    void WaitForEvents() override;

    int PendingTimers() const { return static_cast<int>(m_timers.size()); }

private:
    std::map<int, std::unique_ptr<QTimer>> m_timers;
    int m_lastId = 0;
};
