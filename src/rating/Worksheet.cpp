// The quote worksheet: agency header, insured and dates, the rating factors, the class lines,
// the premium build-up, the total, the payment terms and, on paper, the plan's closing text.

#include "core/Canvas.h"
#include "core/Dates.h"
#include "core/DocumentPrinting.h"
#include "core/Paths.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "rating/VereDivoQuote.h"

#include <algorithm>
#include <vector>

namespace {

const std::string kFont = "Times New Roman";

// One row of the class section: a class line, or an entry of a multi-entry line (whose split
// label continues on a row of its own).
struct TClassRow
{
    std::string Label;
    bool Cut = false; // cut short of the payroll column
    std::string Payroll;
    std::string Rate;
    std::string Employees;
    std::string Premium;
    std::string Tail; // the continuation of a split entry label
};

class TWorksheetPrinter
{
public:
    TWorksheetPrinter(TVereDivoQuote &quote, Canvas &canvas, int32_t width, int32_t mode)
        : m_quote(quote), m_canvas(canvas), m_width(width), m_mode(mode)
    {
        const double fractions[7] = {0.03, 0.30, 0.55, 0.60, 0.68, 0.76, 0.84};
        for (size_t i = 0; i < 7; ++i) {
            m_column[i] = RoundAmount(width * fractions[i]);
        }
        const int32_t larger = std::max(quote.Results.TotalPremium, quote.Results.StandardPremium);
        m_moneyWidth = static_cast<int32_t>(IntText(larger).size()) + 3;
    }

    void Print();

private:
    int32_t C(int i) const { return m_column[i - 1]; }

    void Font(double size, uint8_t style) { m_canvas.SetFont(kFont, size, style); }
    void Style(uint8_t style) { m_canvas.SetFontStyle(style); }
    void At(int32_t x, const std::string &text) { m_canvas.TextOut(x, m_y, text); }
    void Centred(const std::string &text)
    {
        m_canvas.TextOut((m_width - m_canvas.TextWidth(text)) / 2, m_y, text);
    }
    void Advance(int32_t lines);
    // The longest beginning of `text` that ends two blanks short of `room`, so a text never
    // touches the column after it.
    std::string CutShortOf(std::string text, int32_t room) const;
    // A label in bold at C1; the font is regular afterwards.
    void Label(const std::string &label);
    // "$" at C3 and the digits right-aligned in a field as wide as n nines.
    void MoneyColumn(int32_t amount);
    void Heading(const std::string &text);

    void PrintHeader();
    void PrintStateFactors();
    void PrintClasses();
    // The rows of a class line: the line itself, then each entry of a multi-entry line.
    std::vector<TClassRow> ClassRows(const TVereDivoClass &line) const;
    // `widths`: the widest payroll, rate, employees and premium text of all rows.
    void PrintClassRow(const TClassRow &row, const int32_t (&widths)[4]);
    void PrintPremiumSummary();
    void PrintTotalAndTerms();
    void PrintClosingText();

