// veredivo-rate: rates a quote described in a small JSON file against the program folder's
// delivered tables and prints the premium summary as the worksheet labels it.

#include "RateRequest.h"
#include "ToolApplication.h"

#include "core/Encoding.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/VereDivoDatabase.h"
#include "rating/ClassLineChecks.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"

#ifdef VEREDIVO_RATE_WORD
#include "export/WordExport.h"
#endif
#ifdef VEREDIVO_RATE_PDF
#include "agency/AgencyProfile.h"
#include "forms/ApplicationPdf.h"
#include "printing/QuoteOutput.h"

#include <QApplication>
#endif

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

const char *const Usage =
    "usage: veredivo-rate [--program-dir DIR] [--json] [--log] [--save] [--pdf PDF] QUOTE.json\n"
    "       veredivo-rate [--program-dir DIR] [--json] [--log] --pdf FOLDER QUOTE.json...\n"
    "       veredivo-rate [--program-dir DIR] [--json] [--log] [--pdf PDF] --open ID\n"
    "       veredivo-rate [--program-dir DIR] [--json] [--log] --application KIND --pdf PDF\n"
    "                     (QUOTE.json | --open ID)\n"
    "       veredivo-rate [--program-dir DIR] [--json] [--log] --pool-docx FILE QUOTE.json\n"
    "       veredivo-rate [--program-dir DIR] [--json] --list\n"
    "       veredivo-rate [--program-dir DIR] --delete ID\n"
    "       veredivo-rate [--program-dir DIR] --batch < REQUESTS.jsonl\n"
    "  Rates the quote in QUOTE.json against the tables in DIR/Data/ (default: the folder of\n"
    "  the installed program) and prints the premium summary and the total. A class line may give\n"
    "  its \"deviation\" (plans with deviations) or, as a multi-entry (construction) line, its\n"
    "  payrolls as \"entries\": [ ... ] (see the README).\n"
    "  --save    also stores the quote with its customer in the quote folder and prints the\n"
    "            customer number and the quote ID\n"
    "  --pdf     also writes the quote's worksheet as the PDF the program saves, with the\n"
    "            customer's company and the agency of the request or of the program's agency\n"
    "            profile; with several quote files PDF is a folder and each worksheet is named\n"
    "            after its quote file\n"
    "  --application KIND  with --pdf: writes the quote's application instead of the\n"
    "            worksheet, filled as the program fills it before the agent types; KIND is\n"
    "            acord (the workers compensation application), pool (the state's pool\n"
    "            application form) or finance (the plan's premium finance agreement)\n"
    "  --open    reopens stored quote ID, restores its inputs and classes and rates it\n"
    "  --list    prints the stored customers and their quotes\n"
    "  --delete  deletes stored quote ID\n"
    "  --pool-docx FILE  also writes the quote's pool application as a Word document to FILE\n"
    "            (plans with a Word pool application; the template the program's Office\n"
    "            2003/2007 choice names; FILE must not exist)\n"
    "  --batch   rates one request per line of standard input in one process and prints one\n"
    "            JSON result per line (with its \"line\", \"status\" and \"messages\"; a bad\n"
    "            request gives its error and the others are still rated)\n"
    "  --json    prints every result amount by name (or the listing) as JSON instead\n"
    "  --log     writes the quote's log lines to standard error\n";

// A request the tables cannot rate: an unknown class, input or list entry.
class ERequestMismatch : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

