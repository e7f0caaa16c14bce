#pragma once

#include "core/Dates.h"
#include "core/NameValues.h"
#include "rating/ControlAmounts.h"
#include "rating/ControlInterface.h"
#include "rating/DownPayment.h"
#include "rating/FinanceAgreement.h"
#include "rating/PlanProfile.h"
#include "rating/QuoteApplication.h"
#include "rating/QuoteResults.h"
#include "rating/RateBook.h"
#include "rating/TierPremium.h"
#include "rating/VereDivoClass.h"
#include "storage/records/Quote.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// What the quote asks of the window that shows it: a recalculation with the totals shown, and
// the totals cleared when the last class is gone. Without a window the quote recalculates itself.
class TQuoteWindow
{
public:
    virtual ~TQuoteWindow() = default;
    virtual void RecalculateAndShow() = 0;
    virtual void ShowTotalsNotAvailable() = 0;
};

// The open application form a quote fills (the ACORD window sets it while it is open).
class Canvas;

class TApplicationFormTarget
{
public:
    virtual ~TApplicationFormTarget() = default;
    // Gives the form's field of that name the value; false when the form has no such field.
    virtual bool SetField(const std::string &name, const std::string &value, bool readOnly) = 0;
};

// One labelled amount of the premium summary or one labelled value of the factor section.
struct TSummaryLine
{
    std::string Label;
    int32_t Amount = 0;
};
struct TFactorLine
{
    std::string Label;
    std::string Value;
};

// One workers' compensation quotation: state, plan and date, the class lines, the rating inputs
// and every amount of the premium calculation. The state step of the calculation belongs to the
// state variants.
class TVereDivoQuote : public TQuote
{
public:
    // Construction arguments: the broker number of the plan, the application, the quote header
    // (state, quote id and dates; a new quote takes `newDate`, or today when it is 0).
    TVereDivoQuote(int32_t planId, TQuoteApplication &application, const TCustLOBInfo &info,
                   TDateTime newDate = 0);
    ~TVereDivoQuote() override;
    TVereDivoQuote(const TVereDivoQuote &) = delete;
    TVereDivoQuote &operator=(const TVereDivoQuote &) = delete;

    // Virtual operations, in the system's slot order.
    virtual int32_t GetTotalPremiumOfClasses() const;
    virtual int32_t GetTotalStatePremiumOfClasses() const;
    virtual int32_t GetExpenseConstant();
    virtual void ResetResults();
    virtual std::string GetDataItem(int32_t index, int32_t argument) const;
    virtual std::vector<TFactorLine> StateFactorLines() const = 0;
    virtual std::vector<TSummaryLine> PremiumSummaryLines() const = 0;
    virtual void AddApplicationStateFields(std::vector<std::string> &list) = 0;
    virtual void AddPoolStateFields(std::vector<std::string> &list) { (void)list; }
    virtual void AdjustConstructionCreditEnabled(bool &enabled) { (void)enabled; }
    virtual bool CalculateState() = 0;
    // Finds the inputs the quote evaluates and removes those the plan does not offer.
    virtual void BindControls();
    virtual void HookControlEvents();
    virtual std::string GetExportValue(int32_t index) const;

    // Every result amount of the quote's state by name, in the order of the premium detail.
    std::vector<std::pair<std::string, int32_t>> ResultAmounts() const
    {
        return Results.Named(StateCode);
    }

    // Binds the quote to the rating inputs the window built (not owned) and hooks their events.
    void Bind(TControlInterface &controls);
    // Inputs that depend on others (the construction credit box), after classes changed.
    void RefreshDependentInputs();

    // The calculation driver: true when a premium was calculated.
    bool CalculatePremium();
    bool HasValidClassFile(TDateTime date);
    // The class file of a date: 0 when the date has none, else 1 or 2.
    int32_t ClassFileOf(TDateTime date);
    bool LoadClassBook();
    bool ConfirmClose();

    int32_t BalanceToMinimum(int32_t premium);
    int32_t MaxLossConstant() const;
    int32_t AssessmentAmount(int32_t basis) const;
    int32_t MiscFactorAmount(int32_t n, int32_t basis) const;
    int32_t TerrorismAmount(bool foreign) const;
    int32_t PremiumDiscountAmount(int32_t standard);
    bool CheckMaxPremium();
    bool CheckConstructionMax();
    // Run when the user leaves the experience-mod box.
    void ValidateExperienceMod();
    // The limits of the experience mod; outside them the box is reset to 1.00 (false).
    bool CheckExperienceModLimits();
    // A date whose class file differs from the class book's needs a quote of its own.
    bool NeedsSeparateQuoteFor(TDateTime date);

