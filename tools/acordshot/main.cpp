// acordshot PROGRAMDIR OUTDIR: rates two example quotes of broker 5 (MA and NJ, three classes
// each) on the program folder's tables and shows their workers compensation application, pool
// application and finance agreement in the ACORD window as a user sees it, each page written
// to OUTDIR as PNG. The window is closed without saving.

#include "ToolApplication.h"

#include "core/Dates.h"
#include "core/Paths.h"
#include "db/VereDivoDatabase.h"
#include "forms/AcordWindow.h"
#include "rating/ControlInterface.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <iostream>

namespace {

struct Example
{
    const char *State;
    TDateTime Effective;
    std::vector<std::pair<const char *, int32_t>> Classes;
};

// The rating command's application with an agency, so the forms show one.
class ShotApplication final : public TQuoteApplication
{
public:
    explicit ShotApplication(const std::string &programFolder) : m_tool(programFolder, false) { }
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

// Takes a picture of every page of the modal ACORD window once it shows, then closes it.
void PhotographWhenShown(const std::string &prefix)
{
    QTimer::singleShot(300, [prefix] {
        auto *window = qobject_cast<TfrmAcord *>(QApplication::activeModalWidget());
        if (window == nullptr) {
            PhotographWhenShown(prefix);
            return;
        }
        for (int page = 1; page <= window->Viewer1->PageCount(); ++page) {
            window->Viewer1->GoToPage(page);
            QApplication::processEvents();
            window->grab().save(
                QString::fromStdString(prefix + "-page" + std::to_string(page) + ".png"));
        }
        window->SetCanSave(false);
        window->reject();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: acordshot PROGRAMDIR OUTDIR\n";
        return 1;
    }
    const std::string out = IncludeTrailingSlash(argv[2]);
    ForceDirectories(out);
    ShotApplication application(IncludeTrailingSlash(argv[1]));
    const std::vector<Example> examples = {
        {"MA", EncodeDate(2026, 7, 1), {{"5645", 250000}, {"5437", 120000}, {"8810", 60000}}},
        {"NJ", EncodeDate(2027, 1, 1), {{"5645", 180000}, {"5403", 95000}, {"8810", 52000}}},
    };
    for (const Example &example : examples) {
        TCustLOBInfo header;
        header.SetState(example.State);
        auto quote = CreateStateQuote(5, application, header, example.Effective);
        if (!quote || !quote->LoadClassBook()) {
            return 1;
        }
        TControlInterface controls;
        controls.Build(application.Database().Inputs(), application.Database().InputData(), false,
                       quote->RatePeriod(), 1, quote->StateId);
        quote->Bind(controls);
        int32_t employees = 3;
        for (const auto &[code, payroll] : example.Classes) {
            TVereDivoClass *line = quote->FindClass(code, "");
            if (line == nullptr) {
                std::cerr << "acordshot: no class " << code << "\n";
                return 1;
            }
            line->SetPayroll(payroll);
            line->SetEmployees(employees++);
            quote->AppendClass(*line);
        }
        TQorRatingClient &customer = quote->Customer();
        customer.SetCompany("ASHBY BAKERY");
        customer.SetFirstName("Lee");
        customer.SetLastName("Ashby");
        customer.SetStreet("4 Mill Rd");
        customer.SetCity(std::string(example.State) == "MA" ? "Lowell" : "Trenton");
        customer.SetState(example.State);
        customer.SetZip(std::string(example.State) == "MA" ? "01852" : "08608");
        quote->CalculatePremium();

        const std::string prefix = out + example.State;
        PhotographWhenShown(prefix + "-application");
        ShowApplication(*quote, 1);
        PhotographWhenShown(prefix + "-pool");
        ShowApplication(*quote, 2);
        PhotographWhenShown(prefix + "-finance");
        PrintFinanceAgreement(*quote);
    }
    return 0;
}
