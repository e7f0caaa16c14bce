// The rating command on the fixture plans and on the delivered tables: the hand-worked quotes
// of MAQuoteTest and NJQuoteTest give the same figures through it, and bad requests are told.

#include "support/RateCommand.h"
#include "QuoteHarness.h"

#include "core/Paths.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "support/Commands.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

using CommandResult = RateCommandResult;

CommandResult RunRate(const std::string &programFolder, const std::string &request,
                      const std::string &options = "")
{
    return RunRateCommand(VEREDIVO_RATE_COMMAND, programFolder, request, options);
}

std::string DeliveredProgramFolder()
{
    const char *folder = std::getenv("VEREDIVO_PROGRAM_DIR");
    return folder ? std::string(folder) + "/" : std::string();
}

const char *const MAVoluntary = R"({
  "state": "MA", "broker": 1, "effective": "07/01/2026",
  "classes": [
    { "code": "5645", "payroll": 250000, "employees": 6 },
    { "code": "5437", "payroll": 120000, "employees": 3 },
    { "code": "8810", "payroll": 60000, "employees": 2 },
    { "code": "8742", "payroll": 40000, "employees": 1 }
  ],
  "inputs": { "lstPartTwo": "500/500/500", "txtExpMod": "0.92", "txtConstCredit": "9",
              "txtARAP": "1.05" }
})";

const char *const MAPool = R"({
  "state": "MA", "effective": "07/01/2026",
  "classes": [
    { "code": "5183", "payroll": 90000 }, { "code": "7380", "payroll": 45000 },
    { "code": "8810", "payroll": 30000 }
  ],
  "inputs": { "lstMerit": "-5", "lstMedical": "1000" }
})";

const char *const NJVoluntary = R"({
  "state": "NJ", "effective": "07/01/2026",
  "classes": [
    { "code": "5645", "payroll": 150000 }, { "code": "5403", "payroll": 60000 },
    { "code": "8810", "payroll": 40000 }
  ],
  "inputs": { "lstPartTwo": "500/500/500", "txtExpMod": "1.08", "txtConstCredit": "12",
              "txtManagedCare": "0.95" }
})";

const char *const NJMinimum = R"({
  "state": "NJ", "effective": "07/01/2026",
  "classes": [ { "code": "8810", "payroll": 20000 } ],
  "inputs": { "txtPPAPFactor": "1.10" }
})";

int32_t Amount(const CommandResult &result, const std::string &name)
{
    const auto json = nlohmann::json::parse(result.out);
    return json.at("amounts").at(name).get<int32_t>();
}

void ExpectHandWorkedTotals(const std::string &programFolder)
{
    const CommandResult ma = RunRate(programFolder, MAVoluntary, "--json");
    ASSERT_EQ(ma.status, 0) << ma.err;
    EXPECT_EQ(Amount(ma, "TotalManualPremium"), 17907);
    EXPECT_EQ(Amount(ma, "ModifiedPremium"), 16639);
    EXPECT_EQ(Amount(ma, "ConstructionCredit"), -1498);
    EXPECT_EQ(Amount(ma, "StandardPremium"), 15141);
    EXPECT_EQ(Amount(ma, "ArapAdjustment"), 757);
    EXPECT_EQ(Amount(ma, "PremiumDiscount"), -468);
    EXPECT_EQ(Amount(ma, "Assessment"), 630);
    EXPECT_EQ(Amount(ma, "TerrorismCharge"), 141);
    EXPECT_EQ(Amount(ma, "TotalPremium"), 16465);

    const CommandResult pool = RunRate(programFolder, MAPool, "--json");
    ASSERT_EQ(pool.status, 0) << pool.err;
    EXPECT_EQ(Amount(pool, "MeritAdjustment"), -198);
    EXPECT_EQ(Amount(pool, "MedicalDeductible"), -109);
    EXPECT_EQ(Amount(pool, "TotalPremium"), 4116);

    const CommandResult nj = RunRate(programFolder, NJVoluntary, "--json");
    ASSERT_EQ(nj.status, 0) << nj.err;
    EXPECT_EQ(Amount(nj, "ManagedCareCredit"), -1414);
    EXPECT_EQ(Amount(nj, "StandardPremium"), 23478);
    EXPECT_EQ(Amount(nj, "UninsuredEmployersFund"), 23);
    EXPECT_EQ(Amount(nj, "Assessment"), 1061);
    EXPECT_EQ(Amount(nj, "TotalPremium"), 23596);

    const CommandResult small = RunRate(programFolder, NJMinimum, "--json");
    ASSERT_EQ(small.status, 0) << small.err;
    EXPECT_EQ(Amount(small, "BalanceToMin"), 14);
    EXPECT_EQ(Amount(small, "PpapAdjustment"), 5);
    EXPECT_EQ(Amount(small, "TotalPremium"), 224);
}

