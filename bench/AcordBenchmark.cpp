// Opening the ACORD window on a rated 12-class MA quote of broker 5 (the delivered tables and
// forms of the built program folder): the window made, its form loaded, every field the quote
// maps filled, the window shown and its first page painted at the window's zoom; the same
// without the filling; and the application written as a PDF as `veredivo-rate --application`
// writes it. The reference, measured in the same run: Qt's own rich-text engine laying out the
// filled fields' names and values as an HTML table and painting them onto a picture of the
// viewer's size.

#include "../tools/veredivo-rate/ToolApplication.h"

#include "core/Dates.h"
#include "core/Encoding.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "db/VereDivoDatabase.h"
#include "forms/AcordWindow.h"
#include "forms/ApplicationForm.h"
#include "forms/ApplicationPdf.h"
#include "rating/ControlInterface.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

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

// The rating command's application with an agency, so the form names one.
class BenchApplication final : public TQuoteApplication
{
public:
    BenchApplication() : m_tool(VEREDIVO_PROGRAM_DIR, false) { }
    std::string ProgramFolder() const override { return m_tool.ProgramFolder(); }
    std::string DataFolder() const override { return m_tool.DataFolder(); }
    TVereDivoDatabase &Database() override { return m_tool.Database(); }
    void Log(const std::string &) override { }
    bool SaveQuote(TVereDivoQuote &) override { return false; }
    int32_t StoredPlan(int32_t, int32_t def) override { return def; }
    void LoadCustomer(TVereDivoQuote &) override { }
    TAgencyAddress Agency() const override
    {
        return {
            "Harbor Insurance Agency", "Attn: Dana Royce", "12 Water St", "Salem", "MA", "01970",
            "(978)555-0100",           "(978)555-0101",    "P-0042"};
    }

private:
    TToolApplication m_tool;
};

struct RatedQuote
{
    std::unique_ptr<TVereDivoQuote> quote;
    TControlInterface inputs;

    explicit RatedQuote(BenchApplication &application)
    {
        TCustLOBInfo header;
        header.SetState("MA");
        quote = CreateStateQuote(5, application, header, EncodeDate(2026, 7, 1));
        if (!quote || !quote->LoadClassBook()) {
            throw std::runtime_error("no broker 5 MA quote");
        }
        inputs.Build(application.Database().Inputs(), application.Database().InputData(), false,
                     quote->RatePeriod(), 1, quote->StateId);
        quote->Bind(inputs);
        const char *const codes[] = {"2003", "2585", "3085", "3179", "3632", "4299",
                                     "5183", "5190", "5221", "5403", "5437", "5645"};
        int32_t payroll = 40000;
        for (const char *code : codes) {
            TVereDivoClass *line = quote->FindClass(code, "");
            if (line == nullptr) {
                throw std::runtime_error(std::string("no class ") + code);
            }
            line->SetPayroll(payroll += 15000);
            line->SetEmployees(payroll / 30000);
            quote->AppendClass(*line);
        }
        TQorRatingClient &customer = quote->Customer();
        customer.SetCompany("ASHBY BAKERY");
        customer.SetStreet("4 Mill Rd");
        customer.SetCity("Lowell");
        customer.SetState("MA");
        customer.SetZip("01852");
        if (!quote->CalculatePremium() || quote->Classes().size() != 12) {
            throw std::runtime_error("the quote did not rate");
        }
    }
};

BenchApplication &Application()
{
    static SilentPrompter prompter;
    static const bool installed = (SetPrompter(&prompter), true);
    (void)installed;
    static BenchApplication application;
    return application;
}

RatedQuote &Quote()
{
    static RatedQuote rated(Application());
    return rated;
}

// The window as the quote's "Print &ACORD Form" opens it (without waiting for the user).
void OpenWindow(TVereDivoQuote &quote, bool fill)
{
    TfrmAcord window(quote.ApplicationTitle(1));
    window.SetReadOnlysReceiveFocus(false);
    window.SetReadOnlysGetFormBackground(true);
    window.OpenForm(quote.Application().AcordFolder(), quote.ApplicationFormName(1));
    window.SetZoom(120);
    window.resize(1100, 900);
    if (fill) {
        TApplicationFormScope scope(quote, window);
        std::vector<std::string> unused;
        quote.FillApplication(1, unused, CurrentYear());
    }
    window.show();
    window.Viewer1->viewport()->repaint();
    benchmark::DoNotOptimize(window.Viewer1->PageCount());
}

void BM_OpenFilledAcordWindow(benchmark::State &state)
{
    TVereDivoQuote &quote = *Quote().quote;
    for (auto _ : state) {
        OpenWindow(quote, true);
    }
    state.counters["classes"] = static_cast<double>(quote.Classes().size());
}
BENCHMARK(BM_OpenFilledAcordWindow)->Unit(benchmark::kMillisecond);

void BM_OpenEmptyAcordWindow(benchmark::State &state)
{
    TVereDivoQuote &quote = *Quote().quote;
    for (auto _ : state) {
        OpenWindow(quote, false);
    }
}
BENCHMARK(BM_OpenEmptyAcordWindow)->Unit(benchmark::kMillisecond);

void BM_WriteApplicationPdf(benchmark::State &state)
{
    TVereDivoQuote &quote = *Quote().quote;
    const std::string path = TempFolder() + "veredivo-acord-bench.pdf";
    for (auto _ : state) {
        WriteApplicationPdf(quote, 1, path);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_WriteApplicationPdf)->Unit(benchmark::kMillisecond);

// The reference: the filled fields' names and values as a rich-text table, laid out and
// painted by Qt onto a picture of the viewer's size.
void BM_QtRichTextOfTheFilledFields(benchmark::State &state)
{
    TVereDivoQuote &quote = *Quote().quote;
    const std::unique_ptr<TQorFormViewer> viewer = OpenFilledApplication(quote, 1, CurrentYear());
    QString html = QStringLiteral("<table>");
    int fields = 0;
    for (const TFormField *field : viewer->Document().AllFields()) {
        html +=
            QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                .arg(QString::fromStdString(Windows1252ToUtf8(field->FieldName)).toHtmlEscaped(),
                     QString::fromStdString(Windows1252ToUtf8(field->Value)).toHtmlEscaped());
        ++fields;
    }
    html += QStringLiteral("</table>");
    QImage page(1100, 900, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QTextDocument document;
        document.setHtml(html);
        document.setTextWidth(page.width());
        page.fill(Qt::white);
        QPainter painter(&page);
        document.drawContents(&painter, QRectF(0, 0, page.width(), page.height()));
        painter.end();
        benchmark::DoNotOptimize(document.pageCount());
    }
    state.counters["fields"] = fields;
}
BENCHMARK(BM_QtRichTextOfTheFilledFields)->Unit(benchmark::kMillisecond);

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
