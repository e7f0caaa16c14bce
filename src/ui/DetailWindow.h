#pragma once

// The quote detail window: one open quote, worked in a maximised MDI child of the main window.
// It shows the proposal's and the rates' effective dates, the table-driven rating inputs of the
// quote's state, the classifications with payroll, rate and premium, and the total premium with
// the down payment; it recalculates after every change and opens the quote's dialogs.
//
// The window owns its quote. Other parts of the program reach the quote through Quote() (the
// printing, the PDF, the e-mail and the bureau submission work on it). A Massachusetts quote
// is submitted to the bureau from here: the window is the submission's window and keeps its
// entries while it is open.

#include "macro/qt/WcribWindows.h"
#include "rating/ControlInterface.h"
#include "rating/VereDivoQuote.h"
#include "ui/QuoteWindow.h"
#include "ui/WcribSubmission.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TInputWidgets;
class TQuoteHost;
class TVereDivoClass;
struct TRatingSnapshot;

class TfrmVereDivoDetail final : public QWidget,
                                 public QuoteWindow,
                                 public TQuoteWindow,
                                 public TWcribSubmissionWindow
{
    Q_OBJECT

public:
    // Takes the quote. `carried`: the rating data of the quote this one follows (a new date
    // with another class list), applied when the inputs are first built.
    TfrmVereDivoDetail(std::unique_ptr<TVereDivoQuote> quote, TQuoteHost &host,
                       std::shared_ptr<TRatingSnapshot> carried = {}, QWidget *parent = nullptr);
    ~TfrmVereDivoDetail() override;

    // The open window of a quote, or none.
    static TfrmVereDivoDetail *WindowOf(const TVereDivoQuote &quote);

    // QuoteWindow
    TVereDivoQuote *Quote() const override { return m_quote.get(); }
    std::string StateAbbreviation() const override;
    TQuoteCommands Commands() const override;
    bool HasClasses() const override;
    int32_t TotalPremium() const override;
    bool HasCompanyName() const override;
    bool HasCompleteAddress() const override;
    bool EditCustomer(bool askForAddress) override;
    bool SaveQuote() override;
    std::string WebSiteAddress() const override;
    std::string UpdateAddress() const override;

    // TQuoteWindow: what the quote asks of its window.
    void RecalculateAndShow() override;
    void ShowTotalsNotAvailable() override;

    // TWcribSubmissionWindow: the main window's readiness check, the dates and the parent.
    bool OutputBlocked(const std::string &verb, bool askForAddress) override;
    void EffectiveDateChanged() override;
    QWidget *Widget() override { return this; }
    // "Submit to WCRIB" of the quote, with the entries given so far (none once the quote is
    // closed).
    TWcribSubmission *Submission() const { return m_submission.get(); }

    // The rating inputs as widgets (none before the window was first shown).
    TControlInterface &Controls() { return m_controls; }
    TInputWidgets *InputWidgets() const { return m_inputs.get(); }
    // Rebuilds the adjustments panel from the quote's input set (first showing, a new date).
    void BuildAdjustments();
    void FillClassList();
    // "New Quote" or the company, then the plan's name in brackets.
    void SetCaption();
    void ShowCaption() override { SetCaption(); }
    // The class of the selected row, or none.
    TVereDivoClass *SelectedClass() const;

    // The class selection and deviations windows: by default "Add Classifications to
    // Quotation" and "Class Deviations"; tests that are about something else put a shortcut
    // here ({} puts the window back). Each shows its window modally on the quote and returns
    // true when the quote's classes changed.
    using TClassWindow = std::function<bool(TVereDivoQuote &quote, QWidget *parent)>;
    static void SetClassSelectionWindow(TClassWindow window);
    static void SetDeviationsWindow(TClassWindow window);

    // Handlers, named after control and event.
    void btnAddClick();
    void btnDeleteClick();
    void btnDeviateClick();
    void lstClassesDblClick();
    void mnuShowClassInfoClick();
    void btnViewDetailClick();
    void btnSubmitClick();
    void btnCustomerClick();
    void btnPrintClick();
    void btnCloseClick();
    void btnDownPayClick();
    // A date accepted in the date edit (a calendar pick, or leaving it).
    void dtEffectiveAccept();

    // Top.
    QLabel *lblEffective = nullptr;
    QDateEdit *dtEffective = nullptr;
    QLabel *pnlEffective = nullptr;
    QPushButton *btnChangeDate = nullptr;
    QLabel *lblRateFileEffective = nullptr;
    QLabel *pnlRateFileEffectiveDate = nullptr;
    // Centre.
    QGroupBox *grpClasses = nullptr;
    QTreeWidget *lstClasses = nullptr;
    QLabel *lblDoubleClick = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnDeviate = nullptr;
    QMenu *mnuClasses = nullptr;
    QAction *mnuAddNewClass = nullptr;
    QAction *mnuEditClass = nullptr;
    QAction *mnuDeleteClass = nullptr;
    QAction *mnuShowClassInfo = nullptr;
    // Bottom.
    QGroupBox *grpAdjustments = nullptr;
    QWidget *pnlAdjustment = nullptr;
    QGroupBox *grpPremium = nullptr;
    QLabel *lblTotalPremium = nullptr;
    QLineEdit *txtTotalPremium = nullptr;
    QLabel *lblDownPay = nullptr;
    QLineEdit *txtDownPay = nullptr;
    QPushButton *btnDownPay = nullptr;
    QPushButton *btnViewDetail = nullptr;
    QPushButton *btnSubmit = nullptr;
    QPushButton *btnCustomer = nullptr;
    QPushButton *btnPrint = nullptr;
    QPushButton *btnClose = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    void PlaceClassButtons();
    void PlacePremiumButtons();
    // The width of one premium button: "Submit to WCRIB" and "View Detail" side by side, or
    // "View Detail" alone twice as wide and the pixel between.
    int ButtonUnit() const;
    void ShowDates();
    void EnableClassCommands();
    void ShowClassPopup(const QPoint &at);
    // The change of the effective date to `date`; false when refused (the shown date goes back
    // to the quote's).
    bool ChangeEffectiveDate(TDateTime date);
    bool VerifyDate(TDateTime date);
    // Runs a handler with every error shown as a message.
    void Guarded(const std::function<void()> &handler);
    void FreeQuote();

    TQuoteHost &m_host;
    std::unique_ptr<TVereDivoQuote> m_quote;
    std::shared_ptr<TRatingSnapshot> m_carried;
    TControlInterface m_controls;
    std::unique_ptr<TInputWidgets> m_inputs;
    std::unique_ptr<TWcribSubmission> m_submission;
    TUsageNotice m_notice;
    bool m_shown = false;
    // The bureau submission runs modal windows over this one; the quote stays until it ends.
    bool m_submitting = false;
    bool m_calculating = false;
    bool m_calculateAgain = false;
    bool m_changingDate = false;
};
