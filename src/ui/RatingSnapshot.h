#pragma once

// The rating data a quote hands to a follow-on quote (a new effective date whose class list
// differs needs a quote of its own): its class lines with payrolls and employees, and the value
// of every rating input, taken by name.

#include "rating/VereDivoClass.h"

#include <memory>
#include <string>
#include <vector>

class TControlInterface;
class TVereDivoQuote;

struct TInputValue
{
    std::string Name;
    std::string Text;
    bool Checked = false;
};

struct TRatingSnapshot
{
    std::vector<std::unique_ptr<TVereDivoClass>> Classes; // copies, owned here
    std::vector<TInputValue> Inputs;
};

// The values of the inputs the agent can set (not labels or buttons), in control order.
std::vector<TInputValue> InputValues(const TControlInterface &controls);
// Sets each input the set has by name; inputs it lacks are passed over.
void SetInputValues(const TControlInterface &controls, const std::vector<TInputValue> &values);

std::unique_ptr<TRatingSnapshot> TakeRatingSnapshot(const TVereDivoQuote &quote);
// The quote takes the classes its class book offers for its date (code and sub-code must
// match) and the inputs its controls have.
void ApplyRatingSnapshot(TVereDivoQuote &quote, const TRatingSnapshot &snapshot);
