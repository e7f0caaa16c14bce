#include "StoreFixture.h"

#include "core/Dates.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "rating/VereDivoClass.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/records/CustInfo.h"
#include "storage/records/QuoteInfo.h"

#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

std::unique_ptr<TVereDivoClass> Line(const std::string &code, const std::string &subCode,
                                     int32_t payroll, const std::string &phrase = "A CLASS")
{
    auto line = std::make_unique<TVereDivoClass>(1);
    line->Code = code;
    line->SubCode = subCode;
    line->Description = phrase;
    line->StateRate = 2.0;
    line->Rate = 2.0;
    line->SetPayroll(payroll);
    line->SetEmployees(3);
    return line;
}

// A multi-entry line with two entries, to stand for a class that had fewer entries.
class TTwoEntryClass final : public TMultiEntryVereDivoClass
{
public:
    TTwoEntryClass() : TMultiEntryVereDivoClass(1) { CreateEntries(); }
    int32_t GetEntryCount() const override { return 2; }
    std::string GetEntryLabel(int32_t) const override { return "Entry"; }
};

class CustomerStore : public testing::Test
{
protected:
    CustomerStore()
    {
        CopyDeliveredData(dir.Path());
        store = std::make_unique<TVereDivoCustDBO>(database, dir.Path());
    }

    TCustLOBInfo &Header(int32_t customer, int32_t quote)
    {
        auto header = std::make_unique<TCustLOBInfo>();
        header->SetCustomerNumber(customer);
        header->SetQuoteID(quote);
        header->SetDescription("Quote " + IntText(quote));
        header->SetLocationStreet("1 Main St");
        header->SetLocationCity("Boston");
        header->SetLocationState("MA");
        header->SetLocationZip("02134");
        header->SetEffectiveDate(EncodeDate(2026, 7, 1));
        header->SetExpirationDate(EncodeDate(2027, 7, 1));
        header->SetLineOfBusiness(1);
        headers.push_back(std::move(header));
        return *headers.back();
    }

    // A quote with a row in every quote table: header, plan, an input, two ordinary lines and
    // a construction line, and the down payment value.
    void SaveWholeQuote(int32_t customer, int32_t quote)
    {
        TVereDivoCustDBO::TBatch batch(*store);
        store->SaveQuoteHeader(Header(customer, quote));
        store->SavePlan(quote, 5);
        store->SaveInput(quote, 2, false, "0.95");
        auto first = Line("8810", "", 50000);
        auto second = Line("5183", "01", 120000);
        TNewYorkConstructionClass construction(1);
        construction.Code = "5645";
        construction.SetEntryPayroll(1, 1000);
        construction.SetEntryPayroll(3, 3000);
        store->SaveClasses(quote, {first.get(), second.get(), &construction});
        store->SaveMiscValue(quote, mvDownPayment, 0, "25.00");
        batch.Commit();
    }

    // Every table of a quote's rows with the column holding its quote ID.
    std::vector<std::pair<TCBTable *, std::string>> QuoteTables() const
    {
        return {{&store->QuoteHeaders(), "Quote_ID"},
                {&store->Plans(), "ID"},
                {&store->Inputs(), "ID"},
                {&store->Classes(), "ID"},
                {&store->Deviations(), "ID"},
                {&store->Entries(), "ID"},
                {&store->MiscValues(), "Quote_ID"}};
    }

    ScratchFolder dir;
    ScriptedPrompter prompter;
    TCBDatabase database;
    std::unique_ptr<TVereDivoCustDBO> store;
    std::vector<std::unique_ptr<TCustLOBInfo>> headers;
};

} // namespace

