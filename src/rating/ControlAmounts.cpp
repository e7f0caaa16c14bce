#include "rating/ControlAmounts.h"

#include "core/Rounding.h"
#include "rating/ControlInterface.h"

int32_t ListAmount(const TRatingControl *list, int32_t amount)
{
    const TComboItemData *entry = list != nullptr ? list->SelectedEntry() : nullptr;
    if (entry == nullptr) {
        return 0;
    }
    switch (entry->Data_Type) {
    case 1: {
        const int32_t r = RoundAmount(amount * entry->Data1);
        return r >= entry->Data2 ? r : RoundAmount(entry->Data2);
    }
    case 2:
        return RoundAmount(amount * entry->Data1);
    case 3:
        return RoundAmount(entry->Data1);
    default:
        return 0;
    }
}

int32_t FactorAdjustment(const TRatingControl *edit, int32_t amount, bool percent, double neutral)
{
    if (edit == nullptr) {
        return 0;
    }
    const double v = edit->Number(neutral);
    if (v == neutral) {
        return 0;
    }
    if (percent) {
        return RoundAmount(amount * v * 0.01);
    }
    return RoundAmount(amount * v) - amount;
}

double TierValue(const TRatingControl *control, double amount, TDateTime date)
{
    if (control == nullptr) {
        return 0;
    }
    const TTierList *tiers = control->Tiers();
    if (tiers == nullptr || tiers->empty()) {
        return control->StoredValue();
    }
    for (const auto &tier : *tiers) {
        if (tier->Covers(amount, date)) {
            return tier->Value;
        }
    }
    return 0;
}

int32_t TierAmount(const TRatingControl *control, int32_t amount, TDateTime date)
{
    return RoundAmount(TierValue(control, amount, date) * amount);
}
