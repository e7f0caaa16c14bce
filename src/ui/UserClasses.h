#pragma once

// The agent's own sub-classes: "User Defined Class Setup" lists them, "Sub Class Information"
// makes one from a class of the plan under a title the agent types. They are stored in the
// program's user class table through the quote's rate book, and join the quote's class book.

#include "ui/DialogKeys.h"

#include <functional>

class QCheckBox;
class QListWidget;
class QPushButton;
class QTreeWidget;
class TVereDivoClass;
class TVereDivoQuote;

class TfrmUserClasses final : public TEnterTabDialog
{
    Q_OBJECT

public:
    TfrmUserClasses(TVereDivoQuote &quote, QWidget *parent = nullptr);

    // "&Close" (and Escape): accepted when a class was added, edited or deleted.
    void reject() override;

    // Told before a user class is deleted and its line freed.
    std::function<void(TVereDivoClass &)> BeforeDelete;

    QTreeWidget *lstUserClasses = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnEdit = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnClose = nullptr;

private:
    void Fill(const TVereDivoClass *selected);
    TVereDivoClass *Selected();
    void Add();
    void Edit();
    void Delete();

    TVereDivoQuote &m_quote;
    bool m_changed = false;
};

class TfrmSubClassInfo final : public TEnterTabDialog
{
    Q_OBJECT

public:
    // For a new sub-class `line` is none and the agent picks the class it derives from; for an
    // existing one its parent is shown fixed and only the title changes.
    TfrmSubClassInfo(TVereDivoQuote &quote, const TVereDivoClass *line, QWidget *parent = nullptr);

    void accept() override; // "&Done": a class and a title are required

    // The class picked (or the fixed parent) and the title, upper-cased.
    TVereDivoClass *Parent() const;
    std::string Title() const;

    QListWidget *lstClasses = nullptr;
    QCheckBox *chkShowCode = nullptr;
    QLineEdit *txtTitle = nullptr;
    QPushButton *btnDone = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void Fill();

    TVereDivoQuote &m_quote;
    TVereDivoClass *m_fixedParent = nullptr;
    bool m_editing = false;
};
