#include "support/ModalScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace {
constexpr int kTickMs = 5;
constexpr int kUnexpectedLimitTicks = 3000 / kTickMs;
} // namespace

ModalScript::ModalScript() : m_timer(std::make_unique<QTimer>())
{
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { Poll(); });
    m_timer->start(kTickMs);
}

ModalScript::~ModalScript()
{
    m_timer->stop();
    EXPECT_TRUE(m_actions.empty()) << m_actions.size() << " modal dialog(s) expected never came up";
}

ModalScript &ModalScript::Then(Action action)
{
    m_actions.push_back(std::move(action));
    return *this;
}

void ModalScript::Poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) {
        m_waitingTicks = 0;
        return;
    }
    const bool seen = std::find(m_seen.begin(), m_seen.end(), modal) != m_seen.end();
    if (seen || m_actions.empty()) {
        // Nobody is going to close this one: give up after a while rather than hang.
        if (++m_waitingTicks > kUnexpectedLimitTicks) {
            ADD_FAILURE() << "modal window \"" << modal->windowTitle().toStdString()
                          << "\" left open";
            m_waitingTicks = 0;
            if (auto *dialog = qobject_cast<QDialog *>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
        }
        return;
    }
    m_seen.erase(std::remove(m_seen.begin(), m_seen.end(), nullptr), m_seen.end());
    m_seen.emplace_back(modal);
    m_waitingTicks = 0;
    ++m_handled;
    // The action runs from its own event so that a dialog it opens in turn (a message box
    // after a click) is still polled here.
    QTimer::singleShot(0, modal, [modal, action = std::move(m_actions.front())] { action(modal); });
    m_actions.pop_front();
}

QAbstractButton *ButtonWithText(QWidget *dialog, const QString &text)
{
    for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

void ClickButton(QWidget *dialog, const QString &text)
{
    QAbstractButton *button = ButtonWithText(dialog, text);
    ASSERT_NE(button, nullptr) << "no button \"" << text.toStdString() << "\" in \""
                               << dialog->windowTitle().toStdString() << "\"";
    button->click();
}
