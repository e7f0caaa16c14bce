// The application forms filled from rated quotes on the delivered tables and forms: every
// mapped field against the quote's own data item, the class-field layouts A to D, the prior
// years, the finance agreement worked by hand, and the form data files of a quote.

#include "ExampleQuote.h"

#include "core/States.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/VereDivoDatabase.h"
#include "forms/ApplicationForm.h"
#include "forms/FormData.h"
#include "forms/FormErrors.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::vector<std::string> TwelveMA = {"5645", "5437", "8810", "8742", "5403", "5022",
                                           "5183", "5190", "2003", "3085", "5040", "5057"};
const std::vector<std::string> TwelveNJ = {"5645", "5437", "8810", "8742", "5403", "5022",
                                           "5183", "5190", "2003", "3085", "5040", "0908"};

// A rated quote of broker 5 (the plans with the B layout, pool applications and a finance
// agreement) on the delivered tables, with `count` classes.
struct Rated
{
    QuoteHarness h;

    Rated(const std::string &state, size_t count)
        : h(state, 5, ExampleEffectiveDate(state), BuiltProgramFolder())
    {
        MakeExampleQuote(h, state);
        const auto &codes = state == "NJ" ? TwelveNJ : TwelveMA;
        for (size_t i = 0; i < count; ++i) {
            h.Add(codes[i], 40000 + 10000 * static_cast<int32_t>(i), 2 + static_cast<int32_t>(i));
        }
        if (!h.Rate()) {
            throw std::runtime_error("the quote did not rate");
        }
    }

    TVereDivoQuote &Quote() { return h.Quote(); }

    // The form of a kind loaded from the program folder, filled with the quote's new data.
    void Fill(int32_t kind, TFormDocument &document)
    {
        LoadApplication(Quote(), kind, document, BuiltProgramFolder() + "ACORD/");
        FillApplicationForm(Quote(), kind, document, 2026);
    }
};

std::string ValueOf(const TFormDocument &document, const std::string &name)
{
    const TFormField *field = document.FindField(name);
    if (field == nullptr) {
        ADD_FAILURE() << "the form has no field " << name;
        return {};
    }
    return field->Value;
}

// The names that the steps after the export mapping write (state fields, class fields, years):
// the quote lists them as "name,value" when no form is open.
std::set<std::string> NamesWrittenAfterMapping(TVereDivoQuote &quote, int32_t kind)
{
    std::vector<std::string> list;
    if (kind == 1) {
        quote.AddApplicationStateFields(list);
        quote.AddYearFields(list, 2026);
    } else {
        quote.AddPoolStateFields(list);
        quote.AddClassFields(list, kind, 2);
    }
    quote.AddClassFields(list, kind, 1);
    std::set<std::string> names;
    for (const std::string &line : list) {
        names.insert(UpperCase(line.substr(0, line.find(','))));
    }
    return names;
}

// Every record of the export table for the output kind and mapping id whose field the form has
// (and no later step writes) holds the quote's data item, with its read-only flag.
int CheckMappedFields(TVereDivoQuote &quote, const TFormDocument &document, int32_t outputKind,
                      int32_t mappingId, const std::set<std::string> &later)
{
    TFormDocumentTarget target(const_cast<TFormDocument &>(document));
    TApplicationFormScope scope(quote, target); // the dates as an open window gives them
    TCBTable &table = quote.Application().Database().Exports();
    int checked = 0;
    bool found = table.Seek(KeyNumber(outputKind, 3) + KeyNumber(mappingId, 3), "EXP_TYPE");
    for (; found && !table.Eof() && table.GetInteger("ExpType") == outputKind &&
         table.GetInteger("ExpID") == mappingId;
         table.Next()) {
        const std::string name = Trim(table.GetString("QORAcord"));
        const int32_t item = table.GetInteger("Data_ID");
        const TFormField *field = document.FindField(name);
        if (table.Deleted() || item == 0 || field == nullptr || later.count(UpperCase(name))) {
            continue;
        }
        SCOPED_TRACE("field " + name + ", data item " + IntText(item));
        std::string expected = quote.GetDataItem(item, 0);
        if (expected == "DO_NOT_ADD" || (item == 15 && quote.Results.Assessment == 0)) {
            expected.clear();
        }
        if (field->Kind == fkText) {
            EXPECT_EQ(field->Value, expected);
        } else {
            EXPECT_EQ(field->Value.empty(), expected.empty());
        }
        const bool readOnly = (item >= 25 && item <= 29) ||
            (!table.GetBoolean("Editable") && quote.PlanProfile->RdOnlyACRD);
        if (!expected.empty()) {
            EXPECT_EQ(field->ReadOnly, readOnly);
        }
        ++checked;
    }
    return checked;
}

