#include "ui/DetailWindow.h"

#include "core/BusyCursor.h"
#include "core/Check.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "db/VereDivoDatabase.h"
#include "rating/DownPayment.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "ui/ClassSelection.h"
#include "ui/CustomerDialog.h"
#include "ui/Deviations.h"
#include "ui/DownPaymentDialog.h"
#include "ui/EffectiveDateDialog.h"
#include "ui/InputWidgets.h"
#include "ui/KeyboardNavigation.h"
#include "ui/PremiumDetail.h"
#include "ui/QtText.h"
#include "ui/QuoteHost.h"
#include "ui/RatingSnapshot.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 25;
constexpr int kClassButtonGap = 4;

enum TClassColumn { colClassification, colCode, colPayroll, colRate, colPremium };

std::vector<TfrmVereDivoDetail *> &OpenWindows()
{
    static std::vector<TfrmVereDivoDetail *> windows;
    return windows;
}

TfrmVereDivoDetail::TClassWindow &ClassSelectionWindow()
{
    static TfrmVereDivoDetail::TClassWindow window;
    return window;
}

TfrmVereDivoDetail::TClassWindow &DeviationsWindow()
{
    static TfrmVereDivoDetail::TClassWindow window;
    return window;
}

// "Add Classifications to Quotation": Cancel puts the classes back itself, but the user class
// setup may still have changed them.
bool RunClassSelection(TVereDivoQuote &quote, QWidget *parent)
{
    TfrmClassList window(quote, parent);
    window.exec();
    return window.QuoteChanged();
}

bool RunDeviations(TVereDivoQuote &quote, QWidget *parent)
{
    TfrmDeviations window(quote, parent);
    return window.exec() == QDialog::Accepted;
}

// A row of the class list; numbers sort as numbers.
class TClassItem final : public QTreeWidgetItem
{
public:
    explicit TClassItem(TVereDivoClass &line) : m_line(line)
    {
        std::string name = Trim(line.Description);
        if (line.HasParent() && (name.empty() || name.back() != '*')) {
            name += "*";
        }
        setText(colClassification, ToQString(name));
        setText(colCode, ToQString(line.Code));
        setText(colPayroll, ToQString(line.GetPayrollText()));
        setText(colRate, ToQString(FixedText(line.Rate, 2)));
        setText(colPremium, ToQString(MoneyText(line.GetPremium())));
        for (const int column : {colPayroll, colRate, colPremium}) {
            setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    }

    TVereDivoClass &Line() const { return m_line; }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
        const auto &that = static_cast<const TClassItem &>(other);
        switch (column) {
        case colPayroll:
            return m_line.GetPayroll() < that.m_line.GetPayroll();
        case colRate:
            return m_line.Rate < that.m_line.Rate;
        case colPremium:
            return m_line.GetPremium() < that.m_line.GetPremium();
        default:
            return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
        }
    }

private:
    TVereDivoClass &m_line;
};