TEST(RateCommand, HandWorkedQuotesOnTheFixturePlans)
{
    ExpectHandWorkedTotals(FixtureProgramFolder());
}

TEST(RateCommand, HandWorkedQuotesOnTheDeliveredTables)
{
    const std::string folder = DeliveredProgramFolder();
    ASSERT_FALSE(folder.empty());
    ExpectHandWorkedTotals(folder);
}

TEST(RateCommand, DeliveredManagedCareCheckBoxOfBrokerSix)
{
    const CommandResult r = RunRate(DeliveredProgramFolder(), R"({
        "state": "NJ", "broker": 6, "effective": "07/01/2026",
        "classes": [ { "code": "5645", "payroll": 100000 } ],
        "inputs": { "chkManagedCare": true } })",
                                    "--json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Amount(r, "TotalManualPremium"), 12800);
    EXPECT_EQ(Amount(r, "ManagedCareCredit"), -640); // the 2026 tier: -5 %
}

TEST(RateCommand, PrintsTheSummaryAsTheWorksheetLabelsIt)
{
    const CommandResult result = RunRate(FixtureProgramFolder(), MAPool);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "Effective Date: 07/01/2026\n"
              "\n"
              "Total Manual Premium:                    $3,965\n"
              "Unmodified Premium:                      $3,965\n"
              "Merit Rate Adjustment:                    $-198\n"
              "Total Modified Premium:                  $3,767\n"
              "Total Estimated Standard Premium:        $3,767\n"
              "Medical Deductible:                       $-109\n"
              "ARAP:                                        $0\n"
              "Expense Constant:                          $264\n"
              "Terrorism Charge:                           $50\n"
              "DIA Assessment:                            $144\n"
              "Total Estimated Annual Premium:          $4,116\n"
              "\n"
              "Your Total Estimated Cost is: $4,116\n"
              "Down Pay: N/A\n"
              "Payment Terms: 100% Deposit Required (no installments available)\n");
}

TEST(RateCommand, TheDownPaymentAndPaymentTermsAreTheQuotes)
{
    CommandResult r = RunRate(FixtureProgramFolder(), MAVoluntary);
    ASSERT_EQ(r.status, 0) << r.err;
    // The window's box shows the plan's 25 % of $16,465 rounded; the worksheet's terms round
    // the deposit up.
    EXPECT_NE(r.out.find("Your Total Estimated Cost is: $16,465\n"
                         "Down Pay: $4,116  (25%)\n"
                         "Payment Terms: 25.00% Deposit ($4,117) required plus $5.00 installment "
                         "fee - Monthly Installments (9 Installments)\n"),
              std::string::npos)
        << r.out;

    r = RunRate(FixtureProgramFolder(), MAVoluntary, "--json");
    ASSERT_EQ(r.status, 0) << r.err;
    nlohmann::json down = nlohmann::json::parse(r.out).at("downPayment");
    EXPECT_EQ(down["fullPaymentRequired"], false);
    EXPECT_EQ(down["percent"], 25.0);
    EXPECT_EQ(down["amount"], 4116);
    EXPECT_EQ(down["text"], "$4,116  (25%)");
    EXPECT_NE(down["paymentTerms"].get<std::string>().find("($4,117)"), std::string::npos);

    r = RunRate(FixtureProgramFolder(), MAPool, "--json");
    down = nlohmann::json::parse(r.out).at("downPayment");
    EXPECT_EQ(down["fullPaymentRequired"], true);
    EXPECT_TRUE(down["amount"].is_null());
    EXPECT_EQ(down["text"], "N/A");

    // No premium, no down payment.
    r = RunRate(FixtureProgramFolder(), R"({"state": "MA", "effective": "07/01/2026",
        "classes": []})",
                "--json");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(nlohmann::json::parse(r.out).at("downPayment").is_null()) << r.out;
}