struct Case
{
    std::string State;
    size_t Classes;
};

class MappedFields : public ::testing::TestWithParam<Case>
{ };

TEST_P(MappedFields, ApplicationPoolAndFinanceAgreementHoldTheirDataItems)
{
    Rated r(GetParam().State, GetParam().Classes);
    TVereDivoQuote &quote = r.Quote();

    TFormDocument application;
    r.Fill(1, application);
    EXPECT_GT(CheckMappedFields(quote, application, 1, quote.PlanProfile->Acord_Type,
                                NamesWrittenAfterMapping(quote, 1)),
              20);

    TFormDocument pool;
    r.Fill(2, pool);
    EXPECT_GT(CheckMappedFields(quote, pool, 4, StateNumber(quote.StateCode),
                                NamesWrittenAfterMapping(quote, 2)),
              10);

    auto agreement = quote.RateBook().GetFinanceAgreement(quote.PlanProfile->FinanceID);
    const TFinanceFigures figures = ComputeFinanceFigures(*agreement, quote.Results.TotalPremium);
    TFormDocument finance;
    finance.SetFormsPath(BuiltProgramFolder() + "ACORD/");
    finance.Load(agreement->App_Name);
    FillFinanceForm(quote, *agreement, figures, finance);
    EXPECT_GT(CheckMappedFields(quote, finance, 2, agreement->ExportID, {}), 5);
    EXPECT_EQ(ValueOf(finance, "TotalPremiums"), FixedText(quote.Results.TotalPremium, 2));
    EXPECT_EQ(ValueOf(finance, "Detail4"), FixedText(figures.TotalOfPayments, 2));
}

INSTANTIATE_TEST_SUITE_P(RatedQuotes, MappedFields,
                         ::testing::Values(Case {"MA", 3}, Case {"MA", 12}, Case {"NJ", 3},
                                           Case {"NJ", 12}),
                         [](const auto &info) {
                             return info.param.State + std::to_string(info.param.Classes);
                         });

// Every cell of a row, by layout: prefix, stride and the expected value of a column for a line.
std::string Cell(const std::string &prefix, int stride, int row, int column)
{
    return prefix + IntText((row - 1) * stride + column);
}

TEST(ClassFields, LayoutBFillsTheQuotesRowsAndClearsTheRest)
{
    Rated r("MA", 3);
    ASSERT_EQ(r.Quote().PlanProfile->Acord_Type, 3);
    TFormDocument form;
    LoadApplication(r.Quote(), 1, form, BuiltProgramFolder() + "ACORD/");
    for (int row = 1; row <= 10; ++row) {
        SetValue(*form.FindField(Cell("C", 9, row, 2)), "OLD");
    }
    FillApplicationForm(r.Quote(), 1, form, 2026);
    for (int row = 1; row <= 3; ++row) {
        const TVereDivoClass &line = *r.Quote().Classes()[static_cast<size_t>(row - 1)];
        SCOPED_TRACE("row " + IntText(row));
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 1)), "1");
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 2)), line.Code);
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 4)), line.Description);
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 5)), IntText(line.Employees));
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 7)), IntText(line.GetPayroll()));
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 8)), FixedText(line.Rate, 2));
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 9)), IntText(line.GetPremium()));
        // Plans other than broker 5's keep the class rows read-only.
        EXPECT_FALSE(form.FindField(Cell("C", 9, row, 2))->ReadOnly);
    }
    for (int row = 4; row <= 10; ++row) {
        SCOPED_TRACE("row " + IntText(row));
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 2)), "");
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 1)), "");
        EXPECT_EQ(ValueOf(form, Cell("C", 9, row, 9)), "");
    }
    // The prior years of the older application are two-digit years.
    EXPECT_EQ(ValueOf(form, "K2"), "26");
    EXPECT_EQ(ValueOf(form, "K34"), "22");
}

