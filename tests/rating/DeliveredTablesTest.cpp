#include "core/Dates.h"
#include "core/Paths.h"
#include "core/Rounding.h"
#include "db/CBDatabase.h"
#include "db/VereDivoDatabase.h"
#include "rating/ControlAmounts.h"
#include "rating/ControlInterface.h"
#include "rating/RateBook.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The rate book and the control set over the tables the build delivers in the program folder.
namespace {

std::string ProgramDir()
{
    const char *dir = std::getenv("VEREDIVO_PROGRAM_DIR");
    return IncludeTrailingSlash(dir != nullptr ? dir : "");
}

class DeliveredTablesTest : public ::testing::Test
{
protected:
    DeliveredTablesTest()
        : database(ProgramDir() + "Data/"), book(1, ProgramDir() + "Data/", ProgramDir(), database)
    { }

    TClassLineList Classes(TPlanPair plan, const TVereDivoPlanProfile &profile, int32_t file)
    {
        return book.LoadClasses(plan.Broker_ID, plan.State_ID, profile, file, profile.CARR_ID,
                                clerical, sales, drivers);
    }

    TVereDivoDatabase database;
    TVereDivoRateBook book;
    TVereDivoClass *clerical = nullptr;
    TVereDivoClass *sales = nullptr;
    TVereDivoClass *drivers = nullptr;
};

} // namespace

TEST_F(DeliveredTablesTest, EveryPlanHasItsClassBooksExceptionClassesAndFactors)
{
    ASSERT_TRUE(book.TablesOpen());
    ScriptedPrompter prompter;
    for (const TPlanPair own : {TPlanPair {1, 13}, TPlanPair {1, 15}, TPlanPair {5, 13},
                                TPlanPair {5, 15}, TPlanPair {6, 13}, TPlanPair {6, 15}}) {
        SCOPED_TRACE("broker " + std::to_string(own.Broker_ID) + " state " +
                     std::to_string(own.State_ID));
        TVereDivoPlanProfile plan;
        book.LoadPlanProfile(own.Broker_ID, own.State_ID, plan);
        ASSERT_EQ(plan.State_ID, own.State_ID);
        TPlanKeyList keys;
        if (plan.PLAN_KEYS) {
            book.LoadPlanKeys(own.Broker_ID, own.State_ID, keys);
        }
        // Both class files: the day a file starts and the day before.
        EXPECT_EQ(plan.ClassFileFor(plan.Effect_2), 2);
        EXPECT_EQ(plan.ClassFileFor(plan.Effect_2 - 1), 1);
        EXPECT_EQ(plan.RatePeriodFor(plan.Rate_Chang), 2);
        EXPECT_EQ(plan.RatePeriodFor(plan.Rate_Chang - 1), 1);
        for (int32_t file : {1, 2}) {
            const TClassLineList lines = Classes(PlanPairFor(keys, pkClasses, own), plan, file);
            EXPECT_GE(lines.size(), 70u) << "class file " << file;
            EXPECT_NE(clerical, nullptr);
            EXPECT_NE(sales, nullptr);
            if (!plan.Driver_Cod.empty()) {
                EXPECT_NE(drivers, nullptr);
            }
            for (const auto &line : lines) {
                EXPECT_GT(line->Rate, 0) << line->Code;
            }
        }
        const TPlanPair factors = PlanPairFor(keys, pkFactors, own);
        for (int32_t period : {1, 2}) {
            EXPECT_TRUE(book.LoadFactors(factors.Broker_ID, factors.State_ID, period))
                << "rate period " << period;
        }
    }
    EXPECT_TRUE(prompter.Entries().empty());
}

TEST_F(DeliveredTablesTest, PlanKeysOfBrokerSixBorrowBrokerOneAndFive)
{
    TPlanKeyList keys;
    book.LoadPlanKeys(6, 13, keys);
    EXPECT_EQ(PlanPairFor(keys, pkClasses, {6, 13}), (TPlanPair {1, 13}));
    const TPlanPair down = PlanPairFor(keys, pkDownPayment, {6, 13});
    EXPECT_EQ(down, (TPlanPair {5, 13}));
    const auto schedule = book.LoadDownPaySchedule(down.Broker_ID, down.State_ID);
    ASSERT_NE(schedule->Find(10000), nullptr);
    EXPECT_EQ(schedule->Find(10000)->IntervalText(), "Quarterly Installments (3 Installments)");
    EXPECT_EQ(schedule->PaymentTermsText(4000, 0, 25),
              "100% Deposit Required (no installments available)");
}

