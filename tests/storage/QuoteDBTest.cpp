// Saving and reopening whole quotes on a copy of the delivered tables, as the program does.

#include "StoreFixture.h"

#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "storage/DatabaseCorrection.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// A dialog that answers as it is told and counts how often it was opened.
class ScriptedCustomerDialog final : public TCustomerDialog
{
public:
    bool answer = true;
    int opened = 0;
    bool EditCustomer(TVereDivoQuote &quote) override
    {
        ++opened;
        if (answer) {
            quote.Customer().SetCompany("Typed In Co");
            quote.QuoteInfo().SetDescription("Typed in");
        }
        return answer;
    }
};

class StoredQuotes : public ProgramFolderTest
{
protected:
    StoredQuotes() : info(OpenProgram()) { info->QuoteDB().SetCustomerDialog(&dialog); }

    // An MA quote of broker 5 with every kind of stored value: inputs, a user deviation, a
    // down payment of its own.
    std::unique_ptr<TOpenQuote> RatedQuote(const std::string &company)
    {
        auto open = NewQuote(*info, "MA", 5);
        open->Add("5645", 250000, 6);
        open->Add("8810", 60000, 2).SetDeviation(0.9);
        open->Add("8742", 40000, 1);
        open->Enter("txtExpMod", "0.92");
        open->Enter("lstPartTwo", "500/500/500");
        open->Quote->SetDownPercent(25);
        open->Quote->Customer().SetCompany(company);
        open->Quote->Customer().SetFirstName("Ann");
        open->Quote->QuoteInfo().SetDescription(company + " office");
        EXPECT_TRUE(open->Quote->CalculatePremium());
        return open;
    }

    int32_t StoredRows() const
    {
        int32_t rows = 0;
        TVereDivoCustDBO &store = info->QuoteDB().CustDBO();
        for (TCBTable *table :
             {&store.Customers(), &store.Inputs(), &store.Classes(), &store.Entries(),
              &store.Deviations(), &store.QuoteHeaders(), &store.Plans(), &store.MiscValues()}) {
            rows += table->RecordCount();
        }
        return rows;
    }

    ScriptedCustomerDialog dialog;
    std::unique_ptr<TVereDivoAppInfo> info;
};

} // namespace

TEST_F(StoredQuotes, AReopenedQuoteHasItsInputsClassesDeviationAndDownPaymentAndTheSameTotal)
{
    const auto saved = RatedQuote("Acme Roofing");
    const int32_t total = saved->Quote->Results.TotalPremium;
    ASSERT_GT(total, 0);
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*saved->Quote));
    EXPECT_EQ(dialog.opened, 0);
    EXPECT_FALSE(saved->Quote->Modified);
    EXPECT_EQ(saved->Quote->QuoteId, 1);
    EXPECT_EQ(saved->Quote->Customer().CustomerNumber(), 1);
    EXPECT_EQ(saved->Quote->QuoteInfo().CustomerNumber(), 1);

    // Another application information object, as another run of the program.
    const auto second = OpenProgram();
    const auto reopened = ReopenQuote(*second, 1);
    TVereDivoQuote &quote = *reopened->Quote;
    EXPECT_EQ(quote.PlanId, 5);
    EXPECT_EQ(quote.StateCode, "MA");
    EXPECT_EQ(quote.Customer().Company(), "Acme Roofing");
    EXPECT_EQ(quote.QuoteInfo().Description(), "Acme Roofing office");
    EXPECT_EQ(reopened->Lines(), saved->Lines());
    EXPECT_EQ(reopened->Input("txtExpMod").Text(), "0.92");
    EXPECT_EQ(reopened->Input("lstPartTwo").Text(), "500/500/500");
    EXPECT_DOUBLE_EQ(quote.FindClass("8810", "")->Deviation, 0.9);
    EXPECT_DOUBLE_EQ(quote.PlanProfile->Down, 25);
    ASSERT_TRUE(quote.CalculatePremium());
    EXPECT_EQ(quote.Results.TotalPremium, total);
    EXPECT_EQ(quote.ResultAmounts(), saved->Quote->ResultAmounts());
    EXPECT_THAT(prompter.Texts(), IsEmpty());
}