TEST(ClassFields, LayoutAWithTwelveClassesFillsEightRows)
{
    Rated r("NJ", 12);
    ASSERT_EQ(r.Quote().PlanProfile->Acord_Type, 1);
    TFormDocument form;
    r.Fill(1, form);
    for (int row = 1; row <= 8; ++row) {
        const TVereDivoClass &line = *r.Quote().Classes()[static_cast<size_t>(row - 1)];
        SCOPED_TRACE("row " + IntText(row));
        EXPECT_EQ(ValueOf(form, Cell("C", 10, row, 1)), "NJ");
        EXPECT_EQ(ValueOf(form, Cell("C", 10, row, 3)), line.Code);
        EXPECT_EQ(ValueOf(form, Cell("C", 10, row, 5)), line.Description);
        EXPECT_EQ(ValueOf(form, Cell("C", 10, row, 7)), "0");
        EXPECT_EQ(ValueOf(form, Cell("C", 10, row, 8)), IntText(line.GetPayroll()));
        EXPECT_EQ(ValueOf(form, Cell("C", 10, row, 10)), IntText(line.GetPremium()));
    }
    EXPECT_EQ(form.FindField("C81"), nullptr) << "layout A has eight rows";
    EXPECT_EQ(ValueOf(form, "K2"), "2026");
    EXPECT_EQ(ValueOf(form, "K10"), "2025");
    EXPECT_EQ(ValueOf(form, "K34"), "2022");
}

TEST(ClassFields, LayoutAWithThreeClassesClearsRowsFourToEight)
{
    Rated r("NJ", 3);
    TFormDocument form;
    LoadApplication(r.Quote(), 1, form, BuiltProgramFolder() + "ACORD/");
    for (int row = 1; row <= 8; ++row) {
        SetValue(*form.FindField(Cell("C", 10, row, 3)), "9999");
    }
    FillApplicationForm(r.Quote(), 1, form, 2026);
    EXPECT_EQ(ValueOf(form, Cell("C", 10, 3, 3)), r.Quote().Classes()[2]->Code);
    for (int row = 4; row <= 8; ++row) {
        EXPECT_EQ(ValueOf(form, Cell("C", 10, row, 3)), "") << "row " << row;
        EXPECT_EQ(ValueOf(form, Cell("C", 10, row, 1)), "") << "row " << row;
    }
}

TEST(ClassFields, MassachusettsPoolTakesFourRows)
{
    Rated r("MA", 12);
    TFormDocument form;
    r.Fill(2, form);
    for (int row = 1; row <= 4; ++row) {
        const TVereDivoClass &line = *r.Quote().Classes()[static_cast<size_t>(row - 1)];
        EXPECT_EQ(ValueOf(form, Cell("C", 6, row, 1)), line.Description);
        EXPECT_EQ(ValueOf(form, Cell("C", 6, row, 3)), line.Code);
        EXPECT_EQ(ValueOf(form, Cell("C", 6, row, 4)), FixedText(line.Rate, 2));
        EXPECT_EQ(ValueOf(form, Cell("C", 6, row, 5)), IntText(line.GetPayroll()));
    }
    EXPECT_EQ(form.FindField("C25"), nullptr) << "the MA pool application has four rows";
}