TEST(RateCommand, UnknownCodesInputsEntriesAndStatesAreNamed)
{
    const std::string folder = FixtureProgramFolder();
    const auto run = [&folder](const std::string &request) { return RunRate(folder, request); };

    CommandResult r = run(R"({"state": "MA", "effective": "07/01/2026",
                              "classes": [{"code": "1234", "payroll": 1000}]})");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unknown class code \"1234\""), std::string::npos) << r.err;

    r = run(R"({"state": "MA", "effective": "07/01/2026",
                "classes": [{"code": "8810", "payroll": 1000}], "inputs": {"txtNoSuch": "1"}})");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unknown rating input \"txtNoSuch\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("txtExpMod"), std::string::npos) << r.err; // the inputs are listed

    r = run(R"({"state": "MA", "effective": "07/01/2026",
                "classes": [{"code": "8810", "payroll": 1000}],
                "inputs": {"lstPartTwo": "2/2/2"}})");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unknown entry \"2/2/2\" for \"lstPartTwo\"; its entries are: "
                         "\"100/500/100\", \"100/1000/100\""),
              std::string::npos)
        << r.err;

    r = run(R"({"state": "NY", "classes": []})");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unrecognized State requested.  Unable to continue with quote."),
              std::string::npos)
        << r.err;

    r = run(R"({"state": "MA", "classes": [{"code": "8810", "payroll": -5}]})");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("quote.classes[0].payroll: must be a whole number"), std::string::npos)
        << r.err;

    r = run(R"({"state": "MA", "classes": [)");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not valid JSON"), std::string::npos) << r.err;
}

TEST(RateCommand, AManualPremiumBeyondThe32BitRangeIsRefused)
{
    // 8,000,000 domestic workers at $285 each.
    const CommandResult r = RunRate(DeliveredProgramFolder(), R"({
        "state": "NJ", "effective": "07/01/2026",
        "classes": [ { "code": "0913", "payroll": 0, "employees": 8000000 } ] })");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("The premium of class 0913 ($2,280,000,000) does not fit the largest "
                         "amount the program can rate ($2,147,483,647)."),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("no class lines"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("2,147,483,647"), std::string::npos) << r.out;
}

