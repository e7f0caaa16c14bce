// The quote worksheet drawn on a recording canvas (10-point characters 6.67 dots wide, lines of
// 15 + 8 dots at 96 dpi) for the fixture plans.

#include "QuoteHarness.h"
#include "core/Dates.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

namespace {

// An 800-wide page: C1 24, C2 240, C3 440, C5 544, C6 608, C7 672.
void MAQuote(QuoteHarness &h)
{
    h.Application().AgencyAddress = {"Harbor Insurance Agency",
                                     "",
                                     "12 Water St",
                                     "Salem",
                                     "MA",
                                     "01970",
                                     "(978)555-0100",
                                     "(978)555-0101",
                                     "",
                                     ""};
    h.Quote().Customer().SetCompany("  ASHBY BAKERY ");
    h.Add("5645", 250000);
    h.Add("5437", 120000, 3);
    h.Add("8810", 0);
    h.Pick("lstPartTwo", "500/500/500");
    h.Enter("txtExpMod", "0.92");
    h.Enter("txtARAP", "1.05");
    ASSERT_TRUE(h.Rate());
}

// The first text call of that text below `belowY`.
const TCanvasCall &Drawn(const TRecordingCanvas &canvas, const std::string &text,
                         int32_t belowY = -1)
{
    for (const TCanvasCall *call : canvas.Texts()) {
        if (call->Text == text && call->Y > belowY) {
            return *call;
        }
    }
    throw std::runtime_error("not drawn: " + text);
}

// The text drawn on the same row to the right of `label`.
std::vector<const TCanvasCall *> RowOf(const TRecordingCanvas &canvas, const TCanvasCall &label)
{
    std::vector<const TCanvasCall *> row;
    for (const TCanvasCall *call : canvas.Texts()) {
        if (call->Page == label.Page && call->Y == label.Y && call->X > label.X) {
            row.push_back(call);
        }
    }
    return row;
}

} // namespace

