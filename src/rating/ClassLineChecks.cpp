#include "rating/ClassLineChecks.h"

#include "core/Rounding.h"
#include "core/Text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A number as typed in a box: blanks, "$" and group separators are allowed.
std::optional<double> TypedNumber(const std::string &text)
{
    std::string cleaned = ReplaceAll(ReplaceAll(Trim(text), ",", ""), "$", "");
    double value = 0;
    if (!TryStrToFloat(cleaned, value)) {
        return std::nullopt;
    }
    return value;
}

// A whole, non-negative count as typed; nothing for anything else.
std::optional<int32_t> TypedCount(const std::string &text)
{
    const auto value = TypedNumber(text);
    if (!value || *value < 0 || *value > INT32_MAX || *value != std::trunc(*value)) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

bool IsPositive(const std::optional<double> &value)
{
    return value && *value > 0;
}

TEntryCheck Refuse(std::string message, TEntryFocus focus)
{
    return TEntryCheck {std::move(message), focus};
}

// Amounts are 32-bit: a payroll or premium beyond this would be clamped, and the quote would
// show a premium that is not the one of what the agent typed.
constexpr double kLargestAmount = 2147483647.0;
constexpr const char *kPayrollTooLarge = "Payroll cannot be greater than $2,147,483,647";

bool AmountFits(double value)
{
    return std::abs(value) <= kLargestAmount;
}

// What the line would charge at `rate` for that payroll or number of employees.
double PremiumAt(const TVereDivoClass &line, double payroll, double employees, double rate)
{
    switch (line.CalcType) {
    case 1:
        return rate * payroll * 0.01;
    case 2:
        return employees * rate;
    default:
        return 0;
    }
}

TEntryCheck CheckRange(const TVereDivoClass &line, double payroll, double employees)
{
    if (!AmountFits(RoundTo(payroll, 0))) {
        return Refuse(kPayrollTooLarge, TEntryFocus::Payroll);
    }
    const double rate = std::max(std::abs(line.Rate), std::abs(line.StateRate));
    if (!AmountFits(PremiumAt(line, payroll, employees, rate))) {
        return Refuse("The premium of this class would be greater than $2,147,483,647.  Please "
                      "check the payroll and number of employees",
                      line.CalcType == 2 ? TEntryFocus::Employees : TEntryFocus::Payroll);
    }
    return {};
}

} // namespace

bool IfAnyAllowed(const TVereDivoClass &line)
{
    return !line.Survey;
}

TPayrollEntry PayrollEntryOf(const TVereDivoClass &line)
{
    const int32_t payroll = line.GetPayroll();
    return TPayrollEntry {IntText(payroll), IntText(line.Employees),
                          payroll == 0 && IfAnyAllowed(line)};
}

TEntryCheck CheckPayrollEntry(const TVereDivoClass &line, const TPayrollEntry &entry)
{
    if (entry.IfAny && IfAnyAllowed(line)) {
        return {};
    }
    // A negative payroll is no payroll: it would only produce a negative premium.
    const auto payroll = TypedNumber(entry.Payroll);
    if (!payroll || RoundAmount(*payroll) <= 0) {
        return Refuse(line.Survey ? "You must enter a payroll.  'If Any' is not permitted for this "
                                    "class"
                                  : "You must either enter a payroll or Check 'If Any'",
                      TEntryFocus::Payroll);
    }
    const auto employees = TypedCount(entry.Employees);
    if (!employees || *employees == 0) {
        return Refuse("Please enter number of employees", TEntryFocus::Employees);
    }
    return CheckRange(line, *payroll, *employees);
}

TEntryCheck ApplyPayrollEntry(TVereDivoClass &line, const TPayrollEntry &entry)
{
    TEntryCheck check = CheckPayrollEntry(line, entry);
    if (!check.Accepted()) {
        return check;
    }
    if (entry.IfAny && IfAnyAllowed(line)) {
        line.SetPayroll(0);
        line.SetEmployees(0);
    } else {
        line.SetPayroll(RoundAmount(*TypedNumber(entry.Payroll)));
        line.SetEmployees(*TypedCount(entry.Employees));
    }
    return check;
}

int32_t ConstructionPayrollTotal(const TConstructionPayrollEntry &entry)
{
    double sum = 0;
    for (const std::string &text : entry.Payrolls) {
        sum += TypedNumber(text).value_or(0);
    }
    return RoundAmount(sum);
}

TEntryCheck CheckConstructionPayrollEntry(const TConstructionPayrollEntry &entry)
{
    for (const std::string &text : entry.Payrolls) {
        const std::string trimmed = Trim(text);
        const auto value = TypedNumber(trimmed);
        if (!trimmed.empty() && (!value || *value < 0)) {
            return Refuse("Please provide a payroll for each of the above items as a number",
                          TEntryFocus::FirstPayroll);
        }
    }
    double sum = 0;
    for (const std::string &text : entry.Payrolls) {
        sum += TypedNumber(text).value_or(0);
    }
    if (!AmountFits(RoundTo(sum, 0))) {
        return Refuse(kPayrollTooLarge, TEntryFocus::FirstPayroll);
    }
    if (ConstructionPayrollTotal(entry) == 0) {
        return Refuse("You must provide a payroll for at least one of the above items",
                      TEntryFocus::FirstPayroll);
    }
    if (!TypedCount(entry.Employees)) {
        return Refuse("Please provide the number of employees", TEntryFocus::Employees);
    }
    return {};
}

