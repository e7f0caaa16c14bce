// Saving and reopening a 20-class quote, listing a store of 10,000 customers with 30,000
// quotes, and packing that store, on a copy of the built program's tables in the temporary
// folder. The reference is SQLite doing the same work on the same disk: one transaction per
// saved quote (synchronous FULL), and the listing by indexed keys.

#include "BenchProgram.h"

#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/VereDivoDatabase.h"
#include "rating/ControlInterface.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "storage/records/QuoteInfo.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

struct BoundQuote
{
    TControlInterface inputs;
    std::unique_ptr<TVereDivoQuote> quote;

    BoundQuote(TVereDivoAppInfo &info, std::unique_ptr<TVereDivoQuote> made)
        : quote(std::move(made))
    {
        if (!quote) {
            throw std::runtime_error("no quote");
        }
        inputs.Build(info.Tables().Inputs(), info.Tables().InputData(), false, quote->RatePeriod(),
                     1, quote->StateId);
        quote->Bind(inputs);
    }
};

// An MA quote with the first 20 classes of the book, its inputs set and its customer named.
std::unique_ptr<BoundQuote> TwentyClassQuote(TVereDivoAppInfo &info)
{
    TCustLOBInfo header;
    header.SetState("MA");
    auto bound = std::make_unique<BoundQuote>(
        info, CreateStateQuote(1, info.QuoteApplication(), header, EncodeDate(2026, 7, 1)));
    TVereDivoQuote &quote = *bound->quote;
    if (!quote.LoadClassBook()) {
        throw std::runtime_error("no class book");
    }
    int32_t payroll = 20000;
    for (const auto &line : quote.ClassBook()) {
        if (quote.Classes().size() == 20) {
            break;
        }
        line->SetPayroll(payroll += 1000);
        line->SetEmployees(2);
        quote.AppendClass(*line);
    }
    for (const auto &[name, text] : {std::pair {"txtExpMod", "0.95"}, {"txtARAP", "1.05"}}) {
        if (TRatingControl *control = bound->inputs.FindControl(name)) {
            control->SetText(text);
            control->NotifyExit();
        }
    }
    quote.Customer().SetCompany("Benchmark Roofing");
    quote.Customer().SetFirstName("Ann");
    quote.QuoteInfo().SetDescription("Main office");
    quote.CalculatePremium();
    return bound;
}

void BM_SaveNewQuote20Classes(benchmark::State &state)
{
    SilentPrompter silent;
    ScratchProgram program;
    const auto bound = TwentyClassQuote(program.Info());
    TVereDivoQuote &quote = *bound->quote;
    for (auto _ : state) {
        quote.QuoteId = 0;
        quote.Customer().SetCustomerNumber(-1);
        if (!program.Info().QuoteDB().SaveQuote(quote)) {
            state.SkipWithError("not saved");
        }
    }
}
BENCHMARK(BM_SaveNewQuote20Classes)->Unit(benchmark::kMillisecond);

void BM_SaveQuote20ClassesAgain(benchmark::State &state)
{
    SilentPrompter silent;
    ScratchProgram program;
    const auto bound = TwentyClassQuote(program.Info());
    TVereDivoQuote &quote = *bound->quote;
    // Each round saves a stored quote once more, as the agent's "Save" after a change does; the
    // quote then leaves its old class rows behind (until a pack), so every round starts anew.
    for (auto _ : state) {
        state.PauseTiming();
        quote.QuoteId = 0;
        quote.Customer().SetCustomerNumber(-1);
        program.Info().QuoteDB().SaveQuote(quote);
        state.ResumeTiming();
        program.Info().QuoteDB().SaveQuote(quote);
    }
}
BENCHMARK(BM_SaveQuote20ClassesAgain)->Unit(benchmark::kMillisecond);

void BM_ReopenQuote20Classes(benchmark::State &state)
{
    SilentPrompter silent;
    ScratchProgram program;
    TVereDivoAppInfo &info = program.Info();
    int32_t id = 0;
    int32_t total = 0;
    {
        const auto bound = TwentyClassQuote(info);
        info.QuoteDB().SaveQuote(*bound->quote);
        id = bound->quote->QuoteId;
        total = bound->quote->Results.TotalPremium;
    }
    for (auto _ : state) {
        const auto header = info.QuoteDB().CustDBO().LoadQuoteHeader(id);
        BoundQuote reopened(info, CreateStateQuote(1, info.QuoteApplication(), *header));
        info.QuoteDB().LoadQuote(*reopened.quote);
        reopened.quote->CalculatePremium();
        if (reopened.quote->Results.TotalPremium != total ||
            reopened.quote->Classes().size() != 20) {
            state.SkipWithError("the reopened quote differs");
        }
    }
}
BENCHMARK(BM_ReopenQuote20Classes)->Unit(benchmark::kMillisecond);

