#pragma once

// How the premium calculation turns a rating input into an amount. Every function takes the
// control as bound by the quote: none (an input the plan does not offer) gives 0.

#include "core/Dates.h"

#include <cstdint>

class TRatingControl;

// The selected entry of a list: type 1 a rate with a minimum, type 2 a rate, type 3 a flat
// amount, anything else (or nothing selected) 0.
int32_t ListAmount(const TRatingControl *list, int32_t amount);

// The adjustment a factor box makes to `amount`: 0 when its value equals `neutral` (or the
// box holds no number); with `percent` the value is a percentage of the amount, otherwise a
// factor and the result is what it adds.
int32_t FactorAdjustment(const TRatingControl *edit, int32_t amount, bool percent, double neutral);

// The factor of a control: from its attached tier table the first row (in table order) whose
// range holds the date (a date table) or the amount, 0 when no row does (the adjustment then
// leaves the premium as it is); without tier rows, the control's stored value.
double TierValue(const TRatingControl *control, double amount, TDateTime date);
int32_t TierAmount(const TRatingControl *control, int32_t amount, TDateTime date);