TEST_F(DeliveredTablesTest, RatingInputsOfBothStates)
{
    TControlInterface controls;
    controls.Build(database.Inputs(), database.InputData(), false, 1, 1, 13);
    for (const char *name :
         {"lstPartTwo", "txtExpMod", "lstMerit", "txtARAP", "txtConstCredit", "lstBenefits",
          "lstMedical", "txtLossMgmt", "lstPremiumDiscount", "txtFees"}) {
        EXPECT_NE(controls.FindControl(name), nullptr) << name;
    }
    EXPECT_EQ(controls.FindControl("lstPartTwo")->Text(), "100/500/100");
    EXPECT_DOUBLE_EQ(controls.FindControl("txtExpMod")->Number(), 1.0);
    for (const auto &control : controls.Controls()) {
        if (control->IsDropDownList()) {
            EXPECT_NE(control->SelectedEntry(), nullptr) << control->Name() << " has a default";
        }
    }
    // The 500/500/500 limits price the manual premium through their rate and minimum.
    TRatingControl *limits = controls.FindControl("lstPartTwo");
    limits->SetText("500/500/500");
    ASSERT_NE(limits->SelectedEntry(), nullptr);
    EXPECT_EQ(ListAmount(limits, 100000), RoundAmount(100000 * limits->SelectedEntry()->Data1));

    controls.Build(database.Inputs(), database.InputData(), false, 1, 1, 15);
    for (const char *name :
         {"lstPartTwo", "txtExpMod", "txtConstCredit", "txtManagedCare", "chkManagedCare",
          "txtPPAPFactor", "lstPremiumDiscount", "txtTerrorism", "txtTerrorismDom", "txtNJERN"}) {
        EXPECT_NE(controls.FindControl(name), nullptr) << name;
    }
    EXPECT_DOUBLE_EQ(controls.FindControl("chkManagedCare")->StoredValue(), -9998);

    // The managed-care tiers of broker 6 are a date table.
    TRatingControl *managedCare = controls.FindControl("chkManagedCare");
    controls.AttachTiers(*managedCare,
                         book.LoadTierPremiums(6, 15, managedCare->Spec().Index, true));
    ASSERT_NE(managedCare->Tiers(), nullptr);
    EXPECT_LT(TierValue(managedCare, 0, EncodeDate(2026, 6, 1)), 0);

    controls.Build(database.Inputs(), database.InputData(), false, 1, 2, 13);
    bool total = false;
    for (const auto &control : controls.Controls()) {
        total = total ||
            (control->Kind() == TControlKind::CurrencyField &&
             RoundAmount(control->StoredValue()) == 16);
    }
    EXPECT_TRUE(total) << "the Premium Detail window shows the total (export value 16)";
}

TEST_F(DeliveredTablesTest, ChoiceListsDocumentsAndFinance)
{
    TChoiceList brokers;
    TChoiceList states;
    FillBrokerAndStateLists(database.Brokers(), database.Plans(), brokers, states);
    ASSERT_EQ(states.Items.size(), 2u) << "each state once, whatever the broker";
    EXPECT_EQ(states.Items[0].Text, "Massachusetts");
    EXPECT_EQ(states.Items[0].Number, 13);
    EXPECT_EQ(states.Items[1].Number, 15);
    EXPECT_EQ(brokers.Items.size(), 3u);
    EXPECT_EQ(brokers.ItemIndex, 0);

    const TDocumentList documents = book.LoadDocumentList(1, 13);
    ASSERT_FALSE(documents.empty());
    for (const TDocument &document : documents) {
        EXPECT_TRUE(FileExists(ResolveFileName(document.Path))) << document.Path;
    }

    const auto agreement = book.GetFinanceAgreement(1);
    EXPECT_FALSE(agreement->Name.empty());
    EXPECT_GT(agreement->NumPayment, 0);
    EXPECT_GT(agreement->DownPercent(10000), 0);
    EXPECT_GT(agreement->FinanceRate(1000), 0);
}
