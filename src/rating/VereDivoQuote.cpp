#include "rating/VereDivoQuote.h"

#include "core/BusyCursor.h"
#include "core/Errors.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/States.h"
#include "core/Text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

// Table-value markers of a rating input: where its value comes from.
constexpr int32_t MarkerSimpleValue = -9999;
constexpr int32_t MarkerTierByDate = -9998;
constexpr int32_t MarkerTierByDateOfKey = -9997;
constexpr int32_t MarkerTierByAmountOfKey = -9996;

bool ByDisplayName(const TVereDivoClass *a, const TVereDivoClass *b)
{
    return CompareClassLines(*a, *b) < 0;
}

} // namespace

TVereDivoQuote::TVereDivoQuote(int32_t planId, TQuoteApplication &application,
                               const TCustLOBInfo &info, TDateTime newDate)
    : TQuote(WorkersCompensation, info.State()), PlanId(planId), m_application(application)
{
    Log("Constructor - Enter");
    QuoteInfo().Assign(info);
    QuoteId = info.QuoteID();
    if (QuoteId > 0) {
        Log("Constructor - Quote ID = " + IntText(QuoteId));
        PlanId = m_application.StoredPlan(QuoteId, PlanId);
    } else {
        Log("Constructor - No Quote ID");
    }

    StateCode = UpperCase(Trim(info.State()));
    StateId = StateNumber(StateCode);
    if (Customer().CustomerNumber() <= 0) {
        Customer().SetState(StateCode);
    }

    Log("Constructor - Creating Ratebook and Profile");
    m_rateBook = m_application.SharedRateBook();
    if (!m_rateBook) {
        m_rateBook = std::make_shared<TVereDivoRateBook>(
            WorkersCompensation, m_application.DataFolder(), m_application.ProgramFolder(),
            m_application.Database());
    }
    PlanProfile = std::make_unique<TVereDivoPlanProfile>();
    m_rateBook->LoadPlanProfile(PlanId, StateId, *PlanProfile);
    if (PlanProfile->PLAN_KEYS) {
        Log("Constructor - Loading Plan Keys");
        m_rateBook->LoadPlanKeys(PlanId, StateId, PlanKeys);
    }

    if (PlanProfile->PrmDiscTyp == 2 || PlanProfile->PrmDiscTyp == 3) {
        const auto [broker, state] = PlanKeyFor(pkPremiumDiscount);
        m_rateBook->LoadPremiumDiscountTable(broker, state, Discounts);
    }

    Log("Constructor - Getting Output Info");
    {
        const auto [broker, state] = PlanKeyFor(pkOutput);
        OutputInfo = m_rateBook->LoadOutputInfo(broker, state);
    }
    {
        const auto [broker, state] = PlanKeyFor(pkMiscFactors);
        MiscFactors = m_rateBook->LoadMiscFactors(broker, state);
    }

    TDateTime date = newDate > 0 ? newDate : Today();
    if (QuoteId > 0) {
        Log("Constructor - Loading Saved Quote Info");
        m_application.LoadCustomer(*this);
        date = info.EffectiveDate();
    }
    Log("Constructor - Effective Date = " + DateToStr(date));

    if (date < PlanProfile->Min_Date) {
        const TDateTime saved = date;
        date = PlanProfile->Min_Date;
        if (QuoteId > 0) {
            ShowInformation(
                "Effective Date has been adjusted to " + DateToStr(date) + " since there are " +
                "no longer any rates available for the saved date of " + DateToStr(saved));
        }
    }
    SetEffectiveDate(date);

    {
        const auto [broker, state] = PlanKeyFor(pkDownPayment);
        DownPaySchedule = m_rateBook->LoadDownPaySchedule(broker, state);
    }
    Log("Constructor - Finished");
}

TVereDivoQuote::~TVereDivoQuote() = default;

void TVereDivoQuote::Log(const std::string &step) const
{
    m_application.Log("WCQuote - " + step);
}

TPlanPair TVereDivoQuote::PlanKeyFor(int32_t purpose) const
{
    return PlanPairFor(PlanKeys, purpose, {PlanId, StateId});
}

int32_t TVereDivoQuote::RatePeriod() const
{
    return PlanProfile->RatePeriodFor(EffectiveDate);
}