TEST(RateCommand, InputsTheProgramRefusesAreNamedAndFailTheCommand)
{
    std::string request = MAVoluntary;
    const std::string credit = "\"txtConstCredit\": \"9\"";
    request.replace(request.find(credit), credit.size(), "\"txtConstCredit\": \"150\"");
    CommandResult r = RunRate(FixtureProgramFolder(), request);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Construction Credit cannot be more than 100%."), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("rating input \"txtConstCredit\" was not applied as written "
                         "(\"150\"); the program set it to \"0\""),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out.find("$-"), std::string::npos) << r.out;

    r = RunRate(FixtureProgramFolder(), R"({"state": "MA", "effective": "07/01/2026",
        "classes": [{"code": "8810", "payroll": 100000}], "inputs": {"txtExpMod": "abc"}})");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("rating input \"txtExpMod\" takes a number, not \"abc\""),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("greater than"), std::string::npos) << r.err;

    // A credit is made negative by the program: that is applying it as written.
    r = RunRate(FixtureProgramFolder(), MAVoluntary);
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(RateCommand, TheSystemsOwnMessagesArePrinted)
{
    CommandResult r = RunRate(FixtureProgramFolder(), R"({"state": "MA", "effective": "07/01/2026",
        "classes": [{"code": "8810", "payroll": 100000}], "inputs": {"txtExpMod": "5"}})");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Experience Mod must be less than 3.0000"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("rating input \"txtExpMod\" was not applied as written (\"5\"); the "
                         "program set it to \"1.00\""),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");

    // The mod the program puts back may be as large as the refused one.
    r = RunRate(FixtureProgramFolder(), R"({"state": "MA", "effective": "07/01/2026",
        "classes": [{"code": "8810", "payroll": 100000}], "inputs": {"txtExpMod": "-1"}})");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Experience Mod must be greater than 0.2000"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("rating input \"txtExpMod\" was not applied as written (\"-1\")"),
              std::string::npos)
        << r.err;
}

TEST(RateCommand, TheEffectiveDateRatedIsTold)
{
    // Before the plan's first rating date the quote moves the date; the command says so.
    CommandResult r = RunRate(FixtureProgramFolder(), R"({"state": "MA", "effective": "01/01/1990",
        "classes": [{"code": "8810", "payroll": 100000}]})");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "veredivo-rate: the effective date 01/01/1990 is before the plan's first rating "
              "date; the quote is rated at 01/01/2026\n");
    EXPECT_EQ(r.out.rfind("Effective Date: 01/01/2026\n\n", 0), 0u) << r.out;
    r = RunRate(FixtureProgramFolder(), R"({"state": "MA", "effective": "01/01/1990",
        "classes": [{"code": "8810", "payroll": 100000}]})",
                "--json");
    ASSERT_EQ(r.status, 0) << r.err;
    auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["effective"], "01/01/2026");
    EXPECT_EQ(json["requestedEffective"], "01/01/1990");
    // A date the plan rates is rated as given, without a word.
    r = RunRate(FixtureProgramFolder(), MAPool, "--json");
    EXPECT_EQ(r.err, "");
    json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["effective"], "07/01/2026");
    EXPECT_FALSE(json.contains("requestedEffective"));

    // After the plan's last date the tables cannot rate the quote: the valid dates are given.
    r = RunRate(FixtureProgramFolder(), R"({"state": "MA", "effective": "07/01/2028",
        "classes": [{"code": "8810", "payroll": 100000}]})");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "This Date has no valid classifications available\n"
              "veredivo-rate: broker 1's MA plan rates effective dates from 01/01/2026 to "
              "12/31/2027\n");
    EXPECT_EQ(r.out, "");
}

