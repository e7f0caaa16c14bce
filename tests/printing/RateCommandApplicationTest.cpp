// The rating command's application PDFs (--application with --pdf) on the delivered tables,
// read back with poppler: the filled application carries the insured, the agency, and every
// class with its payroll and premium as the command rated them; a plan without the form says
// so and leaves no file.

#include "core/Paths.h"
#include "core/Text.h"
#include "support/Commands.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

std::string Request(const std::string &state, int broker)
{
    return R"({ "state": ")" + state + R"(", "broker": )" + std::to_string(broker) +
        R"(, "effective": ")" + (state == "NJ" ? "01/01/2027" : "07/01/2026") + R"(",
  "classes": [ { "code": "5645", "payroll": 250000, "employees": 6 },
               { "code": "5437", "payroll": 120000, "employees": 3 },
               { "code": "8810", "payroll": 60000, "employees": 2 } ],
  "customer": { "company": "Ashby Bakery", "first": "Lee", "last": "Ashby",
                "street": "4 Mill Rd", "city": "Lowell", "state": ")" +
        state + R"(", "zip": "01852" },
  "agency": { "name": "Harbor Insurance Agency", "street": "12 Water St", "city": "Salem",
              "state": "MA", "zip": "01970", "phone": "(978)555-0100" } })";
}

TCommandResult Rate(const std::string &arguments)
{
    return RunCommand(ShellQuoted(VEREDIVO_RATE_COMMAND) + " --program-dir " +
                      ShellQuoted(BuiltProgramFolder()) + " " + arguments + " 2>&1");
}

// pdftotext's text with every run of blanks made one blank, so that a value split across
// columns of the layout is still found as one.
std::string FlatText(const std::string &pdf)
{
    std::string flat;
    for (const char c : PdfText(pdf)) {
        const bool blank = c == ' ' || c == '\n' || c == '\f';
        if (!blank || (!flat.empty() && flat.back() != ' ')) {
            flat += blank ? ' ' : c;
        }
    }
    return flat;
}

// The quote file rated with --json; null (and the failure reported) when it does not rate.
nlohmann::json RatedJson(const std::string &file)
{
    const TCommandResult rated = Rate("--json " + ShellQuoted(file));
    EXPECT_EQ(rated.Status, 0) << rated.Out;
    const size_t start = rated.Out.find('{');
    return rated.Status == 0 && start != std::string::npos
        ? nlohmann::json::parse(rated.Out.substr(start))
        : nlohmann::json();
}

} // namespace

TEST(RateCommandApplication, TheApplicationCarriesTheInsuredTheAgencyAndEveryClass)
{
    ScratchFolder folder;
    folder.WriteFile("ma.json", Request("MA", 5));
    const nlohmann::json quote = RatedJson(folder.File("ma.json"));
    ASSERT_FALSE(quote.is_null());

    const std::string pdf = folder.File("application.pdf");
    const TCommandResult written = Rate("--application acord --pdf " + ShellQuoted(pdf) + " " +
                                        ShellQuoted(folder.File("ma.json")));
    ASSERT_EQ(written.Status, 0) << written.Out;
    EXPECT_NE(written.Out.find("Application: " + pdf), std::string::npos) << written.Out;
    EXPECT_FALSE(FileExists(pdf + ".part"));
    const std::string info = PdfInfo(pdf);
    EXPECT_NE(info.find("Pages:           4\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Title:           ACORD130B"), std::string::npos) << info;

    const std::string text = FlatText(pdf);
    for (const char *expected :
         {"ASHBY BAKERY", "Harbor Insurance Agency", "4 Mill Rd", "Lowell"}) {
        EXPECT_NE(UpperCase(text).find(UpperCase(expected)), std::string::npos) << expected;
    }
    ASSERT_EQ(quote.at("classes").size(), 3u);
    // The form prints its amounts as plain whole numbers.
    const auto word = [&text](const std::string &value) {
        return text.find(" " + value + " ") != std::string::npos;
    };
    for (const auto &line : quote.at("classes")) {
        EXPECT_TRUE(word(line.at("code").get<std::string>())) << line;
        // The whole description: the form's field is sized for the class table's phrases.
        EXPECT_NE(text.find(line.at("description").get<std::string>()), std::string::npos) << line;
        EXPECT_TRUE(word(IntText(line.at("payroll").get<int32_t>()))) << line;
        EXPECT_TRUE(word(IntText(line.at("premium").get<int32_t>()))) << line;
    }
    EXPECT_TRUE(word(IntText(quote.at("amounts").at("TotalPremium").get<int32_t>())));
}