TDateTime TVereDivoQuote::ExpirationFor(TDateTime effective)
{
    // A policy year from 29 February ends on 28 February of the next year.
    const DateParts p = DecodeDate(effective);
    const int day = std::min(p.day, DaysInMonth(p.year + 1, p.month));
    return EncodeDate(p.year + 1, p.month, day);
}

void TVereDivoQuote::SetEffectiveDate(TDateTime date)
{
    // Factors belong to a rate period: a date in another period reads them anew.
    if (Factors && PlanProfile->RatePeriodFor(date) != RatePeriod()) {
        Factors.reset();
    }
    EffectiveDate = date;
    QuoteInfo().SetEffectiveDate(date);
    QuoteInfo().SetExpirationDate(date > 0 ? ExpirationFor(date) : 0);
}

const TVereDivoFactors &TVereDivoQuote::Factor() const
{
    static const TVereDivoFactors none;
    return Factors ? *Factors : none;
}

void TVereDivoQuote::EnsureFactors()
{
    if (Factors) {
        return;
    }
    Log("Calculate Premium - Loading Rating Factors");
    BusyCursor busy;
    const auto [broker, state] = PlanKeyFor(pkFactors);
    Factors = m_rateBook->LoadFactors(broker, state, RatePeriod());
    if (!Factors) {
        // A plan without a factor row rates with every factor 0 rather than failing later.
        Log("Calculate Premium - No Rating Factors Found");
        Factors = std::make_unique<TVereDivoFactors>();
    }
}

void TVereDivoQuote::Recalculate()
{
    if (m_window) {
        m_window->RecalculateAndShow();
    } else {
        CalculatePremium();
    }
}

// ---- the calculation ----------------------------------------------------------------------

namespace {

// Every amount after the manual premium is that premium times factors plus charges, all held in
// 32 bits: an eighth of the 32-bit range leaves them room.
constexpr int64_t LargestManualPremium = std::numeric_limits<int32_t>::max() / 8;

int32_t ManualPremium(int64_t total)
{
    if (total > LargestManualPremium) {
        throw EAmountRange("The total manual premium (" + MoneyText(total) + ") is more than " +
                           MoneyText(LargestManualPremium) + ", the largest the program can rate.");
    }
    return CheckedAmount(total, "total manual premium");
}

} // namespace

int32_t TVereDivoQuote::GetTotalPremiumOfClasses() const
{
    int64_t total = 0;
    for (const TVereDivoClass *line : m_classes) {
        total += line->GetPremium();
    }
    return ManualPremium(total);
}

int32_t TVereDivoQuote::GetTotalStatePremiumOfClasses() const
{
    int64_t total = 0;
    for (const TVereDivoClass *line : m_classes) {
        total += line->GetStatePremium();
    }
    return ManualPremium(total);
}

void TVereDivoQuote::ResetResults()
{
    Results.Reset();
}

bool TVereDivoQuote::CalculatePremium()
{
    Log("Calculate Premium - Enter");
    if (m_classes.empty()) {
        return false;
    }
    Modified = true;
    EnsureFactors();

    bool result = true;
    try {
        for (const TVereDivoClass *line : m_classes) {
            line->CheckAmounts();
        }
        if (!PlanProfile->CalcBySeq) {
            Log("Calculate Premium - Calc For State");
            result = CalculateState();
        } else {
            // Without a state sequence only the fees make up the total; starting from zero
            // keeps repeated calculations from adding the fees again and again.
            ResetResults();
        }
        if (result) {
            Log("Calculate Premium - State Success, Checking Maxes");
            if (m_fees) {
                Results.Fees = CheckedRoundAmount(ValueOf(m_fees), "fee");
            }
            Results.TotalPremium =
                CheckedAmount(int64_t {Results.TotalPremium} + Results.Fees, "total premium");
        }
    } catch (const EAmountRange &error) {
        // Never rated with a clamped figure: the quote keeps no amounts.
        Log(std::string("Calculate Premium - ") + error.what());
        ResetResults();
        ShowInformation(std::string(error.what()) + "  Quote is invalid");
        return false;
    }
    if (result && CheckMaxPremium()) {
        CheckConstructionMax();
    }
    return result;
}

bool TVereDivoQuote::AnyLinePremium() const
{
    return std::any_of(m_classes.begin(), m_classes.end(),
                       [](const TVereDivoClass *line) { return line->GetPremium() > 0; });
}

