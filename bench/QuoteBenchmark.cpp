// The premium calculation after a keystroke and the making of a new quote, on the delivered
// tables of the built program folder. The reference is SQLite doing the class book's work:
// reading one plan's class rows by an indexed key.

#include "../tools/veredivo-rate/ToolApplication.h"

#include "core/Prompter.h"
#include "core/Text.h"
#include "db/VereDivoDatabase.h"
#include "rating/ControlInterface.h"
#include "rating/VereDivoQuote.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

// Messages would only slow the loop; the quotes here raise none.
class SilentPrompter final : public Prompter
{
public:
    void ShowMessage(Kind, const std::string &, const std::string &) override { }
    Answer Ask(const std::string &, Buttons, Answer def, const std::string &) override
    {
        return def;
    }
};

TToolApplication &Application()
{
    static SilentPrompter prompter;
    static const bool installed = (SetPrompter(&prompter), true);
    (void)installed;
    static TToolApplication application(VEREDIVO_PROGRAM_DIR, false);
    return application;
}

struct BoundQuote
{
    std::unique_ptr<TVereDivoQuote> quote;
    TControlInterface inputs;

    BoundQuote(const std::string &state, int32_t broker)
    {
        TToolApplication &app = Application();
        TCustLOBInfo info;
        info.SetState(state);
        quote = CreateStateQuote(broker, app, info, EncodeDate(2026, 7, 1));
        if (!quote || !quote->LoadClassBook()) {
            throw std::runtime_error("no quote for " + state);
        }
        inputs.Build(app.Database().Inputs(), app.Database().InputData(), false,
                     quote->RatePeriod(), 1, quote->StateId);
        quote->Bind(inputs);
    }

    void Set(const std::string &name, const std::string &text)
    {
        if (TRatingControl *control = inputs.FindControl(name)) {
            control->SetText(text);
            control->NotifyExit();
        }
    }

    // The first 50 classes of the book with payrolls of 2,000 upwards, a total the plans'
    // maximum premiums allow.
    void AddFiftyLines()
    {
        int32_t payroll = 2000;
        for (const auto &line : quote->ClassBook()) {
            if (quote->Classes().size() == 50) {
                break;
            }
            line->SetPayroll(payroll);
            line->SetEmployees(3);
            quote->AppendClass(*line);
            payroll += 499;
        }
        if (quote->Classes().size() != 50) {
            throw std::runtime_error("fewer than 50 classes in the class book");
        }
        quote->RefreshDependentInputs();
    }
};

// A deviated Massachusetts plan (two passes) with every factor the state offers.
void BM_CalculatePremium_MA_50Lines(benchmark::State &state)
{
    BoundQuote q("MA", 5);
    q.AddFiftyLines();
    q.Set("lstPartTwo", "500/500/500");
    q.Set("txtExpMod", "0.95");
    q.Set("txtARAP", "1.05");
    q.Set("txtConstCredit", "5");
    q.Set("lstBenefits", "500");
    q.Set("lstMedical", "1000");
    q.Set("txtLossMgmt", "5");
    q.Set("lstPremiumDiscount", "Type B");
    q.Set("txtFees", "25");
    for (auto _ : state) {
        benchmark::DoNotOptimize(q.quote->CalculatePremium());
    }
    state.counters["total"] = q.quote->Results.TotalPremium;
    if (q.quote->Results.TotalPremium == 0) {
        state.SkipWithError("the quote did not rate");
    }
}
BENCHMARK(BM_CalculatePremium_MA_50Lines);

// New Jersey with managed care, construction credit, PPAP and both terrorism boxes.
void BM_CalculatePremium_NJ_50Lines(benchmark::State &state)
{
    BoundQuote q("NJ", 5);
    q.AddFiftyLines();
    q.Set("lstPartTwo", "1000/1000/1000");
    q.Set("txtExpMod", "1.08");
    q.Set("txtConstCredit", "12");
    q.Set("txtManagedCare", "0.95");
    q.Set("txtPPAPFactor", "1.10");
    q.Set("txtTerrorism", "0.04");
    q.Set("txtTerrorismDom", "0.02");
    q.Set("lstPremiumDiscount", "Non-Stock");
    for (auto _ : state) {
        benchmark::DoNotOptimize(q.quote->CalculatePremium());
    }
    state.counters["total"] = q.quote->Results.TotalPremium;
    if (q.quote->Results.TotalPremium == 0) {
        state.SkipWithError("the quote did not rate");
    }
}
BENCHMARK(BM_CalculatePremium_NJ_50Lines);

// What "New Quote" does before the window shows: rate book, profile, keys, factors, output
// and misc factors, down payment schedule, class book and the bound inputs.
void BM_NewQuote(benchmark::State &state)
{
    const std::string stateCode = state.range(0) == 13 ? "MA" : "NJ";
    for (auto _ : state) {
        BoundQuote q(stateCode, 1);
        benchmark::DoNotOptimize(q.quote->ClassBook().size());
    }
}
BENCHMARK(BM_NewQuote)->Arg(13)->Arg(15)->Unit(benchmark::kMillisecond);

// Reference: SQLite reading one plan's 73 class rows by an indexed key, rows like WCCLASS's.
void BM_Sqlite_ClassRowsOfAPlan(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db,
                 "CREATE TABLE wcclass (broker INT, state INT, file INT, code TEXT, phrase TEXT, "
                 "rate REAL, minimum INT);"
                 "CREATE INDEX plan_file ON wcclass (broker, state, file);",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO wcclass VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &insert,
                       nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int broker : {1, 5, 6}) {
        for (int st : {13, 15}) {
            for (int file : {1, 2}) {
                for (int i = 0; i < 73; ++i) {
                    const std::string code = IntText(1000 + i * 97);
                    const std::string phrase = "CLASSIFICATION PHRASE OF CODE " + code;
                    sqlite3_bind_int(insert, 1, broker);
                    sqlite3_bind_int(insert, 2, st);
                    sqlite3_bind_int(insert, 3, file);
                    sqlite3_bind_text(insert, 4, code.c_str(), -1, SQLITE_TRANSIENT);
                    sqlite3_bind_text(insert, 5, phrase.c_str(), -1, SQLITE_TRANSIENT);
                    sqlite3_bind_double(insert, 6, 0.5 + i * 0.1);
                    sqlite3_bind_int(insert, 7, 200 + i);
                    sqlite3_step(insert);
                    sqlite3_reset(insert);
                }
            }
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(insert);

    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT code, phrase, rate, minimum FROM wcclass WHERE broker = 1 AND "
                       "state = 13 AND file = 2",
                       -1, &select, nullptr);
    for (auto _ : state) {
        int rows = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            std::string phrase(reinterpret_cast<const char *>(sqlite3_column_text(select, 1)));
            benchmark::DoNotOptimize(phrase);
            benchmark::DoNotOptimize(sqlite3_column_double(select, 2));
            ++rows;
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
}
BENCHMARK(BM_Sqlite_ClassRowsOfAPlan);

} // namespace

BENCHMARK_MAIN();
