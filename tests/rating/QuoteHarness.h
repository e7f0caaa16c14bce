#pragma once

#include "FakeQuoteApplication.h"
#include "rating/ControlInterface.h"
#include "rating/VereDivoQuote.h"
#include "support/ScriptedPrompter.h"

#include <memory>
#include <string>

// The program folder of the small fixture plans, built once per test program from the
// delivered table layouts and the rows of FixtureTables.cpp.
const std::string &FixtureProgramFolder();

// One quote as the detail window works it: created for a state and broker on the fixture
// tables, bound to its rating inputs, with its class book loaded. Inputs are set the way an
// agent sets them: typed then left, or picked.
class QuoteHarness
{
public:
    explicit QuoteHarness(const std::string &state, int32_t broker = 1,
                          TDateTime date = EncodeDate(2026, 7, 1),
                          const std::string &programFolder = FixtureProgramFolder());

    TVereDivoQuote &Quote() const { return *m_quote; }
    FakeQuoteApplication &Application() { return m_application; }
    TControlInterface &Inputs() { return m_inputs; }
    ScriptedPrompter &Prompter() { return m_prompter; }

    // Puts the class-book line of the code on the quote with its payroll and employees.
    TVereDivoClass &Add(const std::string &code, int32_t payroll, int32_t employees = 0,
                        const std::string &subCode = "");
    // Types the text into an input and leaves it.
    void Enter(const std::string &name, const std::string &text);
    // Picks the list entry of that text.
    void Pick(const std::string &name, const std::string &text);
    void Tick(const std::string &name, bool checked);
    TRatingControl &Input(const std::string &name);

    // Calculates; the amounts are then the quote's.
    bool Rate();
    // The premium summary as "label amount" lines, one per line of the worksheet.
    std::string Summary() const;

private:
    ScriptedPrompter m_prompter;
    FakeQuoteApplication m_application;
    std::unique_ptr<TVereDivoQuote> m_quote;
    TControlInterface m_inputs;
};