bool TVereDivoQuote::EveryLineHasCode(const std::string &code) const
{
    return !m_classes.empty() &&
        std::all_of(m_classes.begin(), m_classes.end(),
                    [&code](const TVereDivoClass *line) { return Trim(line->Code) == code; });
}

namespace {

// The classes the minimum premium rules pass over when they look for the governing class.
constexpr std::string_view ClericalOfficeCode = "8810";
constexpr std::string_view DriversCode = "7380";
constexpr std::string_view OutsideSalesCode = "8742";

} // namespace

int32_t TVereDivoQuote::BalanceToMinimum(int32_t premium)
{
    const auto firstHighestMinimum = [this](auto &&eligible) -> const TVereDivoClass * {
        const TVereDivoClass *found = nullptr;
        for (const TVereDivoClass *line : m_classes) {
            if (eligible(line) && (!found || line->MinPremium > found->MinPremium)) {
                found = line;
            }
        }
        return found;
    };
    const auto isExceptionCode = [](const TVereDivoClass *line) {
        const std::string code = Trim(line->Code);
        return code == ClericalOfficeCode || code == DriversCode || code == OutsideSalesCode;
    };

    int32_t minimum = 0;
    const int32_t rule = PlanProfile->MinPremTyp;
    const bool anyPremium = AnyLinePremium();
    if (m_classes.size() == 1) {
        minimum = m_classes.front()->MinPremium;
    } else if (rule == 1 || rule == 3 || !anyPremium) {
        const TVereDivoClass *governing =
            firstHighestMinimum([](const TVereDivoClass *) { return true; });
        minimum = governing ? governing->MinPremium : 0;
        if (rule == 3 && anyPremium && governing) {
            if (governing->GetPayroll() >= 500) {
                minimum = 0;
            } else {
                int32_t count = 1;
                int32_t highestOther = 0;
                for (const TVereDivoClass *line : m_classes) {
                    const std::string code = Trim(line->Code);
                    if (line == governing || code == ClericalOfficeCode ||
                        code == OutsideSalesCode) {
                        continue;
                    }
                    ++count;
                    highestOther = std::max(highestOther, line->MinPremium);
                }
                if (count >= 2) {
                    minimum = RoundAmount((governing->MinPremium + highestOther) / 2.0);
                }
            }
        }
    } else {
        const TVereDivoClass *governing = firstHighestMinimum(
            [&isExceptionCode](const TVereDivoClass *line) { return !isExceptionCode(line); });
        if (governing) {
            minimum = governing->MinPremium;
        } else {
            const TVereDivoClass *highest = nullptr;
            for (const TVereDivoClass *line : m_classes) {
                if (!highest || line->GetPremium() > highest->GetPremium()) {
                    highest = line;
                }
            }
            minimum = highest ? highest->MinPremium : 0;
        }
    }

    Results.ExpenseConstant = GetExpenseConstant();
    const int32_t lossConstant = MaxLossConstant();
    Results.MinimumPremium = minimum;
    const int64_t balance = int64_t {Results.MinimumPremium} - premium -
        int64_t {Results.ExpenseConstant} - lossConstant;
    return balance > 0 ? CheckedAmount(balance, "balance to the minimum premium") : 0;
}

int32_t TVereDivoQuote::GetExpenseConstant()
{
    const TVereDivoFactors &f = Factor();
    if (f.EXP_PER_EM > 0 && !m_classes.empty()) {
        bool perEmployee = true;
        int64_t employees = 0;
        for (const TVereDivoClass *line : m_classes) {
            if (line->Special != 1) {
                perEmployee = false;
                break;
            }
            employees += line->Employees;
        }
        if (perEmployee) {
            const int64_t cap = f.EPM_MAX != 0 ? f.EPM_MAX : f.EXP_CNT_HI;
            return static_cast<int32_t>(std::min(employees * f.EXP_PER_EM, cap));
        }
    }
    if (f.EXP_CNT_HI == f.EXP_CNT_LO) {
        return f.EXP_CNT_HI;
    }
    int64_t basis = Results.ModifiedPremium;
    if (StateCode != "MA") {
        basis += MaxLossConstant();
    }
    if (basis < f.EXPLCUTOFF) {
        return f.EXP_CNT_LO;
    }
    if (basis < f.EXPMCUTOFF) {
        return f.EXP_CNT_MD;
    }
    return f.EXP_CNT_HI;
}

