// A save, a save of the same quote again and a delete, each killed at every disk write it makes
// in turn (the file layer stops the process right before the write). After each kill the tables
// open, check clean with the engine's check and with Perl's XBase, hold every earlier save as it
// was, and hold the interrupted one wholly or not at all; no blank or phantom row is listed, and
// a save that did not happen took no number. The same after "pack and reindex".

#include "StoreFixture.h"

#include "core/DiskWrites.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "dbase/Table.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The child's watcher of disk writes: it dies right before the write it was told, or counts them
// all for the parent.
int g_killAt = 0;
int g_writes = 0;

void CountOrDie()
{
    if (++g_writes == g_killAt) {
        ::raise(SIGKILL);
    }
}

// Perl's XBase: every table reads with as many records as its header counts, and every tag of
// its index walks each record once in ascending key order.
const char *const kPerlCheck = R"(
use strict; use warnings; use XBase; use XBase::Index;
my @problems;
for my $dbf (@ARGV) {
    my $t = XBase->new($dbf) or do { push @problems, "$dbf: " . XBase->errstr; next };
    my $records = $t->last_record + 1;
    for my $n (0 .. $t->last_record) {
        my @values = $t->get_record($n);
        push @problems, "$dbf: record $n: " . $t->errstr unless @values;
    }
    $t->close;
    (my $mdx = $dbf) =~ s/\.DBF$/.MDX/i;
    my $index = XBase::Index->new($mdx) or do { push @problems, "$mdx: " . XBase::Index->errstr; next };
    for my $tag ($index->tags) {
        my $walk = XBase::Index->new($mdx, tag => $tag);
        $walk->prepare_select or do { push @problems, "$mdx $tag: " . $walk->errstr; next };
        my ($count, $previous, %seen) = (0, undef);
        while (my ($key, $record) = $walk->fetch) {
            $count++;
            push @problems, "$mdx $tag: record $record twice" if $seen{$record}++;
            push @problems, "$mdx $tag: '$key' after '$previous'" if defined $previous && $key lt $previous;
            $previous = $key;
        }
        push @problems, "$mdx $tag: $count keys for $records records" if $count != $records;
    }
}
print "$_\n" for @problems;
)";

// The quotes live in a folder of their own (the alternate quote path), so a pack there packs the
// eight customer tables alone.
class JournalKill : public ProgramFolderTest
{
protected:
    JournalKill()
    {
        dir.WriteFile("check.pl", kPerlCheck);
        ForceDirectories(Quotes());
        for (const std::string &name : TVereDivoCustDBO::TableNames()) {
            CopyTableFiles(Program("Data/"), name, Quotes());
        }
        TIniFile settingsFile(dir.File("settings/veredivo.ini"));
        settingsFile.WriteBool("QuotePath", "UseAltQuotePath", true);
        settingsFile.WriteString("QuotePath", "AlternateQuotePath", Quotes());
    }

    std::string Quotes() const { return dir.File("quotes/"); }