// The store of 10,000 customers with three quotes each (two class lines, two inputs, a down
// payment), written once for the listing and the pack.
ScratchProgram &LargeStore()
{
    static SilentPrompter silent;
    static ScratchProgram program;
    static const bool filled = [] {
        TVereDivoCustDBO &store = program.Info().QuoteDB().CustDBO();
        TVereDivoCustDBO::TBatch batch(store);
        TVereDivoClass first(1);
        first.Code = "5645";
        TVereDivoClass second(1);
        second.Code = "8810";
        int32_t quoteID = 0;
        for (int32_t customer = 1; customer <= 10000; ++customer) {
            TCustInfo info;
            info.SetCustomerNumber(customer);
            info.SetCompany("Company " + IntText((customer * 7919) % 10007));
            info.SetFirstName("Ann");
            info.SetStreet("1 Main St");
            store.SaveCustomer(info);
            for (int n = 0; n < 3; ++n) {
                TCustLOBInfo header;
                header.SetCustomerNumber(customer);
                header.SetQuoteID(++quoteID);
                header.SetDescription("Location " + IntText(n + 1));
                header.SetLocationStreet("1 Main St");
                header.SetLocationCity("Boston");
                header.SetLocationState("MA");
                header.SetLocationZip("02134");
                header.SetEffectiveDate(EncodeDate(2026, 7, 1));
                header.SetExpirationDate(EncodeDate(2027, 7, 1));
                store.SaveQuoteHeader(header);
                store.SavePlan(quoteID, 1);
                store.SaveInput(quoteID, 1, false, "500/500/500");
                store.SaveInput(quoteID, 2, false, "0.95");
                first.SetPayroll(100000);
                second.SetPayroll(50000);
                store.SaveClasses(quoteID, {&first, &second});
                store.SaveMiscValue(quoteID, mvDownPayment, 0, "25.00");
                store.SaveMiscValue(quoteID, mvQuoteState, 0, "MA");
            }
        }
        batch.Commit();
        return true;
    }();
    (void)filled;
    return program;
}

