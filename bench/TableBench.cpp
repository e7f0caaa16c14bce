// The dBASE engine against SQLite on the same 100,000 rows with three indexes: warm exact and
// partial seeks, a seek-next scan over equal keys, appends with every tag kept, an update that
// moves a key, pack and reindex, and the memory an open table takes.
//
// Rows: CODE C(10) unique codes in shuffled order, NAME C(30) with 1,000 names (100 rows each),
// AMT N(12,2), WHEN D. Tags: CODE; NAMEDATE = UPPER(NAME)+DTOS(WHEN); AMT (numeric).

#include "dbase/Table.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;

struct Row
{
    std::string code;
    std::string name;
    double amount;
    std::string when;
};

const std::vector<Row> &Rows()
{
    static const std::vector<Row> rows = [] {
        std::mt19937 random(11);
        std::vector<int> codes(kRows);
        for (int i = 0; i < kRows; ++i) {
            codes[static_cast<size_t>(i)] = i;
        }
        std::shuffle(codes.begin(), codes.end(), random);
        std::vector<Row> made;
        for (int i = 0; i < kRows; ++i) {
            char code[16];
            std::snprintf(code, sizeof code, "C%07d", codes[static_cast<size_t>(i)]);
            char when[16];
            std::snprintf(when, sizeof when, "20%02d%02d%02d", static_cast<int>(random() % 20 + 5),
                          static_cast<int>(random() % 12 + 1), static_cast<int>(random() % 28 + 1));
            made.push_back(
                {code, "Name " + std::to_string(random() % 1000),
                 static_cast<double>(static_cast<int>(random() % 2000000) - 1000000) / 100, when});
        }
        return made;
    }();
    return rows;
}

std::string Folder()
{
    static const std::string folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "veredivo-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return pattern + "/";
    }();
    return folder;
}

const std::vector<dbase::FieldSpec> kFields {
    {"CODE", 'C', 10, 0}, {"NAME", 'C', 30, 0}, {"AMT", 'N', 12, 2}, {"WHEN", 'D', 0, 0}};
const std::vector<dbase::TagSpec> kTags {
    {"CODE", "CODE"}, {"NAMEDATE", "UPPER(NAME)+DTOS(WHEN)"}, {"AMT", "AMT"}};

void AppendRows(dbase::Table &table, int count)
{
    const auto &code = table.FieldByName("CODE");
    const auto &name = table.FieldByName("NAME");
    const auto &amount = table.FieldByName("AMT");
    const auto &when = table.FieldByName("WHEN");
    for (int i = 0; i < count; ++i) {
        const Row &row = Rows()[static_cast<size_t>(i % kRows)];
        table.AppendBlank();
        table.SetText(code, row.code);
        table.SetText(name, row.name);
        table.SetNumber(amount, row.amount);
        table.SetText(when, row.when);
    }
    table.Flush();
}

// The table of all rows, built once.
const std::string &BaseTable()
{
    static const std::string path = [] {
        const std::string p = Folder() + "BASE.DBF";
        dbase::Context context;
        context.SetAccess(dbase::AccessMode::Exclusive);
        auto table = dbase::Table::Create(context, p, kFields, {});
        AppendRows(*table, kRows);
        table->CreateIndex(kTags);
        return p;
    }();
    return path;
}

