// A process saving quotes is killed at a random moment; the record-count repair with "pack and
// reindex" leaves every customer table readable with its tags in step, and every quote whose
// save had returned opens again with its classes and its total.

#include "StoreFixture.h"

#include "core/Text.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct TSavedQuote
{
    int32_t total = 0;
    int32_t payroll = 0; // of the 5645 line
};

// Saves new quotes one after another, each reported as "ID TOTAL PAYROLL" once its save has
// returned.
[[noreturn]] void SaveQuotes(int report)
{
    try {
        ScriptedPrompter quiet;
        TVereDivoAppInfo info("veredivo");
        info.OpenData();
        const auto open = NewQuote(info, "MA", 5);
        TVereDivoQuote &quote = *open->Quote;
        TVereDivoClass &roofing = open->Add("5645", 100000, 3);
        open->Add("8810", 50000, 1);
        open->Add("8742", 20000, 1);
        for (int step = 1;; ++step) {
            roofing.SetPayroll(100000 + step * 1000);
            open->Enter("txtExpMod", step % 2 == 0 ? "0.95" : "1.05");
            quote.QuoteId = 0;
            quote.QuoteInfo().SetQuoteID(0);
            quote.Customer().SetCustomerNumber(-1);
            quote.Customer().SetCompany("Customer " + IntText(step));
            quote.Customer().SetFirstName("Ann");
            quote.QuoteInfo().SetDescription("Office " + IntText(step));
            quote.CalculatePremium();
            if (!info.QuoteDB().SaveQuote(quote)) {
                ::_exit(2);
            }
            const std::string line = IntText(quote.QuoteId) + " " +
                IntText(quote.Results.TotalPremium) + " " + IntText(roofing.Payroll) + "\n";
            if (::write(report, line.data(), line.size()) < 0) {
                ::_exit(2);
            }
        }
    } catch (...) {
        ::_exit(3);
    }
}

class SaveKilled : public ProgramFolderTest
{ };

} // namespace

TEST_F(SaveKilled, PackAndReindexLeaveTheTablesInStepAndEverySavedQuoteOpens)
{
    const unsigned seed = std::random_device {}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::map<int32_t, TSavedQuote> saved;
    for (int round = 0; round < 3; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            SaveQuotes(pipeFds[1]);
        }
        ::close(pipeFds[1]);
        // Wait for a few saves, then kill the child a random moment later, wherever it is.
        const int saves = 1 + static_cast<int>(random() % 4);
        std::string pending;
        for (int seen = 0; seen < saves;) {
            char buffer[256];
            const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
            ASSERT_GT(got, 0) << "the saving process ended early";
            pending.append(buffer, static_cast<size_t>(got));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; ++seen) {
                const auto fields = pending.substr(0, end);
                pending.erase(0, end + 1);
                int32_t id = 0;
                TSavedQuote quote;
                ASSERT_EQ(
                    std::sscanf(fields.c_str(), "%d %d %d", &id, &quote.total, &quote.payroll), 3);
                saved[id] = quote;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        // What the child reported before it died counts too.
        char buffer[256];
        for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
            pending.append(buffer, static_cast<size_t>(got));
        }
        ::close(pipeFds[0]);
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            int32_t id = 0;
            TSavedQuote quote;
            if (std::sscanf(pending.substr(0, end).c_str(), "%d %d %d", &id, &quote.total,
                            &quote.payroll) == 3) {
                saved[id] = quote;
            }
            pending.erase(0, end + 1);
        }
        ASSERT_TRUE(WIFSIGNALED(status));

        // "Pack and Reindex Data" over the quote folder.
        const std::string folder = Program("Data/");
        FixRecordCounts(folder);
        {
            TCBDatabase database;
            PackFolder(folder, database);
        }
        TCBDatabase database;
        for (const std::string &name : TVereDivoCustDBO::TableNames()) {
            TCBTable &table = database.AddTable(name + ".DBF", folder, true);
            EXPECT_EQ(CheckTable(table), "") << name;
        }

        const auto info = OpenProgram();
        for (const auto &[id, expected] : saved) {
            SCOPED_TRACE("quote " + std::to_string(id));
            const auto reopened = ReopenQuote(*info, id);
            ASSERT_EQ(reopened->Lines(),
                      (std::vector<std::string> {"5645 " + IntText(expected.payroll), "8810 50000",
                                                 "8742 20000"}));
            ASSERT_TRUE(reopened->Quote->CalculatePremium());
            EXPECT_EQ(reopened->Quote->Results.TotalPremium, expected.total);
            // Each save was a new customer: "Customer " + its step, which the payroll tells.
            EXPECT_EQ(reopened->Quote->Customer().Company(),
                      "Customer " + IntText((expected.payroll - 100000) / 1000));
        }
        EXPECT_GE(info->QuoteDB().CustDBO().ListCustomers().size(), saved.size());
    }
}
