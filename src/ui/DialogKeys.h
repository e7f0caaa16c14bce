#pragma once

// What every dialog of the quote's windows shares at the keyboard: Enter moves on like Tab (a
// push button under the focus is pressed instead, and a widget may claim Enter for itself), and
// boxes that take numbers refuse other keys with a hint beside the box.

#include <QDialog>
#include <QLineEdit>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class TEnterTabDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TEnterTabDialog(QWidget *parent);

    // Enter with the focus on `widget` (or inside it) runs `action` instead of moving on.
    void SetEnterAction(QWidget *widget, std::function<void()> action);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::vector<std::pair<QPointer<QWidget>, std::function<void()>>> m_enterActions;
};

// A box for a whole number of at most `digits` digits, right-aligned.
class TCountEdit : public QLineEdit
{
    Q_OBJECT

public:
    TCountEdit(int digits, QWidget *parent);
    // The count, or empty text for 0.
    void SetCount(int32_t count);
};

// A box for a payroll in dollars, right-aligned and shown as "$12,345" once left. Only digits,
// "$", "," and "." can be typed.
class TPayrollEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TPayrollEdit(QWidget *parent);
    void SetAmount(int32_t amount);

protected:
    void focusOutEvent(QFocusEvent *event) override;
};

// A box for a rate or factor: digits and one ".", right-aligned.
class TRateEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TRateEdit(QWidget *parent);
};

// The hints shown when a box refuses a key.
extern const char *const kPayrollHint;
extern const char *const kCountHint;
extern const char *const kRateHint;

// Runs a command of a window: its error ends as a message and never reaches the event loop.
void Guarded(const std::function<void()> &command);

// Focus for an answer that sends the agent back to a box: the box gets it with its text selected.
void FocusBox(QWidget *box);
