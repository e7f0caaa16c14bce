#pragma once

// The amounts of one premium calculation, as one value: a new amount is declared here and
// listed in QuoteResultFields below it (the compiler refuses the one without the other); the
// quote then clears, names and exports it with every other.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TQuoteResults
{
    int32_t TotalManualPremium = 0;
    int32_t PartTwoPremium = 0;
    int32_t PartTwoBalanceToMin = 0;
    int32_t UnmodifiedPremium = 0;
    int32_t ExperienceModAdjustment = 0;
    int32_t MeritAdjustment = 0;
    int32_t ModifiedPremium = 0;
    int32_t BalanceToMin = 0;
    int32_t MinimumPremium = 0;
    int32_t LossConstant = 0;
    int32_t ConstructionCredit = 0;
    int32_t StandardPremium = 0;
    int32_t MedicalDeductible = 0;
    int32_t ArapAdjustment = 0;
    int32_t PremiumDiscount = 0;
    int32_t ExpenseConstant = 0;
    int32_t NetPremium = 0;
    int32_t Assessment = 0;
    int32_t TerrorismCharge = 0;
    int32_t DomesticTerrorismCharge = 0;
    int32_t Fees = 0;
    int32_t LossManagementAdjustment = 0; // Massachusetts
    int32_t ManagedCareCredit = 0; // New Jersey
    int32_t ManagedCareBasis = 0; // New Jersey
    int32_t UninsuredEmployersFund = 0; // New Jersey
    int32_t PpapAdjustment = 0; // New Jersey
    int32_t TotalPremium = 0;

    // Every amount to 0.
    void Reset() { *this = TQuoteResults(); }
    // The amounts a quote of the state has, by name, in the order of the premium detail.
    std::vector<std::pair<std::string, int32_t>> Named(const std::string &stateCode) const;

    friend bool operator==(const TQuoteResults &, const TQuoteResults &) = default;
};

// One amount: its name, where it is kept, and the state whose quotes have it (empty: all).
struct TQuoteResultField
{
    const char *Name;
    int32_t TQuoteResults::*Amount;
    const char *State;
};

inline constexpr std::array<TQuoteResultField, 27> QuoteResultFields = {{
    {"TotalManualPremium", &TQuoteResults::TotalManualPremium, ""},
    {"PartTwoPremium", &TQuoteResults::PartTwoPremium, ""},
    {"PartTwoBalanceToMin", &TQuoteResults::PartTwoBalanceToMin, ""},
    {"UnmodifiedPremium", &TQuoteResults::UnmodifiedPremium, ""},
    {"ExperienceModAdjustment", &TQuoteResults::ExperienceModAdjustment, ""},
    {"MeritAdjustment", &TQuoteResults::MeritAdjustment, ""},
    {"ModifiedPremium", &TQuoteResults::ModifiedPremium, ""},
    {"BalanceToMin", &TQuoteResults::BalanceToMin, ""},
    {"MinimumPremium", &TQuoteResults::MinimumPremium, ""},
    {"LossConstant", &TQuoteResults::LossConstant, ""},
    {"ConstructionCredit", &TQuoteResults::ConstructionCredit, ""},
    {"StandardPremium", &TQuoteResults::StandardPremium, ""},
    {"MedicalDeductible", &TQuoteResults::MedicalDeductible, ""},
    {"ArapAdjustment", &TQuoteResults::ArapAdjustment, ""},
    {"PremiumDiscount", &TQuoteResults::PremiumDiscount, ""},
    {"ExpenseConstant", &TQuoteResults::ExpenseConstant, ""},
    {"NetPremium", &TQuoteResults::NetPremium, ""},
    {"Assessment", &TQuoteResults::Assessment, ""},
    {"TerrorismCharge", &TQuoteResults::TerrorismCharge, ""},
    {"DomesticTerrorismCharge", &TQuoteResults::DomesticTerrorismCharge, ""},
    {"Fees", &TQuoteResults::Fees, ""},
    {"LossManagementAdjustment", &TQuoteResults::LossManagementAdjustment, "MA"},
    {"ManagedCareCredit", &TQuoteResults::ManagedCareCredit, "NJ"},
    {"ManagedCareBasis", &TQuoteResults::ManagedCareBasis, "NJ"},
    {"UninsuredEmployersFund", &TQuoteResults::UninsuredEmployersFund, "NJ"},
    {"PpapAdjustment", &TQuoteResults::PpapAdjustment, "NJ"},
    {"TotalPremium", &TQuoteResults::TotalPremium, ""},
}};

// An amount declared above but not listed, or listed twice, fails here.
constexpr bool EveryQuoteResultListedOnce()
{
    for (size_t i = 0; i < QuoteResultFields.size(); ++i) {
        for (size_t j = i + 1; j < QuoteResultFields.size(); ++j) {
            if (QuoteResultFields[i].Amount == QuoteResultFields[j].Amount) {
                return false;
            }
        }
    }
    return sizeof(TQuoteResults) == QuoteResultFields.size() * sizeof(int32_t);
}
static_assert(EveryQuoteResultListedOnce());