int32_t TVereDivoQuote::MaxLossConstant() const
{
    int32_t highest = 0;
    for (const TVereDivoClass *line : m_classes) {
        highest = std::max(highest, line->LossConstant);
    }
    return highest;
}

int32_t TVereDivoQuote::AssessmentAmount(int32_t basis) const
{
    const TVereDivoFactors &f = Factor();
    return f.ASS_PERCNT ? RoundAmount(f.ASSESSMENT * basis) : RoundAmount(f.ASSESSMENT);
}

int32_t TVereDivoQuote::MiscFactorAmount(int32_t n, int32_t basis) const
{
    const TVereDivoFactors &f = Factor();
    switch (n) {
    case 1:
        return RoundAmount(basis * f.Misc_Fact1);
    case 2:
        return RoundAmount(basis * f.Misc_Fact2);
    case 3:
        return RoundAmount(basis * f.Misc_Fact3);
    default:
        return 0;
    }
}

int32_t TVereDivoQuote::TerrorismAmount(bool foreign) const
{
    const TVereDivoFactors &f = Factor();
    double rate = foreign ? f.Terror : f.Terror_Dom;
    if (rate == 0) {
        return 0;
    }
    if (rate < 0) {
        // A negative table rate means the agent types the rate (dollars per 100) in its box;
        // without the box the table's magnitude stands.
        const TRatingControl *box = foreign ? m_terrorism : m_terrorismDom;
        rate = box ? ValueOf(box) * 100 : -rate;
    }
    int64_t payroll = 0;
    for (const TVereDivoClass *line : m_classes) {
        if (line->CalcType != 2) {
            payroll += line->GetPayroll();
        }
    }
    return RoundAmount(RoundAmount(static_cast<double>(payroll) / 100) * rate * 0.01);
}

int32_t TVereDivoQuote::PremiumDiscountAmount(int32_t standard)
{
    const TVereDivoFactors &f = Factor();
    switch (PlanProfile->PrmDiscTyp) {
    case 1:
        if (standard < f.PRM_DSC_MN) {
            return 0;
        }
        return RoundAmount(f.PRM_DSC_PR * (standard - f.PRM_DSC_MN) * 0.01);
    case 2:
    case 4: {
        if (PlanProfile->PrmDiscTyp == 4) {
            const int32_t table = ListAmountOf(m_premiumDiscount, 1);
            if (Discounts.empty() || Discounts.front()->TableId != table) {
                const auto [broker, state] = PlanKeyFor(pkPremiumDiscount);
                m_rateBook->LoadPremiumDiscountItems(broker, state, table, Discounts);
            }
        }
        int64_t remaining = standard;
        int64_t total = 0;
        for (const auto &row : Discounts) {
            if (remaining <= 0) {
                break;
            }
            row->Discount = -std::fabs(row->Discount);
            if (static_cast<double>(remaining) >= row->Value1) {
                total += RoundAmount(row->Value1 * row->Discount);
            } else {
                total += RoundAmount(static_cast<double>(remaining) * row->Discount);
            }
            remaining = RoundAmount(static_cast<double>(remaining) - row->Value1);
        }
        return CheckedAmount(total, "premium discount");
    }
    case 3: {
        const int32_t table = ListAmountOf(m_premiumDiscount, 1);
        if (table <= 0) {
            return 0;
        }
        for (const auto &row : Discounts) {
            if (row->TableId == table && standard <= row->Value1) {
                return RoundAmount(standard * -std::fabs(row->Discount) * 0.01);
            }
        }
        return 0;
    }
    default:
        return 0;
    }
}

bool TVereDivoQuote::CheckMaxPremium()
{
    const int32_t maximum = PlanProfile->MAX_TOTAL;
    if (maximum > 0 &&
        int64_t {maximum} < int64_t {Results.TotalPremium} - Results.ExpenseConstant -
                int64_t {Results.Assessment}) {
        // An invalid quote keeps no amounts, so no detail, export or printout shows a part of it.
        ResetResults();
        ShowInformation("Premium cannot be greater than " + MoneyText(maximum) +
                        ".  Quote is invalid");
        return false;
    }
    return true;
}