TEST(ClassFields, NewJerseyPoolLeavesTheExceptionClassRowsAlone)
{
    Rated r("NJ", 12);
    TVereDivoQuote &quote = r.Quote();
    ASSERT_NE(quote.ClericalClass, nullptr);
    TFormDocument form;
    LoadApplication(quote, 2, form, BuiltProgramFolder() + "ACORD/");
    for (int row = 1; row <= 7; ++row) {
        SetValue(*form.FindField(Cell("C", 6, row, 3)), "KEEP");
        SetValue(*form.FindField(Cell("CCurrent", 6, row, 3)), "KEEP");
    }
    FillApplicationForm(quote, 2, form, 2026);
    int kept = 0;
    for (int row = 1; row <= 7; ++row) {
        const TVereDivoClass *line = quote.Classes()[static_cast<size_t>(row - 1)];
        const bool exception =
            line == quote.ClericalClass || line == quote.SalesClass || line == quote.DriversClass;
        SCOPED_TRACE("row " + IntText(row) + " " + line->Code);
        const std::string expected = exception ? "KEEP" : line->Code;
        EXPECT_EQ(ValueOf(form, Cell("C", 6, row, 3)), expected);
        EXPECT_EQ(ValueOf(form, Cell("CCurrent", 6, row, 3)), expected);
        if (!exception) {
            EXPECT_EQ(ValueOf(form, Cell("CCurrent", 6, row, 1)), line->Description);
        }
        kept += exception ? 1 : 0;
    }
    EXPECT_GE(kept, 1) << "the twelve classes put an exception class within the seven rows";
}

TEST(ClassFields, WithoutAFormTheyAreNameCommaValueLines)
{
    Rated r("MA", 3);
    std::vector<std::string> list;
    r.Quote().AddClassFields(list, 1, 1);
    ASSERT_EQ(list.size(), 90u) << "ten rows of nine columns";
    EXPECT_EQ(list[1], "C2," + r.Quote().Classes()[0]->Code);
    EXPECT_EQ(list[2], "C3, ");
    EXPECT_EQ(list[89], "C90,");
    list.clear();
    r.Quote().AddClassFields(list, 2, 2);
    EXPECT_TRUE(list.empty()) << "the second pass belongs to the NJ pool application";
}

// An agreement of the delivered tables whose brackets the cases set.
struct Agreement
{
    Rated r {"MA", 3};
    std::unique_ptr<TFinanceAgreement> a = r.Quote().RateBook().GetFinanceAgreement(1);

    void Brackets(TFinanceItemList down, TFinanceItemList rates, int32_t payments)
    {
        a->DownPayments = std::make_unique<TFinanceItemList>(std::move(down));
        a->Rates = std::make_unique<TFinanceItemList>(std::move(rates));
        a->NumPayment = payments;
    }
};

TEST(FinanceAgreement, WorkedAsALenderChecksIt)
{
    Agreement g;
    // The delivered agreement: 25% down, 6% of an unpaid balance up to 5,000, 5% to 25,000,
    // 4% above, nine payments.
    ASSERT_EQ(g.a->NumPayment, 9);
    // Premium 4,000: down 1,000; financed 3,000; charge 180; total 3,180; 9 of 353.33.
    TFinanceFigures f = ComputeFinanceFigures(*g.a, 4000);
    EXPECT_EQ(f.MinimumDown, 1000);
    EXPECT_EQ(f.CashPaid, 1000);
    EXPECT_EQ(f.Unpaid, 3000);
    EXPECT_DOUBLE_EQ(f.Rate, 6);
    EXPECT_EQ(f.FinanceCharge, 180);
    EXPECT_EQ(f.TotalOfPayments, 3180);
    EXPECT_DOUBLE_EQ(f.Installment, 353.33);
    // Premium 6,667: down 1,666.75 rounds to 1,667; financed 5,000 sits on the edge of two
    // brackets and the first (6%) holds it: charge 300; total 5,300; 9 of 588.89.
    f = ComputeFinanceFigures(*g.a, 6667);
    EXPECT_EQ(f.MinimumDown, 1667);
    EXPECT_EQ(f.Unpaid, 5000);
    EXPECT_DOUBLE_EQ(f.Rate, 6);
    EXPECT_EQ(f.FinanceCharge, 300);
    EXPECT_DOUBLE_EQ(f.Installment, 588.89);
    // Premium 6,668: down 1,667; financed 5,001 at 5%: 250.05 rounds to 250.
    f = ComputeFinanceFigures(*g.a, 6668);
    EXPECT_EQ(f.Unpaid, 5001);
    EXPECT_DOUBLE_EQ(f.Rate, 5);
    EXPECT_EQ(f.FinanceCharge, 250);
    EXPECT_EQ(f.TotalOfPayments, 5251);
    // Truth in lending: total of payments = amount financed + finance charge, always.
    for (int32_t premium : {501, 999, 12345, 99999, 250000}) {
        f = ComputeFinanceFigures(*g.a, premium);
        EXPECT_EQ(f.TotalOfPayments, f.Unpaid + f.FinanceCharge) << premium;
        EXPECT_EQ(f.CashPaid + f.Unpaid, premium) << premium;
    }
}