TEST(RateCommand, ArgumentsAndFilesItCannotUseAreNamed)
{
    // Each wrong argument is named before the usage.
    const auto wrong = [](const std::string &arguments) {
        const TCommandResult r =
            RunCommand(ShellQuoted(VEREDIVO_RATE_COMMAND) + " " + arguments + " 2>&1");
        EXPECT_EQ(r.Status, 1) << arguments;
        EXPECT_NE(r.Out.find("\nusage: veredivo-rate"), std::string::npos) << r.Out;
        return r.Out.substr(0, r.Out.find('\n'));
    };
    EXPECT_EQ(wrong("--bogus q.json"), "veredivo-rate: unknown option --bogus");
    EXPECT_EQ(wrong("--json"), "veredivo-rate: no quote file is given");
    EXPECT_EQ(wrong("--open x"), "veredivo-rate: --open needs a quote ID (1 or more), not \"x\"");
    EXPECT_EQ(wrong("--list --save q.json"),
              "veredivo-rate: --list and --save cannot be given together");
    EXPECT_EQ(wrong("--application word --pdf a.pdf q.json"),
              "veredivo-rate: --application takes acord, pool or finance, not \"word\"");
    EXPECT_EQ(wrong("q.json --pdf"), "veredivo-rate: --pdf needs a file or a folder");

    // A folder, or a file that is not there, is not taken for a request that is not JSON.
    ScratchFolder folder;
    folder.WriteFile("sub/placeholder", "");
    const auto rate = [&folder](const std::string &file) {
        return RunCommand(ShellQuoted(VEREDIVO_RATE_COMMAND) + " --program-dir " +
                          ShellQuoted(FixtureProgramFolder()) + " " + ShellQuoted(file) + " 2>&1");
    };
    TCommandResult r = rate(folder.File("sub"));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "veredivo-rate: " + folder.File("sub") + ": is a folder, not a quote file\n");
    r = rate(folder.File("none.json"));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "veredivo-rate: " + folder.File("none.json") + ": no such file\n");
}

TEST(RateCommand, OnlyAPdfOrAWordDocumentStartsTheCommandThatLoadsQt)
{
    // Qt's libraries, and the Word export's zip library, would be most of every start (the
    // usage, a batch of quotes).
    const TCommandResult libraries = RunCommand("ldd " + ShellQuoted(VEREDIVO_RATE_COMMAND));
    ASSERT_EQ(libraries.Status, 0);
    EXPECT_EQ(libraries.Out.find("libQt6"), std::string::npos) << libraries.Out;
    EXPECT_EQ(libraries.Out.find("libzip"), std::string::npos) << libraries.Out;

    // Without its companion command beside it, the command says so and writes nothing.
    ScratchFolder folder;
    std::filesystem::copy_file(VEREDIVO_RATE_COMMAND, folder.File("veredivo-rate"));
    std::filesystem::permissions(folder.File("veredivo-rate"), std::filesystem::perms::owner_all);
    folder.WriteFile("q.json", "{}");
    const struct
    {
        std::string Option;
        std::string Output;
        std::string Told;
    } requests[] = {{"--pdf", "q.pdf", "PDF"}, {"--pool-docx", "q.docx", "Word document"}};
    for (const auto &request : requests) {
        const TCommandResult r =
            RunCommand(ShellQuoted(folder.File("veredivo-rate")) + " " + request.Option + " " +
                       ShellQuoted(folder.File(request.Output)) + " " +
                       ShellQuoted(folder.File("q.json")) + " 2>&1");
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Out,
                  "veredivo-rate: cannot start " + folder.File("veredivo-rate-pdf") + " for the " +
                      request.Told + ": No such file or directory\n");
        EXPECT_FALSE(FileExists(folder.File(request.Output)));
    }
}

// Broker 5's Massachusetts plan with its carpentry class 5645 made a multi-entry (construction)
// line, as a plan with "ConstMulti" makes a class of "Special" 1.
void MakeConstructionPlan(const std::string &dataFolder)
{
    TCBDatabase database;
    TCBTable &plans = database.AddTable("WCPLAN.DBF", dataFolder, true);
    for (plans.First(); !plans.Eof(); plans.Next()) {
        if (plans.GetInteger("Broker_ID") == 5 && plans.GetInteger("State_ID") == 13) {
            plans.SetBoolean("ConstMulti", true);
        }
    }
    TCBTable &classes = database.AddTable("WCCLASS.DBF", dataFolder, true);
    for (classes.First(); !classes.Eof(); classes.Next()) {
        if (classes.GetInteger("Broker_ID") == 5 && classes.GetInteger("State_ID") == 13 &&
            Trim(classes.GetString("C_Code")) == "5645") {
            classes.SetInteger("Special", 1);
        }
    }
    database.CloseAll();
}