    // Every file of the quote folder (tables, journal, counters).
    std::map<std::string, std::string> Snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const auto &entry : std::filesystem::directory_iterator(Quotes())) {
            const std::string name = entry.path().filename().string();
            files[name] = dir.ReadFile("quotes/" + name);
        }
        return files;
    }

    void Restore(const std::map<std::string, std::string> &files) const
    {
        for (const auto &entry : std::filesystem::directory_iterator(Quotes())) {
            if (files.count(entry.path().filename().string()) == 0) {
                std::filesystem::remove(entry.path());
            }
        }
        for (const auto &[name, bytes] : files) {
            dir.WriteFile("quotes/" + name, bytes);
        }
    }

    // Every record of the store's tables (deletion flag first) in record order, table by
    // table; or the live records alone, sorted (what a pack keeps).
    std::string Rows(bool live) const
    {
        std::string rows;
        dbase::Context context;
        context.SetAutoOpen(false);
        for (const std::string &name : TVereDivoCustDBO::TableNames()) {
            auto table = dbase::Table::Open(context, ResolveFileName(Quotes() + name + ".DBF"));
            std::multiset<std::string> sorted;
            rows += name + ":\n";
            for (table->Top(); !table->Eof(); table->Skip()) {
                if (!live) {
                    rows += std::string(table->RecordBytes()) + "\n";
                } else if (!table->Deleted()) {
                    sorted.insert(std::string(table->RecordBytes()));
                }
            }
            for (const std::string &row : sorted) {
                rows += row + "\n";
            }
        }
        return rows;
    }

    // The listing as the next program shows it (opening the store completes or drops what a
    // killed one left): customers, each with its quotes' lines.
    std::string Listing() const
    {
        TCBDatabase database;
        TVereDivoCustDBO store(database, Quotes());
        const TVereDivoCustDBO::TReading reading(store);
        std::string listing;
        for (const TCustomerListEntry &customer : store.ListCustomers()) {
            listing += customer.Company + " (" + IntText(customer.CustomerNumber) + ")\n";
            for (const auto &header : store.ListQuotes(customer.CustomerNumber)) {
                listing += "  " + IntText(header->QuoteID()) + " " +
                    TVereDivoCustDBO::QuoteDisplayText(*header) + "\n";
            }
        }
        return listing;
    }

    // The problems the engine's check and Perl's XBase find in the store's tables.
    std::string Problems() const
    {
        std::string problems;
        std::string tables;
        for (const std::string &name : TVereDivoCustDBO::TableNames()) {
            dbase::Context context;
            const std::string path = ResolveFileName(Quotes() + name + ".DBF");
            try {
                auto table = dbase::Table::Open(context, path);
                for (const std::string &line : table->Check()) {
                    problems += name + ": " + line + "\n";
                }
            } catch (const dbase::Error &error) {
                problems += name + ": " + error.what() + "\n";
            }
            tables += " '" + path + "'";
        }
        FILE *perl =
            ::popen(("perl '" + dir.File("check.pl") + "'" + tables + " 2>&1").c_str(), "r");
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, perl)) > 0;) {
            problems.append(buffer, n);
        }
        ::pclose(perl);
        return problems;
    }

    // Runs the operation in a child process that dies right before its `killAt`-th disk write
    // (0: never). Gives the number of writes the child made when it lived, -1 when it was
    // killed.
    static int RunChild(const std::function<void()> &operation, int killAt)
    {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) {
            return -2;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            int status = 0;
            try {
                g_killAt = killAt;
                g_writes = 0;
                SetDiskWriteProbe(CountOrDie);
                operation();
                SetDiskWriteProbe(nullptr);
                const std::string count = std::to_string(g_writes);
                status = ::write(pipeFds[1], count.data(), count.size()) > 0 ? 0 : 2;
            } catch (...) {
                status = 3;
            }
            ::_exit(status);
        }
        ::close(pipeFds[1]);
        std::string reported;
        char buffer[64];
        for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
            reported.append(buffer, static_cast<size_t>(got));
        }
        ::close(pipeFds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
            return -1;
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
        return StrToIntDef(reported, -2);
    }

    struct Outcome
    {
        int killPoints = 0;
        int wholly = 0; // the interrupted operation was found done
        int absent = 0; // ... or not done at all
    };

    // Kills the operation at each of its disk writes in turn and checks what the next program
    // (and then "pack and reindex") finds; the store is left as the operation leaves it.
    Outcome KillAtEveryWrite(const std::string &what, const std::function<void()> &operation)
    {
        SCOPED_TRACE(what);
        Outcome outcome;
        const auto before = Snapshot();
        const std::string rowsBefore = Rows(false);
        const std::string liveBefore = Rows(true);
        const std::string listingBefore = Listing();
        const std::string countersBefore = dir.ReadFile("quotes/datainfo.ini");
        const int writes = RunChild(operation, 0);
        EXPECT_GT(writes, 0);
        const auto after = Snapshot();
        const std::string rowsAfter = Rows(false);
        const std::string liveAfter = Rows(true);
        const std::string listingAfter = Listing();
        const std::string countersAfter = dir.ReadFile("quotes/datainfo.ini");
        EXPECT_NE(rowsAfter, rowsBefore);
        for (int killAt = 1; killAt <= writes; ++killAt) {
            SCOPED_TRACE("killed right before disk write " + std::to_string(killAt) + " of " +
                         std::to_string(writes));
            Restore(before);
            EXPECT_EQ(RunChild(operation, killAt), -1);
            ++outcome.killPoints;
            const std::string listing = Listing();
            const std::string rows = Rows(false);
            const bool done = rows == rowsAfter;
            EXPECT_TRUE(done || rows == rowsBefore);
            ++(done ? outcome.wholly : outcome.absent);
            EXPECT_EQ(listing, done ? listingAfter : listingBefore);
            const std::string counters = dir.ReadFile("quotes/datainfo.ini");
            if (done) {
                EXPECT_TRUE(counters == countersAfter || counters == countersBefore);
            } else {
                EXPECT_EQ(counters, countersBefore); // no number was taken
            }
            EXPECT_EQ(Problems(), "");

            // "Pack and reindex" keeps exactly the live rows.
            FixRecordCounts(Quotes());
            {
                TCBDatabase database;
                PackFolder(Quotes(), database);
            }
            EXPECT_EQ(Rows(true), done ? liveAfter : liveBefore);
            EXPECT_EQ(Problems(), "");
            EXPECT_EQ(Listing(), done ? listingAfter : listingBefore);
        }
        Restore(after);
        return outcome;
    }

    // The quotes reopen as saved: their class lines and totals.
    void
    ExpectReopened(const std::map<int32_t, std::pair<std::vector<std::string>, int32_t>> &saved)
    {
        const auto info = OpenProgram();
        for (const auto &[id, expected] : saved) {
            const auto reopened = ReopenQuote(*info, id);
            EXPECT_EQ(reopened->Lines(), expected.first) << "quote " << id;
            ASSERT_TRUE(reopened->Quote->CalculatePremium());
            EXPECT_EQ(reopened->Quote->Results.TotalPremium, expected.second) << "quote " << id;
        }
    }
};