TEntryCheck ApplyConstructionPayrollEntry(TNewYorkConstructionClass &line,
                                          const TConstructionPayrollEntry &entry)
{
    TEntryCheck check = CheckConstructionPayrollEntry(entry);
    if (check.Accepted()) {
        check = CheckRange(line, ConstructionPayrollTotal(entry), *TypedCount(entry.Employees));
        if (check.Focus == TEntryFocus::Payroll) {
            check.Focus = TEntryFocus::FirstPayroll;
        }
    }
    if (!check.Accepted()) {
        return check;
    }
    for (int32_t n = 1; n <= 4; ++n) {
        line.SetEntryPayroll(
            n, RoundAmount(TypedNumber(entry.Payrolls[static_cast<size_t>(n - 1)]).value_or(0)));
    }
    line.SetPayroll(ConstructionPayrollTotal(entry));
    line.SetEmployees(*TypedCount(entry.Employees));
    return check;
}

TClassInfoEntry ClassInfoEntryOf(const TVereDivoClass &line)
{
    return TClassInfoEntry {line.DisplayName(),
                            line.Code,
                            FixedText(line.StateRate, 2),
                            FixedText(line.Rate, 2),
                            IntText(line.LossConstant),
                            IntText(line.HazardGroup),
                            line.ConstructionCredit ? "Yes" : "No",
                            IntText(line.MinPremium)};
}

TEntryCheck CheckClassInfoEntry(const TClassInfoEntry &entry)
{
    if (Trim(entry.Title).empty()) {
        return Refuse("Please provide a name for this class", TEntryFocus::Title);
    }
    const std::string code = Trim(entry.Code);
    const bool digitsOnly =
        !code.empty() && code.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || code.find_first_not_of('0') == std::string::npos) {
        return Refuse("Please provide a SIC code for this class", TEntryFocus::Code);
    }
    if (!IsPositive(TypedNumber(entry.StateRate))) {
        return Refuse("Please provide a State Rate for this class", TEntryFocus::StateRate);
    }
    const std::string rate = Trim(entry.Rate);
    if (!rate.empty() && (!TypedNumber(rate) || *TypedNumber(rate) < 0)) {
        return Refuse("Please provide the deviated rate of this class as a number",
                      TEntryFocus::Other);
    }
    for (const std::string *whole : {&entry.LossConstant, &entry.HazardCode, &entry.MinPremium}) {
        if (!Trim(*whole).empty() && !TypedCount(*whole)) {
            return Refuse("Loss constant, hazard code and minimum premium must be whole numbers",
                          TEntryFocus::Other);
        }
    }
    return {};
}

TEntryCheck ApplyClassInfoEntry(TVereDivoClass &line, const TClassInfoEntry &entry)
{
    TEntryCheck check = CheckClassInfoEntry(entry);
    if (!check.Accepted()) {
        return check;
    }
    const double stateRate = *TypedNumber(entry.StateRate);
    const double rate = TypedNumber(entry.Rate).value_or(0);
    line.Description = Trim(entry.Title);
    line.Code = Trim(entry.Code);
    line.StateRate = stateRate;
    line.Rate = rate > 0 ? rate : stateRate;
    line.LossConstant = TypedCount(entry.LossConstant).value_or(0);
    line.HazardGroup = TypedCount(entry.HazardCode).value_or(0);
    line.MinPremium = TypedCount(entry.MinPremium).value_or(0);
    line.ConstructionCredit = ContainsText(UpperCase(entry.Construction), "Y");
    // New rates must also give a new deviation and premium, or the line would keep pricing
    // at the rates it had before.
    line.Deviation = RoundTo(line.Rate / line.StateRate, 3);
    line.SetPayroll(line.Payroll);
    return check;
}

TExceptionEntry ReadExceptionEntry(const TVereDivoClass &line, const std::string &payroll,
                                   const std::string &employees)
{
    TExceptionEntry entry;
    const double typedPayroll = std::max(0.0, TypedNumber(payroll).value_or(0));
    const double typedEmployees = std::max(0.0, std::trunc(TypedNumber(employees).value_or(0)));
    entry.Check = CheckRange(line, typedPayroll, typedEmployees);
    if (entry.Check.Accepted() && !AmountFits(typedEmployees)) {
        entry.Check = Refuse("Please enter number of employees", TEntryFocus::Employees);
    }
    if (entry.Check.Accepted()) {
        entry.Payroll = RoundAmount(typedPayroll);
        entry.Employees = static_cast<int32_t>(typedEmployees);
    }
    return entry;
}

TEntryCheck CheckDeviationEntry(const TVereDivoClass &line, const std::string &deviation)
{
    const auto value = TypedNumber(deviation);
    // SetDeviation keeps 3 decimals: anything that rounds to 0 there prices the line at 0.
    if (!value || RoundTo(*value, 3) <= 0) {
        return Refuse("Please provide a deviation greater than 0 for " + line.DisplayName(),
                      TEntryFocus::Other);
    }
    const double rate = line.StateRate * RoundTo(*value, 3);
    if (!AmountFits(PremiumAt(line, line.GetPayroll(), line.Employees, rate))) {
        return Refuse("The premium of " + line.DisplayName() +
                          " at this deviation would be greater than $2,147,483,647",
                      TEntryFocus::Other);
    }
    return {};
}