TEST(RateCommand, DeviationsAndEntriesAreGivenPerClassLine)
{
    ScratchFolder program;
    CopyDeliveredData(program.File("Data/"));
    MakeConstructionPlan(program.File("Data/"));
    const auto rate = [&program](const std::string &classes) {
        return RunRate(program.Path(),
                       R"({"state": "MA", "broker": 5, "effective": "07/01/2026",
            "classes": )" + classes +
                           "}",
                       "--json");
    };
    const auto line = [](const CommandResult &r, size_t n) {
        return nlohmann::json::parse(r.out).at("classes").at(n);
    };
    // The deviations window's factor prices the line at the state rate times it (the plan's
    // own rate of the class is replaced).
    CommandResult r = rate(R"([{"code": "8810", "payroll": 100000, "deviation": "0.90"}])");
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json deviated = line(r, 0);
    EXPECT_DOUBLE_EQ(deviated["deviation"].get<double>(), 0.9);
    EXPECT_DOUBLE_EQ(deviated["rate"].get<double>(), deviated["stateRate"].get<double>() * 0.9);
    EXPECT_EQ(deviated["premium"].get<int>(),
              RoundAmount(deviated["rate"].get<double>() * 100000 * 0.01));

    // The construction line takes its payrolls per entry, as the contractors' dialog does.
    r = rate(R"([{"code": "5645", "entries": [10000, 0, 5000, 0], "employees": 2}])");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(line(r, 0)["payroll"], 15000);
    EXPECT_EQ(line(r, 0)["entries"], nlohmann::json::parse("[10000, 0, 5000, 0]"));

    // What a line or its plan does not take is refused, with the dialogs' own checks.
    const auto refused = [&rate](const std::string &classes) {
        const CommandResult result = rate(classes);
        EXPECT_EQ(result.status, 1) << classes;
        EXPECT_EQ(result.out, "") << classes;
        return result.err;
    };
    EXPECT_EQ(refused(R"([{"code": "5645", "payroll": 15000}])"),
              "veredivo-rate: class \"5645\" is a multi-entry line: give its 4 payrolls as "
              "\"entries\": [ ... ] (\"Territory 1 - The Bronx, Kings, New York, Queens and "
              "Richmond\", \"Territory 2 - Duchess, Nassau, Orange, Putnam, Rockland, Suffolk and "
              "Westchester\", \"Territory 3 - All other Counties\", \"Residential Payroll\")\n");
    EXPECT_EQ(refused(R"([{"code": "5645", "entries": [0, 0, 0, 0], "employees": 2}])"),
              "veredivo-rate: class \"5645\": You must provide a payroll for at least one of the "
              "above items\n");
    EXPECT_EQ(refused(R"([{"code": "5645", "entries": [1, 0, 0, 0]}])"),
              "veredivo-rate: class \"5645\": Please provide the number of employees\n");
    EXPECT_EQ(refused(R"([{"code": "5645", "entries": [1, 0, 0, 0], "payroll": 2,
                         "employees": 1}])"),
              "veredivo-rate: class \"5645\": the payroll $2 is not the sum of its entries ($1); "
              "give the entries alone\n");
    EXPECT_EQ(refused(R"([{"code": "8810", "entries": [1, 0, 0, 0]}])"),
              "veredivo-rate: class \"8810\" takes one payroll; \"entries\" are for the "
              "multi-entry (construction) lines of plans that have them\n");
    EXPECT_EQ(refused(R"([{"code": "8810", "payroll": 100, "deviation": 0}])"),
              "veredivo-rate: class \"8810\": Please provide a deviation greater than 0 for "
              "CLERICAL OFFICE EMPLOYEES NOC\n");
    EXPECT_EQ(refused(R"([{"code": "8810", "payroll": 100, "deviation": 0.905}])"),
              "veredivo-rate: class \"8810\": the deviation \"0.905\" has more than the 2 "
              "decimals the deviations window takes\n");
    const CommandResult noDeviations = RunRate(FixtureProgramFolder(), R"({"state": "MA",
        "effective": "07/01/2026", "classes": [{"code": "8810", "payroll": 100,
        "deviation": 0.9}]})");
    EXPECT_EQ(noDeviations.status, 1);
    EXPECT_EQ(noDeviations.err,
              "veredivo-rate: class \"8810\": broker 1's MA plan offers no class deviations\n");
}