// A new quote as the agent makes it: classes with payrolls, an input, its customer.
std::unique_ptr<TOpenQuote> MakeQuote(TVereDivoAppInfo &info, const std::string &company,
                                      const std::vector<std::pair<std::string, int32_t>> &classes)
{
    auto open = NewQuote(info, "MA");
    open->Quote->Customer().SetCompany(company);
    open->Quote->Customer().SetFirstName("Ann");
    open->Quote->QuoteInfo().SetDescription(company + " office");
    for (const auto &[code, payroll] : classes) {
        open->Add(code, payroll, 2);
    }
    open->Enter("txtExpMod", "1.05");
    open->Quote->CalculatePremium();
    return open;
}

} // namespace

TEST_F(JournalKill, ASaveAResaveAndADeleteHappenWhollyOrNotAtAllWhereverTheyDie)
{
    std::map<int32_t, std::pair<std::vector<std::string>, int32_t>> saved;
    const auto info = OpenProgram();
    for (const auto &[company, code] :
         {std::pair {"Earlier Roofing", "5645"}, std::pair {"Earlier Carpentry", "5437"}}) {
        auto earlier = MakeQuote(*info, company, {{code, 90000}, {"8810", 30000}});
        ASSERT_TRUE(info->QuoteDB().SaveQuote(*earlier->Quote));
        saved[earlier->Quote->QuoteId] = {earlier->Lines(), earlier->Quote->Results.TotalPremium};
    }
    // The child processes make their own store; this one must not hold the folder's files.
    info->QuoteDB().ReleaseCustDBO();

    auto quote =
        MakeQuote(*info, "Acme Roofing", {{"5645", 100000}, {"8810", 50000}, {"8742", 20000}});
    const Outcome savedNew = KillAtEveryWrite("a new quote", [&] {
        if (!info->QuoteDB().SaveQuote(*quote->Quote)) {
            throw std::runtime_error("not saved");
        }
    });
    ExpectReopened(saved);

    // The quote as the agent changes it and saves it again: a class gone, one added, a payroll
    // and an input changed. The save happened in a child: here the quote takes its numbers.
    const int32_t id = 3;
    quote->Quote->QuoteId = id;
    quote->Quote->QuoteInfo().SetQuoteID(id);
    quote->Quote->Customer().SetCustomerNumber(3);
    quote->Quote->QuoteInfo().SetCustomerNumber(3);
    saved[id] = {quote->Lines(), quote->Quote->Results.TotalPremium};
    ExpectReopened(saved);
    for (TVereDivoClass *line : std::vector<TVereDivoClass *>(quote->Quote->Classes())) {
        if (line->Code == "8742") {
            quote->Quote->DeleteClass(*line);
        } else if (line->Code == "5645") {
            line->SetPayroll(120000);
        }
    }
    quote->Add("5437", 40000, 1);
    quote->Enter("txtExpMod", "0.95");
    quote->Quote->CalculatePremium();
    const Outcome resaved = KillAtEveryWrite("the quote saved again", [&] {
        if (!info->QuoteDB().SaveQuote(*quote->Quote)) {
            throw std::runtime_error("not saved");
        }
    });
    saved[id] = {quote->Lines(), quote->Quote->Results.TotalPremium};
    ExpectReopened(saved);

    const Outcome deleted =
        KillAtEveryWrite("the quote deleted", [&] { info->QuoteDB().CustDBO().DeleteQuote(id); });
    saved.erase(id);
    ExpectReopened(saved);

    for (const Outcome *outcome : {&savedNew, &resaved, &deleted}) {
        EXPECT_GT(outcome->wholly, 0);
        EXPECT_GT(outcome->absent, 0);
    }
    RecordProperty("KillPoints", savedNew.killPoints + resaved.killPoints + deleted.killPoints);
    std::printf("kill points: save %d (%d done, %d not done), save again %d (%d, %d), delete %d "
                "(%d, %d)\n",
                savedNew.killPoints, savedNew.wholly, savedNew.absent, resaved.killPoints,
                resaved.wholly, resaved.absent, deleted.killPoints, deleted.wholly, deleted.absent);
}