TEST(RateCommandApplication, ThePoolApplicationOrWhyThePlanHasNone)
{
    ScratchFolder folder;
    folder.WriteFile("nj.json", Request("NJ", 5));
    const std::string pool = folder.File("pool.pdf");
    const TCommandResult written = Rate("--application pool --pdf " + ShellQuoted(pool) + " " +
                                        ShellQuoted(folder.File("nj.json")));
    ASSERT_EQ(written.Status, 0) << written.Out;
    EXPECT_NE(PdfInfo(pool).find("Title:           NJPOOL"), std::string::npos);
    const std::string text = UpperCase(FlatText(pool));
    EXPECT_NE(text.find("ASHBY BAKERY"), std::string::npos);
    EXPECT_NE(text.find("5645"), std::string::npos);

    // Broker 1's MA plan names no pool application form.
    folder.WriteFile("ma1.json", Request("MA", 1));
    const std::string none = folder.File("none.pdf");
    const TCommandResult refused = Rate("--application pool --pdf " + ShellQuoted(none) + " " +
                                        ShellQuoted(folder.File("ma1.json")));
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Out.find("The MA plan has no pool application form."), std::string::npos)
        << refused.Out;
    EXPECT_FALSE(FileExists(none));
    EXPECT_FALSE(FileExists(none + ".part"));

    // The application goes only into a PDF.
    EXPECT_EQ(Rate("--application acord " + ShellQuoted(folder.File("ma1.json"))).Status, 1);
}

TEST(RateCommandApplication, TheFinanceAgreementOrWhyThePlanHasNone)
{
    ScratchFolder folder;
    folder.WriteFile("ma.json", Request("MA", 5));
    const nlohmann::json quote = RatedJson(folder.File("ma.json"));
    ASSERT_FALSE(quote.is_null());
    const int32_t total = quote.at("amounts").at("TotalPremium").get<int32_t>();

    const std::string pdf = folder.File("agreement.pdf");
    const TCommandResult written = Rate("--application finance --pdf " + ShellQuoted(pdf) + " " +
                                        ShellQuoted(folder.File("ma.json")));
    ASSERT_EQ(written.Status, 0) << written.Out;
    EXPECT_NE(written.Out.find("Finance agreement: " + pdf), std::string::npos) << written.Out;
    const std::string text = UpperCase(FlatText(pdf));
    EXPECT_NE(text.find("ASHBY BAKERY"), std::string::npos) << text;
    EXPECT_NE(text.find(UpperCase("Harbor Insurance Agency")), std::string::npos) << text;
    // The premium the agreement finances is the rated total.
    EXPECT_NE(text.find(IntText(total)), std::string::npos) << total << "\n" << text;

    // Broker 1's plan offers no finance agreement.
    folder.WriteFile("ma1.json", Request("MA", 1));
    const std::string none = folder.File("none.pdf");
    const TCommandResult refused = Rate("--application finance --pdf " + ShellQuoted(none) + " " +
                                        ShellQuoted(folder.File("ma1.json")));
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Out.find("The plan of this quote has no finance agreement."),
              std::string::npos)
        << refused.Out;
    EXPECT_FALSE(FileExists(none));
}