TEST(Worksheet, APdfPageCarriesEveryFactorClassAndSummaryLineInItsColumns)
{
    QuoteHarness h("MA");
    MAQuote(h);
    TRecordingCanvas canvas;
    h.Quote().PrintWorksheet(canvas, 800, 1);

    const TCanvasCall &title = Drawn(canvas, "Workers Compensation Quotation");
    EXPECT_EQ(title.Font.Size, 14);
    EXPECT_EQ(title.Font.Style, fsBold);
    EXPECT_EQ(title.Font.Name, "Times New Roman");
    EXPECT_EQ(title.X, (800 - (title.X2 - title.X)) / 2);
    EXPECT_EQ(Drawn(canvas, "Commonwealth of Massachusetts").Font.Size, 12);
    EXPECT_EQ(Drawn(canvas, "Harbor Insurance Agency").Font.Style, fsBold | fsItalic);
    EXPECT_EQ(Drawn(canvas, "Salem, MA  01970").Font.Style, fsBold | fsItalic);
    EXPECT_EQ(Drawn(canvas, "Phone: (978)555-0100  Fax: (978)555-0101").Font.Style, 0);

    const TCanvasCall &name = Drawn(canvas, "Policyholder's Name:");
    EXPECT_EQ(name.X, 24);
    EXPECT_EQ(name.Font.Style, fsBold);
    const auto nameRow = RowOf(canvas, name);
    ASSERT_EQ(nameRow.size(), 2u);
    EXPECT_EQ(nameRow[0]->Text, "ASHBY BAKERY");
    EXPECT_EQ(nameRow[0]->X, 240);
    EXPECT_EQ(nameRow[1]->Text, "Effective: 07/01/2026  Quoted: " + DateToStr(Today()));
    EXPECT_EQ(nameRow[1]->X, 544);

    for (const TFactorLine &factor : h.Quote().StateFactorLines()) {
        const TCanvasCall &label = Drawn(canvas, factor.Label);
        EXPECT_EQ(label.Font.Style, fsBold);
        const auto row = RowOf(canvas, label);
        ASSERT_EQ(row.size(), 1u) << factor.Label;
        EXPECT_EQ(row[0]->Text, factor.Value);
        EXPECT_EQ(row[0]->X, 240);
        EXPECT_EQ(row[0]->Font.Style, 0);
    }

    // Class lines: payroll, rate, employees and premium in their columns, each column's figures
    // right-aligned on one edge with the widest starting at the column; no payroll is "If Any".
    const int32_t columns[4] = {440, 544, 608, 672};
    std::set<int32_t> rightEdges[4];
    int32_t leftmost[4] = {800, 800, 800, 800};
    for (const TVereDivoClass *line : h.Quote().Classes()) {
        const TCanvasCall *description = canvas.FindText(line->Code + " - ");
        ASSERT_NE(description, nullptr) << line->Code;
        EXPECT_LT(description->X2, 440 - 13); // cut short of the payroll column
        const auto row = RowOf(canvas, *description);
        ASSERT_EQ(row.size(), 4u);
        EXPECT_EQ(row[0]->Text,
                  line->GetPayroll() == 0 ? "$ If Any" : MoneyText(line->GetPayroll()));
        EXPECT_EQ(row[1]->Text, FixedText(line->Rate, 2));
        EXPECT_EQ(row[2]->Text, "   " + IntText(line->Employees));
        EXPECT_EQ(row[3]->Text, MoneyText(line->GetPremium()));
        for (size_t i = 0; i < 4; ++i) {
            rightEdges[i].insert(row[i]->X2);
            leftmost[i] = std::min(leftmost[i], row[i]->X);
        }
    }
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rightEdges[i].size(), 1u) << "column " << i;
        EXPECT_EQ(leftmost[i], columns[i]) << "column " << i;
    }
    // The premiums differ in width ("$0" for no payroll), so the edge is a real alignment.
    EXPECT_EQ(RowOf(canvas, *canvas.FindText("8810 - ")).at(3)->Text, "$0");
    EXPECT_GT(RowOf(canvas, *canvas.FindText("8810 - ")).at(3)->X,
              RowOf(canvas, *canvas.FindText("5645 - ")).at(3)->X);
    EXPECT_EQ(RowOf(canvas, *canvas.FindText("8810 - ")).at(0)->Text, "$ If Any");

    // Summary amounts: "$" at C3, the digits right-aligned on one edge.
    const auto summary = h.Quote().PremiumSummaryLines();
    ASSERT_GE(summary.size(), 8u);
    const int32_t section = Drawn(canvas, "Estimated Premiums and Adjustments:").Y;
    for (const TSummaryLine &line : summary) {
        const auto row = RowOf(canvas, Drawn(canvas, line.Label, section));
        ASSERT_EQ(row.size(), 2u) << line.Label;
        EXPECT_EQ(row[0]->Text, "$");
        EXPECT_EQ(row[0]->X, 440);
        EXPECT_EQ("$" + row[1]->Text, MoneyText(line.Amount));
        // n = 5 digits + 3: the field is 8 nines wide.
        EXPECT_EQ(row[1]->X2, 440 + 53) << line.Label;
    }

    const TCanvasCall &total =
        Drawn(canvas, "Your Total Estimated Cost is: " + MoneyText(h.Quote().Results.TotalPremium));
    EXPECT_EQ(total.Font.Size, 14);
    EXPECT_EQ(total.Font.Style, fsBold);
    const TCanvasCall &terms = Drawn(canvas, h.Quote().PaymentTermsText());
    EXPECT_NE(terms.Text.find("% Deposit ("), std::string::npos);
    EXPECT_EQ(terms.Font.Size, 10);
    EXPECT_EQ(terms.Font.Style, 0);
    EXPECT_GT(terms.Y, total.Y);

    // One page, rows from top to bottom (the right edge is checked with real fonts).
    EXPECT_EQ(canvas.PageCount(), 1);
    int32_t lastY = -1;
    for (const TCanvasCall *call : canvas.Texts()) {
        EXPECT_GE(call->Y, lastY) << call->Text;
        lastY = call->Y;
    }
    EXPECT_LT(lastY, 1400);
    EXPECT_EQ(canvas.FindText("About This Quotation"), nullptr);
}

