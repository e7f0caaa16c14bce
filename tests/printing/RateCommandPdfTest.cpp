// The rating command's worksheet PDFs (--pdf) on the delivered tables, read back with poppler:
// the totals the command rates are the ones the worksheets print, and a quote that cannot be
// printed says why and leaves no file.

#include "core/Text.h"
#include "support/Commands.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace {

const char *const kAgency = R"("agency": { "name": "Harbor Insurance Agency",
    "street": "12 Water St", "city": "Salem", "state": "MA", "zip": "01970",
    "phone": "(978)555-0100", "fax": "(978)555-0101" })";

std::string MARequest(const std::string &extra = kAgency)
{
    return R"({ "state": "MA", "effective": "07/01/2026",
  "classes": [ { "code": "5183", "payroll": 90000, "employees": 4 },
               { "code": "8810", "payroll": 30000, "employees": 2 },
               { "code": "8742", "payroll": 0 } ],
  "inputs": { "lstMerit": "-5", "lstMedical": "1000" },
  "customer": { "company": "Ashby Bakery", "first": "Ann" })" +
        (extra.empty() ? std::string() : ",\n  " + extra) + " }";
}

const std::string kNJRequest = std::string(R"({ "state": "NJ", "effective": "07/01/2026",
  "classes": [ { "code": "5645", "payroll": 150000, "employees": 5 },
               { "code": "8810", "payroll": 40000, "employees": 2 } ],
  "inputs": { "txtExpMod": "1.08", "txtConstCredit": "12" },
  "customer": { "company": "Pine Barrens Framing" }, )") +
    kAgency + " }";

TCommandResult Rate(const std::string &arguments, const std::string &programFolder = "")
{
    return RunCommand(ShellQuoted(VEREDIVO_RATE_COMMAND) + " --program-dir " +
                      ShellQuoted(programFolder.empty() ? BuiltProgramFolder() : programFolder) +
                      " " + arguments + " 2>&1");
}

// The line of the page's text that holds `label`.
std::string LineWith(const std::string &text, const std::string &label)
{
    const size_t at = text.find(label);
    if (at == std::string::npos) {
        return {};
    }
    const size_t start = text.rfind('\n', at) + 1;
    return text.substr(start, text.find('\n', at) - start);
}

// The worksheet prints what the command rated: every summary amount and the total.
void ExpectWorksheetOf(const nlohmann::json &rated, const std::string &company)
{
    const std::string pdf = rated.at("pdf").get<std::string>();
    const std::string info = PdfInfo(pdf);
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Title:           Estimated Workers Compensation Quotation"),
              std::string::npos);
    EXPECT_NE(info.find("Author:          Harbor Insurance Agency"), std::string::npos);
    const std::string text = PdfText(pdf);
    EXPECT_NE(LineWith(text, "Policyholder's Name:").find(company), std::string::npos) << text;
    EXPECT_NE(text.find("Salem, MA 01970"), std::string::npos) << text;
    const size_t section = text.find("Estimated Premiums and Adjustments:");
    ASSERT_NE(section, std::string::npos) << text;
    for (const auto &line : rated.at("summary")) {
        const std::string row = LineWith(text.substr(section), line.at("label").get<std::string>());
        EXPECT_NE(row.find(GroupedText(line.at("amount").get<int32_t>())), std::string::npos)
            << line << "\n"
            << text;
    }
    const int32_t total = rated.at("amounts").at("TotalPremium").get<int32_t>();
    EXPECT_NE(text.find("Your Total Estimated Cost is: " + MoneyText(total)), std::string::npos)
        << text;
}

} // namespace

TEST(RateCommandPdf, EachQuoteOfABatchGetsItsWorksheetWithTheTotalItWasRatedAt)
{
    ScratchFolder folder;
    folder.WriteFile("ma.json", MARequest());
    folder.WriteFile("nj.json", kNJRequest);
    std::filesystem::create_directory(folder.File("out"));

    const TCommandResult batch =
        Rate("--json --pdf " + ShellQuoted(folder.File("out")) + " " +
             ShellQuoted(folder.File("ma.json")) + " " + ShellQuoted(folder.File("nj.json")));
    ASSERT_EQ(batch.Status, 0) << batch.Out;
    const auto rated = nlohmann::json::parse(batch.Out.substr(batch.Out.find('[')));
    ASSERT_EQ(rated.size(), 2u);
    EXPECT_EQ(rated[0].at("pdf"), folder.File("out") + "/ma.pdf");
    EXPECT_EQ(rated[1].at("pdf"), folder.File("out") + "/nj.pdf");
    EXPECT_EQ(rated[1].at("state"), "NJ");
    ExpectWorksheetOf(rated[0], "Ashby Bakery");
    ExpectWorksheetOf(rated[1], "Pine Barrens Framing");
    EXPECT_NE(LineWith(PdfText(folder.File("out/ma.pdf")), "8742 - ").find("$ If Any"),
              std::string::npos);

    // One quote alone to a file: the same total as the rating without a PDF.
    const TCommandResult alone = Rate("--json " + ShellQuoted(folder.File("ma.json")));
    ASSERT_EQ(alone.Status, 0) << alone.Out;
    const auto plain = nlohmann::json::parse(alone.Out.substr(alone.Out.find('{')));
    const TCommandResult single = Rate("--pdf " + ShellQuoted(folder.File("one.pdf")) + " " +
                                       ShellQuoted(folder.File("ma.json")));
    ASSERT_EQ(single.Status, 0) << single.Out;
    EXPECT_NE(single.Out.find("Worksheet: " + folder.File("one.pdf")), std::string::npos);
    const int32_t total = plain.at("amounts").at("TotalPremium").get<int32_t>();
    EXPECT_EQ(total, rated[0].at("amounts").at("TotalPremium").get<int32_t>());
    EXPECT_NE(
        PdfText(folder.File("one.pdf")).find("Your Total Estimated Cost is: " + MoneyText(total)),
        std::string::npos);
}