TEST_F(CustomerStore, ACustomerRoundTripsWithEveryColumnAndItsNumberRightAligned)
{
    TCustInfo customer;
    customer.SetCustomerNumber(42);
    customer.SetCompany("Acme Roofing");
    customer.SetFirstName("Ann");
    customer.SetLastName("Lee");
    customer.SetStreet("1 Main St");
    customer.SetCity("Boston");
    customer.SetState("MA");
    customer.SetZip("02134");
    customer.SetHomePhone("(617)555-0100");
    customer.SetWorkPhone("(617)555-0101");
    customer.SetFax("(617)555-0102");
    customer.SetNotes("Pays on time");
    store->SaveCustomer(customer);

    TCBTable &table = store->Customers();
    ASSERT_TRUE(table.Seek("        42", "ID_TAG"));
    EXPECT_EQ(Trim(table.GetString("FAx")), "(617)555-0102");

    TCustInfo loaded;
    loaded.SetCustomerNumber(42);
    ASSERT_TRUE(store->LoadCustomer(loaded));
    EXPECT_EQ(loaded.Company(), "Acme Roofing");
    EXPECT_EQ(loaded.FirstName(), "Ann");
    EXPECT_EQ(loaded.LastName(), "Lee");
    EXPECT_EQ(loaded.Zip(), "02134");
    EXPECT_EQ(loaded.HomePhone(), "(617)555-0100");
    EXPECT_EQ(loaded.WorkPhone(), "(617)555-0101");
    EXPECT_EQ(loaded.Fax(), "(617)555-0102");
    EXPECT_EQ(loaded.Notes(), "Pays on time");

    TCustInfo unknown;
    unknown.SetCustomerNumber(4);
    unknown.SetCompany("kept");
    EXPECT_FALSE(store->LoadCustomer(unknown));
    EXPECT_EQ(unknown.Company(), "kept");
}

TEST_F(CustomerStore, SavingTwiceRewritesTheRowsInPlaceAndReplacesTheClassRows)
{
    TCustInfo customer;
    customer.SetCustomerNumber(1);
    customer.SetCompany("First");
    store->SaveCustomer(customer);
    SaveWholeQuote(1, 1);
    customer.SetCompany("Second");
    store->SaveCustomer(customer);
    SaveWholeQuote(1, 1);

    EXPECT_EQ(store->Customers().RecordCount(), 1);
    EXPECT_EQ(store->QuoteHeaders().RecordCount(), 1);
    EXPECT_EQ(store->Plans().RecordCount(), 1);
    EXPECT_EQ(store->Inputs().RecordCount(), 1);
    EXPECT_EQ(store->Deviations().RecordCount(), 2);
    EXPECT_EQ(store->Entries().RecordCount(), 4);
    EXPECT_EQ(store->MiscValues().RecordCount(), 1);

    // The first three class rows are marked with line number 0, the next three are live.
    TCBTable &classes = store->Classes();
    ASSERT_EQ(classes.RecordCount(), 6);
    classes.SelectTag("");
    std::vector<std::string> rows;
    for (classes.First(); !classes.Eof(); classes.Next()) {
        rows.push_back(Trim(classes.GetString("Index")) + (classes.Deleted() ? "*" : ""));
    }
    EXPECT_THAT(rows, ElementsAre("0*", "0*", "0*", "1", "2", "3"));
    TCustInfo loaded;
    loaded.SetCustomerNumber(1);
    store->LoadCustomer(loaded);
    EXPECT_EQ(loaded.Company(), "Second");
}

TEST_F(CustomerStore, LinesReducedFromThreeToTwoRestoreTwo)
{
    std::vector<std::unique_ptr<TVereDivoClass>> book;
    book.push_back(Line("8810", "", 10000, "CLERICAL"));
    book.push_back(Line("5183", "01", 20000, "PLUMBING"));
    book.push_back(Line("8742", "", 30000, "SALES"));
    store->SaveClasses(7, {book[0].get(), book[1].get(), book[2].get()});
    store->SaveClasses(7, {book[2].get(), book[0].get()});

    for (const auto &line : book) {
        line->SetPayroll(0);
    }
    std::vector<TVereDivoClass *> restored;
    store->RestoreClasses(7, book, restored);
    ASSERT_EQ(restored.size(), 2u);
    EXPECT_EQ(restored[0], book[2].get());
    EXPECT_EQ(restored[1], book[0].get());
    EXPECT_EQ(book[2]->Payroll, 30000);
    EXPECT_EQ(book[0]->Payroll, 10000);
    EXPECT_THAT(prompter.Texts(), IsEmpty());
}

