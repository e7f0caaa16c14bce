#include "rating/ClassListSnapshot.h"

#include "rating/VereDivoQuote.h"

TClassListSnapshot::TClassListSnapshot(const TVereDivoQuote &quote)
    : m_classes(quote.Classes().begin(), quote.Classes().end()),
      m_clerical(quote.ClericalClass),
      m_sales(quote.SalesClass),
      m_drivers(quote.DriversClass)
{
    for (const auto &line : quote.ClassBook()) {
        TLineState state;
        state.Line = line.get();
        state.Code = line->Code;
        state.SubCode = line->SubCode;
        state.Payroll = line->Payroll;
        state.Employees = line->Employees;
        state.Premium = line->Premium;
        state.StatePremium = line->StatePremium;
        state.PayrollText = line->PayrollText;
        state.Rate = line->Rate;
        state.Deviation = line->Deviation;
        if (const auto *multi = dynamic_cast<const TMultiEntryVereDivoClass *>(line.get())) {
            state.BasePremium = multi->BasePremium;
            state.Entries = multi->Entries;
        }
        m_lines.push_back(std::move(state));
    }
}

TVereDivoClass *TClassListSnapshot::Find(const TVereDivoQuote &quote, const TLineState &state)
{
    for (const auto &line : quote.ClassBook()) {
        if (line.get() == state.Line) {
            return line->Code == state.Code && line->SubCode == state.SubCode ? line.get()
                                                                              : nullptr;
        }
    }
    return nullptr;
}

void TClassListSnapshot::Restore(TVereDivoQuote &quote) const
{
    const auto live = [&](const TVereDivoClass *wanted) -> TVereDivoClass * {
        for (const TLineState &state : m_lines) {
            if (state.Line == wanted) {
                return Find(quote, state);
            }
        }
        return nullptr;
    };
    for (const TLineState &state : m_lines) {
        TVereDivoClass *line = Find(quote, state);
        if (line == nullptr) {
            continue;
        }
        // Field by field, not through the setters: recomputing could round differently from
        // how the values were reached (a multi-entry line keeps its base premium).
        line->Payroll = state.Payroll;
        line->Employees = state.Employees;
        line->Premium = state.Premium;
        line->StatePremium = state.StatePremium;
        line->PayrollText = state.PayrollText;
        line->Rate = state.Rate;
        line->Deviation = state.Deviation;
        if (auto *multi = dynamic_cast<TMultiEntryVereDivoClass *>(line)) {
            multi->BasePremium = state.BasePremium;
            multi->Entries = state.Entries;
        }
    }
    std::vector<TVereDivoClass *> classes;
    for (const TVereDivoClass *line : m_classes) {
        if (TVereDivoClass *found = live(line)) {
            classes.push_back(found);
        }
    }
    // A user class renamed meanwhile keeps its new name; the quote orders its lines by name.
    quote.ReplaceClasses(std::move(classes));
    quote.ClericalClass = live(m_clerical);
    quote.SalesClass = live(m_sales);
    quote.DriversClass = live(m_drivers);
}
