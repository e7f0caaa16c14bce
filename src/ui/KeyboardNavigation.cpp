#include "ui/KeyboardNavigation.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// Sees the Enter keys the window's controls leave alone (they pass up to the window).
class TEnterFilter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        auto *window = static_cast<QWidget *>(watched);
        QWidget *focus = QApplication::focusWidget();
        if (focus == nullptr || (focus != window && !window->isAncestorOf(focus))) {
            return false;
        }
        if (auto *button = qobject_cast<QPushButton *>(focus)) {
            button->click();
            return true;
        }
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(focus, &tab);
        return true;
    }
};

} // namespace

void EnterMovesLikeTab(QWidget *window)
{
    window->installEventFilter(new TEnterFilter(window));
}