TEST_F(CustomerStore, EntriesAreRewrittenInPlaceThenAppendedAndTheSurplusMarked)
{
    TTwoEntryClass two;
    two.Code = "5645";
    two.SetEntryPayroll(1, 100);
    two.SetEntryPayroll(2, 200);
    store->SaveEntries(3, two);
    ASSERT_EQ(store->Entries().RecordCount(), 2);

    TNewYorkConstructionClass four(1);
    four.Code = "5645";
    for (int32_t entry = 1; entry <= 4; ++entry) {
        four.SetEntryPayroll(entry, entry * 1000);
    }
    store->SaveEntries(3, four);
    EXPECT_EQ(store->Entries().RecordCount(), 4);
    EXPECT_EQ(TallyRows(store->Entries(), "Payroll"),
              (std::map<std::string, TRowTally> {
                  {"1000", {1, 0}}, {"2000", {1, 0}}, {"3000", {1, 0}}, {"4000", {1, 0}}}));

    TNewYorkConstructionClass loaded(1);
    loaded.Code = "5645";
    store->LoadEntries(3, loaded);
    for (int32_t entry = 1; entry <= 4; ++entry) {
        EXPECT_EQ(loaded.GetEntryPayroll(entry), entry * 1000) << entry;
    }

    // Back to two entries: the two rows beyond are marked and no longer read.
    store->SaveEntries(3, two);
    EXPECT_EQ(TallyRows(store->Entries(), "ID")["3"], (TRowTally {2, 2}));
    TNewYorkConstructionClass again(1);
    again.Code = "5645";
    store->LoadEntries(3, again);
    EXPECT_EQ(again.GetPayroll(), 300);
}

TEST_F(CustomerStore, DeletingQuote12LeavesQuotes1_120And123Untouched)
{
    for (const int32_t quote : {1, 12, 120, 123}) {
        SaveWholeQuote(9, quote);
    }
    store->DeleteQuote(12);
    for (const auto &[table, column] : QuoteTables()) {
        const auto rows = TallyRows(*table, column);
        SCOPED_TRACE(table->TableName());
        EXPECT_EQ(rows.at("12").live, 0);
        EXPECT_GT(rows.at("12").deleted, 0);
        for (const char *kept : {"1", "120", "123"}) {
            EXPECT_EQ(rows.at(kept).deleted, 0) << kept;
            EXPECT_EQ(rows.at(kept), rows.at("1")) << kept;
        }
    }
    EXPECT_EQ(store->ListQuotes(9).size(), 3u);
}

TEST_F(CustomerStore, DeletingACustomerMarksItAndEveryRowOfItsThreeQuotes)
{
    TCustInfo customer;
    for (const int32_t number : {7, 8}) {
        customer.SetCustomerNumber(number);
        customer.SetCompany("Customer " + IntText(number));
        store->SaveCustomer(customer);
    }
    for (const int32_t quote : {3, 4, 5}) {
        SaveWholeQuote(7, quote);
    }
    SaveWholeQuote(8, 6);
    store->DeleteCustomer(7);

    for (const auto &[table, column] : QuoteTables()) {
        const auto rows = TallyRows(*table, column);
        SCOPED_TRACE(table->TableName());
        for (const char *gone : {"3", "4", "5"}) {
            EXPECT_EQ(rows.at(gone).live, 0) << gone;
        }
        EXPECT_EQ(rows.at("6").deleted, 0);
        EXPECT_GT(rows.at("6").live, 0);
    }
    ASSERT_EQ(store->ListCustomers().size(), 1u);
    EXPECT_EQ(store->ListCustomers()[0].CustomerNumber, 8);
    EXPECT_THAT(store->ListQuotes(7), IsEmpty());
}