bool TVereDivoQuote::CheckConstructionMax()
{
    if (!Factor().CNST_ALLOW) {
        return true;
    }
    const bool construction =
        std::any_of(m_classes.begin(), m_classes.end(),
                    [](const TVereDivoClass *line) { return line->ConstructionCredit; });
    if (construction && PlanProfile->MAX_CONST < Results.TotalPremium) {
        ResetResults();
        ShowInformation(
            "Policies Subject to a Construction Classification cannot be greater than $" +
            IntText(PlanProfile->MAX_CONST));
        return false;
    }
    return true;
}

void TVereDivoQuote::ValidateExperienceMod()
{
    CheckExperienceModLimits();
    Recalculate();
}

bool TVereDivoQuote::CheckExperienceModLimits()
{
    if (m_expMod) {
        const double mod = ValueOf(m_expMod);
        std::string message;
        // A plan that sets no upper limit (0) limits nothing.
        if (PlanProfile->Max_Ex_Mod > 0 && mod > PlanProfile->Max_Ex_Mod) {
            message = "Experience Mod must be less than " + FixedText(PlanProfile->Max_Ex_Mod, 4);
        }
        if (mod <= PlanProfile->Min_Ex_Mod) {
            message =
                "Experience Mod must be greater than " + FixedText(PlanProfile->Min_Ex_Mod, 4);
        }
        if (!message.empty()) {
            ShowInformation(message);
            SetControlText(*m_expMod, " 1.00");
            return false;
        }
    }
    return true;
}

void TVereDivoQuote::RefreshDependentInputs()
{
    if (!m_constCredit) {
        return;
    }
    bool enabled = IsEnabled(*m_constCredit);
    AdjustConstructionCreditEnabled(enabled);
    SetControlEnabled(*m_constCredit, enabled);
    if (!enabled) {
        SetControlText(*m_constCredit, "0");
    }
}

void TVereDivoQuote::AddTerrorismLines(std::vector<TSummaryLine> &lines) const
{
    if (Results.TerrorismCharge != 0) {
        lines.push_back({Results.DomesticTerrorismCharge != 0 ? "Foreign Terrorism Charge:"
                                                              : "Terrorism Charge:",
                         Results.TerrorismCharge});
    }
    if (Results.DomesticTerrorismCharge != 0) {
        lines.push_back({"Domestic Terrorism Charge:", Results.DomesticTerrorismCharge});
    }
}

// ---- class file and class book ------------------------------------------------------------

bool TVereDivoQuote::HasValidClassFile(TDateTime date)
{
    Log("HasValidClassFile - Start");
    const bool valid = PlanProfile->HasValidClassFile(date);
    if (!valid) {
        Log("HasValidClassFile - No Valid File Found");
    }
    Log("HasValidClassFile - Finish");
    return valid;
}

int32_t TVereDivoQuote::ClassFileOf(TDateTime date)
{
    if (!HasValidClassFile(date)) {
        return 0;
    }
    return PlanProfile->ClassFileFor(date);
}

bool TVereDivoQuote::NeedsSeparateQuoteFor(TDateTime date)
{
    return m_classFile != 0 && ClassFileOf(date) != m_classFile;
}

bool TVereDivoQuote::LoadClassBook()
{
    const int32_t classFile = ClassFileOf(EffectiveDate);
    if (classFile == 0) {
        return false;
    }
    if (m_classFile == 0) {
        BusyCursor busy;
        const auto [broker, state] = PlanKeyFor(pkClasses);
        TClassLineList loaded =
            m_rateBook->LoadClasses(broker, state, *PlanProfile, classFile, PlanProfile->CARR_ID,
                                    ClericalClass, SalesClass, DriversClass);
        m_rateBook->LoadUserClasses(loaded);
        // Lines added before (and the quote's lines among them) stay in the book.
        for (auto &line : m_classBook) {
            loaded.push_back(std::move(line));
        }
        m_classBook = std::move(loaded);
        m_classFile = classFile;
    }

    bool complete = true;
    const auto missing = [&complete](const std::string &kind) {
        ShowInformation("Unable to locate " + kind +
                        " Class in Class list.  Classes not Availaible");
        complete = false;
    };
    if (!ClericalClass) {
        missing("Clerical");
    }
    if (!SalesClass) {
        missing("Sales");
    }
    if (!DriversClass && !Trim(PlanProfile->Driver_Cod).empty()) {
        missing("Drivers");
    }
    return complete;
}

