#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
class QAbstractButton;

// Drives modal dialogs that the code under test opens with exec(): each queued action runs, in
// order, on the next modal widget that comes up. A modal widget that appears when no action is
// left is rejected after a few seconds and the test fails, so no test waits on a user.
class ModalScript
{
public:
    using Action = std::function<void(QWidget *)>;

    ModalScript();
    ~ModalScript(); // fails the test when queued actions never ran
    ModalScript(const ModalScript &) = delete;
    ModalScript &operator=(const ModalScript &) = delete;

    ModalScript &Then(Action action);
    int Handled() const { return m_handled; }
    bool Done() const { return m_actions.empty(); }

private:
    void Poll();

    std::deque<Action> m_actions;
    std::unique_ptr<QTimer> m_timer;
    // Every modal widget an action was given: one that comes back on top when a dialog it
    // opened closes is not a new one.
    std::vector<QPointer<QWidget>> m_seen;
    int m_waitingTicks = 0;
    int m_handled = 0;
};

// The button of `dialog` whose text is `text` (mnemonic "&" included), or nullptr.
QAbstractButton *ButtonWithText(QWidget *dialog, const QString &text);
// Clicks that button; fails the test when there is none.
void ClickButton(QWidget *dialog, const QString &text);

// Lets the event loop run until `condition` holds or `ms` milliseconds have passed; the
// condition's last answer.
template<typename Condition>
bool WaitFor(Condition condition, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}
