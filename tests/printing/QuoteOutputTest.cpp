// The worksheet through Qt on the delivered tables: PDF files and printer jobs read back with
// poppler, and the page measured with the real fonts.

#include "printing/QuoteOutput.h"
#include "../rating/QuoteHarness.h"
#include "core/Text.h"
#include "printing/PdfDocument.h"
#include "printing/QtCanvas.h"
#include "support/Commands.h"
#include "support/ScratchFolder.h"

#include <QImage>
#include <QPrinter>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::unique_ptr<QuoteHarness> Delivered(const std::string &state, int32_t broker = 1)
{
    auto h =
        std::make_unique<QuoteHarness>(state, broker, EncodeDate(2026, 7, 1), BuiltProgramFolder());
    h->Application().AgencyAddress = {"Harbor Insurance Agency",
                                      "",
                                      "12 Water St",
                                      "Salem",
                                      "MA",
                                      "01970",
                                      "(978)555-0100",
                                      "(978)555-0101",
                                      "",
                                      ""};
    h->Quote().Customer().SetCompany("ASHBY BAKERY");
    return h;
}

std::unique_ptr<QuoteHarness> MAQuote(int32_t broker = 1)
{
    auto h = Delivered("MA", broker);
    h->Add("5183", 90000, 4);
    h->Add("8810", 30000, 2);
    h->Add("8742", 0);
    h->Pick("lstMerit", "-5");
    h->Pick("lstMedical", "1000");
    h->Enter("txtARAP", "1.10");
    EXPECT_TRUE(h->Rate());
    return h;
}

std::unique_ptr<QuoteHarness> NJQuote()
{
    auto h = Delivered("NJ");
    h->Add("5645", 150000, 5);
    h->Add("8810", 40000, 2);
    h->Add("8742", 0);
    h->Enter("txtExpMod", "1.08");
    h->Enter("txtConstCredit", "12");
    h->Enter("txtNJERN", "123-456-789");
    EXPECT_TRUE(h->Rate());
    return h;
}

// The text line of the PDF that holds `label`.
std::string LineWith(const std::string &text, const std::string &label)
{
    const size_t at = text.find(label);
    if (at == std::string::npos) {
        return {};
    }
    const size_t start = text.rfind('\n', at) + 1;
    return text.substr(start, text.find('\n', at) - start);
}

// Every factor, class and summary line of the quote is in the PDF's text with its values.
void ExpectEveryLine(const std::string &text, TVereDivoQuote &quote)
{
    for (const TFactorLine &factor : quote.StateFactorLines()) {
        const std::string line = LineWith(text, factor.Label);
        EXPECT_NE(line.find(factor.Value), std::string::npos) << factor.Label << "\n" << text;
    }
    for (const TVereDivoClass *line : quote.Classes()) {
        const std::string row = LineWith(text, line->Code + " - ");
        const std::string payroll =
            line->GetPayroll() == 0 ? "$ If Any" : MoneyText(line->GetPayroll());
        EXPECT_NE(row.find(payroll), std::string::npos) << row;
        EXPECT_NE(row.find(FixedText(line->Rate, 2)), std::string::npos) << row;
        EXPECT_NE(row.rfind(MoneyText(line->GetPremium())), std::string::npos) << row;
    }
    const size_t section = text.find("Estimated Premiums and Adjustments:");
    ASSERT_NE(section, std::string::npos);
    for (const TSummaryLine &summary : quote.PremiumSummaryLines()) {
        const std::string row = LineWith(text.substr(section), summary.Label);
        EXPECT_NE(row.find(GroupedText(summary.Amount)), std::string::npos)
            << summary.Label << ": " << row;
    }
    EXPECT_NE(text.find("Your Total Estimated Cost is: " + MoneyText(quote.Results.TotalPremium)),
              std::string::npos);
}

// Measures every text the worksheet draws with the real fonts.
class MeasuringCanvas : public QtCanvas
{
public:
    using QtCanvas::QtCanvas;
    void TextOut(int32_t x, int32_t y, const std::string &text) override
    {
        Right = std::max(Right, x + TextWidth(text));
        Bottom = std::max(Bottom, y + TextHeight(text));
        QtCanvas::TextOut(x, y, text);
    }
    int32_t Right = 0;
    int32_t Bottom = 0;
};

} // namespace

TEST(QuoteOutput, MassachusettsAndNewJerseyWorksheetPdfsCarryEveryLineOnOnePage)
{
    ScratchFolder folder;
    for (auto &h : {MAQuote(), NJQuote()}) {
        TVereDivoQuote &quote = h->Quote();
        const std::string path = folder.File(quote.StateCode + ".pdf");
        WriteWorksheetPdf(quote, path);
        const std::string info = PdfInfo(path);
        EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
        EXPECT_NE(info.find("Title:           Estimated Workers Compensation Quotation"),
                  std::string::npos);
        EXPECT_NE(info.find("Author:          Harbor Insurance Agency"), std::string::npos);
        EXPECT_NE(info.find("Page size:       600 x 1050 pts"), std::string::npos);
        const std::string text = PdfText(path);
        ExpectEveryLine(text, quote);
        EXPECT_NE(LineWith(text, "8742 - ").find("$ If Any"), std::string::npos) << quote.StateCode;
        EXPECT_NE(LineWith(text, "Policyholder's Name:").find("ASHBY BAKERY"), std::string::npos);
        // Never the closing text in a PDF.
        EXPECT_EQ(text.find("About This Quotation"), std::string::npos);
        EXPECT_EQ(text.find('\f'), text.size() - 1);
    }
}

