#include "core/EventLoop.h"
#include "core/NameValues.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

TEST(TimerEventLoop, TimersRunWhenDueInOrderAndCancelledOnesNever)
{
    TimerEventLoop loop;
    std::string order;
    loop.StartTimer(30, [&] { order += "c"; });
    const int cancelled = loop.StartTimer(10, [&] { order += "x"; });
    loop.StartTimer(0, [&] {
        order += "a";
        // Started by a callback: waits for the next round even at 0 ms.
        loop.StartTimer(0, [&] { order += "b"; });
    });
    loop.CancelTimer(cancelled);
    loop.ProcessEvents();
    EXPECT_EQ(order, "a");
    const auto started = std::chrono::steady_clock::now();
    while (loop.PendingTimers() > 0) {
        loop.WaitForEvents();
    }
    EXPECT_EQ(order, "abc");
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(25));
}

TEST(EventLoopInstall, TheInstalledLoopServesUntilRemoved)
{
    TimerEventLoop mine;
    EventLoop &before = CurrentEventLoop();
    EXPECT_NE(&before, &mine);
    SetEventLoop(&mine);
    EXPECT_EQ(&CurrentEventLoop(), &mine);
    SetEventLoop(nullptr);
    EXPECT_EQ(&CurrentEventLoop(), &before);
}

TEST(NameValues, NamesAreFoundWithoutRegardToCaseAndLinesSplitAtAnyEnd)
{
    TNameValueList list = {"A=1", "b=two=2", "NOEQUALS"};
    EXPECT_EQ(NameValue(list, "B"), "two=2");
    EXPECT_EQ(IndexOfName(list, "noequals"), -1);
    SetNameValue(list, "a", "9");
    SetNameValue(list, "C", "");
    EXPECT_EQ(list, (TNameValueList {"a=9", "b=two=2", "NOEQUALS", "C="}));
    EXPECT_TRUE(HasName(list, "c"));
    EXPECT_EQ(SplitLines("x=1\r\ny=2\nz=3\rlast"), (TNameValueList {"x=1", "y=2", "z=3", "last"}));
    EXPECT_EQ(SplitLines("one\r\n"), (TNameValueList {"one"}));
}
