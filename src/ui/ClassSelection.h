#pragma once

// "Add Classifications to Quotation": the classes the quote's plan offers for its date on the
// left, the classes chosen for the quote on the right, the payrolls of the three exception
// classes (clerical, outside sales, drivers), a search by four-digit code, and the agent's own
// sub-classes. "&Calculate" makes the chosen list the quote's class list; "Ca&ncel" puts the
// quote's classes back exactly as they were.
//
//     TfrmClassList window(quote, this);   // once per quote window, or per use
//     window.exec();
//     if (window.QuoteChanged()) { recalculate; refill the class list; }

#include "rating/ClassListSnapshot.h"
#include "ui/DialogKeys.h"

#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TVereDivoClass;
class TVereDivoQuote;

class TfrmClassList final : public TEnterTabDialog
{
    Q_OBJECT

public:
    TfrmClassList(TVereDivoQuote &quote, QWidget *parent = nullptr);
    ~TfrmClassList() override;

    // Shows the window modally on the quote's current classes. Accepted ("&Calculate"): the
    // chosen classes are the quote's class list (not yet recalculated). Rejected: the quote's
    // class lines are as they were, but for user classes deleted in their setup.
    int exec() override;
    // True when the quote needs a recalculation and a new class list: the window was accepted,
    // or the user-class setup changed classes.
    bool QuoteChanged() const { return m_changed; }

    QTreeWidget *lstAvailable = nullptr;
    QTreeWidget *lstActive = nullptr;
    QLabel *lblNote = nullptr;
    QLineEdit *txtSearch = nullptr;
    TPayrollEdit *txtClericalPayroll = nullptr;
    TPayrollEdit *txtSalesPayroll = nullptr;
    TPayrollEdit *txtDriversPayroll = nullptr;
    TCountEdit *txtClericalEmp = nullptr;
    TCountEdit *txtSalesEmp = nullptr;
    TCountEdit *txtDriversEmp = nullptr;
    QCheckBox *chkClericalIfAny = nullptr;
    QCheckBox *chkSalesIfAny = nullptr;
    QCheckBox *chkDriversIfAny = nullptr;
    QWidget *pnlDrivers = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnUserClasses = nullptr;
    QPushButton *btnCalculate = nullptr;
    QPushButton *btnCancel = nullptr;
    // The popups of the two lists.
    QMenu *mnuAvailable = nullptr;
    QAction *mnuAddClass = nullptr;
    QAction *mnuAvailableInfo = nullptr;
    QMenu *mnuActive = nullptr;
    QAction *mnuEditClass = nullptr;
    QAction *mnuDeleteClass = nullptr;
    QAction *mnuActiveInfo = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One exception class with its row of fields.
    struct TExceptionRow
    {
        TVereDivoClass *Line = nullptr;
        TPayrollEdit *Payroll = nullptr;
        TCountEdit *Employees = nullptr;
        QCheckBox *IfAny = nullptr;
        bool Shown = true;
    };

    QWidget *ExceptionRow(const QString &caption, TExceptionRow &row, const char *payrollName,
                          const char *employeesName, const char *ifAnyName);
    std::vector<TExceptionRow *> ShownRows();
    void FillAvailable();
    void RefreshChosen();
    void Show();
    TVereDivoClass *SelectedAvailable() const;
    TVereDivoClass *SelectedChosen() const;
    bool IsChosen(const TVereDivoClass *line) const;
    void AddToFront(TVereDivoClass &line);
    void AddSelected();
    void EditSelected();
    void DeleteSelected();
    void ShowInfo(TVereDivoClass *line);
    void Search();
    // Takes the exception fields into their classes; with the question, asks to default
    // missing employee counts. False when the fields were not applied.
    bool ApplyFields(bool ask);
    void SetupUserClasses();
    void Calculate();
    // The chosen list becomes the quote's class list.
    void Commit();

    TVereDivoQuote &m_quote;
    TExceptionRow m_clerical;
    TExceptionRow m_sales;
    TExceptionRow m_drivers;
    std::vector<TVereDivoClass *> m_chosen; // in the window's order
    std::optional<TClassListSnapshot> m_snapshot;
    bool m_changed = false;
    bool m_busy = false; // a search or an apply is running: leaving a box does nothing more
};

// "Search Results": the classes of one code to choose from.
class TfrmSearchResults final : public TEnterTabDialog
{
    Q_OBJECT

public:
    TfrmSearchResults(const std::vector<TVereDivoClass *> &matches, QWidget *parent = nullptr);

    void accept() override; // "&OK": a class must be chosen
    TVereDivoClass *Chosen() const;

    QTreeWidget *lstResults = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnShowInfo = nullptr;
    QPushButton *btnCancel = nullptr;
};
