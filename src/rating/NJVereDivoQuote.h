#pragma once

#include "rating/VereDivoQuote.h"

// A New Jersey quote: managed care (a factor box, or a check box priced by a date tier table
// for the plans of broker 6), PPAP, the per-capita domestic class 0913, the Uninsured
// Employers Fund and the foreign and domestic terrorism charges.
class TNJVereDivoQuote : public TVereDivoQuote
{
public:
    using TVereDivoQuote::TVereDivoQuote;

    int32_t GetExpenseConstant() override;
    std::vector<TFactorLine> StateFactorLines() const override;
    std::vector<TSummaryLine> PremiumSummaryLines() const override;
    void AddApplicationStateFields(std::vector<std::string> &list) override;
    void AddPoolStateFields(std::vector<std::string> &list) override;
    void AdjustConstructionCreditEnabled(bool &enabled) override;
    bool CalculateState() override;
    void BindControls() override;
    void HookControlEvents() override;
    std::string GetExportValue(int32_t index) const override;

    // Run when the user leaves the PPAP box: outside 1.00 to 1.30 it is reset to 1.00.
    void CheckPpapFactor();
    // Run when the user leaves the managed-care box: above 1.00 it is set to 1.
    void CheckManagedCareFactor();

private:
    // The managed-care factor as printed: the box text, or the check box's tier value.
    std::string ManagedCareFactorText() const;
    bool HasManagedCare() const { return m_managedCareBox || m_managedCareCheck; }

    TRatingControl *m_managedCareBox = nullptr;
    TRatingControl *m_managedCareCheck = nullptr;
    TRatingControl *m_taxId = nullptr;
    TRatingControl *m_ppap = nullptr;
};