void BM_ListCustomersAndQuotes(benchmark::State &state)
{
    TVereDivoCustDBO &store = LargeStore().Info().QuoteDB().CustDBO();
    for (auto _ : state) {
        // As a listing does: one state of the store for all of it.
        const TVereDivoCustDBO::TReading reading(store);
        size_t quotes = 0;
        size_t text = 0;
        for (const TCustomerListEntry &customer : store.ListCustomers()) {
            for (const auto &header : store.ListQuotes(customer.CustomerNumber)) {
                text += TVereDivoCustDBO::QuoteDisplayText(*header).size();
                ++quotes;
            }
        }
        if (quotes != 30000) {
            state.SkipWithError("not every quote was listed");
        }
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_ListCustomersAndQuotes)->Unit(benchmark::kMillisecond);

void BM_ListCustomersOnly(benchmark::State &state)
{
    TVereDivoCustDBO &store = LargeStore().Info().QuoteDB().CustDBO();
    for (auto _ : state) {
        const TVereDivoCustDBO::TReading reading(store);
        benchmark::DoNotOptimize(store.ListCustomers());
    }
}
BENCHMARK(BM_ListCustomersOnly)->Unit(benchmark::kMillisecond);

void BM_PackAndReindexTheStore(benchmark::State &state)
{
    ScratchProgram &program = LargeStore();
    TVereDivoAppInfo &info = program.Info();
    for (auto _ : state) {
        // As "&Pack and Reindex Data" does: every table closed, the counts repaired, each table
        // of the quote folder packed and reindexed alone, the table set opened again.
        info.Tables().CloseAll();
        FixRecordCounts(info.QuoteFolder());
        PackFolder(info.QuoteFolder(), info.Tables());
        info.Tables().OpenAll();
    }
}
BENCHMARK(BM_PackAndReindexTheStore)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---------------------------------------------------------------------------------------------
// The reference: SQLite with the same rows.

void Exec(sqlite3 *db, const std::string &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error != nullptr ? error : "sqlite error";
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

struct SqliteStore
{
    sqlite3 *db = nullptr;
    std::string folder;

    SqliteStore()
    {
        std::string pattern = TempFolder() + "veredivo-sqlite-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a folder");
        }
        folder = pattern + "/";
        sqlite3_open((folder + "store.db").c_str(), &db);
        Exec(db,
             "PRAGMA synchronous=FULL;"
             "CREATE TABLE customer(num INTEGER PRIMARY KEY, company TEXT, first TEXT,"
             " street TEXT);"
             "CREATE TABLE header(quote INTEGER PRIMARY KEY, customer INTEGER, descript TEXT,"
             " street TEXT, city TEXT, state TEXT, zip TEXT, effective TEXT,"
             " expiration TEXT);"
             "CREATE INDEX header_customer ON header(customer);"
             "CREATE TABLE input(quote INTEGER, field INTEGER, text TEXT,"
             " PRIMARY KEY(quote, field));"
             "CREATE TABLE line(quote INTEGER, idx INTEGER, code TEXT, payroll INTEGER,"
             " employees INTEGER, deviation REAL, PRIMARY KEY(quote, idx));"
             "CREATE TABLE misc(quote INTEGER, type INTEGER, value TEXT,"
             " PRIMARY KEY(quote, type));");
    }
    ~SqliteStore()
    {
        sqlite3_close(db);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // One quote in one transaction: customer, header, inputs, lines (old ones replaced), misc.
    void Save(int32_t customer, int32_t quote, int lines, int inputs)
    {
        Exec(db, "BEGIN");
        Exec(db,
             "INSERT OR REPLACE INTO customer VALUES(" + IntText(customer) +
                 ", 'Benchmark Roofing', 'Ann', '1 Main St')");
        Exec(db,
             "INSERT OR REPLACE INTO header VALUES(" + IntText(quote) + ", " + IntText(customer) +
                 ", 'Main office', '1 Main St', 'Boston', 'MA', '02134', '2026-07-01',"
                 " '2027-07-01')");
        for (int field = 1; field <= inputs; ++field) {
            Exec(db,
                 "INSERT OR REPLACE INTO input VALUES(" + IntText(quote) + ", " + IntText(field) +
                     ", '0.95')");
        }
        Exec(db, "DELETE FROM line WHERE quote = " + IntText(quote));
        for (int i = 1; i <= lines; ++i) {
            Exec(db,
                 "INSERT INTO line VALUES(" + IntText(quote) + ", " + IntText(i) +
                     ", '5645', 100000, 2, 1.0)");
        }
        Exec(db, "INSERT OR REPLACE INTO misc VALUES(" + IntText(quote) + ", 1, '25.00')");
        Exec(db, "COMMIT");
    }
};

void BM_SQLiteSaveQuote20Classes(benchmark::State &state)
{
    SqliteStore store;
    int32_t quote = 0;
    for (auto _ : state) {
        ++quote;
        store.Save(quote, quote, 20, 10);
    }
}
BENCHMARK(BM_SQLiteSaveQuote20Classes)->Unit(benchmark::kMillisecond);

void BM_SQLiteListCustomersAndQuotes(benchmark::State &state)
{
    static SqliteStore store;
    static const bool filled = [] {
        Exec(store.db, "PRAGMA synchronous=OFF; BEGIN");
        int32_t quote = 0;
        for (int32_t customer = 1; customer <= 10000; ++customer) {
            Exec(store.db,
                 "INSERT INTO customer VALUES(" + IntText(customer) + ", 'Company " +
                     IntText((customer * 7919) % 10007) + "', 'Ann', '1 Main St')");
            for (int n = 0; n < 3; ++n) {
                Exec(store.db,
                     "INSERT INTO header VALUES(" + IntText(++quote) + ", " + IntText(customer) +
                         ", 'Location " + IntText(n + 1) +
                         "', '1 Main St', 'Boston', 'MA', '02134', '07/01/2026',"
                         " '07/01/2027')");
            }
        }
        Exec(store.db, "COMMIT");
        return true;
    }();
    (void)filled;
    sqlite3_stmt *customers = nullptr;
    sqlite3_stmt *quotes = nullptr;
    sqlite3_prepare_v2(store.db, "SELECT company, num FROM customer ORDER BY company", -1,
                       &customers, nullptr);
    sqlite3_prepare_v2(store.db,
                       "SELECT quote, descript, street, city, state, zip, effective, expiration"
                       " FROM header WHERE customer = ?",
                       -1, &quotes, nullptr);
    for (auto _ : state) {
        size_t listed = 0;
        size_t text = 0;
        sqlite3_reset(customers);
        while (sqlite3_step(customers) == SQLITE_ROW) {
            sqlite3_reset(quotes);
            sqlite3_bind_int(quotes, 1, sqlite3_column_int(customers, 1));
            while (sqlite3_step(quotes) == SQLITE_ROW) {
                std::string line = reinterpret_cast<const char *>(sqlite3_column_text(quotes, 1));
                for (int column = 2; column <= 7; ++column) {
                    line += " ";
                    line += reinterpret_cast<const char *>(sqlite3_column_text(quotes, column));
                }
                text += line.size();
                ++listed;
            }
        }
        if (listed != 30000) {
            state.SkipWithError("not every quote was listed");
        }
        benchmark::DoNotOptimize(text);
    }
    sqlite3_finalize(customers);
    sqlite3_finalize(quotes);
}
BENCHMARK(BM_SQLiteListCustomersAndQuotes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
