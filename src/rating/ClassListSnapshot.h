#pragma once

// The class lines of a quote as they stand, to put back when the agent cancels a window that
// edits them in place: which lines are on the quote and in what order, every line's payroll,
// employees, rates, deviation, premiums and entries, and the exception classes.

#include "rating/VereDivoClass.h"

#include <cstdint>
#include <string>
#include <vector>

class TVereDivoQuote;

class TClassListSnapshot
{
public:
    explicit TClassListSnapshot(const TVereDivoQuote &quote);

    // Lines the quote has let go of since (a user class deleted) stay gone.
    void Restore(TVereDivoQuote &quote) const;

private:
    struct TLineState
    {
        const TVereDivoClass *Line = nullptr;
        // A line freed and another made at the same address must not take this state.
        std::string Code;
        std::string SubCode;
        int32_t Payroll = 0;
        int32_t Employees = 0;
        int32_t Premium = 0;
        int32_t StatePremium = 0;
        std::string PayrollText;
        double Rate = 0;
        double Deviation = 1.0;
        int32_t BasePremium = 0;
        std::vector<TVereDivoPayrollItem> Entries;
    };

    // The quote's book line this state was taken from, or none when it is gone.
    static TVereDivoClass *Find(const TVereDivoQuote &quote, const TLineState &state);

    std::vector<TLineState> m_lines;
    std::vector<const TVereDivoClass *> m_classes;
    const TVereDivoClass *m_clerical = nullptr;
    const TVereDivoClass *m_sales = nullptr;
    const TVereDivoClass *m_drivers = nullptr;
};