bool TVereDivoQuote::ConfirmClose()
{
    if (!Modified || !PlanProfile->Can_Save) {
        return true;
    }
    switch (AskYesNoCancel("Do you wish to save this quote?")) {
    case Prompter::Answer::Yes:
        return m_application.SaveQuote(*this);
    case Prompter::Answer::No:
        Modified = false;
        return true;
    default:
        return false;
    }
}

// ---- class lines --------------------------------------------------------------------------

bool TVereDivoQuote::HasClass(const TVereDivoClass &line) const
{
    return std::find(m_classes.begin(), m_classes.end(), &line) != m_classes.end();
}

bool TVereDivoQuote::InClassBook(const TVereDivoClass &line) const
{
    return std::any_of(m_classBook.begin(), m_classBook.end(),
                       [&line](const auto &own) { return own.get() == &line; });
}

void TVereDivoQuote::AppendClass(TVereDivoClass &line)
{
    if (HasClass(line)) {
        return;
    }
    if (!InClassBook(line)) {
        // The quote would refer to a line it does not own.
        // Not dereferenced: a line the quote does not own may have been freed.
        throw std::invalid_argument("a class line that is not in the quote's class book");
    }
    m_classes.insert(std::upper_bound(m_classes.begin(), m_classes.end(), &line, ByDisplayName),
                     &line);
}

void TVereDivoQuote::ReplaceClasses(std::vector<TVereDivoClass *> lines)
{
    for (const TVereDivoClass *line : lines) {
        if (!InClassBook(*line)) {
            throw std::invalid_argument("a class line that is not in the quote's class book");
        }
    }
    std::stable_sort(lines.begin(), lines.end(), ByDisplayName);
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    m_classes = std::move(lines);
}

TVereDivoClass &TVereDivoQuote::AddClass(std::unique_ptr<TVereDivoClass> line)
{
    TVereDivoClass &added = *line;
    if (!InClassBook(added)) {
        m_classBook.push_back(std::move(line));
    }
    AddClass(added);
    return added;
}

void TVereDivoQuote::AddClass(TVereDivoClass &line)
{
    if (line.HasParent()) {
        m_rateBook->SaveUserClass(line);
    }
    if (HasClass(line)) {
        // The line's name may have changed; keep the list in order.
        m_classes.erase(std::find(m_classes.begin(), m_classes.end(), &line));
        AppendClass(line);
        Recalculate();
    }
}

void TVereDivoQuote::RemoveClass(TVereDivoClass &line)
{
    const auto found = std::find(m_classes.begin(), m_classes.end(), &line);
    if (found == m_classes.end()) {
        return;
    }
    m_classes.erase(found);
    line.SetPayroll(0);
    line.SetEmployees(0);
    if (m_classes.empty()) {
        ResetResults();
        if (m_window) {
            m_window->ShowTotalsNotAvailable();
        }
    }
}

void TVereDivoQuote::DeleteClass(TVereDivoClass &line)
{
    const bool onQuote = HasClass(line);
    RemoveClass(line);
    if (onQuote && !m_classes.empty()) {
        Recalculate();
    }
    if (ClericalClass == &line) {
        ClericalClass = nullptr;
    }
    if (SalesClass == &line) {
        SalesClass = nullptr;
    }
    if (DriversClass == &line) {
        DriversClass = nullptr;
    }
    m_rateBook->DeleteUserClass(line);
    m_classBook.erase(std::remove_if(m_classBook.begin(), m_classBook.end(),
                                     [&line](const auto &own) { return own.get() == &line; }),
                      m_classBook.end());
}

TVereDivoClass *TVereDivoQuote::FindClass(const std::string &code, const std::string &subCode) const
{
    const std::string wantedCode = UpperCase(code);
    const std::string wantedSub = UpperCase(subCode);
    for (const auto &line : m_classBook) {
        if (UpperCase(line->Code) == wantedCode && UpperCase(line->SubCode) == wantedSub) {
            return line.get();
        }
    }
    return nullptr;
}