TEST(Worksheet, MoneyWidthDepositLineAndLongDescriptions)
{
    QuoteHarness h("MA");
    MAQuote(h);
    TVereDivoQuote &quote = h.Quote();
    // The field of the amounts is as wide as the larger of the two, as a plain number, plus 3.
    quote.Results.TotalPremium = 1234;
    quote.Results.StandardPremium = 1500;
    // A deposit row of 25 % with a 5.00 fee on a total of 1,001.
    auto schedule = std::make_unique<TDownPaySchedule>();
    schedule->Add(std::make_unique<TDownPayInfo>(TDownPayInfo {1, 13, 0, 2000, 25, 0, 5, 12}));
    quote.DownPaySchedule = std::move(schedule);
    TRecordingCanvas canvas;
    quote.PrintWorksheet(canvas, 800, 1);

    const auto row = RowOf(canvas, Drawn(canvas, "Total Manual Premium:"));
    EXPECT_EQ(row.at(1)->X2, 440 + 47); // 7 nines of 6.67 dots
    EXPECT_NE(canvas.FindText("25.00% Deposit ($309) required plus $5.00 installment fee - "
                              "Monthly Installments"),
              nullptr)
        << canvas.AllText();

    quote.Results.TotalPremium = 1001;
    TRecordingCanvas again;
    quote.PrintWorksheet(again, 800, 1);
    EXPECT_NE(again.FindText("25.00% Deposit ($251) required plus $5.00 installment fee"), nullptr);

    // No row for the total: the line stands out.
    quote.Results.TotalPremium = 5000;
    TRecordingCanvas outside;
    quote.PrintWorksheet(outside, 800, 1);
    const TCanvasCall &down = Drawn(outside, quote.PaymentTermsText());
    EXPECT_EQ(down.Font.Size, 14);
    EXPECT_EQ(down.Font.Style, fsBold);

    // A long insured's name stops two blanks short of the dates.
    quote.Customer().SetCompany("MERRIMACK VALLEY BUILDING AND TRADES COOPERATIVE OF ANDOVER");
    TRecordingCanvas named;
    quote.PrintWorksheet(named, 800, 1);
    const auto nameRow = RowOf(named, Drawn(named, "Policyholder's Name:"));
    ASSERT_EQ(nameRow.size(), 2u);
    EXPECT_EQ(nameRow[0]->Text.rfind("MERRIMACK VALLEY BUILDING", 0), 0u);
    EXPECT_LT(nameRow[0]->Text.size(), 59u);
    EXPECT_LT(nameRow[0]->X2, 544 - 13);
    EXPECT_GE(nameRow[0]->X2 + 7, 544 - 13);

    // On a narrow page the description is cut short of the payroll column.
    TRecordingCanvas narrow(400, 1400);
    quote.PrintWorksheet(narrow, 400, 1);
    const TCanvasCall *cut = narrow.FindText("5645 - ");
    ASSERT_NE(cut, nullptr);
    EXPECT_LT(cut->X2, 220 - 13); // two blanks short of the payroll column
    EXPECT_GE(cut->X2 + 7, 220 - 13);
}

TEST(Worksheet, OnPaperPagesBreakAndTheClosingTextFollows)
{
    QuoteHarness h("MA");
    MAQuote(h);
    ForceDirectories(FixtureProgramFolder() + "docs");
    std::ofstream(FixtureProgramFolder() + "docs/MAWaiver.txt")
        << "\\BOLD About This Quotation\r\nThe premium is an estimate.\r\n";
    // A short printer page (1 inch = 96 dots): the half inch at the bottom stays empty.
    TRecordingCanvas canvas(800, 700);
    h.Quote().PrintWorksheet(canvas, 800, 0);

    EXPECT_GE(canvas.PageCount(), 2);
    for (const TCanvasCall *call : canvas.Texts()) {
        EXPECT_LE(call->Y, 700 - 48 - 15) << call->Text;
    }
    const TCanvasCall &closing = Drawn(canvas, " About This Quotation");
    EXPECT_EQ(closing.Font.Style, fsBold);
    EXPECT_EQ(closing.X, 1);
    EXPECT_EQ(Drawn(canvas, "The premium is an estimate.").Font.Style, fsItalic);
    EXPECT_TRUE(h.Prompter().Texts().empty());

    // NJ's closing text is missing: the worksheet is complete and the user is told.
    QuoteHarness nj("NJ");
    nj.Add("8810", 40000);
    ASSERT_TRUE(nj.Rate());
    TRecordingCanvas njCanvas;
    nj.Quote().PrintWorksheet(njCanvas, 800, 0);
    EXPECT_NE(njCanvas.FindText("Your Total Estimated Cost is: "), nullptr);
    EXPECT_EQ(nj.Prompter().Texts(),
              std::vector<std::string> {"The document " + FixtureProgramFolder() +
                                        "docs/NJWaiver.txt does not exist"});
}