    // Class lines. The class book owns every line the plan offers for the date (and the
    // agent's sub-classes); the quote's lines (Classes) are book lines, kept in display-name
    // order. Only these operations change either list, so no quote line outlives its book line.
    const std::vector<TVereDivoClass *> &Classes() const { return m_classes; }
    const std::vector<std::unique_ptr<TVereDivoClass>> &ClassBook() const { return m_classBook; }
    // Puts a new line in the class book (a user sub-class); it joins the quote through
    // AppendClass.
    TVereDivoClass &AddClass(std::unique_ptr<TVereDivoClass> line);
    // A book line changed by the agent: a sub-class is saved, and a line on the quote keeps
    // its place in the order and is recalculated.
    void AddClass(TVereDivoClass &line);
    // Takes the line off the quote (its payroll and employees to 0); it stays in the book.
    void RemoveClass(TVereDivoClass &line);
    // Takes the line off the quote and out of the book, and forgets it as an exception class.
    void DeleteClass(TVereDivoClass &line);
    TVereDivoClass *FindClass(const std::string &code, const std::string &subCode) const;
    void TakeOverClasses(const std::vector<const TVereDivoClass *> &lines);
    // Puts a class-book line on the quote (kept in display-name order); a line that is not in
    // the book raises std::invalid_argument.
    void AppendClass(TVereDivoClass &line);
    // The quote's lines become exactly these book lines (a window's Cancel putting the list
    // back), in display-name order; a line that is not in the book raises
    // std::invalid_argument and leaves the list as it was.
    void ReplaceClasses(std::vector<TVereDivoClass *> lines);
    bool HasClass(const TVereDivoClass &line) const;

    // Down payment.
    bool FullPaymentRequired() const;
    double DownPercent() const;
    std::string DownPaymentText() const;
    // The down payment as the quote window shows it: DownPaymentText when full payment is
    // required, else the amount as money text and "  (30%)".
    std::string DownPaymentShown() const;
    void SetDownPercent(double percent);
    // The worksheet's payment terms line.
    std::string PaymentTermsText() const;

    // The quote worksheet drawn on a canvas `width` units wide. Mode 0 prints on a printer page
    // (pages break, the plan's closing text follows); mode 1 draws the single page of a PDF.
    void PrintWorksheet(Canvas &canvas, int32_t width, int32_t mode);

    // The name=value export of kind 5 (mapping 100: the quote; 101: class line `argument`).
    void GetExportList(int32_t mappingId, int32_t argument, std::vector<std::string> &list);
    void ApplyExportMapping(std::vector<std::string> &list, bool toForm, int32_t argument,
                            int32_t mappingId, int32_t kind);
    void SetFormField(const std::string &name, const std::string &value,
                      std::vector<std::string> &list, bool readOnly);
    // State items of the application forms: a form field when a form is open, else a line.
    void AddFormItem(const std::string &name, const std::string &value,
                     std::vector<std::string> &list);

    // Application forms: kind 1 the workers compensation application, kind 2 the state pool
    // application. The form the plan names for the kind (empty when it names none), the title
    // of the window that shows it, and the form data file of a stored quote ("" for a quote
    // never stored, which has no file of its own).
    std::string ApplicationFormName(int32_t kind) const;
    std::string ApplicationTitle(int32_t kind) const;
    std::string FormDataFile(int32_t kind) const;
    // New data of an application, through SetFormField: the export mapping, the state's fields,
    // the class fields (a second pass for the NJ pool application) and, for kind 1, the five
    // prior-year fields counted back from `currentYear`. `step` hears each step's name (the
    // ACORD window logs them).
    void FillApplication(int32_t kind, std::vector<std::string> &list, int32_t currentYear,
                         const std::function<void(const std::string &)> &step = {});
    // The class lines in the numbered class fields of the kind's layout; pass 2 is the NJ pool
    // application's list of operations.
    void AddClassFields(std::vector<std::string> &list, int32_t kind, int32_t currentPass);
    void AddYearFields(std::vector<std::string> &list, int32_t currentYear);
    // The finance agreement's form: the agreement's export mapping and its figures.
    void FillFinanceAgreement(const TFinanceAgreement &agreement, const TFinanceFigures &figures,
                              std::vector<std::string> &list);

    // Sets the effective date; the header gets it and its expiration a year later.
    void SetEffectiveDate(TDateTime date);
    static TDateTime ExpirationFor(TDateTime effective);
    // The rate period of the effective date: 1 before the rate change date, else 2.
    int32_t RatePeriod() const;
    // The (broker, state) pair of the plan key of a purpose, or the quote's own pair.
    TPlanPair PlanKeyFor(int32_t purpose) const;

    void SetWindow(TQuoteWindow *window) { m_window = window; }
    void SetApplicationForm(TApplicationFormTarget *form) { m_form = form; }
    bool ApplicationFormOpen() const { return m_form != nullptr; }
    TQuoteApplication &Application() const { return m_application; }
    TVereDivoRateBook &RateBook() const { return *m_rateBook; }
    TControlInterface *Controls() const { return m_controls; }
    const TVereDivoFactors &Factor() const;
    // The assessment label of the summary ("Assessment:" unless the plan names it).
    std::string AssessmentLabel() const;