std::string ReadWholeFile(const std::string &path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw ERateRequestError("no such file");
    }
    if (status.type() == std::filesystem::file_type::directory) {
        throw ERateRequestError("is a folder, not a quote file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ERateRequestError("cannot be read");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quoted(const std::string &text)
{
    return "\"" + Windows1252ToUtf8(text) + "\"";
}

// The payroll and employees of a line; a multi-entry line takes its entries' payrolls as the
// contractors' class dialog does, with its checks.
void SetPayrolls(TVereDivoClass &line, const TRateRequest::ClassLine &wanted)
{
    const std::string where = "class " + Quoted(wanted.Code);
    auto *multi = dynamic_cast<TNewYorkConstructionClass *>(&line);
    if (multi == nullptr) {
        if (wanted.HasEntries) {
            throw ERequestMismatch(where +
                                   " takes one payroll; \"entries\" are for the "
                                   "multi-entry (construction) lines of plans that have "
                                   "them");
        }
        line.SetPayroll(wanted.Payroll);
        line.SetEmployees(wanted.Employees);
        return;
    }
    TConstructionPayrollEntry entry;
    const size_t count = entry.Payrolls.size();
    if (!wanted.HasEntries || wanted.Entries.size() != count) {
        std::string labels;
        for (int32_t n = 1; n <= multi->GetEntryCount(); ++n) {
            labels += (labels.empty() ? "" : ", ") + Quoted(multi->GetEntryLabel(n));
        }
        throw ERequestMismatch(where + " is a multi-entry line: give its " + std::to_string(count) +
                               " payrolls as \"entries\": [ ... ] (" + labels + ")");
    }
    for (size_t n = 0; n < count; ++n) {
        entry.Payrolls[n] = IntText(wanted.Entries[n]);
    }
    entry.Employees = wanted.HasEmployees ? IntText(wanted.Employees) : std::string();
    const int32_t total = ConstructionPayrollTotal(entry);
    if (wanted.HasPayroll && wanted.Payroll != total) {
        throw ERequestMismatch(where + ": the payroll " + MoneyText(wanted.Payroll) +
                               " is not the sum of its entries (" + MoneyText(total) +
                               "); give the entries alone");
    }
    const TEntryCheck check = ApplyConstructionPayrollEntry(*multi, entry);
    if (!check.Accepted()) {
        throw ERequestMismatch(where + ": " + Windows1252ToUtf8(check.Message));
    }
}

// The line's deviation as the deviations window applies it: a factor to 2 decimals, refused
// where the plan offers no deviations or the window would refuse it.
void ApplyDeviation(const TVereDivoQuote &quote, TVereDivoClass &line,
                    const TRateRequest::ClassLine &wanted)
{
    const std::string where = "class " + Quoted(wanted.Code);
    if (!quote.PlanProfile->User_Dev) {
        throw ERequestMismatch(where + ": broker " + IntText(quote.PlanId) + "'s " +
                               quote.StateCode + " plan offers no class deviations");
    }
    if (std::fabs(RoundTo(wanted.Deviation, 2) - wanted.Deviation) > 1e-9) {
        throw ERequestMismatch(where + ": the deviation " + Quoted(wanted.DeviationText) +
                               " has more than the 2 decimals the deviations window takes");
    }
    const TEntryCheck check = CheckDeviationEntry(line, FixedText(wanted.Deviation, 6));
    if (!check.Accepted()) {
        throw ERequestMismatch(where + ": " + Windows1252ToUtf8(check.Message));
    }
    line.SetDeviation(wanted.Deviation);
}

void AddClasses(TVereDivoQuote &quote, const TRateRequest &request)
{
    for (const TRateRequest::ClassLine &wanted : request.Classes) {
        TVereDivoClass *line = quote.FindClass(wanted.Code, wanted.SubCode);
        if (!line) {
            throw ERequestMismatch(
                "unknown class code " + Quoted(wanted.Code) +
                (wanted.SubCode.empty() ? std::string() : " sub-code " + Quoted(wanted.SubCode)) +
                " for this plan and effective date");
        }
        if (quote.HasClass(*line)) {
            throw ERequestMismatch("class " + Quoted(wanted.Code) + " is listed twice");
        }
        SetPayrolls(*line, wanted);
        if (wanted.HasDeviation) {
            ApplyDeviation(quote, *line, wanted);
        }
        quote.AppendClass(*line);
    }
}

std::string EntryTexts(const TRatingControl &list)
{
    std::string texts;
    for (const auto &entry : list.Entries()) {
        texts += (texts.empty() ? "" : ", ") + Quoted(entry->Text);
    }
    return texts;
}

std::string ControlNames(const TControlInterface &controls)
{
    std::string names;
    for (const auto &control : controls.Controls()) {
        const TControlKind kind = control->Kind();
        if (control->Spec().Active && kind != TControlKind::Label && kind != TControlKind::Button) {
            names += (names.empty() ? "" : ", ") + control->Name();
        }
    }
    return names;
}

// Sets each input as the agent would: type (or pick, or tick) it, then leave the control, so
// the quote's own checks run and show their messages.
void ApplyInputs(const TControlInterface &controls, const TRateRequest &request)
{
    for (const TRateRequest::Input &input : request.Inputs) {
        TRatingControl *control = controls.FindControl(input.Name);
        if (!control) {
            throw ERequestMismatch("unknown rating input " + Quoted(input.Name) +
                                   " for this state; its inputs are: " + ControlNames(controls));
        }
        if (!control->Enabled()) {
            throw ERequestMismatch("rating input " + Quoted(input.Name) +
                                   " is not open for this quote (set the inputs it depends "
                                   "on, such as the experience mod, before it)");
        }
        if (control->IsCheckBox()) {
            if (!input.IsFlag) {
                throw ERequestMismatch(Quoted(input.Name) + " is a check box: give true or false");
            }
            control->SetChecked(input.Checked);
        } else if (input.IsFlag) {
            throw ERequestMismatch(Quoted(input.Name) + " is not a check box: give a text");
        } else if (control->IsDropDownList()) {
            const std::string text = Trim(Utf8ToWindows1252(input.Text));
            bool found = false;
            for (const auto &entry : control->Entries()) {
                found = found || SameText(Trim(entry->Text), text);
            }
            if (!found) {
                throw ERequestMismatch("unknown entry " + Quoted(text) + " for " +
                                       Quoted(input.Name) +
                                       "; its entries are: " + EntryTexts(*control));
            }
            control->SetText(text);
        } else {
            control->SetText(Utf8ToWindows1252(input.Text));
            if (!control->HasNumber()) {
                throw ERequestMismatch("rating input " + Quoted(input.Name) +
                                       " takes a number, not " +
                                       Quoted(Utf8ToWindows1252(input.Text)));
            }
        }
        const double written = control->Number();
        const std::string writtenText = control->Text();
        control->NotifyExit();
        // The program may refuse a value and put back its own (an experience mod beyond the
        // plan's limits, which may be as large as the refused one: -1 becomes 1.00); it only
        // ever makes a credit typed as a positive percentage negative.
        const double taken = control->Number();
        const bool applied = control->IsCheckBox() ? control->Checked() == input.Checked
            : control->IsDropDownList()            ? control->Text() == writtenText
                                        : taken == written || (written > 0 && taken == -written);
        if (!applied) {
            throw ERequestMismatch("rating input " + Quoted(input.Name) +
                                   " was not applied as written (" +
                                   Quoted(Utf8ToWindows1252(input.Text)) +
                                   "); the program set it to " + Quoted(Trim(control->Text())));
        }
    }
}

void PrintSummary(TVereDivoQuote &quote)
{
    std::cout << "Effective Date: " << DateToStr(quote.EffectiveDate) << "\n\n";
    const auto lines = quote.PremiumSummaryLines();
    size_t width = 0;
    for (const TSummaryLine &line : lines) {
        width = std::max(width, line.Label.size());
    }
    for (const TSummaryLine &line : lines) {
        std::cout << PadRight(Windows1252ToUtf8(line.Label), width + 2)
                  << PadLeft(MoneyText(line.Amount), 12) << "\n";
    }
    std::cout << "\nYour Total Estimated Cost is: " << MoneyText(quote.Results.TotalPremium)
              << "\n";
    if (quote.Results.TotalPremium != 0) {
        std::cout << "Down Pay: " << quote.DownPaymentShown() << "\n"
                  << "Payment Terms: " << quote.PaymentTermsText() << "\n";
    }
}

// The down payment and the payment terms as the quote window and the worksheet show them;
// null without a premium.
nlohmann::ordered_json DownPaymentJson(const TVereDivoQuote &quote)
{
    if (quote.Results.TotalPremium == 0) {
        return nullptr;
    }
    const bool full = quote.FullPaymentRequired();
    nlohmann::ordered_json out;
    out["fullPaymentRequired"] = full;
    if (full) {
        out["percent"] = nullptr;
        out["amount"] = nullptr;
    } else {
        out["percent"] = quote.DownPercent();
        out["amount"] = DownPaymentAmount(quote.Results.TotalPremium, quote.DownPercent());
    }
    out["text"] = Windows1252ToUtf8(quote.DownPaymentShown());
    out["paymentTerms"] = Windows1252ToUtf8(quote.PaymentTermsText());
    return out;
}

// `stored`: the quote was saved or opened, so its customer number and quote ID are given too.
// `requested`: the request's effective date, given as well when the quote rated another.
nlohmann::ordered_json QuoteJson(TVereDivoQuote &quote, bool rated, bool stored,
                                 TDateTime requested)
{
    nlohmann::ordered_json out;
    out["state"] = quote.StateCode;
    out["broker"] = quote.PlanId;
    out["effective"] = DateToStr(quote.EffectiveDate);
    if (requested > 0 && requested != std::floor(quote.EffectiveDate)) {
        out["requestedEffective"] = DateToStr(requested);
    }
    if (stored) {
        out["customerNumber"] = quote.Customer().CustomerNumber();
        out["quoteId"] = quote.QuoteId;
    }
    out["rated"] = rated;
    nlohmann::ordered_json amounts = nlohmann::ordered_json::object();
    for (const auto &[name, value] : quote.ResultAmounts()) {
        amounts[name] = value;
    }
    out["amounts"] = amounts;
    nlohmann::ordered_json classes = nlohmann::ordered_json::array();
    for (const TVereDivoClass *line : quote.Classes()) {
        nlohmann::ordered_json entry = {{"code", Windows1252ToUtf8(Trim(line->Code))},
                                        {"subCode", Windows1252ToUtf8(Trim(line->SubCode))},
                                        {"description", Windows1252ToUtf8(Trim(line->Description))},
                                        {"payroll", line->GetPayroll()},
                                        {"stateRate", line->StateRate},
                                        {"rate", line->Rate},
                                        {"deviation", line->Deviation},
                                        {"premium", line->GetPremium()}};
        if (const auto *multi = dynamic_cast<const TMultiEntryVereDivoClass *>(line)) {
            nlohmann::ordered_json entries = nlohmann::ordered_json::array();
            for (int32_t n = 1; n <= multi->GetEntryCount(); ++n) {
                entries.push_back(multi->GetEntryPayroll(n));
            }
            entry["entries"] = entries;
        }
        classes.push_back(entry);
    }
    out["classes"] = classes;
    nlohmann::ordered_json summary = nlohmann::ordered_json::array();
    for (const TSummaryLine &line : quote.PremiumSummaryLines()) {
        summary.push_back({{"label", Windows1252ToUtf8(line.Label)}, {"amount", line.Amount}});
    }
    out["summary"] = summary;
    out["downPayment"] = DownPaymentJson(quote);
    return out;
}

// The customer and quote information dialog of the command: the request's customer must have
// a company; a quote without a description takes the customer's, as the dialog's "same as
// customer" box does.
class TRequestCustomerDialog final : public TCustomerDialog
{
public:
    bool EditCustomer(TVereDivoQuote &quote) override
    {
        const TQorRatingClient &customer = quote.Customer();
        if (Trim(customer.Company()).empty()) {
            std::cerr << "veredivo-rate: a quote to be stored needs its customer's company "
                         "(\"customer\": { \"company\": \"...\" })\n";
            return false;
        }
        TCustLOBInfo &header = quote.QuoteInfo();
        if (header.IsDescriptionBlank()) {
            header.SetDescription(customer.Company());
            header.SetLocationStreet(customer.Street());
            header.SetLocationCity(customer.City());
            header.SetLocationState(customer.State());
            header.SetLocationZip(customer.Zip());
        }
        return true;
    }
};

// False when the request names a customer number that is not stored.
bool ApplyCustomer(TToolApplication &application, TVereDivoQuote &quote,
                   const TRateRequest &request)
{
    const TRateRequest::CustomerFields &given = request.Customer;
    TQorRatingClient &customer = quote.Customer();
    // A stored customer keeps what the request does not give anew.
    const bool stored = given.Number > 0;
    if (stored) {
        customer.SetCustomerNumber(given.Number);
        if (!application.Info().QuoteDB().CustDBO().LoadCustomer(customer)) {
            std::cerr << "veredivo-rate: no customer " << given.Number << " is stored\n";
            return false;
        }
    }
    const auto set = [stored](const std::string &value, auto setter) {
        if (!stored || !value.empty()) {
            setter(value);
        }
    };
    set(given.Company, [&](const std::string &v) { customer.SetCompany(v); });
    set(given.First, [&](const std::string &v) { customer.SetFirstName(v); });
    set(given.Last, [&](const std::string &v) { customer.SetLastName(v); });
    set(given.Street, [&](const std::string &v) { customer.SetStreet(v); });
    set(given.City, [&](const std::string &v) { customer.SetCity(v); });
    if (!given.State.empty()) {
        customer.SetState(given.State);
    }
    set(given.Zip, [&](const std::string &v) { customer.SetZip(v); });
    set(given.Phone, [&](const std::string &v) { customer.SetHomePhone(v); });
    set(given.Work, [&](const std::string &v) { customer.SetWorkPhone(v); });
    set(given.Fax, [&](const std::string &v) { customer.SetFax(v); });
    set(given.Notes, [&](const std::string &v) { customer.SetNotes(v); });

    const TRateRequest::QuoteFields &about = request.Quote;
    TCustLOBInfo &header = quote.QuoteInfo();
    header.SetDescription(about.Description);
    header.SetLocationStreet(about.Street);
    header.SetLocationCity(about.City);
    header.SetLocationState(about.State);
    header.SetLocationZip(about.Zip);
    header.SetPolicyNumber(about.Policy);
    header.SetCompany(about.Company);
    return true;
}

// The stored customers whose company is `company` (without regard to case); none for a blank
// company.
std::vector<int32_t> StoredCustomersNamed(TToolApplication &application, const std::string &company)
{
    std::vector<int32_t> numbers;
    if (Trim(company).empty()) {
        return numbers;
    }
    for (const TCustomerListEntry &customer :
         application.Info().QuoteDB().CustDBO().ListCustomers()) {
        if (SameText(Trim(customer.Company), Trim(company))) {
            numbers.push_back(customer.CustomerNumber);
        }
    }
    return numbers;
}

// A customer is known by its number alone, so a request without one makes a new customer even
// when one of the same company is stored; the user is told which, to name it next time.
void TellNamesakes(const TQorRatingClient &customer, const std::vector<int32_t> &namesakes)
{
    if (namesakes.empty()) {
        return;
    }
    std::string numbers;
    for (const int32_t number : namesakes) {
        numbers += (numbers.empty() ? "" : ", ") + IntText(number);
    }
    std::cerr << "veredivo-rate: a new customer " << customer.CustomerNumber()
              << " was made, although customer" << (namesakes.size() > 1 ? "s " : " ") << numbers
              << " of the same company " << Quoted(Trim(customer.Company()))
              << (namesakes.size() > 1 ? " are" : " is")
              << " stored; to add a quote to a stored customer give its number "
                 "(\"customer\": { \"number\": "
              << namesakes.front() << " })\n";
}

enum class TMode { Rate, Save, Open, List, Delete, Batch };

struct TOptions
{
    TMode Mode = TMode::Rate;
    std::string ProgramDir;
    std::vector<std::string> Files;
    std::string Pdf; // --pdf: a file, or a folder for the worksheets of several quotes
    int32_t QuoteID = 0;
    bool Json = false;
    bool Log = false;
    std::string PoolDocx;
    // --application: 1 the ACORD application, 2 the pool application, 3 the finance agreement
    int32_t Application = 0;
};

// What one quote of the run writes besides its summary.
struct TQuoteRun
{
    std::string File; // the request file; empty for a stored quote
    const TRateRequest *Request = nullptr;
    std::string Pdf; // the worksheet's path; empty: none
    nlohmann::ordered_json *Batch = nullptr; // several quotes: their JSON is gathered here
    TDateTime Requested = 0; // the request's effective date (day), when it names one
};

#ifdef VEREDIVO_RATE_PDF
// The agency the worksheet names: the request's, else the program's agency profile.
TAgencyAddress AgencyFor(TToolApplication &application, const TRateRequest *request)
{
    if (request != nullptr && request->AgencyGiven) {
        return request->Agency;
    }
    TAgencyProfile profile(application.Info().ProgramSettingsFile());
    profile.Load();
    const TAgencyInformation &p = profile.Information();
    return {p.Name, p.Attn,  p.Street, p.City,       p.State,
            p.Zip,  p.Phone, p.Fax,    p.ProducerID, p.EMail};
}
#endif

// The program's checks before output, then the worksheet PDF (or the application of
// `application` kind); false (and why on standard error) when the quote cannot be printed. A
// PDF that cannot be written raises.
bool WriteQuotePdf(TToolApplication &application, TVereDivoQuote &quote, const TQuoteRun &run,
                   bool validPremium, int32_t applicationKind)
{
#ifdef VEREDIVO_RATE_PDF
    application.SetAgency(AgencyFor(application, run.Request));
    if (Trim(application.Agency().Name).empty()) {
        std::cerr << "veredivo-rate: Cannot print Quote without an Agency Profile (give "
                     "\"agency\": { \"name\": \"...\" } or fill in the program's agency profile)\n";
        return false;
    }
    if (!validPremium) {
        std::cerr << "veredivo-rate: Cannot print Quote without a valid premium\n";
        return false;
    }
    if (Trim(quote.Customer().Company()).empty()) {
        std::cerr << "veredivo-rate: Unable to print without a Company Name (give \"customer\": "
                     "{ \"company\": \"...\" })\n";
        return false;
    }
    if (applicationKind == 0) {
        WriteWorksheetPdf(quote, run.Pdf);
    } else {
        WriteApplicationPdf(quote, applicationKind, run.Pdf);
    }
    return true;
#else
    (void)applicationKind;
    (void)application;
    (void)quote;
    (void)run;
    (void)validPremium;
    throw std::runtime_error("this build writes no PDF files (it was built without Qt)");
#endif
}

// Calculates, writes the worksheet when asked and prints; the exit status of the command.
int RateAndPrint(TToolApplication &application, TVereDivoQuote &quote, const TOptions &options,
                 const TQuoteRun &run)
{
    const bool stored = options.Mode != TMode::Rate;
    const bool rated = quote.CalculatePremium();
    const bool valid = rated && quote.Results.TotalPremium != 0;
    int status = valid ? 0 : 2;
    bool written = false;
    if (!run.Pdf.empty()) {
        written = WriteQuotePdf(application, quote, run, valid, options.Application);
        status = written ? status : std::max(status, 1);
    }
    if (options.Json) {
        nlohmann::ordered_json out = QuoteJson(quote, rated, stored, run.Requested);
        if (written) {
            out["pdf"] = run.Pdf;
        }
        if (run.Batch != nullptr) {
            nlohmann::ordered_json entry = {{"file", run.File}};
            entry.update(out);
            run.Batch->push_back(entry);
        } else {
            std::cout << out.dump(2) << "\n";
        }
    } else {
        if (!rated) {
            if (quote.Classes().empty()) {
                std::cerr << "veredivo-rate: the quote has no class lines to rate\n";
            } // otherwise the system's message has been shown
        } else {
            PrintSummary(quote);
        }
        if (stored) {
            std::cout << "\nCustomer number: " << quote.Customer().CustomerNumber()
                      << "\nQuote ID: " << quote.QuoteId << "\n";
        }
        if (written) {
            const char *what = options.Application == 0 ? "Worksheet"
                : options.Application == 3              ? "Finance agreement"
                                                        : "Application";
            std::cout << "\n" << what << ": " << run.Pdf << "\n";
        }
    }
    return status;
}

#ifdef VEREDIVO_RATE_WORD
// The pool application the program's "Print Poo&l Application" fills in the word processor,
// written to `path`.
int WritePoolApplication(TToolApplication &application, TVereDivoQuote &quote,
                         const std::string &path)
{
    if (quote.PlanProfile->Pool_App != 1) {
        std::cerr << "veredivo-rate: broker " << quote.PlanId << "'s " << quote.StateCode
                  << " plan has no Word pool application (its pool application kind is "
                  << quote.PlanProfile->Pool_App << ", not 1)\n";
        return 1;
    }
    if (FileExists(path)) {
        std::cerr << "veredivo-rate: " << path << " exists already; name a new file\n";
        return 1;
    }
    const std::vector<TQuoteDataInfo> values = BuildApplicationData(quote, PoolApplicationKind);
    TDocxWordProcessor processor(path, false);
    const TWordExportResult result = RunWordExport(
        processor,
        PoolApplicationTemplate(application.ProgramFolder(), UseOffice2003PoolApplication()),
        values, {});
    if (!result.Completed) {
        std::string message = result.Error;
        for (char &c : message) {
            c = c == '\r' ? '\n' : c;
        }
        std::cerr << "veredivo-rate: " << Windows1252ToUtf8(message) << "\n";
        return 1;
    }
    std::cerr << "Pool application written to " << path << " (" << values.size() << " fields)\n";
    return 0;
}
#endif

TControlInterface &BuildInputs(TToolApplication &application, TVereDivoQuote &quote,
                               TControlInterface &controls)
{
    controls.Build(application.Database().Inputs(), application.Database().InputData(), false,
                   quote.RatePeriod(), 1, quote.StateId);
    quote.Bind(controls);
    return controls;
}

// A request's quote with its classes and inputs, as the agent would make it. The quote binds
// to the controls, so they stay beside it.
struct TRequestQuote
{
    std::unique_ptr<TVereDivoQuote> Quote;
    std::unique_ptr<TControlInterface> Controls;
};

// Makes the request's quote; 0 when it is made, else the exit status (the reason has been
// told). Sets the run's requested date.
int MakeRequestQuote(TToolApplication &application, const TRateRequest &request, TQuoteRun &run,
                     TRequestQuote &made)
{
    TCustLOBInfo header;
    header.SetState(request.State);
    const TDateTime requested = request.Effective > 0 ? request.Effective : Today();
    made.Quote = CreateStateQuote(request.Broker, application, header, requested);
    TVereDivoQuote *quote = made.Quote.get();
    if (!quote) {
        return 1; // the system's message has been shown
    }
    const TVereDivoPlanProfile &plan = *quote->PlanProfile;
    if (Trim(plan.State_Name).empty() && plan.Max_Date == 0) {
        std::cerr << "veredivo-rate: broker " << request.Broker << " has no plan for "
                  << request.State << "\n";
        return 1;
    }
    // The quote moves a date before the plan's first rating date to that date, silently for a
    // new quote; the command's user must know which date was rated.
    run.Requested = std::floor(requested);
    if (std::floor(quote->EffectiveDate) != run.Requested) {
        std::cerr << "veredivo-rate: the effective date " << DateToStr(requested)
                  << " is before the plan's first rating date; the quote is rated at "
                  << DateToStr(quote->EffectiveDate) << "\n";
    }
    if (!quote->HasValidClassFile(quote->EffectiveDate)) { // the system's message is shown
        std::cerr << "veredivo-rate: broker " << request.Broker << "'s " << quote->StateCode
                  << " plan rates effective dates from " << DateToStr(plan.FirstRatingDate())
                  << " to " << DateToStr(plan.LastRatingDate()) << "\n";
        return 1;
    }
    if (!quote->LoadClassBook()) {
        return 2; // the system's message has been shown
    }
    made.Controls = std::make_unique<TControlInterface>();
    BuildInputs(application, *quote, *made.Controls);
    AddClasses(*quote, request);
    quote->RefreshDependentInputs();
    ApplyInputs(*made.Controls, request);
    return 0;
}

int RateRequestFile(TToolApplication &application, const TOptions &options, TQuoteRun run)
{
    const TRateRequest request = ParseRateRequest(ReadWholeFile(run.File));
    run.Request = &request;
    TRequestQuote made;
    if (const int status = MakeRequestQuote(application, request, run, made); status != 0) {
        return status;
    }
    TVereDivoQuote *quote = made.Quote.get();

    if (options.Mode == TMode::Save || !run.Pdf.empty() || !options.PoolDocx.empty()) {
        if (!ApplyCustomer(application, *quote, request)) {
            return 1;
        }
    }
    if (options.Mode == TMode::Save) {
        if (!quote->CalculatePremium() || quote->Results.TotalPremium == 0) {
            std::cerr << "veredivo-rate: a quote without a premium is not stored\n";
            return 2;
        }
        const std::vector<int32_t> namesakes = request.Customer.Number > 0
            ? std::vector<int32_t>()
            : StoredCustomersNamed(application, quote->Customer().Company());
        TRequestCustomerDialog dialog;
        application.Info().QuoteDB().SetCustomerDialog(&dialog);
        const bool saved = application.SaveQuote(*quote);
        application.Info().QuoteDB().SetCustomerDialog(nullptr);
        if (!saved) {
            return 1;
        }
        TellNamesakes(quote->Customer(), namesakes);
    }
    const int status = RateAndPrint(application, *quote, options, run);
#ifdef VEREDIVO_RATE_WORD
    if (!options.PoolDocx.empty() && status == 0) {
        return WritePoolApplication(application, *quote, options.PoolDocx);
    }
#endif
    return status;
}

// A batch line's messages: the system's boxes and the command's own lines, gathered for its
// result instead of standard error.
class TGatheringPrompter final : public Prompter
{
public:
    void ShowMessage(Kind, const std::string &text, const std::string &) override
    {
        std::cerr << ConsoleUtf8(ReplaceAll(text, "\r", "\n")) << "\n";
    }
    Answer Ask(const std::string &text, Buttons, Answer def, const std::string &) override
    {
        ShowMessage(Kind::Information, text, {});
        return def;
    }
};

nlohmann::ordered_json MessageLines(const std::string &text)
{
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

// The result of one batch request (`text`, line `number` of the input).
nlohmann::ordered_json RateBatchLine(TToolApplication &application, const std::string &text,
                                     size_t number)
{
    nlohmann::ordered_json out = {{"line", number}};
    std::ostringstream messages;
    std::streambuf *const standardError = std::cerr.rdbuf(messages.rdbuf());
    TGatheringPrompter prompter;
    Prompter *const previous = SetPrompter(&prompter);
    int status = 1;
    try {
        const TRateRequest request = ParseRateRequest(text, "line");
        TQuoteRun run;
        run.Request = &request;
        TRequestQuote made;
        status = MakeRequestQuote(application, request, run, made);
        if (status == 0) {
            TVereDivoQuote &quote = *made.Quote;
            const bool rated = quote.CalculatePremium();
            status = rated && quote.Results.TotalPremium != 0 ? 0 : 2;
            if (!rated && quote.Classes().empty()) {
                std::cerr << "veredivo-rate: the quote has no class lines to rate\n";
            }
            out["status"] = status;
            out.update(QuoteJson(quote, rated, false, run.Requested));
        }
    } catch (const ERateRequestError &error) {
        std::cerr << "veredivo-rate: line " << number << ": " << error.what() << "\n";
        status = 1;
    } catch (const std::exception &error) {
        std::cerr << "veredivo-rate: " << ConsoleUtf8(error.what()) << "\n";
        status = 1;
    }
    SetPrompter(previous);
    std::cerr.rdbuf(standardError);
    out["status"] = status;
    out["messages"] = MessageLines(messages.str());
    if (!out.contains("amounts")) {
        out["error"] = out["messages"].empty() ? "the request was not rated"
                                               : out["messages"].back().get<std::string>();
    }
    return out;
}

// --batch: a request on each line of standard input, a result on each line of standard output;
// a bad request gives its line's error and the others are still rated. The exit status is the
// worst of them.
int RateBatch(TToolApplication &application)
{
    int status = 0;
    size_t number = 0;
    for (std::string text; std::getline(std::cin, text);) {
        ++number;
        if (Trim(text).empty()) {
            continue;
        }
        const nlohmann::ordered_json out = RateBatchLine(application, text, number);
        status = std::max(status, out["status"].get<int>());
        std::cout << out.dump() << "\n";
    }
    return status;
}

bool IsFolder(const std::string &path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// The worksheet of a quote named `stem` under --pdf: the path given, or in the folder given.
std::string PdfPath(const std::string &given, const std::string &stem)
{
    if (given.empty() || !IsFolder(given)) {
        return given;
    }
    return (std::filesystem::path(given) / (stem + ".pdf")).string();
}

// Each request file in turn; one that fails is reported and the others still run. The exit
// status is the worst of them.
int RateRequestFiles(TToolApplication &application, const TOptions &options)
{
    const bool several = options.Files.size() > 1;
    nlohmann::ordered_json batch = nlohmann::ordered_json::array();
    int status = 0;
    for (const std::string &file : options.Files) {
        TQuoteRun run;
        run.File = file;
        run.Pdf = PdfPath(options.Pdf, std::filesystem::path(file).stem().string());
        run.Batch = several && options.Json ? &batch : nullptr;
        if (several && !options.Json) {
            std::cout << (&file == &options.Files.front() ? "" : "\n") << "== " << file << "\n";
        }
        std::string failure;
        try {
            status = std::max(status, RateRequestFile(application, options, run));
            continue;
        } catch (const ERateRequestError &error) {
            failure = file + ": " + error.what();
        } catch (const std::exception &error) {
            failure = ConsoleUtf8(error.what());
        }
        std::cerr << "veredivo-rate: " << failure << "\n";
        if (run.Batch != nullptr) {
            batch.push_back({{"file", file}, {"error", failure}});
        }
        status = 1;
    }
    if (several && options.Json) {
        std::cout << batch.dump(2) << "\n";
    }
    return status;
}

int OpenStoredQuote(TToolApplication &application, const TOptions &options)
{
    TVereDivoCustDBO &store = application.Info().QuoteDB().CustDBO();
    const std::unique_ptr<TCustLOBInfo> header = store.LoadQuoteHeader(options.QuoteID);
    if (!header) {
        std::cerr << "veredivo-rate: no quote " << options.QuoteID << " is stored\n";
        return 1;
    }
    // The plan stored with the quote replaces the program's broker.
    const int32_t broker =
        TIniFile(application.DataFolder() + "About.ini").ReadInteger("Detail", "Active_Broker", 1);
    std::unique_ptr<TVereDivoQuote> quote = CreateStateQuote(broker, application, *header);
    if (!quote) {
        return 1; // the system's message has been shown
    }
    TControlInterface controls;
    BuildInputs(application, *quote, controls);
    application.Info().QuoteDB().LoadQuote(*quote);
    quote->RefreshDependentInputs();
    TQuoteRun run;
    run.Pdf = PdfPath(options.Pdf, "quote-" + IntText(options.QuoteID));
    return RateAndPrint(application, *quote, options, run);
}

int ListStoredQuotes(TToolApplication &application, const TOptions &options)
{
    TVereDivoCustDBO &store = application.Info().QuoteDB().CustDBO();
    // One state of the store for the whole listing.
    const TVereDivoCustDBO::TReading reading(store);
    const std::vector<TCustomerListEntry> customers = store.ListCustomers();
    if (options.Json) {
        nlohmann::ordered_json out = nlohmann::ordered_json::array();
        for (const TCustomerListEntry &customer : customers) {
            nlohmann::ordered_json quotes = nlohmann::ordered_json::array();
            for (const auto &header : store.ListQuotes(customer.CustomerNumber)) {
                quotes.push_back(
                    {{"quoteId", header->QuoteID()},
                     {"text", Windows1252ToUtf8(TVereDivoCustDBO::QuoteDisplayText(*header))}});
            }
            out.push_back({{"customerNumber", customer.CustomerNumber},
                           {"company", Windows1252ToUtf8(customer.Company)},
                           {"quotes", quotes}});
        }
        std::cout << out.dump(2) << "\n";
        return 0;
    }
    if (customers.empty()) {
        std::cout << "There are no Customers in the database.\n";
        return 0;
    }
    for (const TCustomerListEntry &customer : customers) {
        std::cout << Windows1252ToUtf8(customer.Company) << "  (customer "
                  << customer.CustomerNumber << ")\n";
        for (const auto &header : store.ListQuotes(customer.CustomerNumber)) {
            std::cout << PadLeft(IntText(header->QuoteID()), 8) << "  "
                      << Windows1252ToUtf8(TVereDivoCustDBO::QuoteDisplayText(*header)) << "\n";
        }
    }
    return 0;
}

int DeleteStoredQuote(TToolApplication &application, const TOptions &options)
{
    TVereDivoCustDBO &store = application.Info().QuoteDB().CustDBO();
    if (!store.LoadQuoteHeader(options.QuoteID)) {
        std::cerr << "veredivo-rate: no quote " << options.QuoteID << " is stored\n";
        return 1;
    }
    store.DeleteQuote(options.QuoteID);
    std::cout << "Quote " << options.QuoteID << " deleted.\n";
    return 0;
}

// Empty when the arguments are understood, else what is wrong with them.
std::string ParseOptions(int argc, char **argv, TOptions &options)
{
    bool modeGiven = false;
    std::string modeName;
    const auto mode = [&](TMode chosen, const std::string &name) {
        if (modeGiven) {
            return modeName + " and " + name + " cannot be given together";
        }
        modeGiven = true;
        modeName = name;
        options.Mode = chosen;
        return std::string();
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const auto needsValue = [&arg](const char *what) { return arg + " needs " + what; };
        std::string wrong;
        if (arg == "--json") {
            options.Json = true;
        } else if (arg == "--log") {
            options.Log = true;
        } else if (arg == "--program-dir") {
            if (!hasValue) {
                return needsValue("a folder");
            }
            options.ProgramDir = argv[++i];
        } else if (arg == "--pool-docx") {
            if (!hasValue) {
                return needsValue("a file");
            }
            if (!options.PoolDocx.empty()) {
                return "--pool-docx is given twice";
            }
            options.PoolDocx = argv[++i];
        } else if (arg == "--save" || arg == "--list" || arg == "--batch") {
            wrong = mode(arg == "--save"       ? TMode::Save
                             : arg == "--list" ? TMode::List
                                               : TMode::Batch,
                         arg);
        } else if (arg == "--open" || arg == "--delete") {
            if (!hasValue) {
                return needsValue("a quote ID");
            }
            wrong = mode(arg == "--open" ? TMode::Open : TMode::Delete, arg);
            const std::string id = argv[++i];
            if (wrong.empty() && (!TryStrToInt(id, options.QuoteID) || options.QuoteID <= 0)) {
                wrong = arg + " needs a quote ID (1 or more), not \"" + id + "\"";
            }
        } else if (arg == "--application") {
            if (!hasValue) {
                return needsValue("acord, pool or finance");
            }
            if (options.Application != 0) {
                return "--application is given twice";
            }
            const std::string kind = argv[++i];
            options.Application = kind == "acord" || kind == "1" ? 1
                : kind == "pool" || kind == "2"                  ? 2
                : kind == "finance"                              ? 3
                                                                 : -1;
            if (options.Application < 0) {
                wrong = "--application takes acord, pool or finance, not \"" + kind + "\"";
            }
        } else if (arg == "--pdf") {
            if (!hasValue || argv[i + 1][0] == '\0') {
                return needsValue("a file or a folder");
            }
            options.Pdf = argv[++i];
        } else if (!arg.empty() && arg[0] != '-') {
            options.Files.push_back(arg);
        } else {
            wrong = "unknown option " + arg;
        }
        if (!wrong.empty()) {
            return wrong;
        }
    }
    const bool needsFile = options.Mode == TMode::Rate || options.Mode == TMode::Save;
    if (needsFile && options.Files.empty()) {
        return "no quote file is given";
    }
    if (!needsFile && !options.Files.empty()) {
        return modeName + " takes no quote file";
    }
    // Several quotes only where each can leave its worksheet.
    const bool several = options.Files.size() > 1;
    // The pool application is written for one quote from its request.
    if (!options.PoolDocx.empty() && (!needsFile || several)) {
        return "--pool-docx writes the pool application of one quote file";
    }
    // The application goes nowhere but into the PDF.
    if (options.Application != 0 && options.Pdf.empty()) {
        return "--application needs --pdf";
    }
    if (!options.Pdf.empty() &&
        (options.Mode == TMode::List || options.Mode == TMode::Delete ||
         options.Mode == TMode::Batch)) {
        return "--pdf cannot be given with " + modeName;
    }
    if (several && (options.Mode != TMode::Rate || options.Pdf.empty())) {
        return "several quote files are rated only with --pdf FOLDER (and without --save)";
    }
    return {};
}

// Several worksheets go to a folder that exists, and no two of them to the same file.
bool CheckPdfFolder(const TOptions &options)
{
    if (options.Files.size() < 2) {
        return true;
    }
    if (!IsFolder(options.Pdf)) {
        std::cerr << "veredivo-rate: --pdf " << options.Pdf
                  << ": with several quote files this must be an existing folder\n";
        return false;
    }
    std::set<std::string> names;
    for (const std::string &file : options.Files) {
        if (!names.insert(std::filesystem::path(file).stem().string()).second) {
            std::cerr << "veredivo-rate: two quote files are named "
                      << std::filesystem::path(file).stem().string()
                      << "; their worksheets would overwrite each other\n";
            return false;
        }
    }
    return true;
}

#ifdef VEREDIVO_RATE_PDF_COMMAND
// The same request to the command beside this one that draws PDFs and writes Word documents;
// returns only when that command cannot be started.
int HandOverToPdfCommand(char **argv, const std::string &output)
{
    const std::string command = ExtractFilePath(ProgramFile()) + VEREDIVO_RATE_PDF_COMMAND;
    execv(command.c_str(), argv);
    std::cerr << "veredivo-rate: cannot start " << command << " for the " << output << ": "
              << std::strerror(errno) << "\n";
    return 1;
}
#endif

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << Usage;
        return 0;
    }
    TOptions options;
    if (const std::string wrong = ParseOptions(argc, argv, options); !wrong.empty()) {
        std::cerr << "veredivo-rate: " << wrong << "\n" << Usage;
        return 1;
    }
    if (!CheckPdfFolder(options)) {
        return 1;
    }
#ifdef VEREDIVO_RATE_PDF_COMMAND
    if (!options.Pdf.empty()) {
        return HandOverToPdfCommand(argv, "PDF");
    }
    if (!options.PoolDocx.empty()) {
        return HandOverToPdfCommand(argv, "Word document");
    }
#endif
#ifdef VEREDIVO_RATE_PDF
    // The worksheet and the forms are drawn with Qt's fonts; no window is ever shown.
    std::unique_ptr<QApplication> qt;
    int qtArgc = 1;
    if (!options.Pdf.empty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qt = std::make_unique<QApplication>(qtArgc, argv);
    }
#endif
    try {
        TToolApplication application(
            options.ProgramDir.empty() ? ProgramFolder() : IncludeTrailingSlash(options.ProgramDir),
            options.Log);
        application.ShareOneRateBook();
        switch (options.Mode) {
        case TMode::Rate:
        case TMode::Save:
            return RateRequestFiles(application, options);
        case TMode::Open:
            return OpenStoredQuote(application, options);
        case TMode::List:
            return ListStoredQuotes(application, options);
        case TMode::Delete:
            return DeleteStoredQuote(application, options);
        case TMode::Batch:
            return RateBatch(application);
        }
    } catch (const std::exception &error) {
        std::cerr << "veredivo-rate: " << ConsoleUtf8(error.what()) << "\n";
    }
    return 1;
}