void TVereDivoQuote::TakeOverClasses(const std::vector<const TVereDivoClass *> &lines)
{
    if (!LoadClassBook()) {
        return;
    }
    for (const TVereDivoClass *given : lines) {
        for (const auto &own : m_classBook) {
            if (own->Code == given->Code && own->SubCode == given->SubCode) {
                own->SetPayroll(given->GetPayroll());
                own->SetEmployees(given->Employees);
                AppendClass(*own);
                break;
            }
        }
    }
}

// ---- down payment -------------------------------------------------------------------------

bool TVereDivoQuote::FullPaymentRequired() const
{
    return DownPaySchedule->FullPaymentRequired(Results.TotalPremium, PlanProfile->Min_Down);
}

double TVereDivoQuote::DownPercent() const
{
    return FullPaymentRequired() ? -1 : PlanProfile->Down;
}

std::string TVereDivoQuote::DownPaymentText() const
{
    return DownPaySchedule->DownPaymentText(Results.TotalPremium, PlanProfile->Min_Down,
                                            PlanProfile->Down);
}

std::string TVereDivoQuote::DownPaymentShown() const
{
    if (FullPaymentRequired()) {
        return DownPaymentText();
    }
    const double percent = DownPercent();
    return MoneyText(DownPaymentAmount(Results.TotalPremium, percent)) + "  (" +
        FixedText(percent, 0) + "%)";
}

void TVereDivoQuote::SetDownPercent(double percent)
{
    // The plan's figure is the quote's own: storage saves and restores it with the quote.
    PlanProfile->Down = percent;
}

std::string TVereDivoQuote::PaymentTermsText() const
{
    return DownPaySchedule->PaymentTermsText(Results.TotalPremium, PlanProfile->Min_Down,
                                             PlanProfile->Down);
}

// ---- rating inputs ------------------------------------------------------------------------

void TVereDivoQuote::Bind(TControlInterface &controls)
{
    m_controls = &controls;
    BindControls();
    HookControlEvents();
}

void TVereDivoQuote::BindControls()
{
    if (!PlanProfile->HasFees) {
        Remove("txtFees");
        Remove("lblFees");
        m_fees = nullptr;
    } else {
        m_fees = Find("txtFees");
    }

    EnsureFactors();

    const auto bindTerrorism = [this](double rate, const char *box, const char *label,
                                      TRatingControl *&bound) {
        if (rate >= 0) {
            Remove(box);
            Remove(label);
            bound = nullptr;
            return;
        }
        bound = Find(box);
        if (bound) {
            SetControlText(*bound, FloatText(RoundTo(std::fabs(rate * 0.01), 6)));
        }
    };
    bindTerrorism(Factor().Terror, "txtTerrorism", "lblTerrorism", m_terrorism);
    bindTerrorism(Factor().Terror_Dom, "txtTerrorismDom", "lblTerrorismDom", m_terrorismDom);

    if (PlanProfile->PrmDiscTyp != 3 && PlanProfile->PrmDiscTyp != 4) {
        Remove("lstPremiumDiscount");
        Remove("lblPremiumDiscount");
        m_premiumDiscount = nullptr;
    }
}

void TVereDivoQuote::HookControlEvents()
{
    const auto recalculate = [this] { Recalculate(); };
    for (TRatingControl *list : {m_partTwo, m_premiumDiscount}) {
        if (list) {
            OnChange(*list, recalculate);
        }
    }
    if (m_constCredit) {
        OnExit(*m_constCredit, [this] {
            MakeCredit(m_constCredit, "Construction Credit");
            Recalculate();
        });
    }
    for (TRatingControl **box : {&m_terrorism, &m_terrorismDom}) {
        if (*box) {
            OnExit(**box, [this, box] {
                MakePositive(*box);
                Recalculate();
            });
        }
    }
    if (m_fees) {
        OnExit(*m_fees, recalculate);
    }
}

std::string TVereDivoQuote::GetExportValue(int32_t index) const
{
    return GetDataItem(index, 0);
}

void TVereDivoQuote::MakeNegative(TRatingControl *control)
{
    if (control) {
        const double value = ValueOf(control);
        if (value > 0) {
            SetControlText(*control, FloatText(-value));
        }
    }
}