    TVereDivoQuote &m_quote;
    Canvas &m_canvas;
    int32_t m_width;
    int32_t m_mode;
    int32_t m_y = 0;
    int32_t m_moneyWidth = 0;
    int32_t m_column[7] = {};
};

void TWorksheetPrinter::Advance(int32_t lines)
{
    const int32_t line = m_canvas.TextHeight("M") + 8;
    m_y += lines * line;
    if (m_mode == 0 && m_y > m_canvas.PageHeight() - m_canvas.DpiY() / 2 - line) {
        m_canvas.NewPage();
        m_y = line;
    }
}

std::string TWorksheetPrinter::CutShortOf(std::string text, int32_t room) const
{
    room -= m_canvas.TextWidth("  ");
    while (!text.empty() && m_canvas.TextWidth(text) >= room) {
        text.pop_back();
    }
    return text;
}

void TWorksheetPrinter::Label(const std::string &label)
{
    Style(fsBold);
    At(C(1), label);
    Style(0);
}

void TWorksheetPrinter::MoneyColumn(int32_t amount)
{
    const std::string money = MoneyText(amount);
    const std::string digits = money.substr(1);
    At(C(3), "$");
    const int32_t right =
        C(3) + m_canvas.TextWidth(std::string(static_cast<size_t>(m_moneyWidth), '9'));
    At(right - m_canvas.TextWidth(digits), digits);
}

void TWorksheetPrinter::Heading(const std::string &text)
{
    Style(fsItalic);
    At(C(1), text);
    Style(0);
    Advance(2);
}

void TWorksheetPrinter::PrintHeader()
{
    const TOutputInfo *titles = m_quote.OutputInfo.get();
    Font(14, 0);
    Advance(1);
    Style(fsBold);
    Centred(titles ? titles->Row1Field1 : std::string());
    m_canvas.SetFontSize(12);
    Advance(1);
    Centred(titles ? titles->Row1Field2 : std::string());
    Advance(1);

    const TAgencyAddress agency = m_quote.Application().Agency();
    Font(10, fsBold | fsItalic);
    Centred(agency.Name);
    if (!Trim(agency.Attention).empty()) {
        Advance(1);
        Centred(agency.Attention);
    }
    Advance(1);
    Centred(agency.Street);
    Advance(1);
    Centred(agency.City + ", " + agency.State + "  " + agency.Zip);
    Advance(1);
    Style(0);
    Centred("Phone: " + agency.Phone + "  Fax: " + agency.Fax);

    Advance(3);
    Label("Policyholder's Name:");
    At(C(2), CutShortOf(Trim(m_quote.Customer().Company()), C(5) - C(2)));
    At(C(5), "Effective: " + DateToStr(m_quote.EffectiveDate) + "  Quoted: " + DateToStr(Today()));
}

void TWorksheetPrinter::PrintStateFactors()
{
    Advance(2);
    Heading("Factors and Rating Criteria:");
    for (const TFactorLine &line : m_quote.StateFactorLines()) {
        Label(line.Label);
        At(C(2), line.Value);
        Advance(1);
    }
}

std::vector<TClassRow> TWorksheetPrinter::ClassRows(const TVereDivoClass &line) const
{
    std::vector<TClassRow> rows;
    const int32_t payroll = line.GetPayroll();
    const auto *multi = dynamic_cast<const TMultiEntryVereDivoClass *>(&line);
    rows.push_back({line.Code + " - " + line.DisplayName(), true,
                    payroll == 0 ? "$ If Any" : MoneyText(payroll), FixedText(line.Rate, 2),
                    "   " + IntText(line.Employees),
                    MoneyText(multi ? multi->BasePremium : line.GetPremium()), std::string()});
    if (multi == nullptr) {
        return rows;
    }
    for (int32_t entryNo = 1; entryNo <= multi->EntryCount; ++entryNo) {
        const TVereDivoPayrollItem *entry = multi->GetEntry(entryNo);
        if (entry == nullptr || entry->Payroll <= 0) {
            continue;
        }
        const bool split = multi->HasEntrySplit(entryNo);
        rows.push_back(
            {"  " + (split ? multi->GetEntryLabelHead(entryNo) : multi->GetEntryLabel(entryNo)),
             false, MoneyText(entry->Payroll),
             FixedText(EntryFactor(m_quote.MiscFactors, entryNo), 4), "  ---",
             MoneyText(entry->Premium),
             split ? "       " + multi->GetEntryLabelTail(entryNo) : std::string()});
    }
    return rows;
}

void TWorksheetPrinter::PrintClassRow(const TClassRow &row, const int32_t (&widths)[4])
{
    At(C(1), row.Cut ? CutShortOf(row.Label, C(3) - C(1)) : row.Label);
    const std::string *figures[4] = {&row.Payroll, &row.Rate, &row.Employees, &row.Premium};
    const int32_t columns[4] = {C(3), C(5), C(6), C(7)};
    for (size_t i = 0; i < 4; ++i) {
        At(columns[i] + widths[i] - m_canvas.TextWidth(*figures[i]), *figures[i]);
    }
    Advance(1);
    if (!row.Tail.empty()) {
        At(C(1), row.Tail);
        Advance(1);
    }
}

void TWorksheetPrinter::PrintClasses()
{
    Advance(1);
    Heading("Classifications and Related Information:");
    Style(fsBold);
    At(C(1), "Class Code and Description:");
    At(C(3), "Payroll:");
    At(C(5), "Rate:");
    At(C(6), "Empl:");
    At(C(7), "Premium:");
    Style(0);
    Advance(1);
    std::vector<TClassRow> rows;
    for (const TVereDivoClass *line : m_quote.Classes()) {
        for (TClassRow &row : ClassRows(*line)) {
            rows.push_back(std::move(row));
        }
    }
    // Each figure column is right-aligned on the edge of its widest figure, which starts at the
    // column, so amounts of different lengths line up by their last digit.
    int32_t widths[4] = {};
    for (const TClassRow &row : rows) {
        const std::string *figures[4] = {&row.Payroll, &row.Rate, &row.Employees, &row.Premium};
        for (size_t i = 0; i < 4; ++i) {
            widths[i] = std::max(widths[i], m_canvas.TextWidth(*figures[i]));
        }
    }
    for (const TClassRow &row : rows) {
        PrintClassRow(row, widths);
    }
}

void TWorksheetPrinter::PrintPremiumSummary()
{
    Advance(1);
    Heading("Estimated Premiums and Adjustments:");
    for (const TSummaryLine &line : m_quote.PremiumSummaryLines()) {
        Label(line.Label);
        MoneyColumn(line.Amount);
        Advance(1);
    }
}

void TWorksheetPrinter::PrintTotalAndTerms()
{
    Advance(2);
    Font(14, fsBold);
    Centred("Your Total Estimated Cost is: " + MoneyText(m_quote.Results.TotalPremium));
    if (!m_quote.PlanProfile->WKSHT_DOWN) {
        return;
    }
    Advance(1);
    const bool noRow = m_quote.DownPaySchedule == nullptr ||
        m_quote.DownPaySchedule->Find(m_quote.Results.TotalPremium) == nullptr;
    Font(noRow ? 14 : 10, noRow ? fsBold : 0);
    Centred(m_quote.PaymentTermsText());
}

void TWorksheetPrinter::PrintClosingText()
{
    Font(10, fsItalic);
    Advance(3);
    const std::string name = Trim(m_quote.PlanProfile->Waiver_nam);
    // A plan without a closing text has nothing to print (and nothing to report missing).
    if (name.empty()) {
        return;
    }
    const std::string path =
        m_quote.Application().ProgramFolder() + "docs/" + NativePath(name) + ".txt";
    PrintDocumentFile(m_canvas, path, 1, m_y);
}

void TWorksheetPrinter::Print()
{
    const TSavedCanvasFont saved(m_canvas);
    PrintHeader();
    PrintStateFactors();
    PrintClasses();
    PrintPremiumSummary();
    PrintTotalAndTerms();
    if (m_mode == 0) {
        PrintClosingText();
    }
}

} // namespace

void TVereDivoQuote::PrintWorksheet(Canvas &canvas, int32_t width, int32_t mode)
{
    TWorksheetPrinter(*this, canvas, width, mode).Print();
}