TEST(QuoteOutput, ThePdfPageHoldsTheWorksheetWithinItsEdges)
{
    const auto h = MAQuote(5); // the plan with payment terms on its worksheet
    QImage page(800, 1400, QImage::Format_RGB32);
    page.setDotsPerMeterX(3780);
    page.setDotsPerMeterY(3780);
    page.fill(Qt::white);
    MeasuringCanvas canvas(page);
    ASSERT_TRUE(canvas.Begin());
    h->Quote().PrintWorksheet(canvas, 800, 1);
    canvas.End();
    EXPECT_LE(canvas.Right, 800 - 10);
    EXPECT_LT(canvas.Bottom, 1400);
    EXPECT_GT(canvas.Bottom, 700);
}

TEST(QuoteOutput, APrintedWorksheetEndsWithTheClosingTextAndBreaksLongPages)
{
    ScratchFolder folder;
    const auto h = MAQuote();
    int added = 0;
    for (const auto &line : h->Quote().ClassBook()) {
        if (!h->Quote().HasClass(*line) && added < 55) {
            line->SetPayroll(10000 + 1000 * added++);
            h->Quote().AppendClass(*line);
        }
    }
    ASSERT_TRUE(h->Rate());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(folder.File("printed.pdf")));
    printer.setPageSize(QPageSize(QPageSize::Letter));
    PrintWorksheetOn(printer, h->Quote());

    const std::string text = PdfText(folder.File("printed.pdf"));
    ExpectEveryLine(text, h->Quote());
    const size_t pageBreak = text.find('\f');
    ASSERT_LT(pageBreak, text.size() - 1) << "one page only";
    EXPECT_GT(text.find("About This Quotation"), text.find("Your Total Estimated Cost is:"));
    EXPECT_TRUE(h->Prompter().Texts().empty());
}

TEST(QuoteOutput, DocumentsPrintAsJobsOfTheirOwnAndFailuresSaySo)
{
    ScratchFolder folder;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(folder.File("notes.pdf")));
    ASSERT_TRUE(PrintDocumentOn(printer, "Massachusetts Premium Notes",
                                BuiltProgramFolder() + "docs/MANotes.txt"));
    const std::string text = PdfText(folder.File("notes.pdf"));
    EXPECT_EQ(text.find("Massachusetts Premium Notes"), text.find_first_not_of(" \n"));
    EXPECT_GT(text.size(), 200u);

    // The worksheet and its documents: every job in a file of its own.
    const auto quote = MAQuote();
    const std::vector<TDocument> documents {
        {"Workers Compensation Rating Terms", BuiltProgramFolder() + "docs/RatingTerms.txt", 1, 0},
        {"Massachusetts Premium Notes", BuiltProgramFolder() + "docs/MANotes.txt", 2, 0}};
    printer.setOutputFileName(QString::fromStdString(folder.File("quote.pdf")));
    PrintWorksheetWithDocuments(printer, quote->Quote(), documents);
    EXPECT_EQ(printer.outputFileName().toStdString(), folder.File("quote.pdf"));
    EXPECT_NE(PdfText(folder.File("quote.pdf")).find("Your Total Estimated Cost is:"),
              std::string::npos);
    EXPECT_NE(PdfText(folder.File("quote (2).pdf")).find("Workers Compensation Rating Terms"),
              std::string::npos);
    EXPECT_NE(PdfText(folder.File("quote (3).pdf")).find("Massachusetts Premium Notes"),
              std::string::npos);

    ScriptedPrompter prompter;
    printer.setOutputFileName(QString::fromStdString(folder.File("none.pdf")));
    EXPECT_FALSE(PrintDocumentOn(printer, "Missing", folder.File("docs/none.txt")));
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string> {"The document " + folder.File("docs/none.txt") +
                                        " does not exist"});
    EXPECT_FALSE(std::filesystem::exists(folder.File("none.pdf")));

    folder.WriteFile("plain", "a file, not a folder");
    printer.setOutputFileName(QString::fromStdString(folder.File("plain/job.pdf")));
    try {
        PrintWorksheetOn(printer, quote->Quote());
        ADD_FAILURE() << "the job started";
    } catch (const EPrinterError &error) {
        EXPECT_EQ(std::string(error.what()),
                  "The printer " + folder.File("plain/job.pdf") + " could not start printing.");
    }

    const std::string unwritable = folder.File("plain/quote.pdf");
    EXPECT_THROW(WriteWorksheetPdf(quote->Quote(), unwritable), EPdfError);
    EXPECT_EQ(DefaultWorksheetPdfPath(quote->Quote()), BuiltProgramFolder() + "wcquote.pdf");
}
