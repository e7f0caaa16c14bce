// The quote worksheet as a PDF on the delivered tables, and 100 of them through the rating
// command in one process, beside the reference of Qt's own PDF writer drawing the same number
// of text runs straight onto a page (no quote, no canvas).

#include "../tools/veredivo-rate/ToolApplication.h"

#include "core/Canvas.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "db/VereDivoDatabase.h"
#include "printing/QuoteOutput.h"
#include "rating/ControlInterface.h"
#include "rating/VereDivoQuote.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

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

// A Massachusetts quote of 20 classes, rated.
struct TwentyClassQuote
{
    std::unique_ptr<TVereDivoQuote> quote;
    TControlInterface inputs;

    TwentyClassQuote()
    {
        TToolApplication &app = Application();
        TCustLOBInfo info;
        info.SetState("MA");
        quote = CreateStateQuote(1, app, info, EncodeDate(2026, 7, 1));
        if (!quote || !quote->LoadClassBook()) {
            throw std::runtime_error("no quote for MA");
        }
        inputs.Build(app.Database().Inputs(), app.Database().InputData(), false,
                     quote->RatePeriod(), 1, quote->StateId);
        quote->Bind(inputs);
        quote->Customer().SetCompany("ASHBY BAKERY");
        int32_t payroll = 20000;
        for (const auto &line : quote->ClassBook()) {
            if (quote->Classes().size() == 20) {
                break;
            }
            line->SetPayroll(payroll);
            line->SetEmployees(2);
            quote->AppendClass(*line);
            payroll += 3500;
        }
        quote->CalculatePremium();
    }
};

void BM_WorksheetPdf_20Classes(benchmark::State &state)
{
    TwentyClassQuote quote;
    const std::string path = TempFolder() + "veredivo-bench-worksheet.pdf";
    for (auto _ : state) {
        WriteWorksheetPdf(*quote.quote, path);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_WorksheetPdf_20Classes)->Unit(benchmark::kMillisecond);

// Qt alone: a page of 800 × 1400 at 96 dpi with 75 text runs in three fonts, kept in memory.
void BM_Reference_QtPdfPage(benchmark::State &state)
{
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(96);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(600, 1050), QPageSize::Point),
                                         QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        QFont font(QStringLiteral("Liberation Serif"));
        for (int row = 0; row < 75; ++row) {
            font.setPointSize(row % 3 == 0 ? 14 : 10);
            font.setBold(row % 2 == 0);
            painter.setFont(font);
            painter.drawText(QPointF(24, 20 + row * 18),
                             QStringLiteral("5183 - PLUMBING NOC, INCLUDING DRIVERS  $90,000"));
        }
        painter.end();
        benchmark::DoNotOptimize(buffer.data().size());
    }
}
BENCHMARK(BM_Reference_QtPdfPage)->Unit(benchmark::kMillisecond);

// 100 quote files of 3 to 12 classes in a scratch folder, and a folder for their worksheets.
struct TBatch
{
    std::string Folder = TempFolder() + "veredivo-bench-batch/";
    std::string Files;

    TBatch()
    {
        std::filesystem::remove_all(Folder);
        std::filesystem::create_directories(Folder + "out");
        const char *codes[] = {"0042", "2003", "2585", "2802", "3085", "3179",
                               "3400", "3632", "3724", "4299", "5183", "8810"};
        for (int i = 0; i < 100; ++i) {
            std::string classes;
            for (int c = 0; c < 3 + i % 10; ++c) {
                classes += std::string(classes.empty() ? "" : ", ") + "{ \"code\": \"" + codes[c] +
                    "\", \"payroll\": " + std::to_string(20000 + 1500 * i + 700 * c) + " }";
            }
            const std::string name = Folder + "q" + std::to_string(i) + ".json";
            std::ofstream(name) << "{ \"state\": \"MA\", \"effective\": \"07/01/2026\", "
                                   "\"classes\": [ "
                                << classes
                                << " ], \"customer\": { \"company\": \"Ashby Bakery\" }, "
                                   "\"agency\": { \"name\": \"Harbor Insurance Agency\" } }";
            Files += " " + name;
        }
    }
    ~TBatch() { std::filesystem::remove_all(Folder); }

    void Run(benchmark::State &state, const std::string &options) const
    {
        const std::string command = std::string(VEREDIVO_PROGRAM_DIR) + "veredivo-rate --json " +
            options + Files + " > /dev/null 2>&1";
        for (auto _ : state) {
            if (std::system(command.c_str()) != 0) {
                state.SkipWithError("veredivo-rate failed");
                return;
            }
        }
    }
};

// One process rates 100 quotes and writes their worksheets.
void BM_RateCommand_100WorksheetPdfs(benchmark::State &state)
{
    const TBatch batch;
    batch.Run(state, "--pdf " + batch.Folder + "out");
}
BENCHMARK(BM_RateCommand_100WorksheetPdfs)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