void TVereDivoQuote::MakeCredit(TRatingControl *control, const std::string &name)
{
    if (control && std::fabs(ValueOf(control)) > 100) {
        ShowInformation(name + " cannot be more than 100%.");
        SetControlText(*control, "0");
        return;
    }
    MakeNegative(control);
}

void TVereDivoQuote::MakePositive(TRatingControl *control)
{
    if (control) {
        const double value = ValueOf(control);
        if (value < 0) {
            SetControlText(*control, FloatText(-value));
        }
    }
}

void TVereDivoQuote::ResolveTableValue(TRatingControl &control)
{
    const int32_t marker = RoundAmount(control.StoredValue());
    const int32_t index = control.Spec().Index;
    const auto attach = [this, &control](TPlanPair plan, bool byDate) {
        if (auto tiers = m_rateBook->LoadTierPremiums(plan.Broker_ID, plan.State_ID,
                                                      control.Spec().Index, byDate)) {
            m_controls->AttachTiers(control, std::move(tiers));
        }
    };
    switch (marker) {
    case MarkerSimpleValue:
        control.SetStoredValue(m_rateBook->LookupSimpleValue(PlanId, StateId, RatePeriod(), index));
        break;
    case MarkerTierByDate:
        attach({PlanId, StateId}, true);
        break;
    case MarkerTierByDateOfKey:
        attach(PlanKeyFor(pkPremiumValues), true);
        break;
    case MarkerTierByAmountOfKey:
        attach(PlanKeyFor(pkPremiumValues), false);
        break;
    default:
        break;
    }
}

TRatingControl *TVereDivoQuote::Find(const std::string &name) const
{
    return m_controls ? m_controls->FindControl(name) : nullptr;
}

void TVereDivoQuote::Remove(const std::string &name)
{
    if (m_controls) {
        m_controls->RemoveControl(name);
    }
}

double TVereDivoQuote::ValueOf(const TRatingControl *control)
{
    return control ? control->Number() : 0;
}

std::string TVereDivoQuote::TextOf(const TRatingControl *control)
{
    return control ? control->Text() : std::string();
}

std::string TVereDivoQuote::SelectedText(const TRatingControl *control)
{
    const TComboItemData *entry = SelectedEntryOf(control);
    return entry ? Trim(entry->Text) : std::string();
}

const TComboItemData *TVereDivoQuote::SelectedEntryOf(const TRatingControl *control)
{
    return control ? control->SelectedEntry() : nullptr;
}

bool TVereDivoQuote::DefaultSelected(const TRatingControl *control)
{
    return !control || control->IsDefaultSelected();
}

void TVereDivoQuote::SetControlText(TRatingControl &control, const std::string &text)
{
    control.SetText(text);
}

void TVereDivoQuote::SetControlEnabled(TRatingControl &control, bool enabled)
{
    control.SetEnabled(enabled);
}

void TVereDivoQuote::SelectEntryText(TRatingControl &list, const std::string &text)
{
    list.SetText(text);
}

void TVereDivoQuote::RemoveEntry(TRatingControl &list, const std::string &text)
{
    list.RemoveEntry(text);
}

void TVereDivoQuote::OnChange(TRatingControl &control, std::function<void()> handler)
{
    control.OnChange([handler = std::move(handler)](TRatingControl &) { handler(); });
}

void TVereDivoQuote::OnExit(TRatingControl &control, std::function<void()> handler)
{
    control.OnExit([handler = std::move(handler)](TRatingControl &) { handler(); });
}

int32_t TVereDivoQuote::ListAmountOf(const TRatingControl *list, int32_t amount) const
{
    return ListAmount(list, amount);
}

int32_t TVereDivoQuote::FactorAdjustmentOf(const TRatingControl *edit, int32_t amount, bool percent,
                                           double neutral) const
{
    return FactorAdjustment(edit, amount, percent, neutral);
}

double TVereDivoQuote::TierValueOf(const TRatingControl &control, int32_t amount) const
{
    return TierValue(&control, amount, EffectiveDate);
}

int32_t TVereDivoQuote::TierAmountOf(const TRatingControl &control, int32_t amount) const
{
    return TierAmount(&control, amount, EffectiveDate);
}

std::string TVereDivoQuote::AssessmentLabel() const
{
    const std::string name = Trim(PlanProfile->ASSESS_NAM);
    return (name.empty() ? std::string("Assessment") : name) + ":";
}
