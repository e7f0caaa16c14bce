// The quote window's speed, on the offscreen platform and a copy of the built program's tables
// in the temporary folder: a keystroke in a factor list to the repainted total on a 50-class
// quote, a new quote window from the state choice, and "Load Quotation" filled with 10,000
// customers. References in the same run: the premium calculation alone on the same quote (what
// the keystroke costs without widgets), and SQLite listing the same 10,000 companies, sorted,
// into the same tree.

#include "BenchProgram.h"

#include "app/WcForm.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "storage/records/CustInfo.h"
#include "ui/DetailWindow.h"
#include "ui/InputWidgets.h"
#include "ui/LoadQuotation.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTreeWidget>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

// The program with its main window shown and a Massachusetts quote of 50 classes open.
struct OpenProgram
{
    ScratchProgram program;
    std::unique_ptr<TWC_MDI> window;

    OpenProgram()
    {
        TIniFile(program.File("program/Data/About.ini"))
            .WriteString("Detail", "Active_State", "MA");
        window = std::make_unique<TWC_MDI>();
        window->show();
        while (window->ActiveQuote() == nullptr) {
            QApplication::processEvents();
        }
    }

    TfrmVereDivoDetail &Detail() const
    {
        return *dynamic_cast<TfrmVereDivoDetail *>(window->ActiveQuote());
    }
};

OpenProgram &Program()
{
    static SilentPrompter silent;
    static const bool installed = [] {
        SetPrompter(&silent);
        return true;
    }();
    (void)installed;
    static OpenProgram open;
    return open;
}

TfrmVereDivoDetail &FiftyClassQuote()
{
    TfrmVereDivoDetail &detail = Program().Detail();
    TVereDivoQuote &quote = *detail.Quote();
    if (quote.Classes().size() < 50) {
        quote.LoadClassBook();
        int32_t payroll = 20000;
        for (const auto &line : quote.ClassBook()) {
            if (quote.Classes().size() == 50) {
                break;
            }
            line->SetPayroll(payroll += 1500);
            line->SetEmployees(3);
            quote.AppendClass(*line);
        }
        detail.RecalculateAndShow();
        detail.FillClassList();
    }
    return detail;
}

void BM_FactorKeystrokeToRepaintedTotal(benchmark::State &state)
{
    TfrmVereDivoDetail &detail = FiftyClassQuote();
    auto *limits = qobject_cast<QComboBox *>(detail.InputWidgets()->WidgetNamed("lstPartTwo"));
    limits->setCurrentIndex(0);
    QString last = detail.txtTotalPremium->text();
    bool down = true;
    for (auto _ : state) {
        // Between the standard limits and the next: every key changes the premium.
        QTest::keyClick(limits, down ? Qt::Key_Down : Qt::Key_Up);
        detail.txtTotalPremium->repaint();
        down = !down;
        if (detail.txtTotalPremium->text() == last) {
            state.SkipWithError("the total did not change");
            break;
        }
        last = detail.txtTotalPremium->text();
    }
    state.counters["classes"] = static_cast<double>(detail.Quote()->Classes().size());
}
BENCHMARK(BM_FactorKeystrokeToRepaintedTotal)->Unit(benchmark::kMicrosecond);

void BM_ReferenceCalculationAlone(benchmark::State &state)
{
    TVereDivoQuote &quote = *FiftyClassQuote().Quote();
    for (auto _ : state) {
        benchmark::DoNotOptimize(quote.CalculatePremium());
    }
}
BENCHMARK(BM_ReferenceCalculationAlone)->Unit(benchmark::kMicrosecond);

void BM_NewQuoteWindowFromTheStateChoice(benchmark::State &state)
{
    TWC_MDI &window = *Program().window;
    for (auto _ : state) {
        QuoteWindow *opened = window.NewQuote();
        if (opened == nullptr) {
            state.SkipWithError("no quote window");
            break;
        }
        state.PauseTiming();
        window.MdiArea()->activeSubWindow()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NewQuoteWindowFromTheStateChoice)->Unit(benchmark::kMillisecond);

constexpr int32_t kCustomers = 10000;

std::string CompanyOf(int32_t customer)
{
    return "Company " + IntText((customer * 7919) % 10007);
}

TVereDivoCustDBO &StoreOf10000()
{
    static TVereDivoCustDBO &store = []() -> TVereDivoCustDBO & {
        TVereDivoCustDBO &made = Program().program.Info().QuoteDB().CustDBO();
        TVereDivoCustDBO::TBatch batch(made);
        for (int32_t customer = 1; customer <= kCustomers; ++customer) {
            TCustInfo info;
            info.SetCustomerNumber(customer);
            info.SetCompany(CompanyOf(customer));
            info.SetFirstName("Ann");
            made.SaveCustomer(info);
        }
        batch.Commit();
        return made;
    }();
    return store;
}

void BM_LoadQuotationWith10000Customers(benchmark::State &state)
{
    TVereDivoCustDBO &store = StoreOf10000();
    for (auto _ : state) {
        TfrmLoadQuotation window(store, TfrmLoadQuotation::TMode::OpenQuote);
        if (window.tvCustomers->topLevelItemCount() != kCustomers) {
            state.SkipWithError("not every customer listed");
            break;
        }
    }
}
BENCHMARK(BM_LoadQuotationWith10000Customers)->Unit(benchmark::kMillisecond);

void BM_ReferenceSQLiteCompaniesIntoTheTree(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    const std::string file = Program().program.File("customers.sqlite");
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE IF NOT EXISTS customer (number INTEGER PRIMARY KEY, company TEXT);"
                 "CREATE INDEX IF NOT EXISTS by_company ON customer (company COLLATE NOCASE);"
                 "DELETE FROM customer;",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO customer VALUES (?, ?)", -1, &insert, nullptr);
    for (int32_t customer = 1; customer <= kCustomers; ++customer) {
        const std::string company = CompanyOf(customer);
        sqlite3_bind_int(insert, 1, customer);
        sqlite3_bind_text(insert, 2, company.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "SELECT number, company FROM customer ORDER BY company COLLATE NOCASE",
                       -1, &select, nullptr);
    for (auto _ : state) {
        QTreeWidget tree;
        QList<QTreeWidgetItem *> rows;
        while (sqlite3_step(select) == SQLITE_ROW) {
            auto *row = new QTreeWidgetItem(QStringList(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(select, 1)))));
            row->setData(0, Qt::UserRole, sqlite3_column_int(select, 0));
            row->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            rows.push_back(row);
        }
        sqlite3_reset(select);
        tree.addTopLevelItems(rows);
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
}
BENCHMARK(BM_ReferenceSQLiteCompaniesIntoTheTree)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Program().window.reset();
    return 0;
}