    // Inputs.
    int32_t QuoteId = 0;
    int32_t PlanId = 0;
    int32_t StateId = 0;
    std::string StateCode;
    TDateTime EffectiveDate = 0;
    TPlanKeyList PlanKeys;
    std::unique_ptr<TVereDivoPlanProfile> PlanProfile;
    std::unique_ptr<TVereDivoFactors> Factors;
    TPremiumDiscountList Discounts;
    std::unique_ptr<TOutputInfo> OutputInfo;
    TVereDivoMiscFactorList MiscFactors;
    std::unique_ptr<TDownPaySchedule> DownPaySchedule;
    TVereDivoClass *ClericalClass = nullptr;
    TVereDivoClass *SalesClass = nullptr;
    TVereDivoClass *DriversClass = nullptr;
    bool Modified = false;

    // The amounts of the last calculation, cleared at the start of every pass.
    TQuoteResults Results;

protected:
    void Log(const std::string &step) const;
    // Asks the window for a recalculation, or recalculates when there is none.
    void Recalculate();
    void EnsureFactors();
    bool AnyLinePremium() const;
    bool InClassBook(const TVereDivoClass &line) const;
    bool EveryLineHasCode(const std::string &code) const;

    // The rating inputs, as the calculation reads them; an input the plan does not offer is
    // none and counts as 0 or empty text.
    TRatingControl *Find(const std::string &name) const;
    void Remove(const std::string &name);
    static double ValueOf(const TRatingControl *control);
    static std::string TextOf(const TRatingControl *control);
    // The text of the selected entry of a list, trimmed; empty when none is selected.
    static std::string SelectedText(const TRatingControl *control);
    static const TComboItemData *SelectedEntryOf(const TRatingControl *control);
    // True when a list's selected entry is the entry it started with.
    static bool DefaultSelected(const TRatingControl *control);
    static bool IsChecked(const TRatingControl &control) { return control.Checked(); }
    static bool IsEnabled(const TRatingControl &control) { return control.Enabled(); }
    static void SetControlText(TRatingControl &control, const std::string &text);
    static void SetControlEnabled(TRatingControl &control, bool enabled);
    static void SelectEntryText(TRatingControl &list, const std::string &text);
    static void RemoveEntry(TRatingControl &list, const std::string &text);
    static void OnChange(TRatingControl &control, std::function<void()> handler);
    static void OnExit(TRatingControl &control, std::function<void()> handler);
    int32_t ListAmountOf(const TRatingControl *list, int32_t amount) const;
    int32_t FactorAdjustmentOf(const TRatingControl *edit, int32_t amount, bool percent,
                               double neutral) const;
    double TierValueOf(const TRatingControl &control, int32_t amount) const;
    int32_t TierAmountOf(const TRatingControl &control, int32_t amount) const;
    // A credit box turned into -|value|, a charge box into +|value|, on leaving it.
    static void MakeNegative(TRatingControl *control);
    // A credit typed as a percentage, made negative; one beyond 100% would take the premium
    // below zero and is refused with a message naming it, the box cleared.
    static void MakeCredit(TRatingControl *control, const std::string &name);
    static void MakePositive(TRatingControl *control);
    // Resolves a control's table-value marker (-9999 ... -9996) against the rate book.
    void ResolveTableValue(TRatingControl &control);
    // The terrorism lines of the premium summary.
    void AddTerrorismLines(std::vector<TSummaryLine> &lines) const;

    TRatingControl *m_partTwo = nullptr;
    TRatingControl *m_premiumDiscount = nullptr;
    TRatingControl *m_expMod = nullptr;
    TRatingControl *m_constCredit = nullptr;
    TRatingControl *m_terrorism = nullptr;
    TRatingControl *m_terrorismDom = nullptr;
    TRatingControl *m_fees = nullptr;

private:
    TQuoteApplication &m_application;
    std::shared_ptr<TVereDivoRateBook> m_rateBook;
    TControlInterface *m_controls = nullptr;
    TQuoteWindow *m_window = nullptr;
    TApplicationFormTarget *m_form = nullptr;
    std::vector<std::unique_ptr<TVereDivoClass>> m_classBook;
    std::vector<TVereDivoClass *> m_classes; // lines of m_classBook
    // The class file the class book was loaded for (0: none loaded).
    int32_t m_classFile = 0;
};

// The quote object for a state: "MA" and "NJ" are known; any other state shows "Unrecognized
// State requested.  Unable to continue with quote." and gives none.
std::unique_ptr<TVereDivoQuote> CreateStateQuote(int32_t planId, TQuoteApplication &application,
                                                 const TCustLOBInfo &info, TDateTime newDate = 0);
