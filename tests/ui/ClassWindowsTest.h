#pragma once

// What the tests of the class windows share: a quote on a temporary copy of the delivered
// program folder, the class line dialogs installed, and ways to drive widgets as an agent does.

#include "QuoteHarness.h"
#include "support/ModalScript.h"
#include "support/ScratchFolder.h"
#include "ui/ClassLineDialogs.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <string>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

class ClassWindowsTest : public ::testing::Test
{
protected:
    explicit ClassWindowsTest(const std::string &state = "MA", int32_t broker = 1);

    TVereDivoQuote &Quote() { return m_harness->Quote(); }
    QuoteHarness &Harness() { return *m_harness; }
    ScriptedPrompter &Messages() { return m_harness->Prompter(); }
    const std::string &ProgramFolder() const { return m_program.Path(); }

    // The total the rating command gives for the quote's classes (no deviations), or -1.
    int32_t RatedTotal();

private:
    ScratchFolder m_program;
    std::unique_ptr<QuoteHarness> m_harness;
    TScopedClassLineEditor m_editor;
};

// Gives the box the focus and types the text over what it holds.
void TypeInto(QLineEdit *box, const QString &text);
// Back to a window after a dialog over it closed: it is the active window again (the
// offscreen platform has no window manager to hand activation back).
void Reactivate(QWidget *window);
// Alt+key, as a mnemonic: the button it presses clicks once its click animation is over.
void AltKey(QWidget *target, Qt::Key key);
// Tab: leaves the focused widget the way an agent does.
void TabOn(QWidget *widget);
// The row whose column holds the text, or nullptr.
QTreeWidgetItem *RowWithText(QTreeWidget *list, int column, const QString &text);
// The texts of one column, top to bottom.
QStringList ColumnTexts(QTreeWidget *list, int column);
// An action for "Edit Classification": types payroll, Enter (moves on), employees, Alt+C.
ModalScript::Action PayrollDialog(const QString &payroll, const QString &employees);