TEST_F(CustomerStore, RestoringDropsClassesNoLongerOfferedAndIfAnyWhereAPayrollIsRequired)
{
    std::vector<std::unique_ptr<TVereDivoClass>> stored;
    stored.push_back(Line("8810", "", 10000, "CLERICAL"));
    stored.push_back(Line("9999", "", 5000));
    stored.push_back(Line("5183", "", 0, "PLUMBING"));
    stored.push_back(Line("9998", "", 5000));
    std::vector<TVereDivoClass *> lines;
    for (const auto &line : stored) {
        lines.push_back(line.get());
    }
    store->SaveClasses(4, lines);

    std::vector<std::unique_ptr<TVereDivoClass>> book;
    book.push_back(Line("8810", "", 0, "CLERICAL"));
    book.push_back(Line("5183", "", 0, "PLUMBING"));
    book[1]->Survey = true;
    std::vector<TVereDivoClass *> restored;
    store->RestoreClasses(4, book, restored);
    ASSERT_THAT(restored, ElementsAre(book[0].get()));
    EXPECT_EQ(book[0]->Payroll, 10000);
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("'If Any' option is no longer permitted for PLUMBING so the class "
                            "will not be restored on the quote",
                            "The below classes are no longer provided by the rating program and "
                            "will not be restored on the quote:\r\r9999, 9998"));
}

TEST_F(CustomerStore, ClassCodesMatchWithoutRegardToCaseAndDeviationsComeBack)
{
    auto saved = Line("8810", "ab", 10000);
    saved->SetDeviation(0.85);
    store->SaveClasses(2, {saved.get()});

    std::vector<std::unique_ptr<TVereDivoClass>> book;
    book.push_back(Line("8810", "Ab", 0));
    std::vector<TVereDivoClass *> restored;
    store->RestoreClasses(2, book, restored);
    ASSERT_THAT(restored, ElementsAre(book[0].get()));
    EXPECT_DOUBLE_EQ(book[0]->Deviation, 0.85);
    EXPECT_EQ(book[0]->Premium, 170);
}

TEST_F(CustomerStore, AnUnchangedDeviationLeavesTheLinesOwnRate)
{
    // A carrier rate 10% below the bureau's: its ratio rounds to 0.899.
    auto line = Line("5183", "", 100000);
    line->StateRate = 2.37;
    line->Rate = 2.13;
    line->Deviation = 0.899;
    line->SetPayroll(100000);
    store->SaveClasses(2, {line.get()});

    std::vector<std::unique_ptr<TVereDivoClass>> book;
    book.push_back(Line("5183", "", 0));
    book[0]->StateRate = 2.37;
    book[0]->Rate = 2.13;
    book[0]->Deviation = 0.899;
    std::vector<TVereDivoClass *> restored;
    store->RestoreClasses(2, book, restored);
    EXPECT_EQ(book[0]->Premium, line->Premium);
    EXPECT_EQ(book[0]->Premium, 2130);
}

TEST_F(CustomerStore, AConstructionClassStoredWithoutItsSplitGoesToOneEntryWithAMessage)
{
    auto plain = Line("5645", "", 250000, "CARPENTRY");
    store->SaveClasses(6, {plain.get()});

    std::vector<std::unique_ptr<TVereDivoClass>> book;
    auto construction = std::make_unique<TNewYorkConstructionClass>(1);
    construction->Code = "5645";
    construction->Description = "CARPENTRY";
    book.push_back(std::move(construction));
    std::vector<TVereDivoClass *> restored;
    store->RestoreClasses(6, book, restored);
    ASSERT_EQ(restored.size(), 1u);
    auto &line = dynamic_cast<TNewYorkConstructionClass &>(*restored[0]);
    EXPECT_EQ(line.GetEntryPayroll(4), 250000);
    EXPECT_EQ(line.GetPayroll(), 250000);
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("CARPENTRY is a Construction Class whose Payroll of $250,000 needs "
                            "to be broken out by territory.  Please edit the class by double "
                            "clicking on it when it appears in the list"));

    // Saved with its split, it comes back split and without a message.
    prompter.Clear();
    store->SaveClasses(6, restored);
    line.SetEntryPayroll(4, 0);
    std::vector<TVereDivoClass *> again;
    store->RestoreClasses(6, book, again);
    EXPECT_EQ(line.GetEntryPayroll(4), 250000);
    EXPECT_THAT(prompter.Texts(), IsEmpty());
}

