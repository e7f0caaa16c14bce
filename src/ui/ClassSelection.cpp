#include "ui/ClassSelection.h"

#include "core/Prompter.h"
#include "core/Text.h"
#include "rating/ClassLineChecks.h"
#include "rating/VereDivoQuote.h"
#include "ui/ClassRows.h"
#include "ui/QtText.h"
#include "ui/UserClasses.h"

#include <QAction>
#include <QCheckBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The exception rows line up under their headings.
constexpr int kCaptionWidth = 120;
constexpr int kPayrollWidth = 150;
constexpr int kEmployeesWidth = 80;
constexpr int kRowSpacing = 6;

// Leaving a box by the keyboard or the mouse; not a box losing the focus to a window that
// opened over it (a message, the payroll dialog).
bool LeftByTheUser(const QEvent *event)
{
    if (event->type() != QEvent::FocusOut) {
        return false;
    }
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

// ---- the window ---------------------------------------------------------------------------

TfrmClassList::TfrmClassList(TVereDivoQuote &quote, QWidget *parent)
    : TEnterTabDialog(parent), m_quote(quote)
{
    setObjectName(QStringLiteral("frmClassList"));
    setWindowTitle(QStringLiteral("Add Classifications to Quotation"));

    // Created in the order Tab walks them.
    lstAvailable = ReportList(
        "lstAvailable",
        {QStringLiteral("Classifications Available for Quotation"), QStringLiteral("Code")}, {60},
        this);
    lstAvailable->setSortingEnabled(true);
    lstAvailable->sortByColumn(0, Qt::AscendingOrder);
    lblNote = new QLabel(QStringLiteral("Some Class Phraseologies may be truncated.  Refer to "
                                        "manual for exact wording before submitting "
                                        "application."),
                         this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setTextFormat(Qt::PlainText);
    lblNote->setWordWrap(true);
    auto *lblSearch = new QLabel(QStringLiteral("Search for a Specific Class Code:"), this);
    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}")), txtSearch));
    txtSearch->setMaxLength(4);
    txtSearch->setFixedWidth(70);
    lblSearch->setBuddy(txtSearch);

    lstActive = ReportList("lstActive",
                           {QStringLiteral("Classifications chosen for Quotation"),
                            QStringLiteral("Payroll"), QStringLiteral("Employees"),
                            QStringLiteral("Premium")},
                           {95, 80, 85}, this);
    lstActive->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    lstActive->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    lstActive->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    btnDelete = DialogButton("&Delete Class From Quote", "btnDelete", this);

    m_clerical.Line = quote.ClericalClass;
    m_sales.Line = quote.SalesClass;
    m_drivers.Line = quote.DriversClass;
    m_drivers.Shown = quote.DriversClass != nullptr && !Trim(quote.PlanProfile->Driver_Cod).empty();
    QWidget *clericalRow = ExceptionRow(QStringLiteral("Clerical Staff:"), m_clerical,
                                        "txtClericalPayroll", "txtClericalEmp", "chkClericalIfAny");
    QWidget *salesRow = ExceptionRow(QStringLiteral("Outside Sales:"), m_sales, "txtSalesPayroll",
                                     "txtSalesEmp", "chkSalesIfAny");
    pnlDrivers = ExceptionRow(QStringLiteral("Drivers, etc:"), m_drivers, "txtDriversPayroll",
                              "txtDriversEmp", "chkDriversIfAny");
    pnlDrivers->setObjectName(QStringLiteral("pnlDrivers"));
    pnlDrivers->setVisible(m_drivers.Shown);
    txtClericalPayroll = m_clerical.Payroll;
    txtClericalEmp = m_clerical.Employees;
    chkClericalIfAny = m_clerical.IfAny;
    txtSalesPayroll = m_sales.Payroll;
    txtSalesEmp = m_sales.Employees;
    chkSalesIfAny = m_sales.IfAny;
    txtDriversPayroll = m_drivers.Payroll;
    txtDriversEmp = m_drivers.Employees;
    chkDriversIfAny = m_drivers.IfAny;

    btnUserClasses = DialogButton("&Setup User Classes", "btnUserClasses", this);
    btnCalculate = DialogButton("&Calculate", "btnCalculate", this);
    btnCancel = DialogButton("Ca&ncel", "btnCancel", this);

    // Left: the available classes, the note and the search.
    auto *left = new QVBoxLayout;
    left->addWidget(lstAvailable, 1);
    left->addWidget(lblNote);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(lblSearch);
    searchRow->addWidget(txtSearch);
    searchRow->addStretch(1);
    left->addLayout(searchRow);

    // Right: the chosen classes, their delete button and the exception classes.
    auto *right = new QVBoxLayout;
    right->addWidget(lstActive, 1);
    auto *deleteRow = new QHBoxLayout;
    deleteRow->addStretch(1);
    deleteRow->addWidget(btnDelete);
    right->addLayout(deleteRow);
    auto *headings = new QHBoxLayout;
    headings->setContentsMargins(0, 8, 0, 0);
    auto *payrollHeading = new QLabel(QStringLiteral("Payroll"), this);
    payrollHeading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *employeesHeading = new QLabel(QStringLiteral("Employees"), this);
    employeesHeading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    headings->addSpacing(kCaptionWidth + kRowSpacing);
    headings->addWidget(payrollHeading);
    headings->addSpacing(kRowSpacing);
    headings->addWidget(employeesHeading);
    payrollHeading->setFixedWidth(kPayrollWidth);
    employeesHeading->setFixedWidth(kEmployeesWidth);
    headings->addStretch(1);
    right->addLayout(headings);
    right->addWidget(clericalRow);
    right->addWidget(salesRow);
    right->addWidget(pnlDrivers);

    auto *lists = new QHBoxLayout;
    lists->addLayout(left, 5);
    lists->addSpacing(12);
    lists->addLayout(right, 6);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnUserClasses);
    buttons->addStretch(1);
    buttons->addWidget(btnCalculate);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    resize(1320, 720);
    setSizeGripEnabled(true);

    // The popups.
    mnuAvailable = new QMenu(this);
    mnuAddClass = mnuAvailable->addAction(QStringLiteral("&Add Class"));
    mnuAvailableInfo = mnuAvailable->addAction(QStringLiteral("&Show Class Information"));
    mnuActive = new QMenu(this);
    mnuEditClass = mnuActive->addAction(QStringLiteral("&Edit Class"));
    mnuDeleteClass = mnuActive->addAction(QStringLiteral("&Delete Class"));
    mnuActiveInfo = mnuActive->addAction(QStringLiteral("&Show Class Information"));
    connect(mnuAddClass, &QAction::triggered, this, &TfrmClassList::AddSelected);
    connect(mnuAvailableInfo, &QAction::triggered, this, [this] { ShowInfo(SelectedAvailable()); });
    connect(mnuEditClass, &QAction::triggered, this, &TfrmClassList::EditSelected);
    connect(mnuDeleteClass, &QAction::triggered, this, &TfrmClassList::DeleteSelected);
    connect(mnuActiveInfo, &QAction::triggered, this, [this] { ShowInfo(SelectedChosen()); });
    connect(lstAvailable, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const bool selected = SelectedAvailable() != nullptr;
        mnuAddClass->setEnabled(selected);
        mnuAvailableInfo->setEnabled(selected);
        mnuAvailable->popup(lstAvailable->viewport()->mapToGlobal(at));
    });
    connect(lstActive, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const bool selected = SelectedChosen() != nullptr;
        mnuEditClass->setEnabled(selected);
        mnuDeleteClass->setEnabled(selected);
        mnuActiveInfo->setEnabled(selected);
        mnuActive->popup(lstActive->viewport()->mapToGlobal(at));
    });

    connect(lstAvailable, &QTreeWidget::itemDoubleClicked, this, &TfrmClassList::AddSelected);
    connect(lstActive, &QTreeWidget::itemDoubleClicked, this, &TfrmClassList::EditSelected);
    SetEnterAction(lstAvailable, [this] { AddSelected(); });
    SetEnterAction(lstActive, [this] { EditSelected(); });
    connect(btnDelete, &QPushButton::clicked, this, &TfrmClassList::DeleteSelected);
    connect(btnUserClasses, &QPushButton::clicked, this,
            [this] { Guarded([this] { SetupUserClasses(); }); });
    connect(btnCalculate, &QPushButton::clicked, this,
            [this] { Guarded([this] { Calculate(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmClassList::reject);
    txtSearch->installEventFilter(this);
    lstActive->installEventFilter(this);
}

TfrmClassList::~TfrmClassList() = default;

QWidget *TfrmClassList::ExceptionRow(const QString &caption, TExceptionRow &row,
                                     const char *payrollName, const char *employeesName,
                                     const char *ifAnyName)
{
    auto *panel = new QWidget(this);
    auto *label = new QLabel(caption, panel);
    label->setFixedWidth(kCaptionWidth);
    row.Payroll = new TPayrollEdit(panel);
    row.Payroll->setObjectName(QString::fromUtf8(payrollName));
    row.Payroll->setFixedWidth(kPayrollWidth);
    row.Employees = new TCountEdit(5, panel);
    row.Employees->setObjectName(QString::fromUtf8(employeesName));
    row.Employees->setFixedWidth(kEmployeesWidth);
    row.IfAny = new QCheckBox(QStringLiteral("If Any"), panel);
    row.IfAny->setObjectName(QString::fromUtf8(ifAnyName));
    label->setBuddy(row.Payroll);
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kRowSpacing);
    layout->addWidget(label);
    layout->addWidget(row.Payroll);
    layout->addWidget(row.Employees);
    layout->addWidget(row.IfAny);
    layout->addStretch(1);
    // An exception class the plan lacks cannot be given a payroll (the quote has said so).
    panel->setEnabled(row.Line != nullptr);

    for (QLineEdit *box :
         {static_cast<QLineEdit *>(row.Payroll), static_cast<QLineEdit *>(row.Employees)}) {
        connect(box, &QLineEdit::textEdited, this, [&row] { row.IfAny->setChecked(false); });
        box->installEventFilter(this);
    }
    connect(row.IfAny, &QCheckBox::clicked, this, [this, &row](bool checked) {
        if (checked) {
            row.Payroll->setText(QStringLiteral("0"));
            row.Employees->setText(QStringLiteral("0"));
        }
        ApplyFields(false);
    });
    return panel;
}

std::vector<TfrmClassList::TExceptionRow *> TfrmClassList::ShownRows()
{
    std::vector<TExceptionRow *> rows;
    for (TExceptionRow *row : {&m_clerical, &m_sales, &m_drivers}) {
        if (row->Line != nullptr && row->Shown) {
            rows.push_back(row);
        }
    }
    return rows;
}

int TfrmClassList::exec()
{
    m_snapshot.emplace(m_quote);
    m_changed = false;
    m_chosen.assign(m_quote.Classes().begin(), m_quote.Classes().end());
    Show();
    const int result = TEnterTabDialog::exec();
    if (result == QDialog::Accepted) {
        m_changed = true;
    } else {
        m_snapshot->Restore(m_quote);
    }
    m_snapshot.reset();
    return result;
}

void TfrmClassList::Show()
{
    // Always anew: the quote's class book may have been reloaded for another date.
    FillAvailable();
    RefreshChosen();
    if (QTreeWidgetItem *first = lstAvailable->topLevelItem(0)) {
        lstAvailable->setCurrentItem(first);
    }
    lstAvailable->setFocus();
}

void TfrmClassList::FillAvailable()
{
    lstAvailable->clear();
    QList<QTreeWidgetItem *> rows;
    for (const auto &line : m_quote.ClassBook()) {
        rows.append(
            ClassRow(line.get(), {ToQString(line->DisplayName()), ToQString(Trim(line->Code))}));
    }
    lstAvailable->addTopLevelItems(rows);
}

void TfrmClassList::RefreshChosen()
{
    lstActive->clear();
    for (TVereDivoClass *line : m_chosen) {
        lstActive->addTopLevelItem(
            ClassRow(line,
                     {ToQString(line->DisplayName()), ToQString(line->GetPayrollText()),
                      QString::number(line->Employees), ToQString(MoneyText(line->GetPremium()))},
                     1));
    }
    for (TExceptionRow *row : ShownRows()) {
        row->Payroll->SetAmount(row->Line->GetPayroll());
        row->Employees->SetCount(row->Line->Employees);
        row->IfAny->setChecked(IsChosen(row->Line) && row->Line->GetPayroll() == 0);
    }
}

TVereDivoClass *TfrmClassList::SelectedAvailable() const
{
    return SelectedClass(lstAvailable);
}

TVereDivoClass *TfrmClassList::SelectedChosen() const
{
    return SelectedClass(lstActive);
}

bool TfrmClassList::IsChosen(const TVereDivoClass *line) const
{
    return std::find(m_chosen.begin(), m_chosen.end(), line) != m_chosen.end();
}

// GCC 12 at -O2 and above reports a null dereference inside vector's reallocation here, which
// cannot happen; the warning stays on everywhere else.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
void TfrmClassList::AddToFront(TVereDivoClass &line)
{
    m_chosen.erase(std::remove(m_chosen.begin(), m_chosen.end(), &line), m_chosen.end());
    m_chosen.insert(m_chosen.begin(), &line);
    RefreshChosen();
    lstAvailable->clearSelection();
}
#pragma GCC diagnostic pop

void TfrmClassList::AddSelected()
{
    TVereDivoClass *line = SelectedAvailable();
    if (line != nullptr && line->EditPayroll()) {
        AddToFront(*line);
    }
}

void TfrmClassList::EditSelected()
{
    TVereDivoClass *line = SelectedChosen();
    if (line != nullptr && line->EditPayroll()) {
        const int row = lstActive->indexOfTopLevelItem(lstActive->currentItem());
        RefreshChosen();
        lstActive->setCurrentItem(lstActive->topLevelItem(row));
    }
}

void TfrmClassList::DeleteSelected()
{
    TVereDivoClass *line = SelectedChosen();
    if (line == nullptr) {
        return;
    }
    m_chosen.erase(std::remove(m_chosen.begin(), m_chosen.end(), line), m_chosen.end());
    // A class off the quote carries no payroll; an exception class keeping its payroll in its
    // field would come back with the next "&Calculate".
    line->SetPayroll(0);
    line->SetEmployees(0);
    RefreshChosen();
}

void TfrmClassList::ShowInfo(TVereDivoClass *line)
{
    if (line != nullptr) {
        line->EditClassInfo(false);
    }
}

void TfrmClassList::Search()
{
    const std::string code = Trim(FromQString(txtSearch->text()));
    if (code.empty()) {
        return;
    }
    txtSearch->clear();
    std::vector<TVereDivoClass *> matches;
    for (const auto &line : m_quote.ClassBook()) {
        if (Trim(line->Code) == code) {
            matches.push_back(line.get());
        }
    }
    matches = InNameOrder(matches);
    TVereDivoClass *chosen = nullptr;
    if (matches.empty()) {
        ShowInformation("No Classifications found for " + code);
    } else if (matches.size() == 1) {
        chosen = matches.front();
    } else {
        TfrmSearchResults results(matches, this);
        if (results.exec() == QDialog::Accepted) {
            chosen = results.Chosen();
        }
    }
    if (chosen != nullptr && chosen->EditPayroll()) {
        AddToFront(*chosen);
    }
    FocusBox(txtSearch);
}

bool TfrmClassList::ApplyFields(bool ask)
{
    const std::vector<TExceptionRow *> rows = ShownRows();
    std::vector<TExceptionEntry> entries;
    for (TExceptionRow *row : rows) {
        TExceptionEntry entry = ReadExceptionEntry(*row->Line, FromQString(row->Payroll->text()),
                                                   FromQString(row->Employees->text()));
        if (!entry.Check.Accepted()) {
            ShowInformation(entry.Check.Message);
            FocusBox(entry.Check.Focus == TEntryFocus::Employees
                         ? static_cast<QWidget *>(row->Employees)
                         : row->Payroll);
            return false;
        }
        entries.push_back(entry);
    }
    if (ask) {
        std::vector<size_t> missing;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (entries[i].Payroll > 0 && entries[i].Employees == 0) {
                missing.push_back(i);
            }
        }
        if (!missing.empty()) {
            switch (AskYesNoCancel("You haven't entered the number of employees for one or more "
                                   "of the classes.  Default to 1 employee?")) {
            case Prompter::Answer::Yes:
                for (const size_t i : missing) {
                    rows[i]->Employees->setText(QStringLiteral("1"));
                    entries[i].Employees = 1;
                }
                break;
            case Prompter::Answer::No:
                FocusBox(rows[missing.front()]->Employees);
                return false;
            default:
                return false;
            }
        }
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        TExceptionRow &row = *rows[i];
        row.Line->SetPayroll(entries[i].Payroll);
        row.Line->SetEmployees(entries[i].Employees);
        const bool wanted =
            entries[i].Payroll > 0 || (entries[i].Payroll == 0 && row.IfAny->isChecked());
        if (wanted && !IsChosen(row.Line)) {
            m_chosen.push_back(row.Line);
        } else if (!wanted) {
            m_chosen.erase(std::remove(m_chosen.begin(), m_chosen.end(), row.Line), m_chosen.end());
        }
    }
    RefreshChosen();
    lstAvailable->clearSelection();
    return true;
}

void TfrmClassList::SetupUserClasses()
{
    TfrmUserClasses setup(m_quote, this);
    // A user class about to be deleted leaves the chosen list first: its line is freed.
    setup.BeforeDelete = [this](TVereDivoClass &line) {
        m_chosen.erase(std::remove(m_chosen.begin(), m_chosen.end(), &line), m_chosen.end());
        lstAvailable->clear();
        lstActive->clear();
    };
    if (setup.exec() != QDialog::Accepted) {
        return;
    }
    m_changed = true;
    for (TExceptionRow *row : {&m_clerical, &m_sales, &m_drivers}) {
        row->Payroll->setText(QStringLiteral("0"));
        row->Employees->clear();
    }
    lstAvailable->clear();
    lstActive->clear();
    Show();
}

void TfrmClassList::Calculate()
{
    if (ApplyFields(true)) {
        Commit();
        accept();
    }
}

void TfrmClassList::Commit()
{
    const std::vector<TVereDivoClass *> before = m_quote.Classes();
    for (TVereDivoClass *line : before) {
        if (!IsChosen(line)) {
            m_quote.RemoveClass(*line);
        }
    }
    for (TVereDivoClass *line : m_chosen) {
        m_quote.AppendClass(*line);
    }
}

bool TfrmClassList::eventFilter(QObject *watched, QEvent *event)
{
    if (LeftByTheUser(event) && !m_busy) {
        m_busy = true;
        if (watched == txtSearch) {
            Search();
        } else if (watched != lstActive) {
            ApplyFields(false);
        }
        m_busy = false;
    }
    if (watched == lstActive && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        DeleteSelected();
        return true;
    }
    return TEnterTabDialog::eventFilter(watched, event);
}

// ---- Search Results -----------------------------------------------------------------------

TfrmSearchResults::TfrmSearchResults(const std::vector<TVereDivoClass *> &matches, QWidget *parent)
    : TEnterTabDialog(parent)
{
    setObjectName(QStringLiteral("frmSearchResults"));
    setWindowTitle(QStringLiteral("Search Results"));
    lstResults = ReportList("lstResults",
                            {QStringLiteral("Classification"), QStringLiteral("Rate")}, {70}, this);
    lstResults->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    for (TVereDivoClass *line : matches) {
        lstResults->addTopLevelItem(ClassRow(
            line, {ToQString(line->DisplayName()), ToQString(FixedText(line->Rate, 2))}, 1));
    }
    btnOK = DialogButton("&OK", "btnOK", this);
    btnShowInfo = DialogButton("&Show Class Information", "btnShowInfo", this);
    btnCancel = DialogButton("&Cancel", "btnCancel", this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnShowInfo);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lstResults, 1);
    layout->addLayout(buttons);
    resize(640, 300);

    connect(lstResults, &QTreeWidget::itemDoubleClicked, this, &TfrmSearchResults::accept);
    SetEnterAction(lstResults, [this] { accept(); });
    connect(btnOK, &QPushButton::clicked, this, &TfrmSearchResults::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSearchResults::reject);
    connect(btnShowInfo, &QPushButton::clicked, this, [this] {
        if (TVereDivoClass *line = Chosen()) {
            line->EditClassInfo(false);
        } else {
            ShowInformation("Please choose a class from the list");
        }
    });
    lstResults->setFocus();
}

TVereDivoClass *TfrmSearchResults::Chosen() const
{
    return SelectedClass(lstResults);
}

void TfrmSearchResults::accept()
{
    if (Chosen() == nullptr) {
        ShowInformation("Please choose a class from the list");
        return;
    }
    QDialog::accept();
}
