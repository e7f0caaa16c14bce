// The workers compensation application (four pages, as built into the program folder): loading
// it from its three files into page objects, and repainting a page at 100% after a field edit
// in the viewer on the offscreen platform. References measured in the same run: SQLite reading
// as many rows as the form has items, and the viewer's bare copy of a page's cached drawing.

#include "forms/FormDocument.h"
#include "forms/FormItems.h"
#include "forms/FormViewer.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string kFormsFolder = VEREDIVO_PROGRAM_DIR "ACORD/";
const char *const kForm = "ACORD130";

size_t ItemCount()
{
    TFormDocument document;
    document.SetFormsPath(kFormsFolder);
    document.Load(kForm);
    size_t count = document.Rules.size();
    for (const auto &page : document.Pages) {
        count += page->Objects.size();
    }
    return count;
}

void BM_LoadForm(benchmark::State &state)
{
    size_t pages = 0;
    for (auto _ : state) {
        TFormDocument document;
        document.SetFormsPath(kFormsFolder);
        document.Load(kForm);
        pages = document.Pages.size();
        benchmark::DoNotOptimize(document.Pages.data());
    }
    if (pages != 4) {
        state.SkipWithError("the delivered application should have four pages");
    }
    state.counters["items"] = static_cast<double>(ItemCount());
}
BENCHMARK(BM_LoadForm)->Unit(benchmark::kMillisecond);

// The reference: the same number of rows of eight columns (two texts, six numbers) read from
// an SQLite table by a prepared statement into structures.
struct ItemRow
{
    std::string Name;
    std::string Text;
    int Numbers[6] {};
};

void BM_SqliteReadItemRows(benchmark::State &state)
{
    const size_t rows = ItemCount();
    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db,
                 "CREATE TABLE items(name TEXT, text TEXT, a INT, b INT, c INT, d INT, e INT, "
                 "f INT)",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO items VALUES(?,?,?,?,?,?,?,?)", -1, &insert, nullptr);
    for (size_t i = 0; i < rows; ++i) {
        const std::string name = "FIELD" + std::to_string(i);
        sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, "Name of the applicant (first named insured)", -1,
                          SQLITE_STATIC);
        for (int c = 0; c < 6; ++c) {
            sqlite3_bind_int(insert, 3 + c, static_cast<int>(i) * 7 + c);
        }
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);

    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM items", -1, &select, nullptr);
    for (auto _ : state) {
        std::vector<ItemRow> items;
        while (sqlite3_step(select) == SQLITE_ROW) {
            ItemRow row;
            row.Name = reinterpret_cast<const char *>(sqlite3_column_text(select, 0));
            row.Text = reinterpret_cast<const char *>(sqlite3_column_text(select, 1));
            for (int c = 0; c < 6; ++c) {
                row.Numbers[c] = sqlite3_column_int(select, 2 + c);
            }
            items.push_back(std::move(row));
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(items.data());
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_SqliteReadItemRows)->Unit(benchmark::kMillisecond);

// A viewer as large as a letter page at 100%, on the application's first page.
class ShownViewer
{
public:
    ShownViewer()
    {
        viewer.resize(860, 1100);
        viewer.SetFormsPath(kFormsFolder);
        viewer.SetFormName(kForm);
        viewer.SetMagnification(100);
        viewer.show();
        QApplication::processEvents();
        field = viewer.Document().Page(1)->Fields.empty()
            ? nullptr
            : viewer.Document().Page(1)->Fields.front();
        if (field == nullptr) {
            throw std::runtime_error("the first page has no field");
        }
        viewer.viewport()->repaint();
    }

    TQorFormViewer viewer;
    TFormField *field = nullptr;
};

// A field edit, then the whole page repainted at once: the cached artwork copied and every
// field drawn over it.
void BM_RepaintPageAfterEdit(benchmark::State &state)
{
    ShownViewer shown;
    int n = 0;
    for (auto _ : state) {
        shown.viewer.SetFieldValue(*shown.field, "Applicant " + std::to_string(++n % 1000));
        shown.viewer.viewport()->repaint();
    }
}
BENCHMARK(BM_RepaintPageAfterEdit)->Unit(benchmark::kMillisecond);

// The same with the cached drawing dropped, so the artwork of the page is drawn again: what
// the first paint after a page change or a zoom costs.
void BM_RepaintPageArtworkAfterEdit(benchmark::State &state)
{
    ShownViewer shown;
    int n = 0;
    for (auto _ : state) {
        shown.viewer.SetFieldValue(*shown.field, "Applicant " + std::to_string(++n % 1000));
        shown.viewer.InvalidateArtwork();
        shown.viewer.viewport()->repaint();
    }
}
BENCHMARK(BM_RepaintPageArtworkAfterEdit)->Unit(benchmark::kMillisecond);

// The reference: a page-sized picture copied onto the viewer's window, the least a repaint of
// the whole page does.
void BM_CopyPagePixmap(benchmark::State &state)
{
    ShownViewer shown;
    QPixmap page(shown.viewer.viewport()->size());
    page.fill(Qt::white);
    QPixmap target(shown.viewer.viewport()->size());
    for (auto _ : state) {
        QPainter painter(&target);
        painter.drawPixmap(0, 0, page);
        painter.end();
        benchmark::DoNotOptimize(target.cacheKey());
    }
}
BENCHMARK(BM_CopyPagePixmap)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