QPushButton *NewButton(const char *caption, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QLabel *NewLabel(const char *caption, const char *name, QWidget *parent)
{
    auto *label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit *TotalBox(const char *name, QWidget *parent)
{
    auto *box = new QLineEdit(QStringLiteral("N/A"), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFocusPolicy(Qt::ClickFocus);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    return box;
}

} // namespace

TfrmVereDivoDetail::TfrmVereDivoDetail(std::unique_ptr<TVereDivoQuote> quote, TQuoteHost &host,
                                       std::shared_ptr<TRatingSnapshot> carried, QWidget *parent)
    : QWidget(parent),
      m_host(host),
      m_quote(std::move(quote)),
      m_carried(std::move(carried)),
      m_notice(this)
{
    setObjectName(QStringLiteral("frmVereDivoDetail"));
    OpenWindows().push_back(this);
    m_quote->SetWindow(this);
    m_submission = std::make_unique<TWcribSubmission>(*m_quote, *this);
    CreateControls();
    EnterMovesLikeTab(this);

    const TVereDivoPlanProfile &plan = *m_quote->PlanProfile;
    btnDeviate->setVisible(plan.User_Dev);
    btnDownPay->setVisible(plan.UserDownPy);
    PlaceClassButtons();
    PlacePremiumButtons();
    ShowDates();
    SetCaption();
    FillClassList();
}

TfrmVereDivoDetail::~TfrmVereDivoDetail()
{
    // The date edit tells of its last edit when it loses the focus on the way out.
    dtEffective->disconnect(this);
    std::erase(OpenWindows(), this);
    FreeQuote();
}

TfrmVereDivoDetail *TfrmVereDivoDetail::WindowOf(const TVereDivoQuote &quote)
{
    for (TfrmVereDivoDetail *window : OpenWindows()) {
        if (window->m_quote.get() == &quote) {
            return window;
        }
    }
    return nullptr;
}

void TfrmVereDivoDetail::SetClassSelectionWindow(TClassWindow window)
{
    ClassSelectionWindow() = std::move(window);
}

void TfrmVereDivoDetail::SetDeviationsWindow(TClassWindow window)
{
    DeviationsWindow() = std::move(window);
}

void TfrmVereDivoDetail::CreateControls()
{
    // Top: the two dates.
    lblEffective = NewLabel("Effective Date of Proposal:", "lblEffective", this);
    dtEffective = new QDateEdit(this);
    dtEffective->setObjectName(QStringLiteral("dtEffective"));
    dtEffective->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
    dtEffective->setCalendarPopup(true);
    dtEffective->setMinimumWidth(120);
    dtEffective->installEventFilter(this);
    lblEffective->setBuddy(dtEffective);
    pnlEffective = NewLabel("", "pnlEffective", this);
    pnlEffective->hide();
    btnChangeDate = NewButton("...", "btnChangeDate", this);
    btnChangeDate->hide();
    lblRateFileEffective = NewLabel("Effective Date of Rates:", "lblRateFileEffective", this);
    pnlRateFileEffectiveDate = NewLabel("", "pnlRateFileEffectiveDate", this);
    pnlRateFileEffectiveDate->setFrameShape(QFrame::Panel);
    pnlRateFileEffectiveDate->setFrameShadow(QFrame::Sunken);
    pnlRateFileEffectiveDate->setMinimumWidth(96);
    pnlRateFileEffectiveDate->setAlignment(Qt::AlignCenter);
    connect(dtEffective, &QDateEdit::editingFinished, this,
            [this] { Guarded([this] { dtEffectiveAccept(); }); });
    // A pick in the calendar is accepted when the calendar has set the date.
    connect(dtEffective->calendarWidget(), &QCalendarWidget::clicked, this, [this] {
        QTimer::singleShot(0, this, [this] { Guarded([this] { dtEffectiveAccept(); }); });
    });

    auto *top = new QHBoxLayout;
    top->addWidget(lblEffective);
    top->addWidget(dtEffective);
    top->addWidget(pnlEffective);
    top->addWidget(btnChangeDate);
    top->addStretch(1);
    top->addWidget(lblRateFileEffective);
    top->addWidget(pnlRateFileEffectiveDate);

    // Centre: the classes.
    grpClasses = new QGroupBox(QStringLiteral("Classification and Payroll Information"), this);
    grpClasses->setObjectName(QStringLiteral("grpClasses"));
    lstClasses = new QTreeWidget(grpClasses);
    lstClasses->setObjectName(QStringLiteral("lstClasses"));
    lstClasses->setRootIsDecorated(false);
    lstClasses->setUniformRowHeights(true);
    lstClasses->setSelectionMode(QAbstractItemView::SingleSelection);
    lstClasses->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstClasses->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstClasses->setAllColumnsShowFocus(true);
    lstClasses->setHeaderLabels({QStringLiteral("Classification"), QStringLiteral("Code"),
                                 QStringLiteral("Payroll"), QStringLiteral("Rate"),
                                 QStringLiteral("Premium")});
    QHeaderView *header = lstClasses->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(colClassification, QHeaderView::Stretch);
    for (const auto &[column, width] :
         {std::pair {colCode, 80}, {colPayroll, 130}, {colRate, 80}, {colPremium, 130}}) {
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        lstClasses->setColumnWidth(column, width);
    }
    for (const int column : {colPayroll, colRate, colPremium}) {
        lstClasses->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    lstClasses->setSortingEnabled(true);
    lstClasses->sortByColumn(colClassification, Qt::AscendingOrder);
    lstClasses->setContextMenuPolicy(Qt::CustomContextMenu);
    lstClasses->installEventFilter(this);
    connect(lstClasses, &QTreeWidget::itemDoubleClicked, this,
            [this] { Guarded([this] { lstClassesDblClick(); }); });
    connect(lstClasses, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { ShowClassPopup(at); });
    connect(lstClasses, &QTreeWidget::itemSelectionChanged, this,
            [this] { EnableClassCommands(); });

    mnuClasses = new QMenu(this);
    mnuClasses->setObjectName(QStringLiteral("mnuClasses"));
    const auto item = [this](const char *caption, const char *name,
                             void (TfrmVereDivoDetail::*handler)()) {
        QAction *action = mnuClasses->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
        return action;
    };
    mnuAddNewClass = item("&Add New Class", "mnuAddNewClass", &TfrmVereDivoDetail::btnAddClick);
    mnuEditClass = item("&Edit Class", "mnuEditClass", &TfrmVereDivoDetail::lstClassesDblClick);
    mnuDeleteClass = item("&Delete Class", "mnuDeleteClass", &TfrmVereDivoDetail::btnDeleteClick);
    mnuClasses->addSeparator();
    mnuShowClassInfo = item("&Show Class Information", "mnuShowClassInfo",
                            &TfrmVereDivoDetail::mnuShowClassInfoClick);
    // The popup's delete hands the focus back to the button.
    connect(mnuDeleteClass, &QAction::triggered, this, [this] { btnDelete->setFocus(); });

    lblDoubleClick = NewLabel("(Double-Click a class to edit it)", "lblDoubleClick", grpClasses);
    auto *classButtons = new QWidget(grpClasses);
    classButtons->setObjectName(QStringLiteral("pnlClassButtons"));
    classButtons->setFixedSize(3 * kButtonWidth + 2 * kClassButtonGap, kButtonHeight);
    btnAdd = NewButton("Add Class", "btnAdd", classButtons);
    btnDelete = NewButton("Delete Class", "btnDelete", classButtons);
    btnDeviate = NewButton("Deviations", "btnDeviate", classButtons);
    auto *classRow = new QHBoxLayout;
    classRow->addWidget(lblDoubleClick);
    classRow->addStretch(1);
    classRow->addWidget(classButtons);
    auto *classLayout = new QVBoxLayout(grpClasses);
    classLayout->addWidget(lstClasses, 1);
    classLayout->addLayout(classRow);

    // Bottom left: the rating inputs.
    grpAdjustments = new QGroupBox(QStringLiteral(" Adjustments"), this);
    grpAdjustments->setObjectName(QStringLiteral("grpAdjustments"));
    pnlAdjustment = new QWidget(grpAdjustments);
    pnlAdjustment->setObjectName(QStringLiteral("pnlAdjustment"));
    auto *adjustmentLayout = new QVBoxLayout(grpAdjustments);
    adjustmentLayout->addWidget(pnlAdjustment, 0, Qt::AlignLeft | Qt::AlignTop);
    adjustmentLayout->addStretch(1);

    // Bottom right: the premium.
    grpPremium = new QGroupBox(QStringLiteral("Premium Information"), this);
    grpPremium->setObjectName(QStringLiteral("grpPremium"));
    lblTotalPremium = NewLabel("Total Premium", "lblTotalPremium", grpPremium);
    txtTotalPremium = TotalBox("txtTotalPremium", grpPremium);
    lblDownPay = NewLabel("Down Pay", "lblDownPay", grpPremium);
    txtDownPay = TotalBox("txtDownPay", grpPremium);
    btnDownPay = NewButton("...", "btnDownPay", grpPremium);
    btnViewDetail = NewButton("View Detail", "btnViewDetail", grpPremium);
    btnSubmit = NewButton("Submit to WCRIB", "btnSubmit", grpPremium);
    btnCustomer = NewButton("Customer", "btnCustomer", grpPremium);
    btnPrint = NewButton("Print", "btnPrint", grpPremium);
    btnClose = NewButton("Close", "btnClose", grpPremium);
    lblTotalPremium->setBuddy(txtTotalPremium);
    lblDownPay->setBuddy(txtDownPay);
    txtTotalPremium->installEventFilter(this);
    txtDownPay->installEventFilter(this);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(grpAdjustments, 1);
    bottom->addWidget(grpPremium);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grpClasses, 1);
    layout->addLayout(bottom);

    const auto handle = [this](QPushButton *button, void (TfrmVereDivoDetail::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    handle(btnAdd, &TfrmVereDivoDetail::btnAddClick);
    handle(btnDelete, &TfrmVereDivoDetail::btnDeleteClick);
    handle(btnDeviate, &TfrmVereDivoDetail::btnDeviateClick);
    handle(btnViewDetail, &TfrmVereDivoDetail::btnViewDetailClick);
    handle(btnSubmit, &TfrmVereDivoDetail::btnSubmitClick);
    handle(btnCustomer, &TfrmVereDivoDetail::btnCustomerClick);
    handle(btnPrint, &TfrmVereDivoDetail::btnPrintClick);
    handle(btnClose, &TfrmVereDivoDetail::btnCloseClick);
    handle(btnDownPay, &TfrmVereDivoDetail::btnDownPayClick);

    setTabOrder(dtEffective, lstClasses);
    setTabOrder(lstClasses, btnAdd);
    setTabOrder(btnAdd, btnDelete);
    setTabOrder(btnDelete, btnDeviate);
}

void TfrmVereDivoDetail::PlaceClassButtons()
{
    // Right-aligned: without "Deviations" the other two move one place to the right.
    const int step = kButtonWidth + kClassButtonGap;
    const int first = btnDeviate->isVisibleTo(this) ? 0 : step;
    btnAdd->setGeometry(first, 0, kButtonWidth, kButtonHeight);
    btnDelete->setGeometry(first + step, 0, kButtonWidth, kButtonHeight);
    btnDeviate->setGeometry(2 * step, 0, kButtonWidth, kButtonHeight);
}

int TfrmVereDivoDetail::ButtonUnit() const
{
    // 96 pixels, or wider when the desktop's font needs it for the longest caption.
    int unit = kButtonWidth;
    for (const QPushButton *button : {btnViewDetail, btnSubmit, btnCustomer, btnPrint}) {
        unit = std::max(unit, button->fontMetrics().horizontalAdvance(button->text()) + 16);
    }
    return unit;
}

void TfrmVereDivoDetail::PlacePremiumButtons()
{
    const int unit = ButtonUnit();
    const int wide = 2 * unit + 1; // two buttons and the pixel between them
    const int left = 12;
    int top = 24;
    const int labelHeight = 18;
    const int boxHeight = 24;
    lblTotalPremium->setGeometry(left, top, wide, labelHeight);
    top += labelHeight;
    txtTotalPremium->setGeometry(left, top, wide, boxHeight);
    top += boxHeight + 6;
    lblDownPay->setGeometry(left, top, wide, labelHeight);
    top += labelHeight;
    const int downWidth = wide - (btnDownPay->isVisibleTo(this) ? 30 : 0);
    txtDownPay->setGeometry(left, top, downWidth, boxHeight);
    btnDownPay->setGeometry(left + wide - 26, top, 26, boxHeight);
    top += boxHeight + 10;

    // "Submit to WCRIB" belongs to Massachusetts quotes; elsewhere "View Detail" takes the row.
    const bool submit = StateAbbreviation() == "MA";
    btnSubmit->setVisible(submit);
    btnViewDetail->setGeometry(left, top, submit ? unit : wide, kButtonHeight);
    btnSubmit->setGeometry(left + unit + 1, top, unit, kButtonHeight);
    top += kButtonHeight + 4;
    btnCustomer->setGeometry(left, top, unit, kButtonHeight);
    btnPrint->setGeometry(left + unit + 1, top, unit, kButtonHeight);
    top += kButtonHeight + 4;
    btnClose->setGeometry(left, top, wide, kButtonHeight);
    top += kButtonHeight + 10;
    grpPremium->setFixedSize(left + wide + left, top);
}

void TfrmVereDivoDetail::ShowDates()
{
    if (!m_quote) {
        return;
    }
    const QDate date = ToQDate(m_quote->EffectiveDate);
    {
        const QSignalBlocker blocker(dtEffective);
        dtEffective->setDate(date);
    }
    pnlEffective->setText(ToQString(DateToStr(m_quote->EffectiveDate)));
    // The rates that rate the quote's date took effect on the rate change date, or with the
    // plan's first rating date.
    const TVereDivoPlanProfile &plan = *m_quote->PlanProfile;
    const TDateTime rates = m_quote->RatePeriod() == 2 ? plan.Rate_Chang : plan.Min_Date;
    pnlRateFileEffectiveDate->setText(ToQString(DateToStr(rates)));
}

void TfrmVereDivoDetail::SetCaption()
{
    if (!m_quote) {
        return;
    }
    const std::string company = Trim(m_quote->Customer().Company());
    setWindowTitle(ToQString((company.empty() ? std::string("New Quote") : company) + " (" +
                             Trim(m_quote->PlanProfile->State_Name) + ")"));
}

// ---- what the main window asks -------------------------------------------------------------

std::string TfrmVereDivoDetail::StateAbbreviation() const
{
    return m_quote ? m_quote->StateCode : std::string();
}

TQuoteCommands TfrmVereDivoDetail::Commands() const
{
    if (!m_quote) {
        return {};
    }
    const TVereDivoPlanProfile &plan = *m_quote->PlanProfile;
    TQuoteCommands commands;
    commands.saveAllowed = plan.Can_Save;
    commands.exportAllowed = plan.Can_Export;
    commands.acordAvailable = !plan.ONLY_WKSHT;
    commands.financeAgreementAvailable = plan.HAS_FINANC;
    commands.webSiteCaption = plan.Web_Title;
    return commands;
}

bool TfrmVereDivoDetail::HasClasses() const
{
    return m_quote && !m_quote->Classes().empty();
}

int32_t TfrmVereDivoDetail::TotalPremium() const
{
    return m_quote ? m_quote->Results.TotalPremium : 0;
}

bool TfrmVereDivoDetail::HasCompanyName() const
{
    return m_quote && !Trim(m_quote->Customer().Company()).empty();
}

bool TfrmVereDivoDetail::HasCompleteAddress() const
{
    return m_quote && !m_quote->Customer().IsAddressIncomplete();
}

bool TfrmVereDivoDetail::EditCustomer(bool askForAddress)
{
    if (!m_quote) {
        return false;
    }
    TfrmCustInfo dialog(*m_quote, askForAddress, &m_host.AppInfo(), this);
    const bool done = dialog.exec() == QDialog::Accepted;
    SetCaption();
    return done;
}

bool TfrmVereDivoDetail::SaveQuote()
{
    if (!m_quote) {
        return false;
    }
    const bool saved = m_host.AppInfo().QuoteDB().SaveQuote(*m_quote);
    SetCaption();
    m_host.UpdateCommandState();
    return saved;
}

std::string TfrmVereDivoDetail::WebSiteAddress() const
{
    return m_quote ? m_quote->PlanProfile->Web_Link : std::string();
}

std::string TfrmVereDivoDetail::UpdateAddress() const
{
    return m_quote ? m_quote->PlanProfile->Web_Update : std::string();
}

// ---- totals ----------------------------------------------------------------------------------

void TfrmVereDivoDetail::RecalculateAndShow()
{
    if (!m_quote) {
        return;
    }
    // A message of the calculation lets events run; a change they bring is calculated after.
    if (m_calculating) {
        m_calculateAgain = true;
        return;
    }
    m_calculating = true;
    do {
        m_calculateAgain = false;
        bool calculated = false;
        try {
            calculated = m_quote->CalculatePremium() && m_quote->Results.TotalPremium != 0;
        } catch (const std::exception &error) {
            ShowInformation(error.what());
            calculated = false;
        }
        if (!calculated) {
            txtTotalPremium->setText(QStringLiteral("N/A"));
            txtDownPay->setText(QStringLiteral("N/A"));
            continue;
        }
        txtTotalPremium->setText(ToQString(MoneyText(m_quote->Results.TotalPremium)));
        txtDownPay->setText(ToQString(m_quote->DownPaymentShown()));
    } while (m_calculateAgain && m_quote);
    m_calculating = false;
}

void TfrmVereDivoDetail::ShowTotalsNotAvailable()
{
    txtTotalPremium->setText(QStringLiteral("N/A"));
    txtDownPay->setText(QStringLiteral("N/A"));
}

// ---- the rating inputs -----------------------------------------------------------------------

void TfrmVereDivoDetail::BuildAdjustments()
{
    if (!m_quote) {
        return;
    }
    const bool first = !m_shown;
    m_inputs.reset();
    m_controls.Clear();
    TVereDivoDatabase &tables = m_quote->Application().Database();
    m_controls.Build(tables.Inputs(), tables.InputData(), false, m_quote->RatePeriod(), 1,
                     m_quote->StateId);
    m_inputs = std::make_unique<TInputWidgets>(m_controls, pnlAdjustment);
    m_quote->Bind(m_controls);
    pnlAdjustment->setFixedSize(m_inputs->ContentSize().expandedTo(QSize(1, 1)));
    // The inputs follow the date edit in tab order.
    if (const std::vector<QWidget *> order = m_inputs->TabOrder(); !order.empty()) {
        setTabOrder(btnDeviate, order.front());
        setTabOrder(order.back(), btnViewDetail);
    }

    bool restored = false;
    bool carried = false;
    {
        BusyCursor busy;
        if (first && m_quote->QuoteId > 0) {
            m_host.AppInfo().QuoteDB().LoadQuote(*m_quote);
            restored = true;
        }
        if (m_carried) {
            ApplyRatingSnapshot(*m_quote, *m_carried);
            m_carried.reset();
            restored = carried = true;
        }
    }
    if (restored) {
        RecalculateAndShow();
        FillClassList();
        btnAdd->setFocus();
    }
    m_quote->RefreshDependentInputs();
    // A quote carried over from another is new work: closing it asks to save it.
    m_quote->Modified = carried;
}

void TfrmVereDivoDetail::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown) {
        return;
    }
    Guarded([this] {
        BuildAdjustments();
        m_shown = true;
        m_host.UpdateCommandState();
        if (m_quote) {
            m_quote->RefreshDependentInputs();
        }
        btnAdd->setFocus();
    });
    m_shown = true;
}

// ---- classes ---------------------------------------------------------------------------------

void TfrmVereDivoDetail::FillClassList()
{
    lstClasses->setSortingEnabled(false);
    lstClasses->clear();
    if (m_quote) {
        for (TVereDivoClass *line : m_quote->Classes()) {
            lstClasses->addTopLevelItem(new TClassItem(*line));
        }
    }
    lstClasses->setSortingEnabled(true);
    EnableClassCommands();
    if (m_quote && m_quote->Controls() != nullptr) {
        m_quote->RefreshDependentInputs();
    }
}

void TfrmVereDivoDetail::EnableClassCommands()
{
    const bool any = lstClasses->topLevelItemCount() > 0;
    const bool selected = SelectedClass() != nullptr;
    btnDeviate->setEnabled(any);
    btnDelete->setEnabled(any);
    mnuEditClass->setEnabled(any && selected);
    mnuDeleteClass->setEnabled(any && selected);
    mnuShowClassInfo->setEnabled(any && selected);
}

TVereDivoClass *TfrmVereDivoDetail::SelectedClass() const
{
    const QList<QTreeWidgetItem *> selected = lstClasses->selectedItems();
    if (selected.isEmpty()) {
        return nullptr;
    }
    TVereDivoClass *line = &static_cast<TClassItem *>(selected.front())->Line();
    // The list is filled again after every change of the class list; a row it kept from before
    // would point at a line the quote may have freed.
    if (!VEREDIVO_CHECK(m_quote && m_quote->HasClass(*line))) {
        return nullptr;
    }
    return line;
}

void TfrmVereDivoDetail::ShowClassPopup(const QPoint &at)
{
    if (lstClasses->topLevelItemCount() == 1) {
        lstClasses->setCurrentItem(lstClasses->topLevelItem(0));
    }
    EnableClassCommands();
    mnuClasses->popup(lstClasses->viewport()->mapToGlobal(at));
}

void TfrmVereDivoDetail::btnAddClick()
{
    if (!m_quote) {
        return;
    }
    // The quote says itself which exception class its class list lacks.
    if (!m_quote->LoadClassBook()) {
        ShowDates();
        return;
    }
    if (m_quote->Classes().empty()) {
        m_notice.Send("NewQuoteDiagnostic.htm?lob=WC");
    }
    const TClassWindow &window = ClassSelectionWindow();
    if (window ? window(*m_quote, this) : RunClassSelection(*m_quote, this)) {
        RecalculateAndShow();
        FillClassList();
    } else {
        ShowDates();
    }
}

void TfrmVereDivoDetail::lstClassesDblClick()
{
    TVereDivoClass *line = SelectedClass();
    if (line != nullptr && line->EditPayroll()) {
        RecalculateAndShow();
        FillClassList();
    }
}

void TfrmVereDivoDetail::mnuShowClassInfoClick()
{
    if (TVereDivoClass *line = SelectedClass()) {
        line->EditClassInfo(false);
    }
}

void TfrmVereDivoDetail::btnDeleteClick()
{
    TVereDivoClass *line = SelectedClass();
    if (!m_quote || line == nullptr) {
        return;
    }
    const std::string text =
        FromQString(lstClasses->selectedItems().front()->text(colClassification));
    if (!AskYesNo("Are you sure you want to remove this class?\r\r" + text, "",
                  Prompter::Answer::No)) {
        return;
    }
    m_quote->RemoveClass(*line);
    RecalculateAndShow();
    FillClassList();
}

void TfrmVereDivoDetail::btnDeviateClick()
{
    if (!m_quote) {
        return;
    }
    const TClassWindow &window = DeviationsWindow();
    if (window ? window(*m_quote, this) : RunDeviations(*m_quote, this)) {
        RecalculateAndShow();
        FillClassList();
    }
}

// ---- the date ----------------------------------------------------------------------------------

void TfrmVereDivoDetail::dtEffectiveAccept()
{
    if (!m_quote || m_changingDate) {
        return;
    }
    m_changingDate = true;
    try {
        ChangeEffectiveDate(FromQDate(dtEffective->date()));
    } catch (...) {
        m_changingDate = false;
        ShowDates();
        throw;
    }
    m_changingDate = false;
}

bool TfrmVereDivoDetail::ChangeEffectiveDate(TDateTime date)
{
    if (date == m_quote->EffectiveDate) {
        RecalculateAndShow();
        return true;
    }
    const TDateTime earliest = m_quote->PlanProfile->Min_Date;
    if (date < earliest) {
        ShowInformation("The earliest date available for rating is " + DateToStr(earliest));
        ShowDates();
        return false;
    }
    const bool accepted = VerifyDate(date);
    ShowDates();
    if (accepted) {
        RecalculateAndShow();
    }
    return accepted;
}

bool TfrmVereDivoDetail::VerifyDate(TDateTime date)
{
    TVereDivoQuote &quote = *m_quote;
    if (!quote.HasValidClassFile(date)) {
        ShowDates();
        TfrmEffectiveDate window(quote.EffectiveDate, this);
        // A date picked there is a new choice and goes through the same checks.
        if (window.exec() == QDialog::Accepted && window.Date() != quote.EffectiveDate) {
            return ChangeEffectiveDate(window.Date());
        }
        return false;
    }
    if (quote.NeedsSeparateQuoteFor(date)) {
        if (!AskYesNo(std::string("The date you have chosen has a different Class List than "
                                  "current quote, ") +
                      "therefore requiring a seperate quote.  Do you wish to continue?")) {
            dtEffective->setFocus();
            return false;
        }
        TCustLOBInfo header;
        header.Assign(quote.QuoteInfo());
        header.SetEffectiveDate(date);
        header.SetExpirationDate(TVereDivoQuote::ExpirationFor(date));
        header.SetQuoteID(0);
        m_host.NewQuoteFrom(header, std::shared_ptr<TRatingSnapshot>(TakeRatingSnapshot(quote)));
        return false;
    }
    quote.Application().Log("WCDetail - VerifyDateInformation - No New Classes Required");
    const int32_t rateSet = quote.RatePeriod();
    quote.SetEffectiveDate(date);
    // Inputs of another rate set are another panel; what the agent set stays.
    if (quote.PlanProfile->Effect_2 <= 0 || quote.RatePeriod() != rateSet) {
        const std::vector<TInputValue> values = InputValues(m_controls);
        BuildAdjustments();
        SetInputValues(m_controls, values);
    }
    return true;
}

// ---- the premium buttons -----------------------------------------------------------------------

void TfrmVereDivoDetail::btnViewDetailClick()
{
    if (!m_quote || !HasValidPremium()) {
        ShowInformation("Quote is invalid.  There is no premium detail to show.");
        return;
    }
    TfrmPremiumDetail detail(*m_quote, this);
    detail.exec();
}

void TfrmVereDivoDetail::btnSubmitClick()
{
    if (!m_submission || m_submitting) {
        return;
    }
    m_submitting = true;
    const auto done = qScopeGuard([this] { m_submitting = false; });
    m_submission->Submit();
}

bool TfrmVereDivoDetail::OutputBlocked(const std::string &verb, bool askForAddress)
{
    return m_host.OutputBlocked(this, verb, askForAddress);
}

void TfrmVereDivoDetail::EffectiveDateChanged()
{
    ShowDates();
    RecalculateAndShow();
}

void TfrmVereDivoDetail::btnCustomerClick()
{
    EditCustomer(false);
}

void TfrmVereDivoDetail::btnPrintClick()
{
    m_host.PrintQuote(*this);
}

void TfrmVereDivoDetail::btnCloseClick()
{
    if (auto *child = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        child->close();
    } else {
        close();
    }
}

void TfrmVereDivoDetail::btnDownPayClick()
{
    if (!m_quote) {
        return;
    }
    // The quote's own percentage, also while its premium asks for full payment.
    TfrmDownPayment dialog(m_quote->Results.TotalPremium, RoundAmount(m_quote->PlanProfile->Down),
                           this);
    const bool done = dialog.exec() == QDialog::Accepted;
    if (const std::optional<int32_t> chosen = dialog.DefaultPercent()) {
        WriteDefaultDownPercent(m_quote->Application().ProgramFolder(), *chosen);
    }
    if (done) {
        m_quote->SetDownPercent(dialog.Percent());
        RecalculateAndShow();
    }
}

// ---- closing, keys and events ------------------------------------------------------------------

void TfrmVereDivoDetail::closeEvent(QCloseEvent *event)
{
    if (!m_quote) {
        event->accept();
        return;
    }
    if (m_submitting) {
        event->ignore();
        return;
    }
    bool allowed = false;
    Guarded([this, &allowed] { allowed = m_quote->ConfirmClose(); });
    if (!allowed) {
        event->ignore();
        return;
    }
    FreeQuote();
    event->accept();
    m_host.UpdateCommandState();
}

void TfrmVereDivoDetail::FreeQuote()
{
    m_inputs.reset();
    m_controls.Clear();
    m_submission.reset();
    if (m_quote) {
        m_quote->SetWindow(nullptr);
        m_quote.reset();
    }
}

bool TfrmVereDivoDetail::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == txtTotalPremium || watched == txtDownPay) &&
        event->type() == QEvent::MouseButtonDblClick) {
        Guarded([this] { btnViewDetailClick(); });
        return true;
    }
    if (watched == lstClasses && event->type() == QEvent::FocusIn &&
        lstClasses->selectedItems().isEmpty() && lstClasses->topLevelItemCount() > 0) {
        lstClasses->setCurrentItem(lstClasses->topLevelItem(0));
    }
    if (watched == dtEffective && event->type() == QEvent::KeyPress) {
        // The date is chosen, not typed: arrows step it and the calendar picks it.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmVereDivoDetail::Guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        ShowError(error.what());
    }
}