TEST_F(StoredQuotes, SavingAgainKeepsTheNumbersAndRewritesTheQuote)
{
    const auto open = RatedQuote("Acme Roofing");
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*open->Quote));
    open->Quote->RemoveClass(*open->Quote->FindClass("8742", ""));
    open->Enter("txtExpMod", "1.10");
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*open->Quote));
    EXPECT_EQ(open->Quote->QuoteId, 1);
    EXPECT_EQ(TIniFile(Program("Data/datainfo.ini")).ReadInteger("General", "LastQuoteID", 0), 1);

    const auto reopened = ReopenQuote(*info, 1);
    EXPECT_THAT(reopened->Lines(), ElementsAre("5645 250000", "8810 60000"));
    EXPECT_EQ(reopened->Input("txtExpMod").Text(), "1.10");
    EXPECT_EQ(info->QuoteDB().CustDBO().ListQuotes(1).size(), 1u);
}

TEST_F(StoredQuotes, TheDialogOpensForABlankNameOrDescriptionAndCancellingStoresNothing)
{
    const auto open = RatedQuote("Acme Roofing");
    open->Quote->QuoteInfo().SetDescription("  ");
    dialog.answer = false;
    EXPECT_FALSE(info->QuoteDB().SaveQuote(*open->Quote));
    EXPECT_EQ(dialog.opened, 1);
    EXPECT_EQ(StoredRows(), 0);
    EXPECT_FALSE(FileExists(Program("Data/datainfo.ini")));
    EXPECT_EQ(open->Quote->QuoteId, 0);
    EXPECT_EQ(open->Quote->Customer().CustomerNumber(), -1);

    // Without a dialog to ask, nothing is stored either.
    info->QuoteDB().SetCustomerDialog(nullptr);
    EXPECT_FALSE(info->QuoteDB().SaveQuote(*open->Quote));
    EXPECT_EQ(StoredRows(), 0);

    info->QuoteDB().SetCustomerDialog(&dialog);
    dialog.answer = true;
    open->Quote->Customer().SetFirstName("");
    open->Quote->Customer().SetLastName(" ");
    open->Quote->QuoteInfo().SetDescription("Main office");
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*open->Quote));
    EXPECT_EQ(dialog.opened, 2);
    EXPECT_EQ(info->QuoteDB().CustDBO().ListCustomers()[0].Company, "Typed In Co");
}

TEST_F(StoredQuotes, StoredTextsTheListsNoLongerOfferAndANewJerseyPPAPOf0AreMended)
{
    const auto ma = RatedQuote("Acme Roofing");
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*ma->Quote));
    info->QuoteDB().CustDBO().SaveInput(1, ma->Input("lstPartTwo").Spec().Data_Field, false,
                                        "1000/10000/1000");
    EXPECT_EQ(ReopenQuote(*info, 1)->Input("lstPartTwo").Text(), "1000/1000/1000");

    auto nj = NewQuote(*info, "NJ");
    nj->Add("5645", 150000);
    nj->Add("8810", 40000);
    nj->Quote->Customer().SetFirstName("Jo");
    nj->Quote->Customer().SetCompany("Jersey Co");
    nj->Quote->QuoteInfo().SetDescription("Jersey Co");
    ASSERT_TRUE(nj->Quote->CalculatePremium());
    const int32_t total = nj->Quote->Results.TotalPremium;
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*nj->Quote));
    const int32_t id = nj->Quote->QuoteId;
    const int32_t field = nj->Input("txtPPAPFactor").Spec().Data_Field;
    info->QuoteDB().CustDBO().SaveInput(id, field, false, "0");
    const auto reopened = ReopenQuote(*info, id);
    EXPECT_EQ(reopened->Input("txtPPAPFactor").Text(), "1.000");
    ASSERT_TRUE(reopened->Quote->CalculatePremium());
    EXPECT_EQ(reopened->Quote->Results.TotalPremium, total);
    info->QuoteDB().CustDBO().SaveInput(id, field, false, "1.10");
    EXPECT_EQ(ReopenQuote(*info, id)->Input("txtPPAPFactor").Text(), "1.10");
}

TEST_F(StoredQuotes, ALostCounterFileNeverHandsOutANumberTheTablesHold)
{
    std::vector<int32_t> totals;
    for (const char *company : {"First Co", "Second Co", "Third Co"}) {
        const auto open = RatedQuote(company);
        ASSERT_TRUE(info->QuoteDB().SaveQuote(*open->Quote));
        totals.push_back(open->Quote->Results.TotalPremium);
    }
    std::filesystem::remove(Program("Data/datainfo.ini"));

    const auto next = RatedQuote("Fourth Co");
    next->Quote->FindClass("5645", "")->SetPayroll(10000);
    ASSERT_TRUE(next->Quote->CalculatePremium());
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*next->Quote));
    EXPECT_EQ(next->Quote->QuoteId, 4);
    EXPECT_EQ(next->Quote->Customer().CustomerNumber(), 4);
    for (int32_t id = 1; id <= 3; ++id) {
        const auto reopened = ReopenQuote(*info, id);
        ASSERT_TRUE(reopened->Quote->CalculatePremium());
        EXPECT_EQ(reopened->Quote->Results.TotalPremium, totals[static_cast<size_t>(id - 1)]) << id;
        EXPECT_EQ(reopened->Quote->Customer().CustomerNumber(), id);
    }
    EXPECT_EQ(info->QuoteDB().CustDBO().ListCustomers().size(), 4u);
}

