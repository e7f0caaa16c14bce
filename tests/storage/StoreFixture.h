#pragma once

// Helpers of the storage tests, which work on the delivered tables copied into a scratch folder
// (CopyDeliveredData).

#include "core/Dates.h"
#include "db/CBDatabase.h"
#include "rating/ControlInterface.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoAppInfo.h"

#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// Live and marked rows of a table by the trimmed text of a column.
struct TRowTally
{
    int live = 0;
    int deleted = 0;
    bool operator==(const TRowTally &) const = default;
};
std::map<std::string, TRowTally> TallyRows(TCBTable &table, const std::string &column);

// Every problem the engine's check finds in the tags of the table; empty when in step.
std::string CheckTable(TCBTable &table);

// ---------------------------------------------------------------------------------------------
// Quotes on a program folder of their own.

// A quote as the detail window works it: bound to its rating inputs, which it outlives not.
struct TOpenQuote
{
    TControlInterface Controls;
    std::unique_ptr<TVereDivoQuote> Quote;

    // Puts the class-book line of the code on the quote.
    TVereDivoClass &Add(const std::string &code, int32_t payroll, int32_t employees = 0);
    // Types the text into an input and leaves it, or picks the list entry.
    void Enter(const std::string &name, const std::string &text);
    TRatingControl &Input(const std::string &name) const;
    // The class lines as "code payroll" texts, in the quote's order.
    std::vector<std::string> Lines() const;
};

// A new quote of the state and broker on the program's tables, its class book loaded.
std::unique_ptr<TOpenQuote> NewQuote(TVereDivoAppInfo &info, const std::string &state,
                                     int32_t broker = 1, TDateTime date = EncodeDate(2026, 7, 1));
// A stored quote opened again as the program opens it from the listing: header, customer,
// inputs, class lines and down payment.
std::unique_ptr<TOpenQuote> ReopenQuote(TVereDivoAppInfo &info, int32_t quoteID);

// A program folder of its own with the delivered tables, and a settings folder of its own.
class ProgramFolderTest : public testing::Test
{
protected:
    ProgramFolderTest();
    ~ProgramFolderTest() override;

    std::string Program(const std::string &name = {}) const { return dir.File("program/") + name; }
    // The application information of the program folder, its data open.
    std::unique_ptr<TVereDivoAppInfo> OpenProgram() const;

    ScratchFolder dir;
    ScopedEnv settings;
    ScopedEnv state;
    ScriptedPrompter prompter;
};