TEST(FinanceAgreement, HalfDollarsRoundAwayFromZero)
{
    Agreement g;
    // 10% down of 1,005 is 100.50, paid as 101; financed 904 at 2.5% is 22.60, charged 23.
    g.Brackets({{0, 999999999, 10}}, {{0, 999999999, 2.5}}, 4);
    const TFinanceFigures f = ComputeFinanceFigures(*g.a, 1005);
    EXPECT_EQ(f.MinimumDown, 101);
    EXPECT_EQ(f.Unpaid, 904);
    EXPECT_EQ(f.FinanceCharge, 23);
    EXPECT_EQ(f.TotalOfPayments, 927);
    EXPECT_DOUBLE_EQ(f.Installment, 231.75);
}

TEST(FinanceAgreement, NothingFinancedAndASurcharge)
{
    Agreement g;
    // All down: nothing financed, no charge, payments of 0.
    g.Brackets({{0, 999999999, 100}}, {{0, 999999999, 8}}, 3);
    TFinanceFigures f = ComputeFinanceFigures(*g.a, 2500);
    EXPECT_EQ(f.Unpaid, 0);
    EXPECT_EQ(f.FinanceCharge, 0);
    EXPECT_DOUBLE_EQ(f.Installment, 0);
    // A 35 surcharge paid in cash with a typed down payment of 700 (the minimum of 25% of
    // 2,000 is 500): cash 735, financed 2,000 + 35 - 735 = 1,300 at 8% = 104.
    g.Brackets({{0, 999999999, 25}}, {{0, 999999999, 8}}, 10);
    f = ComputeFinanceFigures(*g.a, 2000, 35, 735);
    EXPECT_EQ(f.CashPaid, 735);
    EXPECT_EQ(f.Unpaid, 1300);
    EXPECT_EQ(f.FinanceCharge, 104);
    EXPECT_DOUBLE_EQ(f.Installment, 140.4);
    // A typed amount below the minimum is raised to it (500 + 35).
    EXPECT_EQ(ComputeFinanceFigures(*g.a, 2000, 35, 100).CashPaid, 535);
    // More than is owed finances nothing instead of lending a negative amount.
    f = ComputeFinanceFigures(*g.a, 2000, 35, 5000);
    EXPECT_EQ(f.Unpaid, 0);
    EXPECT_EQ(f.CashPaid, 2035);
}

TEST(FinanceAgreement, NoPaymentsIsRefusedAndNoBracketMeansZero)
{
    Agreement g;
    g.a->NumPayment = 0;
    EXPECT_FALSE(CanPrintAgreement(*g.a));
    try {
        ComputeFinanceFigures(*g.a, 4000);
        ADD_FAILURE() << "an agreement without payments must be refused";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), kNoPaymentsMessage);
    }
    g.Brackets({{1000, 2000, 20}}, {}, 2);
    const TFinanceFigures f = ComputeFinanceFigures(*g.a, 5000);
    EXPECT_EQ(f.MinimumDown, 0) << "no bracket holds 5,000";
    EXPECT_EQ(f.FinanceCharge, 0);
    EXPECT_DOUBLE_EQ(f.Installment, 2500);
}

TEST(FinanceAgreement, TheFormShowsTheFiguresAndHidesTheRateWhenAsked)
{
    Agreement g;
    TVereDivoQuote &quote = g.r.Quote();
    const TFinanceFigures f = ComputeFinanceFigures(*g.a, quote.Results.TotalPremium);
    TFormDocument form;
    form.SetFormsPath(BuiltProgramFolder() + "ACORD/");
    form.Load(g.a->App_Name);
    FillFinanceForm(quote, *g.a, f, form);
    EXPECT_EQ(ValueOf(form, "Amount4"), FixedText(f.CashPaid, 2));
    EXPECT_EQ(ValueOf(form, "Unpaid"), FixedText(f.Unpaid, 2));
    EXPECT_EQ(ValueOf(form, "Detail2"), FixedText(f.FinanceCharge, 2));
    EXPECT_EQ(ValueOf(form, "Detail3"), FixedText(f.Rate, 2));
    EXPECT_EQ(ValueOf(form, "Detail6"), "9");
    EXPECT_EQ(ValueOf(form, "Detail7"), FixedText(f.Installment, 2));
    EXPECT_EQ(ValueOf(form, "Policy7"), "$" + FixedText(quote.Results.TotalPremium, 2));
    g.a->Show_Prcnt = false;
    FillFinanceForm(quote, *g.a, f, form);
    EXPECT_EQ(ValueOf(form, "Detail3"), "N/A");
}