TEST_F(CustomerStore, ADeletedQuoteSavedAgainFromItsOpenWindowComesBack)
{
    SaveWholeQuote(2, 10);
    store->DeleteQuote(10);
    EXPECT_THAT(store->ListQuotes(2), IsEmpty());
    SaveWholeQuote(2, 10);
    ASSERT_EQ(store->ListQuotes(2).size(), 1u);
    for (const auto &[table, column] : QuoteTables()) {
        EXPECT_GT(TallyRows(*table, column)["10"].live, 0) << table->TableName();
    }
    EXPECT_EQ(store->QuoteHeaders().RecordCount(), 1);
    EXPECT_EQ(store->Plans().RecordCount(), 1);
}

TEST_F(CustomerStore, AQuoteHasOneHeaderWhateverItsIDAndCustomer)
{
    // The header tag keeps only 6 characters of the quote ID.
    store->SaveQuoteHeader(Header(2, 1234567));
    store->SaveQuoteHeader(Header(2, 1234568));
    store->SaveQuoteHeader(Header(2, 1234567));
    EXPECT_EQ(store->QuoteHeaders().RecordCount(), 2);
    EXPECT_TRUE(store->FindQuoteHeader(2, 1234568));
    EXPECT_EQ(Trim(store->QuoteHeaders().GetString("Quote_ID")), "1234568");
    EXPECT_FALSE(store->FindQuoteHeader(2, 1234569));

    // Given to another customer, the quote is listed under that one only.
    store->SaveQuoteHeader(Header(3, 1234567));
    ASSERT_EQ(store->ListQuotes(2).size(), 1u);
    EXPECT_EQ(store->ListQuotes(2)[0]->QuoteID(), 1234568);
    ASSERT_EQ(store->ListQuotes(3).size(), 1u);
    EXPECT_EQ(store->ListQuotes(3)[0]->QuoteID(), 1234567);
}

TEST_F(CustomerStore, TheListingSortsCustomersAndShowsEachQuoteWithItsPolicyDates)
{
    EXPECT_THAT(store->ListCustomers(), IsEmpty());
    TCustInfo customer;
    const std::vector<std::pair<int32_t, std::string>> companies = {
        {1, "zeta Corp"}, {2, "Acme"}, {3, "Gone Inc"}, {4, "beta LLC"}};
    for (const auto &[number, company] : companies) {
        customer.SetCustomerNumber(number);
        customer.SetCompany(company);
        store->SaveCustomer(customer);
    }
    store->DeleteCustomer(3);
    std::vector<std::string> listed;
    for (const TCustomerListEntry &entry : store->ListCustomers()) {
        listed.push_back(entry.Company + "=" + IntText(entry.CustomerNumber));
    }
    EXPECT_THAT(listed, ElementsAre("Acme=2", "beta LLC=4", "zeta Corp=1"));

    TCustLOBInfo &header = Header(2, 31);
    header.SetDescription("Main office");
    header.SetPolicyNumber("WC-1");
    header.SetCompany("Carrier");
    store->SaveQuoteHeader(header);
    const auto quotes = store->ListQuotes(2);
    ASSERT_EQ(quotes.size(), 1u);
    EXPECT_EQ(quotes[0]->QuoteID(), 31);
    EXPECT_EQ(quotes[0]->CustomerNumber(), 2);
    EXPECT_EQ(quotes[0]->PolicyNumber(), "WC-1");
    EXPECT_EQ(quotes[0]->Company(), "Carrier");
    EXPECT_EQ(quotes[0]->LineOfBusiness(), 1);
    EXPECT_EQ(TVereDivoCustDBO::QuoteDisplayText(*quotes[0]),
              "Main office [1 Main St Boston, MA 02134]  (07/01/2026 - 07/01/2027)");
    // The header to open the quote with carries the quote's own state; stored without it,
    // the location's.
    EXPECT_EQ(store->LoadQuoteHeader(31)->State(), "MA");
    store->SaveMiscValue(31, mvQuoteState, 0, "NJ");
    EXPECT_EQ(store->LoadQuoteHeader(31)->State(), "NJ");
    EXPECT_EQ(store->LoadQuoteHeader(31)->Description(), "Main office");
    EXPECT_EQ(store->LoadQuoteHeader(32), nullptr);
}