// A private copy of the base table.
std::string CopyOfBase(const std::string &name)
{
    BaseTable();
    for (const char *extension : {".DBF", ".MDX"}) {
        std::filesystem::copy_file(Folder() + "BASE" + extension, Folder() + name + extension,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return Folder() + name + ".DBF";
}

sqlite3 *Database(const std::string &name, bool filled)
{
    const std::string path = Folder() + name + ".sqlite";
    std::filesystem::remove(path);
    sqlite3 *db = nullptr;
    sqlite3_open(path.c_str(), &db);
    // No syncs, like the engine between flushes.
    sqlite3_exec(db, "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;", nullptr, nullptr,
                 nullptr);
    sqlite3_exec(db,
                 "CREATE TABLE t(code TEXT, name TEXT, amt REAL, whn TEXT);"
                 "CREATE INDEX t_code ON t(code);"
                 "CREATE INDEX t_namedate ON t(upper(name), whn);"
                 "CREATE INDEX t_amt ON t(amt);",
                 nullptr, nullptr, nullptr);
    if (filled) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?,?,?,?)", -1, &insert, nullptr);
        for (const Row &row : Rows()) {
            sqlite3_bind_text(insert, 1, row.code.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, row.name.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_double(insert, 3, row.amount);
            sqlite3_bind_text(insert, 4, row.when.c_str(), -1, SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    return db;
}

sqlite3 *FilledDatabase()
{
    static sqlite3 *db = Database("filled", true);
    return db;
}

std::string UpperName(const std::string &name)
{
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

// --- warm seeks --------------------------------------------------------------------------------

// Arg 0: shared; 1: exclusive; 2: shared while the caller holds a lock that keeps other writers
// out (a journal's, as the customer store's reads and saves do), so the table is steady.
const char *ModeLabel(int64_t mode)
{
    return mode == 0 ? "shared" : mode == 1 ? "exclusive" : "shared, steady";
}

void DbaseExactSeek(benchmark::State &state)
{
    dbase::Context context;
    context.SetAccess(state.range(0) == 1 ? dbase::AccessMode::Exclusive
                                          : dbase::AccessMode::Shared);
    auto table = dbase::Table::Open(context, BaseTable());
    if (state.range(0) == 2) {
        table->BeginSteady(false, false);
    }
    table->SelectTag(&table->TagByName("CODE"));
    const auto &name = table->FieldByName("NAME");
    size_t i = 0;
    for (auto _ : state) {
        const Row &row = Rows()[(i++ * 7919) % kRows];
        if (table->Seek(row.code, true) != dbase::SeekResult::Found) {
            state.SkipWithError("not found");
        }
        benchmark::DoNotOptimize(table->Raw(name));
    }
    state.SetLabel(ModeLabel(state.range(0)));
}
BENCHMARK(DbaseExactSeek)->Arg(0)->Arg(1)->Arg(2);

void SqliteExactLookup(benchmark::State &state)
{
    sqlite3 *db = FilledDatabase();
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM t WHERE code = ?", -1, &select, nullptr);
    size_t i = 0;
    for (auto _ : state) {
        const Row &row = Rows()[(i++ * 7919) % kRows];
        sqlite3_bind_text(select, 1, row.code.c_str(), -1, SQLITE_STATIC);
        if (sqlite3_step(select) != SQLITE_ROW) {
            state.SkipWithError("not found");
        }
        benchmark::DoNotOptimize(sqlite3_column_text(select, 0));
        sqlite3_reset(select);
    }
    sqlite3_finalize(select);
}
BENCHMARK(SqliteExactLookup);

void DbasePartialSeek(benchmark::State &state)
{
    dbase::Context context;
    auto table = dbase::Table::Open(context, BaseTable());
    if (state.range(0) == 2) {
        table->BeginSteady(false, false);
    }
    table->SelectTag(&table->TagByName("NAMEDATE"));
    size_t i = 0;
    for (auto _ : state) {
        const std::string prefix = UpperName(Rows()[(i++ * 7919) % kRows].name);
        if (table->Seek(prefix) != dbase::SeekResult::Found) {
            state.SkipWithError("not found");
        }
    }
    state.SetLabel(ModeLabel(state.range(0)));
}
BENCHMARK(DbasePartialSeek)->Arg(0)->Arg(2);

void SqlitePrefixLookup(benchmark::State &state)
{
    sqlite3 *db = FilledDatabase();
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT code FROM t WHERE upper(name) = ? ORDER BY upper(name), whn LIMIT 1",
                       -1, &select, nullptr);
    size_t i = 0;
    for (auto _ : state) {
        const std::string prefix = UpperName(Rows()[(i++ * 7919) % kRows].name);
        sqlite3_bind_text(select, 1, prefix.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(select) != SQLITE_ROW) {
            state.SkipWithError("not found");
        }
        sqlite3_reset(select);
    }
    sqlite3_finalize(select);
}
BENCHMARK(SqlitePrefixLookup);

// All 100 rows of one name, in tag order.
void DbaseSeekNextScan(benchmark::State &state)
{
    dbase::Context context;
    auto table = dbase::Table::Open(context, BaseTable());
    table->SelectTag(&table->TagByName("NAMEDATE"));
    size_t i = 0;
    int64_t rows = 0;
    for (auto _ : state) {
        const std::string prefix = UpperName(Rows()[(i++ * 7919) % kRows].name) + " ";
        for (auto r = table->Seek(prefix); r == dbase::SeekResult::Found;
             r = table->SeekNext(prefix)) {
            ++rows;
        }
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(DbaseSeekNextScan);

void SqliteScanEqual(benchmark::State &state)
{
    sqlite3 *db = FilledDatabase();
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "SELECT code FROM t WHERE upper(name) = ? ORDER BY whn", -1, &select,
                       nullptr);
    size_t i = 0;
    int64_t rows = 0;
    for (auto _ : state) {
        const std::string name = UpperName(Rows()[(i++ * 7919) % kRows].name);
        sqlite3_bind_text(select, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(select) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(select, 0));
            ++rows;
        }
        sqlite3_reset(select);
    }
    state.SetItemsProcessed(rows);
    sqlite3_finalize(select);
}
BENCHMARK(SqliteScanEqual);

// --- writes ------------------------------------------------------------------------------------

void DbaseAppend100k(benchmark::State &state)
{
    for (auto _ : state) {
        dbase::Context context;
        context.SetAccess(state.range(0) == 0 ? dbase::AccessMode::Shared
                                              : dbase::AccessMode::Exclusive);
        auto table = dbase::Table::Create(context, Folder() + "APPEND.DBF", kFields, kTags);
        AppendRows(*table, kRows);
        table->Close();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.SetLabel(state.range(0) == 0 ? "shared" : "exclusive");
}
BENCHMARK(DbaseAppend100k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void SqliteInsert100k(benchmark::State &state)
{
    for (auto _ : state) {
        sqlite3 *db = Database("insert", false);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?,?,?,?)", -1, &insert, nullptr);
        for (const Row &row : Rows()) {
            sqlite3_bind_text(insert, 1, row.code.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, row.name.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_double(insert, 3, row.amount);
            sqlite3_bind_text(insert, 4, row.when.c_str(), -1, SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(SqliteInsert100k)->Unit(benchmark::kMillisecond)->Iterations(3);

// A new code for a record: its entry moves within tag CODE.
void DbaseUpdateMovingKey(benchmark::State &state)
{
    dbase::Context context;
    context.SetAccess(state.range(0) == 1 ? dbase::AccessMode::Exclusive
                                          : dbase::AccessMode::Shared);
    auto table = dbase::Table::Open(context, CopyOfBase("UPDATE"));
    if (state.range(0) == 2) {
        table->BeginSteady(true, false);
    }
    const auto &code = table->FieldByName("CODE");
    uint32_t n = 0;
    for (auto _ : state) {
        table->Go(n * 7919 % kRows + 1);
        char value[16];
        std::snprintf(value, sizeof value, "X%u", n++);
        table->SetText(code, value);
        table->Go(1); // writes the record and moves its key
    }
    table->Flush();
    state.SetLabel(ModeLabel(state.range(0)));
}
BENCHMARK(DbaseUpdateMovingKey)->Arg(0)->Arg(1)->Arg(2);

void SqliteUpdateKey(benchmark::State &state)
{
    sqlite3 *db = FilledDatabase();
    sqlite3_stmt *update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE t SET code = ? WHERE rowid = ?", -1, &update, nullptr);
    int n = 0;
    for (auto _ : state) {
        char value[16];
        std::snprintf(value, sizeof value, "X%d", n);
        sqlite3_bind_text(update, 1, value, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(update, 2, n * 7919 % kRows + 1);
        sqlite3_step(update);
        sqlite3_reset(update);
        ++n;
    }
    sqlite3_finalize(update);
}
BENCHMARK(SqliteUpdateKey);

// Pack with 1% of the records marked deleted, which rebuilds the three tags.
void DbasePackAndReindex100k(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        dbase::Context context;
        context.SetAccess(dbase::AccessMode::Exclusive);
        auto table = dbase::Table::Open(context, CopyOfBase("PACK"));
        for (uint32_t r = 1; r <= kRows; r += 100) {
            table->Go(r);
            table->Delete();
        }
        table->Flush();
        state.ResumeTiming();
        table->Pack();
        table->Close();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(DbasePackAndReindex100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void DbaseReindex100k(benchmark::State &state)
{
    dbase::Context context;
    context.SetAccess(dbase::AccessMode::Exclusive);
    auto table = dbase::Table::Open(context, CopyOfBase("REINDEX"));
    for (auto _ : state) {
        table->Reindex();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(DbaseReindex100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void SqliteVacuumAndReindex100k(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3 *db = Database("vacuum", true);
        sqlite3_exec(db, "DELETE FROM t WHERE rowid % 100 = 1", nullptr, nullptr, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "VACUUM; REINDEX;", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(SqliteVacuumAndReindex100k)->Unit(benchmark::kMillisecond)->Iterations(3);

// --- memory ------------------------------------------------------------------------------------

// Heap taken by an open table after 1,000 seeks, for 1,000 and for 100,000 records.
void DbaseOpenMemory(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(0));
    const std::string path = Folder() + "MEM" + std::to_string(rows) + ".DBF";
    {
        dbase::Context context;
        context.SetAccess(dbase::AccessMode::Exclusive);
        auto table = dbase::Table::Create(context, path, kFields, {});
        AppendRows(*table, rows);
        table->CreateIndex(kTags);
    }
    size_t bytes = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        dbase::Context context;
        auto table = dbase::Table::Open(context, path);
        table->SelectTag(&table->TagByName("CODE"));
        for (int i = 0; i < 1000; ++i) {
            table->Seek(Rows()[static_cast<size_t>(i * 7919 % rows)].code, true);
        }
        bytes = mallinfo2().uordblks - before;
        benchmark::DoNotOptimize(table);
    }
    state.counters["heap_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(DbaseOpenMemory)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