TEST(ApplicationForms, APlanWithoutThePoolFormSaysSo)
{
    QuoteHarness h("MA", 1, EncodeDate(2026, 7, 1), BuiltProgramFolder());
    TFormDocument form;
    try {
        LoadApplication(h.Quote(), 2, form, BuiltProgramFolder() + "ACORD/");
        ADD_FAILURE() << "broker 1 has no pool application";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "The MA plan has no pool application form.");
    }
    EXPECT_EQ(h.Quote().ApplicationTitle(2), "MA Pool Application");
    EXPECT_EQ(h.Quote().ApplicationTitle(1), "Workers Compensation Acord");
}

TEST(FormDataFiles, OnePerStoredQuoteAndKind)
{
    Rated r("MA", 3);
    EXPECT_EQ(r.Quote().FormDataFile(1), "") << "a quote never stored has no file of its own";
    r.Quote().QuoteInfo().SetQuoteID(42);
    EXPECT_EQ(r.Quote().FormDataFile(1), BuiltProgramFolder() + "formdata/nb/42.dat");
    EXPECT_EQ(r.Quote().FormDataFile(2), BuiltProgramFolder() + "formdata/pool/42.dat");
}

TEST(FormDataFiles, TypedValuesComeBackAndACorruptFileChangesNothing)
{
    ScratchFolder folder;
    Rated r("MA", 3);
    TFormDocument form;
    r.Fill(1, form);
    SetValue(*form.FindField("C2"), "5645");
    TFormField *typed = form.AllFields().back();
    SetValue(*typed, "typed by the agent");
    const std::string path = folder.Path() + "1.dat";
    SaveFormData(form, path);

    TFormDocument again;
    LoadApplication(r.Quote(), 1, again, BuiltProgramFolder() + "ACORD/");
    EXPECT_EQ(LoadFormData(again, path), 0);
    EXPECT_EQ(FormDataText(again), FormDataText(form));

    std::ofstream(path, std::ios::binary | std::ios::trunc) << "C2=1\r\n" << std::string(3, '\0');
    const std::string before = FormDataText(again);
    try {
        LoadFormData(again, path);
        ADD_FAILURE() << "a binary file is no form data";
    } catch (const EFormDataError &e) {
        EXPECT_EQ(std::string(e.what()).rfind(kFormDataCorrupt, 0), 0u);
    }
    EXPECT_EQ(FormDataText(again), before) << "nothing is taken from a corrupt file";
}

TEST(FormDataFiles, AKillDuringSaveLeavesTheOldFileOrTheNew)
{
    ScratchFolder folder;
    Rated r("MA", 12);
    TFormDocument form;
    r.Fill(1, form);
    const std::string path = folder.Path() + "7.dat";
    SaveFormData(form, path);
    const std::string oldText = FormDataText(form);
    SetValue(*form.FindField("C4"), std::string(40, 'N'));
    const std::string newText = FormDataText(form);
    ASSERT_NE(oldText, newText);

    for (int attempt = 0; attempt < 20; ++attempt) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                SaveFormData(form, path);
            }
        }
        ::usleep(static_cast<useconds_t>(500 + attempt * 700));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        EXPECT_TRUE(text == oldText || text == newText) << "attempt " << attempt;
    }
}

TEST(FormDataFiles, AFolderThatCannotBeWrittenIsAClearError)
{
    ScratchFolder folder;
    Rated r("MA", 3);
    TFormDocument form;
    r.Fill(1, form);
    EXPECT_THROW(SaveFormData(form, folder.Path() + "missing/1.dat"), EFormFileError);
}

} // namespace