TEST_F(CustomerStore, ListedDatesBefore1900AreTwoDigitYearsAndBlankDatesStayBlank)
{
    TCBTable &table = store->QuoteHeaders();
    const auto stored = [&](const std::string &digits) {
        table.AppendBlank();
        table.SetString("Effective", digits);
        return ListedDate(table, "Effective");
    };
    EXPECT_EQ(stored("00090301"), EncodeDate(2009, 3, 1));
    EXPECT_EQ(stored("00390301"), EncodeDate(2039, 3, 1));
    EXPECT_EQ(stored("00400301"), EncodeDate(1940, 3, 1));
    EXPECT_EQ(stored("00990000"), EncodeDate(1999, 1, 1));
    EXPECT_EQ(stored("00000301"), EncodeDate(2000, 3, 1));
    EXPECT_EQ(stored("19990301"), EncodeDate(1999, 3, 1));
    EXPECT_EQ(stored("20261231"), EncodeDate(2026, 12, 31));
    EXPECT_EQ(stored("        "), 0);
    EXPECT_EQ(stored("20260231"), 0);

    TCustLOBInfo blank;
    blank.SetDescription("No dates");
    EXPECT_EQ(TVereDivoCustDBO::QuoteDisplayText(blank), "No dates [ ,  ]  ( - )");
}

TEST_F(CustomerStore, ClearingEmptiesEveryTableAndCopyingTakesEachFile)
{
    SaveWholeQuote(1, 1);
    TCustInfo customer;
    customer.SetCustomerNumber(1);
    store->SaveCustomer(customer);

    ScratchFolder copy;
    store->CopyCustomerTablesTo(copy.Path().substr(0, copy.Path().size() - 1));
    for (const std::string &name : TVereDivoCustDBO::TableNames()) {
        EXPECT_TRUE(FileExists(copy.File(name + ".DBF"))) << name;
        EXPECT_TRUE(FileExists(copy.File(name + ".MDX"))) << name;
    }
    TCBDatabase other;
    TVereDivoCustDBO copied(other, copy.Path());
    EXPECT_EQ(copied.ListQuotes(1).size(), 1u);

    store->ClearAllCustomerData();
    for (TCBTable *table : {&store->Customers(), &store->QuoteHeaders(), &store->Classes(),
                            &store->Entries(), &store->MiscValues()}) {
        EXPECT_EQ(table->RecordCount(), 0) << table->TableName();
        EXPECT_EQ(CheckTable(*table), "");
    }
    EXPECT_THAT(store->ListCustomers(), IsEmpty());
    SaveWholeQuote(1, 2);
    EXPECT_EQ(store->ListQuotes(1).size(), 1u);
}

TEST(CustomerStoreTables, AMissingTableIsReportedAndNoneStaysRegistered)
{
    ScratchFolder dir;
    CopyDeliveredData(dir.Path());
    std::filesystem::remove(dir.File("CUSTDEVS.DBF"));
    TCBDatabase database;
    try {
        TVereDivoCustDBO store(database, dir.Path());
        FAIL() << "the store opened without CUSTDEVS.DBF";
    } catch (const ECBDBError &error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot add table to database that does not exist\r\nTable, " + dir.Path() +
                      "CUSTDEVS.DBF, not found.");
    }
    for (int32_t id = 1; id <= 8; ++id) {
        EXPECT_EQ(database.FindTable(id), nullptr) << id;
    }
}
