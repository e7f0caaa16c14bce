// The rating command stores a quote in one process and lists, reopens, rates and deletes it in
// others, on a copy of the delivered tables.

#include "StoreFixture.h"

#include "core/Dates.h"
#include "core/Text.h"
#include "db/CBDatabase.h"

#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace {

struct CommandResult
{
    int status = -1;
    std::string out;
    std::string err;
};

class StoreCommand : public testing::Test
{
protected:
    StoreCommand() : settings("VEREDIVO_SETTINGS_DIR", dir.File("settings/"))
    {
        CopyDeliveredData(dir.File("program/Data/"));
    }

    CommandResult Run(const std::string &arguments, const std::string &request = {})
    {
        if (!request.empty()) {
            dir.WriteFile("quote.json", request);
        }
        const std::string command = std::string("'") + VEREDIVO_RATE_COMMAND + "' --program-dir '" +
            dir.File("program") + "' " + arguments +
            (request.empty() ? "" : " '" + dir.File("quote.json") + "'") + " 2> '" +
            dir.File("err.txt") + "'";
        CommandResult result;
        FILE *pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return result;
        }
        std::array<char, 4096> buffer {};
        size_t n = 0;
        while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            result.out.append(buffer.data(), n);
        }
        const int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = dir.ReadFile("err.txt");
        return result;
    }

    nlohmann::json RunJson(const std::string &arguments, const std::string &request = {})
    {
        const CommandResult result = Run("--json " + arguments, request);
        EXPECT_EQ(result.status, 0) << result.err;
        return nlohmann::json::parse(result.out);
    }

    ScratchFolder dir;
    ScopedEnv settings;
};

std::string Request(const std::string &state, int broker, const std::string &company)
{
    const std::string classes = state == "MA"
        ? R"([ { "code": "5645", "payroll": 250000, "employees": 6 },
               { "code": "5437", "payroll": 120000, "employees": 3 },
               { "code": "8810", "payroll": 60000, "employees": 2 } ])"
        : R"([ { "code": "5645", "payroll": 150000 }, { "code": "5403", "payroll": 60000 },
               { "code": "8810", "payroll": 40000 } ])";
    const std::string inputs = state == "MA"
        ? R"({ "lstPartTwo": "500/500/500", "txtExpMod": "0.92", "txtConstCredit": "9" })"
        : R"({ "txtExpMod": "0.9", "txtPPAPFactor": "1.10" })";
    return R"({ "state": ")" + state + R"(", "broker": )" + std::to_string(broker) +
        R"(, "effective": "07/01/2026", "classes": )" + classes + R"(, "inputs": )" + inputs +
        R"(, "customer": { "company": ")" + company +
        R"(", "first": "Ann", "street": "1 Main St", "city": "Boston", "state": "MA",
                          "zip": "02134" },
             "quote": { "description": "Main office", "street": "2 Side St", "city": "Salem",
                        "state": "MA", "zip": "01970", "policy": "WC-7" } })";
}

} // namespace

TEST_F(StoreCommand, AQuoteSavedByOneProcessIsListedReopenedAndRatedToTheSameTotalByAnother)
{
    struct Case
    {
        std::string state;
        int broker;
    };
    int32_t expectedID = 0;
    for (const Case &c : {Case {"MA", 1}, Case {"MA", 5}, Case {"NJ", 1}, Case {"NJ", 5}}) {
        SCOPED_TRACE(c.state + " broker " + std::to_string(c.broker));
        const nlohmann::json saved = RunJson(
            "--save", Request(c.state, c.broker, c.state + " Company " + std::to_string(c.broker)));
        ++expectedID;
        ASSERT_EQ(saved["quoteId"], expectedID);
        ASSERT_EQ(saved["customerNumber"], expectedID);
        ASSERT_GT(saved["amounts"]["TotalPremium"].get<int>(), 0);

        const nlohmann::json opened = RunJson("--open " + std::to_string(expectedID));
        EXPECT_EQ(opened["state"], c.state);
        EXPECT_EQ(opened["broker"], c.broker);
        EXPECT_EQ(opened["effective"], "07/01/2026");
        EXPECT_EQ(opened["amounts"], saved["amounts"]);
        EXPECT_EQ(opened["summary"], saved["summary"]);
    }

    const nlohmann::json listed = RunJson("--list");
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0]["company"], "MA Company 1");
    EXPECT_EQ(listed[3]["company"], "NJ Company 5");
    ASSERT_EQ(listed[3]["quotes"].size(), 1u);
    EXPECT_EQ(listed[3]["quotes"][0]["quoteId"], 4);
    EXPECT_EQ(listed[3]["quotes"][0]["text"],
              "Main office [2 Side St Salem, MA 01970]  (07/01/2026 - 07/01/2027)");

    const CommandResult text = Run("--list");
    EXPECT_NE(text.out.find("MA Company 5  (customer 2)\n"
                            "       2  Main office [2 Side St Salem, MA 01970]  "
                            "(07/01/2026 - 07/01/2027)\n"),
              std::string::npos)
        << text.out;
}