TEST(RateCommand, TextsBeyondAsciiAreEchoedAsWritten)
{
    const std::string folder = FixtureProgramFolder();
    CommandResult r = RunRate(folder, R"({"state": "MA", "effective": "07/01/2026",
        "classes": [{"code": "51\u00e983", "payroll": 1000}]})");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "veredivo-rate: unknown class code \"51\xC3\xA9"
              "83\" for this plan and "
              "effective date\n");
    r = RunRate(folder, R"({"state": "MA", "effective": "07/01/2026",
        "classes": [{"code": "8810", "payroll": 1000}], "inputs": {"txtEx\u00e9": "1"}})");
    EXPECT_NE(r.err.find("unknown rating input \"txtEx\xC3\xA9\""), std::string::npos) << r.err;

    // A state is two letters: "MAX" is not taken for "MA".
    r = RunRate(folder, R"({"state": "MAX", "classes": []})");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("quote.state: \"MAX\" is not a state's two-letter abbreviation"),
              std::string::npos)
        << r.err;
}

std::string OneLine(std::string request)
{
    std::replace(request.begin(), request.end(), '\n', ' ');
    return request + "\n";
}

TEST(RateCommand, ABatchRatesEachLineAsTheSingleCommandDoes)
{
    ScratchFolder folder;
    folder.WriteFile("requests.jsonl",
                     OneLine(MAVoluntary) + "{\"state\": \"MA\", \"classes\": [\n" + "\n" +
                         OneLine(NJVoluntary) + OneLine(R"({"state": "MA",
        "effective": "07/01/2028", "classes": [{"code": "8810", "payroll": 100000}]})"));
    const TCommandResult r = RunCommand(ShellQuoted(VEREDIVO_RATE_COMMAND) + " --program-dir " +
                                        ShellQuoted(FixtureProgramFolder()) + " --batch < " +
                                        ShellQuoted(folder.File("requests.jsonl")) + " 2> " +
                                        ShellQuoted(folder.File("err")));
    // The bad request fails the run, and the others are still rated.
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(folder.ReadFile("err"), "");
    const std::vector<std::string> lines = OutputLines(r.Out);
    ASSERT_EQ(lines.size(), 4u) << r.Out;
    const nlohmann::json ma = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(ma["line"], 1);
    EXPECT_EQ(ma["status"], 0);
    EXPECT_EQ(ma["amounts"]["TotalPremium"], 16465);
    EXPECT_EQ(ma["messages"], nlohmann::json::array());
    const nlohmann::json bad = nlohmann::json::parse(lines[1]);
    EXPECT_EQ(bad["line"], 2);
    EXPECT_EQ(bad["status"], 1);
    EXPECT_NE(bad["error"].get<std::string>().find("line 2: the line is not valid JSON"),
              std::string::npos)
        << bad;
    const nlohmann::json nj = nlohmann::json::parse(lines[2]);
    EXPECT_EQ(nj["line"], 4); // the blank line is passed over
    EXPECT_EQ(nj["amounts"]["TotalPremium"], 23596);
    const nlohmann::json late = nlohmann::json::parse(lines[3]);
    EXPECT_EQ(late["status"], 1);
    EXPECT_EQ(late["messages"][0], "This Date has no valid classifications available");
    EXPECT_EQ(late["error"],
              "veredivo-rate: broker 1's MA plan rates effective dates from 01/01/2026 to "
              "12/31/2027");
}

} // namespace