TEST(RateCommandPdf, WithoutAnAgencyInTheRequestTheProgramsProfileIsPrinted)
{
    // A program folder of its own with the delivered tables and an agency profile.
    ScratchFolder program;
    std::filesystem::create_directory_symlink(BuiltProgramFolder() + "Data", program.File("Data"));
    program.WriteFile("veredivo.ini",
                      "[Agency Info]\nName=Harbor Insurance Agency\nStreet=12 Water St\n"
                      "City=Salem\nState=MA\nZip=01970\nPhone=(978)555-0100\n");
    program.WriteFile("ma.json", MARequest(""));
    const TCommandResult result = Rate("--json --pdf " + ShellQuoted(program.File("ma.pdf")) + " " +
                                           ShellQuoted(program.File("ma.json")),
                                       program.Path());
    ASSERT_EQ(result.Status, 0) << result.Out;
    ExpectWorksheetOf(nlohmann::json::parse(result.Out.substr(result.Out.find('{'))),
                      "Ashby Bakery");

    // No profile and none in the request: the program's own refusal.
    program.WriteFile("veredivo.ini", "[Agency Info]\nName=\n");
    const TCommandResult none = Rate("--pdf " + ShellQuoted(program.File("none.pdf")) + " " +
                                         ShellQuoted(program.File("ma.json")),
                                     program.Path());
    EXPECT_EQ(none.Status, 1);
    EXPECT_NE(none.Out.find("Cannot print Quote without an Agency Profile"), std::string::npos)
        << none.Out;
    EXPECT_FALSE(std::filesystem::exists(program.File("none.pdf")));
}

TEST(RateCommandPdf, AQuoteThatCannotBePrintedSaysWhyAndLeavesNoFile)
{
    ScratchFolder folder;
    std::string noCompany = MARequest();
    noCompany.replace(noCompany.find("Ashby Bakery"), 12, "");
    folder.WriteFile("nocompany.json", noCompany);
    folder.WriteFile("noclass.json",
                     R"({ "state": "MA", "effective": "07/01/2026",
      "customer": { "company": "Ashby Bakery" }, )" +
                         std::string(kAgency) + " }");
    folder.WriteFile("ma.json", MARequest());
    folder.WriteFile("broken.json", "{ \"state\": ");

    const auto pdfIn = [&](const std::string &name) {
        return "--pdf " + ShellQuoted(folder.File(name + ".pdf")) + " " +
            ShellQuoted(folder.File(name + ".json"));
    };
    const TCommandResult noName = Rate(pdfIn("nocompany"));
    EXPECT_EQ(noName.Status, 1);
    EXPECT_NE(noName.Out.find("Unable to print without a Company Name"), std::string::npos)
        << noName.Out;
    const TCommandResult noPremium = Rate(pdfIn("noclass"));
    EXPECT_EQ(noPremium.Status, 2);
    EXPECT_NE(noPremium.Out.find("Cannot print Quote without a valid premium"), std::string::npos)
        << noPremium.Out;
    EXPECT_FALSE(std::filesystem::exists(folder.File("nocompany.pdf")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("noclass.pdf")));

    // A folder that does not exist: the file named, nothing written.
    const std::string unwritable = folder.File("missing/ma.pdf");
    const TCommandResult cannot =
        Rate("--pdf " + ShellQuoted(unwritable) + " " + ShellQuoted(folder.File("ma.json")));
    EXPECT_EQ(cannot.Status, 1);
    EXPECT_NE(cannot.Out.find(unwritable), std::string::npos) << cannot.Out;
    EXPECT_FALSE(std::filesystem::exists(folder.File("missing")));

    // Several quotes need a folder; in a batch a broken file is named and the others print.
    const TCommandResult notFolder =
        Rate("--pdf " + ShellQuoted(folder.File("x.pdf")) + " " +
             ShellQuoted(folder.File("ma.json")) + " " + ShellQuoted(folder.File("noclass.json")));
    EXPECT_EQ(notFolder.Status, 1);
    EXPECT_NE(notFolder.Out.find("must be an existing folder"), std::string::npos);
    std::filesystem::create_directory(folder.File("out"));
    const TCommandResult batch =
        Rate("--pdf " + ShellQuoted(folder.File("out")) + " " +
             ShellQuoted(folder.File("broken.json")) + " " + ShellQuoted(folder.File("ma.json")));
    EXPECT_EQ(batch.Status, 1);
    EXPECT_NE(batch.Out.find(folder.File("broken.json") + ": the file is not valid JSON"),
              std::string::npos)
        << batch.Out;
    EXPECT_FALSE(std::filesystem::exists(folder.File("out/broken.pdf")));
    EXPECT_NE(PdfText(folder.File("out/ma.pdf")).find("Your Total Estimated Cost is:"),
              std::string::npos);
}