TEST_F(StoreCommand, ReopeningPrintsTheDroppedClassesAndTheAdjustedDate)
{
    ASSERT_EQ(RunJson("--save", Request("MA", 1, "Acme"))["quoteId"], 1);
    {
        // The stored quote as an older rate file left it: a class since withdrawn, a date
        // the rates no longer cover.
        TCBDatabase database;
        TCBTable &classes = database.AddTable("CUSTWCCL.DBF", dir.File("program/Data/"), true);
        ASSERT_TRUE(classes.Seek("1         2  ", "ID_INDEX"));
        const std::string withdrawn = Trim(classes.GetString("CODE"));
        classes.SetString("CODE", "9999");
        TCBTable &headers = database.AddTable("CUST_LOB.DBF", dir.File("program/Data/"), true);
        ASSERT_TRUE(headers.Seek("1         ", "QUOTE_ID"));
        headers.SetDate("Effective", EncodeDate(2020, 7, 1));
        database.CloseAll();
    }
    const CommandResult opened = Run("--open 1");
    EXPECT_EQ(opened.status, 0) << opened.err;
    EXPECT_EQ(opened.err,
              "Effective Date has been adjusted to 01/01/2026 since there are no longer any "
              "rates available for the saved date of 07/01/2020\n"
              "The below classes are no longer provided by the rating program and will not be "
              "restored on the quote:\n\n9999\n");
    EXPECT_NE(opened.out.find("Quote ID: 1"), std::string::npos);
}

TEST_F(StoreCommand, DeletingAQuoteTakesItOutOfTheListing)
{
    RunJson("--save", Request("MA", 1, "Acme"));
    RunJson("--save", Request("NJ", 1, "Jersey"));
    const CommandResult deleted = Run("--delete 1");
    EXPECT_EQ(deleted.status, 0);
    EXPECT_EQ(deleted.out, "Quote 1 deleted.\n");
    const nlohmann::json listed = RunJson("--list");
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_TRUE(listed[0]["quotes"].empty());
    EXPECT_EQ(listed[1]["quotes"].size(), 1u);

    const CommandResult again = Run("--delete 1");
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "veredivo-rate: no quote 1 is stored\n");
    EXPECT_EQ(Run("--open 1").status, 1);
}

TEST_F(StoreCommand, ACustomerWithoutNameOrCompanyIsNotStored)
{
    // Without a name the customer dialog opens, and it asks for the company.
    std::string request = Request("MA", 1, "");
    request = ReplaceAll(request, R"("first": "Ann",)", "");
    const CommandResult saved = Run("--save", request);
    EXPECT_EQ(saved.status, 1);
    EXPECT_NE(saved.err.find("needs its customer's company"), std::string::npos) << saved.err;
    EXPECT_EQ(Run("--list").out, "There are no Customers in the database.\n");
}

TEST_F(StoreCommand, ASecondQuoteForAStoredCustomerNamesItsNumber)
{
    ASSERT_EQ(RunJson("--save", Request("MA", 1, "Acme"))["customerNumber"], 1);
    // The stored customer keeps its name and address; what the request gives anew replaces.
    std::string second = Request("NJ", 1, "");
    second = ReplaceAll(second, R"("company": "",)", R"("number": 1,)");
    second = ReplaceAll(second, R"("street": "1 Main St")", R"("street": "9 New St")");
    const nlohmann::json saved = RunJson("--save", second);
    EXPECT_EQ(saved["customerNumber"], 1);
    EXPECT_EQ(saved["quoteId"], 2);
    const nlohmann::json listed = RunJson("--list");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0]["company"], "Acme");
    EXPECT_EQ(listed[0]["quotes"].size(), 2u);
    TCBDatabase database;
    TCBTable &customers = database.AddTable("CUSTGNRL.DBF", dir.File("program/Data/"), true);
    ASSERT_TRUE(customers.Seek("         1", "ID_TAG"));
    EXPECT_EQ(Trim(customers.GetString("Street")), "9 New St");
    EXPECT_EQ(Trim(customers.GetString("City")), "Boston");
    EXPECT_EQ(customers.RecordCount(), 1);

    // A number that is not stored saves nothing.
    const CommandResult unknown =
        Run("--save", ReplaceAll(second, R"("number": 1,)", R"("number": 7,)"));
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "veredivo-rate: no customer 7 is stored\n");
    EXPECT_EQ(RunJson("--list")[0]["quotes"].size(), 2u);
    const CommandResult wrong =
        Run("--save", ReplaceAll(second, R"("number": 1,)", R"("number": -3,)"));
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("quote.customer.number"), std::string::npos) << wrong.err;
}

TEST_F(StoreCommand, ASecondSaveOfTheSameCompanyWithoutANumberNamesTheStoredCustomer)
{
    ASSERT_EQ(RunJson("--save", Request("MA", 1, "Acme"))["customerNumber"], 1);
    ASSERT_EQ(RunJson("--save", Request("MA", 1, "Harbor"))["customerNumber"], 2);
    // A customer is known by its number: a new one is made, and the stored one is named.
    const CommandResult again = Run("--save", Request("NJ", 1, "ACME"));
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.err,
              "veredivo-rate: a new customer 3 was made, although customer 1 of the same "
              "company \"ACME\" is stored; to add a quote to a stored customer give its number "
              "(\"customer\": { \"number\": 1 })\n");
    EXPECT_NE(again.out.find("Customer number: 3"), std::string::npos) << again.out;
    EXPECT_EQ(RunJson("--list").size(), 3u);

    // Naming the number adds the quote to it without a word.
    std::string named = Request("MA", 1, "Acme");
    named = ReplaceAll(named, R"("company": "Acme",)", R"("number": 1,)");
    const CommandResult added = Run("--save", named);
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.err, "");
}
