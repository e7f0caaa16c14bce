#pragma once

#include "rating/VereDivoQuote.h"

// A Massachusetts quote: merit rating or experience mod, the loss constant, deductibles, ARAP,
// loss management and the two-pass assessment of deviated plans.
class TMAVereDivoQuote : public TVereDivoQuote
{
public:
    using TVereDivoQuote::TVereDivoQuote;

    std::vector<TFactorLine> StateFactorLines() const override;
    std::vector<TSummaryLine> PremiumSummaryLines() const override;
    void AddApplicationStateFields(std::vector<std::string> &list) override;
    bool CalculateState() override;
    void BindControls() override;
    void HookControlEvents() override;
    std::string GetExportValue(int32_t index) const override;

    // A quote carries either an experience mod or a merit factor: a mod other than 1 selects
    // merit "0", a merit factor other than 0 sets the mod to 1.00.
    void ApplyMeritRuleForMod();
    void ApplyMeritRuleForMerit();

private:
    TRatingControl *m_benefits = nullptr;
    TRatingControl *m_medical = nullptr;
    TRatingControl *m_merit = nullptr;
    TRatingControl *m_arap = nullptr;
    TRatingControl *m_lossMgmt = nullptr;
};
