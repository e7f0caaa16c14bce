// veredivo-rate: rates a quote described in a small JSON file against the program folder's
// delivered tables and prints the premium summary as the worksheet labels it.

#include "RateRequest.h"
#include "ToolApplication.h"

#include "core/Encoding.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "rating/VereDivoQuote.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

const char *const Usage =
    "usage: veredivo-rate [--program-dir DIR] [--json] [--log] QUOTE.json\n"
    "  Rates the quote in QUOTE.json against the tables in DIR/Data/ (default: the folder of\n"
    "  the installed program) and prints the premium summary and the total.\n"
    "  --json  prints every result amount by name as JSON instead\n"
    "  --log   writes the quote's log lines to standard error\n";

// A request the tables cannot rate: an unknown class, input or list entry.
class ERequestMismatch : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

std::string ReadWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ERateRequestError("cannot read " + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quoted(const std::string &text)
{
    return "\"" + Windows1252ToUtf8(text) + "\"";
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
        line->SetPayroll(wanted.Payroll);
        line->SetEmployees(wanted.Employees);
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
        }
        control->NotifyExit();
    }
}

void PrintSummary(TVereDivoQuote &quote)
{
    const auto lines = quote.PremiumSummaryLines();
    size_t width = 0;
    for (const TSummaryLine &line : lines) {
        width = std::max(width, line.Label.size());
    }
    for (const TSummaryLine &line : lines) {
        std::cout << PadRight(Windows1252ToUtf8(line.Label), width + 2)
                  << PadLeft(MoneyText(line.Amount), 12) << "\n";
    }
    std::cout << "\nYour Total Estimated Cost is: " << MoneyText(quote.TotalPremium) << "\n";
}

void PrintJson(TVereDivoQuote &quote, bool rated)
{
    nlohmann::ordered_json out;
    out["state"] = quote.StateCode;
    out["broker"] = quote.PlanId;
    out["effective"] = DateToStr(quote.EffectiveDate);
    out["rated"] = rated;
    nlohmann::ordered_json amounts = nlohmann::ordered_json::object();
    for (const auto &[name, value] : quote.ResultAmounts()) {
        amounts[name] = value;
    }
    out["amounts"] = amounts;
    nlohmann::ordered_json summary = nlohmann::ordered_json::array();
    for (const TSummaryLine &line : quote.PremiumSummaryLines()) {
        summary.push_back({{"label", Windows1252ToUtf8(line.Label)}, {"amount", line.Amount}});
    }
    out["summary"] = summary;
    std::cout << out.dump(2) << "\n";
}

} // namespace

int main(int argc, char **argv)
{
    std::string programDir;
    std::string file;
    bool asJson = false;
    bool log = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            asJson = true;
        } else if (arg == "--log") {
            log = true;
        } else if (arg == "--program-dir" && i + 1 < argc) {
            programDir = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return 0;
        } else if (!arg.empty() && arg[0] != '-' && file.empty()) {
            file = arg;
        } else {
            std::cerr << Usage;
            return 1;
        }
    }
    if (file.empty()) {
        std::cerr << Usage;
        return 1;
    }

    try {
        const TRateRequest request = ParseRateRequest(ReadWholeFile(file));
        if (!programDir.empty()) {
            SetProgramFolder(IncludeTrailingSlash(programDir));
        }
        TToolApplication application(ProgramFolder(), log);

        TCustLOBInfo header;
        header.SetState(request.State);
        std::unique_ptr<TVereDivoQuote> quote =
            CreateStateQuote(request.Broker, application, header, request.Effective);
        if (!quote) {
            return 1; // the system's message has been shown
        }
        if (Trim(quote->PlanProfile->State_Name).empty() && quote->PlanProfile->Max_Date == 0) {
            std::cerr << "veredivo-rate: broker " << request.Broker << " has no plan for "
                      << request.State << "\n";
            return 1;
        }
        if (!quote->LoadClassBook()) {
            return 2; // the system's message has been shown
        }

        TControlInterface controls;
        controls.Build(application.Database().Inputs(), application.Database().InputData(), false,
                       quote->RatePeriod(), 1, quote->StateId);
        quote->Bind(controls);
        AddClasses(*quote, request);
        quote->RefreshDependentInputs();
        ApplyInputs(controls, request);

        const bool rated = quote->CalculatePremium();
        if (asJson) {
            PrintJson(*quote, rated);
        } else if (!rated) {
            std::cerr << "veredivo-rate: the quote has no class lines to rate\n";
        } else {
            PrintSummary(*quote);
        }
        return rated && quote->TotalPremium != 0 ? 0 : 2;
    } catch (const ERateRequestError &error) {
        std::cerr << "veredivo-rate: " << file << ": " << error.what() << "\n";
    } catch (const ERequestMismatch &error) {
        std::cerr << "veredivo-rate: " << error.what() << "\n";
    } catch (const std::exception &error) {
        std::cerr << "veredivo-rate: " << error.what() << "\n";
    }
    return 1;
}