TEST_F(StoredQuotes, TheAlternateQuotePathHoldsTheStoreAndItsCounters)
{
    CopyDeliveredData(dir.File("quotes/"));
    TIniFile settingsFile(info->SettingsIni());
    settingsFile.WriteBool("QuotePath", "UseAltQuotePath", true);
    settingsFile.WriteString("QuotePath", "AlternateQuotePath", dir.File("quotes"));
    info = OpenProgram();
    ASSERT_EQ(info->QuoteFolder(), dir.File("quotes/"));
    info->QuoteDB().SetCustomerDialog(&dialog);
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*RatedQuote("Elsewhere Co")->Quote));
    EXPECT_TRUE(FileExists(dir.File("quotes/datainfo.ini")));
    EXPECT_FALSE(FileExists(Program("Data/datainfo.ini")));
    {
        TCBDatabase other;
        TVereDivoCustDBO inDataFolder(other, Program("Data/"));
        EXPECT_THAT(inDataFolder.ListCustomers(), IsEmpty());
        TVereDivoCustDBO inQuoteFolder(other, dir.File("quotes/"));
        EXPECT_EQ(inQuoteFolder.ListCustomers().size(), 1u);
    }

    // Switched on without a path, the quotes stay in the data folder.
    settingsFile.WriteString("QuotePath", "AlternateQuotePath", "");
    info = OpenProgram();
    EXPECT_EQ(info->QuoteFolder(), info->DataFolder());
    EXPECT_THAT(info->QuoteDB().CustDBO().ListCustomers(), IsEmpty());
}

TEST_F(StoredQuotes, AMissingCustomerTableIsReportedWhenSavingAndNothingIsCounted)
{
    std::filesystem::remove(Program("Data/CUSTMISC.DBF"));
    info = OpenProgram();
    info->QuoteDB().SetCustomerDialog(&dialog);
    const auto open = RatedQuote("Acme Roofing");
    try {
        info->QuoteDB().SaveQuote(*open->Quote);
        FAIL() << "saved without CUSTMISC.DBF";
    } catch (const ECBDBError &error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot add table to database that does not exist\r\nTable, " + Program("Data/") +
                      "CUSTMISC.DBF, not found.");
    }
    EXPECT_FALSE(FileExists(Program("Data/datainfo.ini")));
    EXPECT_EQ(open->Quote->QuoteId, 0);
}

TEST_F(StoredQuotes, TheOneTimeCorrectionEmptiesTheStoreOnceForItsBrokerAndState)
{
    dir.WriteFile("program/Data/About.ini", "[Detail]\nActive_Broker=5\nActive_State=MA\n");
    info = OpenProgram();
    info->QuoteDB().SetCustomerDialog(&dialog);
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*RatedQuote("Acme Roofing")->Quote));

    // Asked for another broker and state only: nothing happens.
    dir.WriteFile("program/Data/Patch.ini", "[Patch1Required]\n1_MA=1\n5_NJ=1\n");
    EXPECT_FALSE(RunCustomerDatabaseCorrection(*info, 5));
    EXPECT_EQ(info->QuoteDB().CustDBO().ListCustomers().size(), 1u);
    EXPECT_FALSE(FileExists(Program("Data/Patchcmp.ini")));

    dir.WriteFile("program/Data/Patch.ini", "[Patch1Required]\n5_MA=1\n");
    EXPECT_TRUE(RunCustomerDatabaseCorrection(*info, 5));
    EXPECT_EQ(StoredRows(), 0);
    EXPECT_TRUE(TIniFile(Program("Data/Patchcmp.ini")).ReadBool("Patch1Completed", "5_MA", false));

    // Done once: later quotes stay.
    ASSERT_TRUE(info->QuoteDB().SaveQuote(*RatedQuote("After Co")->Quote));
    EXPECT_FALSE(RunCustomerDatabaseCorrection(*info, 5));
    EXPECT_EQ(info->QuoteDB().CustDBO().ListCustomers().size(), 1u);
    // The numbers go on: the replaced quotes' numbers are not given again.
    EXPECT_EQ(info->QuoteDB().CustDBO().ListCustomers()[0].CustomerNumber, 2);
}
